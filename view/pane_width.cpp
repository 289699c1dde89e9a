#include "view/pane_width.h"

#include <algorithm>

namespace {

// Room the view keeps beside a pane, in character cells.
constexpr int32_t kViewMinimumChars = 20;
// Without a stored width the pane leaves the view its whole rows (78
// characters and about two for the scroll bar), down to this many cells.
constexpr int32_t kViewRowChars = 80;
constexpr int32_t kDefaultMinimumChars = 36;

int32_t widest(int32_t containerWidth, int32_t charWidth) {
    return std::max(kPaneSplitter, containerWidth - kViewMinimumChars * charWidth);
}

}  // namespace

int32_t paneWidthIn(const PanePlacement& p, int32_t containerWidth, int32_t charWidth, int32_t defaultWidth) {
    if (p.shown == 0) return 0;
    const int32_t roomBesideRows =
        std::max(kDefaultMinimumChars * charWidth, containerWidth - kViewRowChars * charWidth);
    const int32_t wanted = p.width > 0 ? p.width : std::min(defaultWidth, roomBesideRows);
    return std::clamp(wanted, kPaneSplitter, widest(containerWidth, charWidth));
}

int32_t draggedPaneWidth(int32_t startWidth, int32_t dx, int32_t containerWidth, int32_t charWidth) {
    const int64_t width = int64_t{startWidth} - dx;
    return static_cast<int32_t>(std::clamp<int64_t>(width, kPaneSplitter, widest(containerWidth, charWidth)));
}
