#include "view/options_model.h"

#include <cstring>

#include "document/dump_row.h"

const uint32_t basicPalette[kPaletteSize] = {
    rgbColor(0, 0, 0),       rgbColor(128, 0, 0),   rgbColor(0, 128, 0),   rgbColor(128, 128, 0),
    rgbColor(0, 0, 128),     rgbColor(128, 0, 128), rgbColor(0, 128, 128), rgbColor(128, 128, 128),
    rgbColor(192, 192, 192), rgbColor(255, 0, 0),   rgbColor(0, 255, 0),   rgbColor(255, 255, 0),
    rgbColor(0, 0, 255),     rgbColor(255, 0, 255), rgbColor(0, 255, 255), rgbColor(255, 255, 255),
};

int paletteIndexOf(uint32_t color) {
    for (int i = 0; i < kPaletteSize; ++i) {
        if (basicPalette[i] == color) return i;
    }
    return 0;
}

void initWorkingCopy(OptionsWorkingCopy& copy, const EditorState& s) {
    std::memset(&copy, 0, sizeof copy);
    // The last 16 characters of the column header.
    std::memcpy(copy.sampleText, kColumnHeader + kColumnHeaderLength - kSampleTextLength, kSampleTextLength + 1);
    std::memcpy(copy.colors, s.colorTable, sizeof copy.colors);
    std::memcpy(copy.options, s.options, sizeof copy.options);
    copy.selectedItem = -1;
}

void resetWorkingColors(OptionsWorkingCopy& copy, const uint32_t (&current)[kColorSlots], const SystemColors& system) {
    for (int i = kNamedColorCount; i < kColorSlots; ++i) copy.colors[i] = current[i];
    fillDefaultColors(copy.colors, system);
}

bool chooseWorkingColor(OptionsWorkingCopy& copy, int index) {
    if (copy.selectedItem < 0 || copy.selectedItem >= kNamedColorCount) return false;
    if (index < 0 || index >= kPaletteSize) return false;
    copy.colors[copy.selectedItem] = basicPalette[index];
    return true;
}

void commitWorkingCopy(const OptionsWorkingCopy& copy, EditorState& s) {
    std::memcpy(s.options, copy.options, sizeof s.options);
    std::memcpy(s.colorTable, copy.colors, sizeof s.colorTable);
}

bool colorPreviewFor(const uint32_t (&colors)[kColorSlots], int slot, ColorPreview& out) {
    if (slot < 0 || slot >= kNamedColorCount) return false;
    // Text and background as the view pairs them; the caret, label border
    // and search frame draw their mark over the normal text.
    ColorPreview p{colors[normalText], colors[normalBack], PreviewMark::none, 0};
    switch (static_cast<ColorSlot>(slot)) {
        case caretDump:
        case caretAscii:
            p.mark = PreviewMark::caretBar;
            p.markColor = colors[slot];
            break;
        case changedText: p.text = colors[changedText]; break;
        case markBack:
        case markText: p = {colors[markText], colors[markBack], PreviewMark::none, 0}; break;
        case markChangedText: p = {colors[markChangedText], colors[markBack], PreviewMark::none, 0}; break;
        case selectionBack:
        case selectionText: p = {colors[selectionText], colors[selectionBack], PreviewMark::none, 0}; break;
        case normalBack:
        case normalText: break;
        case labelBack:
        case labelText: p = {colors[labelText], colors[labelBack], PreviewMark::none, 0}; break;
        case labelBorder: p = {colors[labelText], colors[labelBack], PreviewMark::underline, colors[labelBorder]}; break;
        case searchFrame:
            p.mark = PreviewMark::frame;
            p.markColor = colors[searchFrame];
            break;
        default: return false;
    }
    out = p;
    return true;
}
