#include "view/paint_plan.h"

#include <algorithm>
#include <cstring>

#include "document/dump_row.h"

namespace {

class PlanWriter {
public:
    explicit PlanWriter(PaintPlan& plan) : plan_(plan) {}

    void fill(int32_t left, int32_t top, int32_t right, int32_t bottom, int color) {
        plan_.ops.push_back({PaintKind::Fill, static_cast<uint8_t>(color), 0, left, top, right, bottom, 0, 0});
    }
    void text(int32_t x, int32_t y, int color, const char* s, uint32_t length) {
        const auto at = static_cast<uint32_t>(plan_.text.size());
        plan_.text.insert(plan_.text.end(), s, s + length);
        plan_.ops.push_back({PaintKind::Text, static_cast<uint8_t>(color), 0, x, y, 0, 0, at, length});
    }
    void line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int color, int32_t width) {
        const auto w = static_cast<uint8_t>(std::clamp(width, 1, 255));
        plan_.ops.push_back({PaintKind::Line, static_cast<uint8_t>(color), w, x0, y0, x1, y1, 0, 0});
    }
    void icon(int32_t x, int32_t y) { plan_.ops.push_back({PaintKind::Icon, 0, 0, x, y, 0, 0, 0, 0}); }

private:
    PaintPlan& plan_;
};

char hexDigit(unsigned v) { return "0123456789ABCDEF"[v & 15]; }

uint8_t nibbleOf(uint8_t byte, int32_t nibble) {
    return static_cast<uint8_t>(nibble != 0 ? byte & 0x0F : byte >> 4);
}

// The changed nibble positions of the visible rows, one bit each, so that a
// marked cell learns whether it is also changed without scanning the list.
class VisibleNibbles {
public:
    VisibleNibbles(int32_t topRow, int32_t rows) : top_(topRow), bits_(static_cast<size_t>(rows) * 32, false) {}
    void set(int32_t offset, int32_t nibble) {
        if (auto i = index(offset, nibble); i >= 0) bits_[static_cast<size_t>(i)] = true;
    }
    bool test(int32_t offset, int32_t nibble) const {
        auto i = index(offset, nibble);
        return i >= 0 && bits_[static_cast<size_t>(i)];
    }

private:
    int64_t index(int32_t offset, int32_t nibble) const {
        const int64_t i = (static_cast<int64_t>(offset) - static_cast<int64_t>(top_) * kBytesPerRow) * 2 +
                          (nibble != 0 ? 1 : 0);
        return i >= 0 && i < static_cast<int64_t>(bits_.size()) ? i : -1;
    }
    int32_t top_;
    std::vector<bool> bits_;
};

// The frame around the last match in the character column: one open box per
// row, closed on the left in its first row and on the right in its last one.
// A match whose first byte lies outside the view gets none.
void planSearchFrame(const EditorState& s, const ViewMetrics& m, int32_t visibleRows, PlanWriter& out) {
    if (s.findText[0] == '\0') return;
    int64_t p = s.foundOffset;
    int64_t n = s.foundLength;
    const int32_t cw = m.charWidth;
    const int32_t lh = m.lineHeight;
    for (int segment = 0;; ++segment) {
        if (p < 0 || p > static_cast<int64_t>(s.documentSize) - 1 || n <= 0) return;
        const int64_t rowInView = p / kBytesPerRow - s.topRow;
        if (rowInView < 0 || rowInView > visibleRows - 1) return;
        const int32_t column = static_cast<int32_t>(p % kBytesPerRow);
        const int32_t x = (kAsciiColumnStart + column) * cw;
        const int32_t y = static_cast<int32_t>(rowInView) * lh;
        const int64_t room = kBytesPerRow - column;
        const bool last = n <= room;
        const int32_t w = static_cast<int32_t>(last ? n : room) * cw;
        out.line(x, y, x + w, y, searchFrame, m.borderWidth);
        out.line(x, y + lh, x + w, y + lh, searchFrame, m.borderWidth);
        if (segment == 0) out.line(x, y, x, y + lh, searchFrame, m.borderWidth);
        if (last) {
            out.line(x + w, y, x + w, y + lh, searchFrame, m.borderWidth);
            return;
        }
        p += room;
        n -= room;
    }
}

}  // namespace

void buildPaintPlan(const EditorState& s, const ViewMetrics& m, int kanji, PaintPlan& plan) {
    plan.ops.clear();
    plan.text.clear();
    plan.visibleRows = rowsInHeight(m.clientHeight, m.lineHeight);
    PlanWriter out(plan);
    out.fill(0, 0, m.clientWidth, m.clientHeight, normalBack);
    if (!isDocumentLoaded(s) || m.charWidth <= 0 || m.lineHeight <= 0) return;

    const int32_t visible = plan.visibleRows;
    const int32_t lh = m.lineHeight;
    const int32_t cw = m.charWidth;

    // Rows, each band and text in the selection's colours or the normal ones.
    const bool haveSelection = s.selectionEndRow >= 0;
    const int32_t selectedFirst = std::min(s.selectionAnchorRow, s.selectionEndRow);
    const int32_t selectedLast = std::max(s.selectionAnchorRow, s.selectionEndRow);
    int64_t offset = static_cast<int64_t>(s.topRow) * kBytesPerRow;
    int64_t remaining = static_cast<int64_t>(s.documentSize) - offset;
    uint8_t carry = 0;  // the top row starts without a pending lead byte
    int32_t drawn = 0;
    bool lastSelected = false;
    char row[kRowTextSize];
    while (remaining > 0 && drawn < visible) {
        const int64_t r = static_cast<int64_t>(s.topRow) + drawn;
        const bool selected = haveSelection && selectedFirst <= r && r <= selectedLast;
        const int32_t y = drawn * lh;
        formatDumpRow(s, static_cast<int32_t>(offset), kanji, row, &carry);
        out.fill(0, y, m.clientWidth, y + lh, selected ? selectionBack : normalBack);
        out.text(0, y, selected ? selectionText : normalText, row, static_cast<uint32_t>(std::strlen(row)));
        lastSelected = selected;
        ++drawn;
        offset += kBytesPerRow;
        remaining -= kBytesPerRow;
    }
    if (drawn > 0 && drawn < visible) {
        out.fill(0, drawn * lh, m.clientWidth, m.clientHeight, lastSelected ? selectionBack : normalBack);
    }

    const uint8_t* bytes = s.documentBytes;
    auto inside = [&](const NibbleRecord* r, CellPosition* cell) {
        if (r == nullptr || r->offset < 0 || static_cast<uint32_t>(r->offset) >= s.documentSize) return false;
        *cell = cellPosition(s.topRow, visible, cw, lh, r->offset, r->nibble);
        return cell->where == CellPosition::Inside;
    };

    // Changed digits, in the current byte's value, on the row's band.
    VisibleNibbles changed(s.topRow, visible);
    if (s.changeList != nullptr) {
        const int32_t count = std::min(s.changeCount, kRecordListSlots);
        for (int32_t i = 0; i < count; ++i) {
            const NibbleRecord* r = s.changeList[i];
            CellPosition cell;
            if (!inside(r, &cell)) continue;
            changed.set(r->offset, r->nibble);
            const char digit = hexDigit(nibbleOf(bytes[r->offset], r->nibble));
            out.text(cell.x, cell.y, changedText, &digit, 1);
        }
    }

    // Marked cells on their own background; the digit tells whether it is also changed.
    if (s.markList != nullptr) {
        const int32_t count = std::min(s.markCount, kRecordListSlots);
        for (int32_t i = 0; i < count; ++i) {
            const NibbleRecord* r = s.markList[i];
            CellPosition cell;
            if (!inside(r, &cell)) continue;
            out.fill(cell.x, cell.y, cell.x + cw, cell.y + lh, markBack);
            const char digit = hexDigit(nibbleOf(bytes[r->offset], r->nibble));
            out.text(cell.x, cell.y, changed.test(r->offset, r->nibble) ? markChangedText : markText, &digit, 1);
        }
    }

    planSearchFrame(s, m, visible, out);

    // The caret: a bar under its digit and one under its byte's character.
    if (s.caretOffset >= 0 && static_cast<uint32_t>(s.caretOffset) < s.documentSize) {
        CellPosition cell = cellPosition(s.topRow, visible, cw, lh, s.caretOffset, s.caretNibble);
        if (cell.where == CellPosition::Inside) {
            const int32_t y = cell.y + lh;
            out.line(cell.x, y, cell.x + cw, y, caretDump, 2 * m.borderWidth);
            out.line(cell.asciiX, y, cell.asciiX + cw, y, caretAscii, 2 * m.borderWidth);
        }
    }

    if (s.autoScrollActive != 0) out.icon(s.autoScrollOriginX - 16, s.autoScrollOriginY - 16);
}
