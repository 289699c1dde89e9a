// The picture of the hex view as data: what to fill, write and draw, in which
// colour slot, in drawing order (later operations lie on top). The window side
// only carries the plan out on an off-screen bitmap, so everything about what
// the view shows can be tested without a window.
#pragma once

#include <cstdint>
#include <climits>
#include <vector>

#include "shell/editor_state.h"
#include "view/view_layout.h"

enum class PaintKind : uint8_t {
    Fill,  // the rectangle (x0, y0)-(x1, y1), right and bottom excluded, in `color`
    Text,  // `length` characters of PaintPlan::text from `text`, at (x0, y0), transparent background
    Line,  // from (x0, y0) to (x1, y1), `width` pixels wide
    Icon   // the auto-scroll icon with its top-left corner at (x0, y0)
};

struct PaintOp {
    PaintKind kind;
    uint8_t color;  // a ColorSlot
    uint8_t width;  // pen width of a Line
    int32_t x0, y0, x1, y1;
    uint32_t text, length;
};

// A strip of the view across its whole width that is drawn on its own: band
// i is row i of the view, and a last band covers what the height leaves below
// the last whole row. A band's picture is its operations in drawing order,
// clipped to the band; they are those of the plan that reach into it, less
// those that a later fill of the whole band hides. So the band's picture
// depends only on them, taken relative to its top: a band that a scroll only
// moved need not be drawn again.
struct PaintBand {
    int32_t top, bottom;    // pixels of the view, bottom excluded
    uint32_t first, count;  // its operations: PaintPlan::bandOps[first .. first + count)
};

constexpr int32_t kIconSize = 32;  // the auto-scroll icon, square

// The colour of the highlighted bytes (EditorState::highlight): not a slot
// of the colour table; the window side mixes it from the selection's and the
// normal background.
constexpr uint8_t kHighlightColor = kColorSlots;

struct PaintPlan {
    int32_t visibleRows = 0;  // whole rows that fit; painting stores it into the state
    int32_t width = 0;        // of the view
    int32_t firstBand = 0;    // the view's band that bands[0] stands for
    std::vector<PaintOp> ops;
    std::vector<char> text;   // the texts of the Text operations
    std::vector<PaintBand> bands;
    std::vector<uint32_t> bandOps;  // indexes into ops

    const char* textOf(const PaintOp& op) const { return text.data() + op.text; }
    const PaintOp& bandOp(const PaintBand& band, uint32_t i) const { return ops[bandOps[band.first + i]]; }
};

// The view's bands of the plan from `firstBand` to `lastBand` (both included;
// counted in the view, 0 for its top row).
struct BandRange {
    int32_t firstBand = 0;
    int32_t lastBand = INT32_MAX;
};

// The whole view for the state as it is: the background, every visible row
// (band and text in the selection's or the normal colours; the area below a
// document that ends inside the view in the last row's background; under
// the text of the highlighted bytes, their digits and characters filled in
// kHighlightColor, the blanks between their digits too), changed digits,
// marked cells, the outlines of the last compare's differences (once the
// user stepped to one), the frame of the last search match, the caret bars
// (only the character's while the caret types into the text column) and the
// auto-scroll icon. Without a document, or with a view lower than one row,
// nothing but the background. Reuses the plan's storage.
//
// Given a range of bands, only those bands, with the operations that reach
// into them, in the same order and with the same band lists as the whole
// plan has for them; the rows below the range are not formatted.
void buildPaintPlan(const EditorState& s, const ViewMetrics& metrics, int kanji, PaintPlan& plan,
                    BandRange range = {});

// The pixel rows an operation may touch, [top, bottom): a row's text stays
// within its row, a line's ends and width are allowed for on either side.
struct PixelRows {
    int32_t top, bottom;
};
PixelRows opPixelRows(const PaintOp& op, int32_t lineHeight);
