// Where things are in the hex view, in pixels of the fixed-pitch display font.
//
// A row is a blank, the 8-digit address and two blanks (cells 0..10), byte k's
// two digits in cells 11 + 3k and 12 + 3k, three blanks, and byte k's
// character in cell 61 + k. The view, the header strip, copied text and
// printed pages all use these cells.
#pragma once

#include <cstdint>

#include "shell/editor_state.h"

constexpr int kDumpColumnStart = 11;   // first digit of byte 0
constexpr int kAsciiColumnStart = 61;  // character of byte 0
constexpr int kBytesPerRow = 16;

// What the window side measures for painting and hit tests.
struct ViewMetrics {
    int32_t charWidth;     // one cell
    int32_t lineHeight;    // one row
    int32_t clientWidth;
    int32_t clientHeight;
    int32_t borderWidth;   // SM_CXBORDER: the width of thin lines
};

// The three areas of a row for hit tests and context menus.
enum class ViewArea { Address, Dump, Ascii };

// Address for x < 11 cells, dump from 11 to 61 cells (both included), ASCII beyond.
ViewArea viewAreaAt(int32_t x, int32_t charWidth);

// Whole rows that fit in a client area of this height (0 for an unmeasured font).
int32_t rowsInHeight(int32_t height, int32_t lineHeight);

// Where a nibble's digit stands. `where` tells whether its row is above the
// view, inside it or below it; x and y are meaningful only inside.
struct CellPosition {
    enum Where { Above, Inside, Below } where;
    int32_t x;       // the digit's cell in the dump column
    int32_t asciiX;  // the byte's cell in the ASCII column
    int32_t y;       // top of the row
};
CellPosition cellPosition(int32_t topRow, int32_t visibleRows, int32_t charWidth, int32_t lineHeight,
                          int32_t offset, int32_t nibble);
// The same for the view as the state describes it.
CellPosition cellPosition(const EditorState& s, int32_t charWidth, int32_t lineHeight, int32_t offset,
                          int32_t nibble);
