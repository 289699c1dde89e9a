#include "view/paint_plan.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "document/dump_row.h"
#include "document/record_list.h"
#include "document/selection.h"
#include "document/undo.h"
#include "tools/compare.h"

namespace {

class PlanWriter {
public:
    // Operations that reach no pixel row of [top, bottom) are left out.
    PlanWriter(PaintPlan& plan, int32_t lineHeight, int32_t top, int32_t bottom)
        : plan_(plan), lineHeight_(lineHeight), top_(top), bottom_(bottom) {}

    // Whether anything between these pixel rows is wanted.
    bool wants(int32_t top, int32_t bottom) const { return top < bottom_ && bottom > top_; }

    void fill(int32_t left, int32_t top, int32_t right, int32_t bottom, int color) {
        add({PaintKind::Fill, static_cast<uint8_t>(color), 0, left, top, right, bottom, 0, 0});
    }
    void text(int32_t x, int32_t y, int color, const char* s, uint32_t length) {
        if (!wants(y, y + lineHeight_)) return;
        const auto at = static_cast<uint32_t>(plan_.text.size());
        plan_.text.insert(plan_.text.end(), s, s + length);
        plan_.ops.push_back({PaintKind::Text, static_cast<uint8_t>(color), 0, x, y, 0, 0, at, length});
    }
    void line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int color, int32_t width) {
        const auto w = static_cast<uint8_t>(std::clamp(width, 1, 255));
        add({PaintKind::Line, static_cast<uint8_t>(color), w, x0, y0, x1, y1, 0, 0});
    }
    void icon(int32_t x, int32_t y) { add({PaintKind::Icon, 0, 0, x, y, 0, 0, 0, 0}); }

private:
    void add(const PaintOp& op) {
        const PixelRows rows = opPixelRows(op, lineHeight_);
        if (wants(rows.top, rows.bottom)) plan_.ops.push_back(op);
    }

    PaintPlan& plan_;
    int32_t lineHeight_, top_, bottom_;
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
    bool has(int cell) const { return cells[cell] != ' '; }
    // Leaves out the cells that `other` draws.
    void remove(const DigitLine& other) {
        if (other.empty()) return;
        DigitLine kept;
        for (int c = first; c <= last; ++c) {
            if (has(c) && !other.has(c)) kept.put(c, cells[c]);
        }
        *this = kept;
    }
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

// An outline around the digits of the bytes that the last compare found
// different, once the user stepped to one of them: one box for each run of
// such bytes within a row. Only the rows drawn are looked at, so millions of
// differences cost what a view of them does.
void planDifferences(const EditorState& s, const ViewMetrics& m, int32_t drawn, PlanWriter& out) {
    if (s.compareRows == nullptr || s.differencesOutlined == 0 || drawn <= 0) return;
    const std::vector<uint32_t>& offsets = s.compareRows->offsets;
    const int64_t first = static_cast<int64_t>(s.topRow) * kBytesPerRow;
    const int64_t end = std::min<int64_t>(first + static_cast<int64_t>(drawn) * kBytesPerRow, s.documentSize);
    const int32_t cw = m.charWidth, lh = m.lineHeight;
    auto at = std::lower_bound(offsets.begin(), offsets.end(), first);
    while (at != offsets.end() && *at < end) {
        const uint32_t start = *at;
        uint32_t last = start;
        while (++at != offsets.end() && *at == last + 1 && *at % kBytesPerRow != 0) last = *at;
        // Half a blank on either side, so that the lines keep clear of the digits.
        const int32_t y = (static_cast<int32_t>(start / kBytesPerRow) - s.topRow) * lh;
        const int32_t x0 = (kDumpColumnStart + 3 * static_cast<int32_t>(start % kBytesPerRow)) * cw - cw / 2;
        const int32_t x1 = (kDumpColumnStart + 3 * static_cast<int32_t>(last % kBytesPerRow) + 2) * cw + cw / 2;
        out.line(x0, y, x1, y, searchFrame, m.borderWidth);
        out.line(x0, y + lh, x1, y + lh, searchFrame, m.borderWidth);
        out.line(x0, y, x0, y + lh, searchFrame, m.borderWidth);
        out.line(x1, y, x1, y + lh, searchFrame, m.borderWidth);
    }
}

// The highlighted bytes of the row at `offset`, drawn at `y`: one fill over
// their digits and the blanks between them, one over their characters.
void planHighlight(const EditorState& s, const ViewMetrics& m, int64_t offset, int32_t y, PlanWriter& out) {
    const int64_t first = std::max<int64_t>(s.highlight.offset, offset);
    const int64_t end = std::min<int64_t>({int64_t{s.highlight.offset} + s.highlight.length, offset + kBytesPerRow,
                                           int64_t{s.documentSize}});
    if (s.highlight.length <= 0 || first >= end) return;
    const auto a = static_cast<int32_t>(first - offset), b = static_cast<int32_t>(end - 1 - offset);
    const int32_t cw = m.charWidth;
    out.fill((kDumpColumnStart + 3 * a) * cw, y, (kDumpColumnStart + 3 * b + 2) * cw, y + m.lineHeight,
             kHighlightColor);
    out.fill((kAsciiColumnStart + a) * cw, y, (kAsciiColumnStart + b + 1) * cw, y + m.lineHeight, kHighlightColor);
}

// A row with the switch on: the selected bytes' digits and characters on
// the selection's background in its text colour, the others as normal.
void planSelectedBytes(const EditorState& s, const ViewMetrics& m, int64_t offset, int32_t y, int kanji, char* row,
                       PlanWriter& out) {
    const int32_t cw = m.charWidth, lh = m.lineHeight;
    out.fill(0, y, m.clientWidth, y + lh, normalBack);
    const uint32_t chosen = selectedColumns(s, offset);
    const auto length = static_cast<uint32_t>(std::strlen(row));
    if (chosen == 0) {
        planHighlight(s, m, offset, y, out);
        out.text(0, y, normalText, row, length);
        return;
    }
    const int32_t a = std::countr_zero(chosen), b = 31 - std::countl_zero(chosen);
    out.fill((kDumpColumnStart + 3 * a) * cw, y, (kDumpColumnStart + 3 * b + 2) * cw, y + lh, selectionBack);
    out.fill((kAsciiColumnStart + a) * cw, y, (kAsciiColumnStart + b + 1) * cw, y + lh, selectionBack);
    planHighlight(s, m, offset, y, out);
    char picked[kRowTextSize];
    std::memcpy(picked, row, length + 1);
    blankByteColumns(row, length, chosen, kanji);
    out.text(0, y, normalText, row, length);
    blankByteColumns(picked, length, 0xFFFFu & ~chosen, kanji);
    const uint32_t from = kDumpColumnStart + 3 * static_cast<uint32_t>(a);
    out.text(static_cast<int32_t>(from) * cw, y, selectionText, picked + from, length - from);
}

// The operations of the whole view, in drawing order; rows below `lastBand`
// are not formatted, since nothing of theirs is wanted.
void planView(const EditorState& s, const ViewMetrics& m, int kanji, PaintPlan& plan, PlanWriter& out,
              int32_t lastBand) {
    out.fill(0, 0, m.clientWidth, m.clientHeight, normalBack);
    if (!isDocumentLoaded(s) || m.charWidth <= 0 || m.lineHeight <= 0) return;

    const int32_t visible = plan.visibleRows;
    const int32_t lh = m.lineHeight;
    const int32_t cw = m.charWidth;

    // Rows, each band and text in the selection's colours or the normal ones.
    const int64_t firstOffset = static_cast<int64_t>(s.topRow) * kBytesPerRow;
    const int64_t left = static_cast<int64_t>(s.documentSize) - firstOffset;
    const auto drawn = static_cast<int32_t>(std::clamp<int64_t>((left + kBytesPerRow - 1) / kBytesPerRow, 0, visible));
    const bool haveSelection = s.selectionEndRow >= 0;
    const int32_t selectedFirst = std::min(s.selectionAnchorRow, s.selectionEndRow);
    const int32_t selectedLast = std::max(s.selectionAnchorRow, s.selectionEndRow);
    auto selected = [&](int32_t i) {
        const int64_t r = static_cast<int64_t>(s.topRow) + i;
        return haveSelection && selectedFirst <= r && r <= selectedLast;
    };
    const bool byteSelection = hasByteSelection(s);

    // Changed digits, in the current byte's value, on the row's band; marked
    // cells on their own background, the digit's colour telling whether it is
    // also changed. Found first, so that a row's own text leaves blanks where
    // they stand and each digit is drawn once, in its colour.
    // Only the records of the rows drawn are read: a million of them cost a
    // paint no more than the few that show.
    const uint8_t* bytes = s.documentBytes;
    const int64_t drawnEnd = firstOffset + static_cast<int64_t>(drawn) * kBytesPerRow;
    auto inside = [&](const NibbleRecord& r, CellPosition* cell) {
        if (r.offset < 0 || static_cast<uint32_t>(r.offset) >= s.documentSize) return false;
        *cell = cellPosition(s.topRow, drawn, cw, lh, r.offset, r.nibble);
        return cell->where == CellPosition::Inside;
    };
    auto digitOf = [&](const NibbleRecord& r) { return hexDigit(nibbleOf(bytes[r.offset], r.nibble)); };
    std::vector<DigitLine> changed(static_cast<size_t>(drawn));
    std::vector<DigitLine> marked(static_cast<size_t>(drawn)), markedChanged(static_cast<size_t>(drawn));
    std::vector<NibbleRecord> records;
    recordsInRange(s, RecordList::Change, firstOffset, drawnEnd, records);
    // Inserted bytes show in the change colour as changed digits do.
    for (const ByteSpan& span : insertedSpansIn(s, firstOffset, drawnEnd)) {
        for (int64_t at = std::max(span.begin, firstOffset); at < std::min(span.end, drawnEnd); ++at) {
            records.push_back({static_cast<int32_t>(at), 0, 0});
            records.push_back({static_cast<int32_t>(at), 1, 0});
        }
    }
    for (const NibbleRecord& r : records) {
        CellPosition cell;
        if (!inside(r, &cell)) continue;
        changed[static_cast<size_t>(cell.y / lh)].put(digitCell(r.offset, r.nibble), digitOf(r));
    }
    records.clear();
    recordsInRange(s, RecordList::Mark, firstOffset, drawnEnd, records);
    for (const NibbleRecord& r : records) {
        CellPosition cell;
        if (!inside(r, &cell)) continue;
        const auto row = static_cast<size_t>(cell.y / lh);
        const int c = digitCell(r.offset, r.nibble);
        (changed[row].has(c) ? markedChanged : marked)[row].put(c, digitOf(r));
    }
    for (int32_t i = 0; i < drawn; ++i) {
        changed[static_cast<size_t>(i)].remove(marked[static_cast<size_t>(i)]);
        changed[static_cast<size_t>(i)].remove(markedChanged[static_cast<size_t>(i)]);
    }

    uint8_t carry = 0;  // the top row starts without a pending lead byte
    char row[kRowTextSize];
    for (int32_t i = 0; i < drawn && i <= lastBand; ++i) {
        const int32_t y = i * lh;
        // A row above the wanted ones is formatted only for the lead byte it hands on.
        if (!out.wants(y, y + lh) && kanji == 0) continue;
        const auto offset = static_cast<int32_t>(firstOffset + static_cast<int64_t>(i) * kBytesPerRow);
        formatDumpRow(s, offset, kanji, row, &carry);
        for (const auto* lines : {&changed, &marked, &markedChanged}) {
            const DigitLine& line = (*lines)[static_cast<size_t>(i)];
            for (int c = line.first; c <= line.last; ++c) {
                if (line.has(c)) row[kDumpColumnStart + c] = ' ';
            }
        }
        if (byteSelection) {
            planSelectedBytes(s, m, offset, y, kanji, row, out);
            continue;
        }
        const bool chosen = selected(i);
        out.fill(0, y, m.clientWidth, y + lh, chosen ? selectionBack : normalBack);
        planHighlight(s, m, offset, y, out);
        out.text(0, y, chosen ? selectionText : normalText, row, static_cast<uint32_t>(std::strlen(row)));
    }
    if (drawn > 0 && drawn < visible) {
        const bool chosen = !byteSelection && selected(drawn - 1);
        out.fill(0, drawn * lh, m.clientWidth, m.clientHeight, chosen ? selectionBack : normalBack);
    }

    auto drawLine = [&](int32_t rowInView, const DigitLine& line, int color) {
        if (line.empty()) return;
        out.text((kDumpColumnStart + line.first) * cw, rowInView * lh, color, line.cells + line.first,
                 static_cast<uint32_t>(line.last - line.first + 1));
    };
    for (int32_t i = 0; i < drawn; ++i) drawLine(i, changed[static_cast<size_t>(i)], changedText);
    for (int32_t i = 0; i < drawn; ++i) {
        // One fill for each run of adjacent marked cells.
        const DigitLine& a = marked[static_cast<size_t>(i)];
        const DigitLine& b = markedChanged[static_cast<size_t>(i)];
        for (int c = 0; c < 48; ++c) {
            if (!a.has(c) && !b.has(c)) continue;
            int end = c + 1;
            while (end < 48 && (a.has(end) || b.has(end))) ++end;
            out.fill((kDumpColumnStart + c) * cw, i * lh, (kDumpColumnStart + end) * cw, (i + 1) * lh, markBack);
            c = end;
        }
    }
    for (int32_t i = 0; i < drawn; ++i) {
        drawLine(i, marked[static_cast<size_t>(i)], markText);
        drawLine(i, markedChanged[static_cast<size_t>(i)], markChangedText);
    }

    planDifferences(s, m, drawn, out);
    planSearchFrame(s, m, visible, out);

    // The caret: a bar under its digit and one under its byte's character;
    // typing characters, only the one under the character.
    if (s.caretOffset >= 0 && static_cast<uint32_t>(s.caretOffset) < s.documentSize) {
        CellPosition cell = cellPosition(s.topRow, visible, cw, lh, s.caretOffset, s.caretNibble);
        if (cell.where == CellPosition::Inside) {
            const int32_t y = cell.y + lh;
            if (s.caretInText == 0) out.line(cell.x, y, cell.x + cw, y, caretDump, 2 * m.borderWidth);
            out.line(cell.asciiX, y, cell.asciiX + cw, y, caretAscii, 2 * m.borderWidth);
        }
    }

    if (s.autoScrollActive != 0) out.icon(s.autoScrollOriginX - kIconSize / 2, s.autoScrollOriginY - kIconSize / 2);
}

// The band of the view that holds pixel row y: its row, or the band below
// the whole rows; clamped to the view.
int32_t bandAt(int32_t y, int32_t visibleRows, int32_t lineHeight, int32_t bandCount) {
    if (y < 0) return 0;
    const int32_t band = lineHeight > 0 && y / lineHeight < visibleRows ? y / lineHeight : visibleRows;
    return std::min(band, bandCount - 1);
}

// Sorts the plan's operations into its bands: each band gets those that
// reach into it from the last fill that covers the whole band on.
void indexBands(PaintPlan& plan, int32_t lineHeight, int32_t bandCount) {
    const int32_t first = plan.firstBand;
    const auto n = static_cast<int32_t>(plan.bands.size());
    std::vector<uint32_t> from(static_cast<size_t>(n), 0);
    auto each = [&](auto&& visit) {
        for (uint32_t i = 0; i < plan.ops.size(); ++i) {
            const PaintOp& op = plan.ops[i];
            const PixelRows rows = opPixelRows(op, lineHeight);
            const int32_t b0 = std::max(bandAt(rows.top, plan.visibleRows, lineHeight, bandCount), first);
            const int32_t b1 = std::min(bandAt(rows.bottom - 1, plan.visibleRows, lineHeight, bandCount), first + n - 1);
            for (int32_t b = b0; b <= b1; ++b) visit(i, op, plan.bands[static_cast<size_t>(b - first)], b - first);
        }
    };
    each([&](uint32_t i, const PaintOp& op, PaintBand& band, int32_t b) {
        const bool covers = op.kind == PaintKind::Fill && op.x0 <= 0 && op.x1 >= plan.width && op.y0 <= band.top &&
                            op.y1 >= band.bottom;
        if (covers) from[static_cast<size_t>(b)] = i;
    });
    each([&](uint32_t i, const PaintOp&, PaintBand& band, int32_t b) {
        if (i >= from[static_cast<size_t>(b)]) ++band.count;
    });
    uint32_t next = 0;
    for (PaintBand& band : plan.bands) {
        band.first = next;
        next += band.count;
        band.count = 0;
    }
    plan.bandOps.resize(next);
    each([&](uint32_t i, const PaintOp&, PaintBand& band, int32_t b) {
        if (i >= from[static_cast<size_t>(b)]) plan.bandOps[band.first + band.count++] = i;
    });
}

}  // namespace

PixelRows opPixelRows(const PaintOp& op, int32_t lineHeight) {
    switch (op.kind) {
        case PaintKind::Fill: return {op.y0, op.y1};
        case PaintKind::Text: return {op.y0, op.y0 + lineHeight};
        case PaintKind::Line: return {std::min(op.y0, op.y1) - op.width, std::max(op.y0, op.y1) + op.width + 1};
        case PaintKind::Icon: return {op.y0, op.y0 + kIconSize};
    }
    return {0, 0};
}

void buildPaintPlan(const EditorState& s, const ViewMetrics& m, int kanji, PaintPlan& plan, BandRange range) {
    plan.ops.clear();
    plan.text.clear();
    plan.bands.clear();
    plan.bandOps.clear();
    plan.visibleRows = rowsInHeight(m.clientHeight, m.lineHeight);
    plan.width = m.clientWidth;

    // The view's bands: its whole rows, then what the height leaves below them.
    const int32_t visible = plan.visibleRows;
    const int32_t lh = m.lineHeight;
    const int32_t rowsBottom = visible * std::max(lh, 0);
    const int32_t bandCount = m.clientHeight <= 0 ? 0 : visible + (m.clientHeight > rowsBottom ? 1 : 0);
    const int32_t firstBand = std::max(range.firstBand, 0);
    const int32_t lastBand = std::min(range.lastBand, bandCount - 1);
    plan.firstBand = firstBand;
    for (int32_t b = firstBand; b <= lastBand; ++b) {
        const int32_t top = b * lh;
        plan.bands.push_back({top, b < visible ? top + lh : m.clientHeight, 0, 0});
    }
    if (plan.bands.empty()) return;
    PlanWriter out(plan, lh, plan.bands.front().top, plan.bands.back().bottom);
    planView(s, m, kanji, plan, out, lastBand);
    indexBands(plan, lh, bandCount);
}
