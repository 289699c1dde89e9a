#include "view/colors_win.h"

#include <windows.h>

SystemColors currentSystemColors() {
    return SystemColors{
        static_cast<uint32_t>(GetSysColor(COLOR_HIGHLIGHT)),
        static_cast<uint32_t>(GetSysColor(COLOR_HIGHLIGHTTEXT)),
        static_cast<uint32_t>(GetSysColor(COLOR_WINDOW)),
        static_cast<uint32_t>(GetSysColor(COLOR_WINDOWTEXT)),
    };
}

void setDefaultColors(uint32_t (&table)[kColorSlots]) { fillDefaultColors(table, currentSystemColors()); }

void setDefaultColors() {
    if (editorState != nullptr) setDefaultColors(editorState->colorTable);
}
