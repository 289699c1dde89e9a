// The model side of the document reset that follows every load, insertion
// and deletion.
#pragma once

#include <cstdint>

#include "shell/editor_state.h"

// Empties both record lists (fresh slot arrays), recomputes rowCount, puts the
// caret on offset 0, clears modified, the selection and the search hit, and
// sets scrollMax. visibleRows is left 0 for the window side to measure.
// Returns 0 when a slot array cannot be allocated: both lists are then empty,
// a list without slots refuses every add, and the other fields are untouched.
int resetDocumentModel(EditorState& s);

// The maximum of the view's vertical scroll range for scrollMax and visibleRows.
int32_t scrollRangeMaximum(const EditorState& s);

// Rows of 16 bytes for a document of `size` bytes.
inline int32_t rowsForSize(uint32_t size) {
    return static_cast<int32_t>((static_cast<uint64_t>(size) + 15) >> 4);
}
