// The colour table (EditorState::colorTable) and its defaults.
//
// Colours use the COLORREF layout, 0x00BBGGRR, since the table is stored raw in
// the settings and read by GDI directly.
#pragma once

#include <cstdint>

#include "shell/editor_state.h"

constexpr uint32_t rgbColor(uint8_t red, uint8_t green, uint8_t blue) {
    return static_cast<uint32_t>(red) | (static_cast<uint32_t>(green) << 8) | (static_cast<uint32_t>(blue) << 16);
}

// The four system colours the defaults take at the moment they are set.
struct SystemColors {
    uint32_t highlight;
    uint32_t highlightText;
    uint32_t window;
    uint32_t windowText;
};

// Writes the defaults into slots 0..13; the reserved slots 14..23 keep what
// they hold.
void fillDefaultColors(uint32_t (&table)[kColorSlots], const SystemColors& system);

// Half way between two colours, each of red, green and blue.
constexpr uint32_t mixedColor(uint32_t a, uint32_t b) {
    return ((a & 0xFEFEFE) >> 1) + ((b & 0xFEFEFE) >> 1) + (a & b & 0x010101);
}

// True when option byte `which` of the options record is set.
inline bool isOptionSet(const EditorState& s, OptionByte which) { return s.options[which] != 0; }
