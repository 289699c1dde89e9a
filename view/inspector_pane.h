// The data inspector pane beside the view, apart from its window: its width
// in the frame, where its rows and cells lie, the values it shows for the
// caret, and writing a typed value at the caret.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/platform.h"
#include "shell/editor_state.h"
#include "tools/inspect.h"
#include "view/pane_width.h"

// Pixels of the bar at the pane's left edge that is dragged to resize it.
constexpr int32_t kInspectorSplitter = kPaneSplitter;
// Character cells of the name column and of each value column.
constexpr int32_t kInspectorLabelChars = 10;
constexpr int32_t kInspectorValueChars = 24;

struct InspectorGeometry {
    int32_t rowHeight;   // one line and a pixel above and below
    int32_t labelLeft;   // the name column starts after the splitter
    int32_t littleLeft;  // the little-endian column (and the rows read one way)
    int32_t bigLeft;     // the big-endian column
    int32_t right;       // where the big-endian column ends
};
InspectorGeometry inspectorGeometry(int32_t charWidth, int32_t lineHeight);

// The width of a pane that shows both value columns whole.
int32_t defaultInspectorWidth(int32_t charWidth);

// Pixels the pane takes from a client container `containerWidth` wide
// (paneWidthIn with the default width).
int32_t inspectorPaneWidth(const InspectorPlacement& p, int32_t containerWidth, int32_t charWidth);

// Line 0 of the pane heads the columns; line 1 + r shows row r.
struct InspectorHit {
    enum Part { none, splitter, cell } part;
    InspectRow row;
    Endian side;  // little for the rows read one way
};
InspectorHit inspectorHitTest(const InspectorGeometry& g, int32_t x, int32_t y);

// Every row's values at the caret; [row][1] is the big-endian reading of the
// rows read both ways and equals [row][0] for the others. All empty (zero)
// without a document.
struct InspectorValues {
    InspectValue at[kInspectRowCount][2];
};
void inspectCaret(const EditorState& s, InspectorValues& out);

// Writes a typed value of `row` at the caret (a Shift-JIS character over the
// character the caret stands in) as typing its digits would, and reports a
// refusal once: 8003 for a text that is no value of the row or does not fit
// in it, IDS_ERR_PAST_END for bytes that would reach past the end of the
// document, then writeBytesAsTyped's message when the change list cannot
// take the records. A value that keeps some of its bytes (COLORREF typed as
// R, G, B) must still fit whole. 1 when written.
int writeInspectedValue(EditorState& s, InspectRow row, Endian side, std::string_view text, WindowRef owner);
