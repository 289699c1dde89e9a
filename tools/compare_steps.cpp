#include "tools/compare_steps.h"

bool stepToDifference(EditorState& s, bool forward, DifferenceStep& out) {
    if (!isDocumentLoaded(s) || s.compareRows == nullptr || s.caretOffset < 0) return false;
    const std::vector<uint32_t>& offsets = s.compareRows->offsets;
    if (!nextDifference(offsets, static_cast<uint32_t>(s.caretOffset), forward, out)) return false;
    // Insertions and deletions drop the differences, so they stay inside the document.
    if (offsets[out.index] >= s.documentSize) return false;
    s.caretOffset = static_cast<int32_t>(offsets[out.index]);
    s.caretNibble = 0;
    s.differencesOutlined = 1;
    return true;
}
