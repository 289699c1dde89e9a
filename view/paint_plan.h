// The picture of the hex view as data: what to fill, write and draw, in which
// colour slot, in drawing order (later operations lie on top). The window side
// only carries the plan out on an off-screen bitmap, so everything about what
// the view shows can be tested without a window.
#pragma once

#include <cstdint>
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

struct PaintPlan {
    int32_t visibleRows = 0;  // whole rows that fit; painting stores it into the state
    std::vector<PaintOp> ops;
    std::vector<char> text;   // the texts of the Text operations

    const char* textOf(const PaintOp& op) const { return text.data() + op.text; }
};

// The whole view for the state as it is: the background, every visible row
// (band and text in the selection's or the normal colours; the area below a
// document that ends inside the view in the last row's background), changed
// digits, marked cells, the frame of the last search match, the two caret bars
// and the auto-scroll icon. Without a document, or with a view lower than one
// row, nothing but the background. Reuses the plan's storage.
void buildPaintPlan(const EditorState& s, const ViewMetrics& metrics, int kanji, PaintPlan& plan);
