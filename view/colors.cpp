#include "view/colors.h"

void fillDefaultColors(uint32_t (&table)[kColorSlots], const SystemColors& system) {
    table[caretDump] = rgbColor(0, 0, 255);
    table[caretAscii] = rgbColor(0, 128, 0);
    table[changedText] = rgbColor(255, 0, 0);
    table[markBack] = rgbColor(0, 128, 128);
    table[markText] = rgbColor(255, 255, 255);
    table[markChangedText] = rgbColor(0, 255, 255);
    table[selectionBack] = system.highlight;
    table[selectionText] = system.highlightText;
    table[normalBack] = system.window;
    table[normalText] = system.windowText;
    table[labelBack] = rgbColor(192, 192, 192);
    table[labelText] = rgbColor(0, 0, 128);
    table[labelBorder] = rgbColor(128, 128, 128);
    table[searchFrame] = rgbColor(128, 0, 128);
}
