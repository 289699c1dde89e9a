// Stepping through the differences the last compare left in the state
// (EditorState::compareRows), with F6 and Shift+F6.
#pragma once

#include "shell/editor_state.h"
#include "tools/compare.h"

// Puts the caret on the high nibble of the next or previous difference, and
// from then on the view outlines the differences. False, with nothing
// changed, without a document or differences.
bool stepToDifference(EditorState& s, bool forward, DifferenceStep& out);
