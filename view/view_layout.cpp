#include "view/view_layout.h"

ViewArea viewAreaAt(int32_t x, int32_t charWidth) {
    const int64_t cw = charWidth;
    if (x < kDumpColumnStart * cw) return ViewArea::Address;
    if (x <= kAsciiColumnStart * cw) return ViewArea::Dump;
    return ViewArea::Ascii;
}

int32_t rowsInHeight(int32_t height, int32_t lineHeight) {
    if (lineHeight <= 0 || height <= 0) return 0;
    return height / lineHeight;
}

CellPosition cellPosition(int32_t topRow, int32_t visibleRows, int32_t charWidth, int32_t lineHeight,
                          int32_t offset, int32_t nibble) {
    CellPosition c{CellPosition::Inside, 0, 0, 0};
    const int64_t rowInView = static_cast<int64_t>(offset / kBytesPerRow) - topRow;
    if (rowInView < 0) {
        c.where = CellPosition::Above;
        return c;
    }
    if (rowInView > static_cast<int64_t>(visibleRows) - 1) {
        c.where = CellPosition::Below;
        return c;
    }
    const int32_t column = offset % kBytesPerRow;
    c.x = (3 * column + kDumpColumnStart) * charWidth + (nibble != 0 ? charWidth : 0);
    c.asciiX = (kAsciiColumnStart + column) * charWidth;
    c.y = static_cast<int32_t>(rowInView) * lineHeight;
    return c;
}

CellPosition cellPosition(const EditorState& s, int32_t charWidth, int32_t lineHeight, int32_t offset,
                          int32_t nibble) {
    return cellPosition(s.topRow, s.visibleRows, charWidth, lineHeight, offset, nibble);
}
