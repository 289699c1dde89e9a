// Bookmarks on nibble positions.
#pragma once

#include "shell/editor_state.h"

// Sets a mark on the caret's nibble, or clears the one there. 0 without a
// document, else 1 (also when the full mark list refused a new mark).
int toggleMark(EditorState& s);

// Moves the caret to the first mark at a byte offset above the caret's,
// wrapping to the lowest mark. 1 when the caret was placed; the caller brings
// it into view.
int gotoNextMark(EditorState& s);
