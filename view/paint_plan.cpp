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

// Digits to draw over the dump column of one row, in one colour: a space in
// every other cell, so that one transparent text draws them all at their
// places (the font is fixed-pitch, as for the row text itself).
struct DigitLine {
    char cells[48];
    int first = 48, last = -1;

    DigitLine() { std::memset(cells, ' ', sizeof cells); }
    void put(int cell, char digit) {
        cells[cell] = digit;
        first = std::min(first, cell);
        last = std::max(last, cell);
    }
    bool empty() const { return last < 0; }
};

// The digit cell of a nibble within its row's dump column: 0 .. 47.
int digitCell(int32_t offset, int32_t nibble) { return 3 * (offset % kBytesPerRow) + (nibble != 0 ? 1 : 0); }

// The frame around the last match in the character column: one open box per
// row, closed on the left in its first row and on the right in its last one.
// A match whose first byte lies outside the view gets none.
void planSearchFrame(const EditorState& s, const ViewMetrics& m, int32_t visibleRows, PlanWriter& out) {
    if (s.findText[0] == '\0' && s.replaceFindText[0] == '\0') return;
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
        *cell = cellPosition(s.topRow, drawn, cw, lh, r->offset, r->nibble);
        return cell->where == CellPosition::Inside;
    };
    auto digitOf = [&](const NibbleRecord* r) { return hexDigit(nibbleOf(bytes[r->offset], r->nibble)); };
    auto drawLine = [&](int32_t rowInView, const DigitLine& line, int color) {
        if (line.empty()) return;
        out.text((kDumpColumnStart + line.first) * cw, rowInView * lh, color, line.cells + line.first,
                 static_cast<uint32_t>(line.last - line.first + 1));
    };

    // Changed digits, in the current byte's value, on the row's band.
    std::vector<DigitLine> changed(static_cast<size_t>(drawn));
    if (s.changeList != nullptr) {
        const int32_t count = std::min(s.changeCount, kRecordListSlots);
        for (int32_t i = 0; i < count; ++i) {
            const NibbleRecord* r = s.changeList[i];
            CellPosition cell;
            if (!inside(r, &cell)) continue;
            changed[static_cast<size_t>(cell.y / lh)].put(digitCell(r->offset, r->nibble), digitOf(r));
        }
    }
    for (int32_t i = 0; i < drawn; ++i) drawLine(i, changed[static_cast<size_t>(i)], changedText);

    // Marked cells on their own background; the digit's colour tells whether it is also changed.
    std::vector<DigitLine> marked(static_cast<size_t>(drawn)), markedChanged(static_cast<size_t>(drawn));
    if (s.markList != nullptr) {
        const int32_t count = std::min(s.markCount, kRecordListSlots);
        for (int32_t i = 0; i < count; ++i) {
            const NibbleRecord* r = s.markList[i];
            CellPosition cell;
            if (!inside(r, &cell)) continue;
            const auto row = static_cast<size_t>(cell.y / lh);
            const int c = digitCell(r->offset, r->nibble);
            const bool alsoChanged = changed[row].cells[c] != ' ';
            (alsoChanged ? markedChanged : marked)[row].put(c, digitOf(r));
        }
    }
    for (int32_t i = 0; i < drawn; ++i) {
        // One fill for each run of adjacent marked cells.
        const DigitLine& a = marked[static_cast<size_t>(i)];
        const DigitLine& b = markedChanged[static_cast<size_t>(i)];
        for (int c = 0; c < 48; ++c) {
            if (a.cells[c] == ' ' && b.cells[c] == ' ') continue;
            int end = c + 1;
            while (end < 48 && (a.cells[end] != ' ' || b.cells[end] != ' ')) ++end;
            out.fill((kDumpColumnStart + c) * cw, i * lh, (kDumpColumnStart + end) * cw, (i + 1) * lh, markBack);
            c = end;
        }
    }
    for (int32_t i = 0; i < drawn; ++i) {
        drawLine(i, marked[static_cast<size_t>(i)], markText);
        drawLine(i, markedChanged[static_cast<size_t>(i)], markChangedText);
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
