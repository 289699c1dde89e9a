// The width of a pane beside the view, apart from its window: what a shown
// pane takes from the client container, and what dragging its splitter makes of it.
#pragma once

#include <cstdint>

#include "shell/editor_state.h"

// Pixels of the bar at a pane's left edge that is dragged to resize it.
constexpr int32_t kPaneSplitter = 5;

// Pixels a pane takes from a client container `containerWidth` wide: 0
// while hidden; else the stored width, or without one `defaultWidth` as far
// as the view keeps its whole rows beside it; always between the splitter and
// a width that leaves the view 20 character cells.
int32_t paneWidthIn(const PanePlacement& p, int32_t containerWidth, int32_t charWidth, int32_t defaultWidth);

// The stored width after the splitter was dragged by `dx` pixels from a pane
// `startWidth` wide (dragging left widens the pane).
int32_t draggedPaneWidth(int32_t startWidth, int32_t dx, int32_t containerWidth, int32_t charWidth);
