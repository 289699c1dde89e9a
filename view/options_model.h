// What the options dialog edits, apart from its windows: the working copy
// of the colour table and the options record, the palette offered for every
// colour, and how each colour slot is shown in the preview.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "shell/editor_state.h"
#include "view/colors.h"

// The 16 colours offered for every slot; there is no custom colour.
constexpr int kPaletteSize = 16;
extern const uint32_t basicPalette[kPaletteSize];

// Index of the first palette entry equal to `color`; 0 (black) when the
// colour is not in the palette, e.g. a system colour.
int paletteIndexOf(uint32_t color);

constexpr int kSampleTextLength = 16;

// The dialog works on this copy; the real table and record change only on OK.
struct OptionsWorkingCopy {
    char sampleText[kSampleTextLength + 1];  // "0123456789ABCDEF"
    uint32_t colors[kColorSlots];
    uint8_t options[kOptionBytes];
    WindowRef tabControl;
    WindowRef colorPage;
    WindowRef miscPage;
    int32_t currentTab;    // 0 colour page, 1 numbers page
    int32_t selectedItem;  // colour slot under edit (list index = slot); -1 none
};

// Sample text, colours and options from the state; nothing selected.
void initWorkingCopy(OptionsWorkingCopy& copy, const EditorState& s);

// The initialise button: slots 0..13 take their defaults with the given
// system colours, the reserved slots take what `current` (the real table)
// holds. `current` itself is not changed.
void resetWorkingColors(OptionsWorkingCopy& copy, const uint32_t (&current)[kColorSlots], const SystemColors& system);

// Gives the slot under edit palette colour `index`; false (nothing changes)
// when no slot is selected or the index is outside the palette.
bool chooseWorkingColor(OptionsWorkingCopy& copy, int index);

// OK: the working colours and options become the state's.
void commitWorkingCopy(const OptionsWorkingCopy& copy, EditorState& s);

// How the sample text shows one slot: its text on its background, and for
// the slots that are not a text or background colour, the mark they draw.
enum class PreviewMark { none, caretBar, underline, frame };
struct ColorPreview {
    uint32_t text;
    uint32_t back;
    PreviewMark mark;
    uint32_t markColor;
};

// The preview of `slot` in `colors`; false for a slot outside 0..13.
bool colorPreviewFor(const uint32_t (&colors)[kColorSlots], int slot, ColorPreview& out);
