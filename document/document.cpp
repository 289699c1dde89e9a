#include "document/document.h"

#include <algorithm>
#include <cstdlib>

#include "document/record_list.h"
#include "document/undo.h"

int resetDocumentModel(EditorState& s) {
    ++s.bytesVersion;
    freeRecordLists(s);
    dropCompareRows(s);
    s.selectionAnchorByte = -1;
    s.selectionEndByte = -1;
    if (s.unlimitedEdit != nullptr) {
        // The stores stay (emptied); a load starts a new history.
        clearUndoHistory(s);
    } else {
        s.markList = static_cast<NibbleRecord**>(std::calloc(kRecordListSlots, sizeof(NibbleRecord*)));
        s.changeList = static_cast<NibbleRecord**>(std::calloc(kRecordListSlots, sizeof(NibbleRecord*)));
        if (s.markList == nullptr || s.changeList == nullptr) return 0;
    }

    s.rowCount = rowsForSize(s.documentSize);
    s.visibleRows = 0;
    s.topRow = 0;
    s.modified = 0;
    s.lengthChanged = 0;
    s.earlierChangeDropped = 0;
    s.caretOffset = 0;
    s.caretNibble = 0;
    s.caretInText = 0;
    s.pendingTextLead = 0;

    s.selectionTrackRow = -1;
    s.dragStartY = -1;
    s.selectionEndRow = -1;
    s.selectionAnchorRow = -1;
    s.keySelecting = 0;
    s.foundOffset = -1;

    s.scrollMax = std::clamp(s.rowCount - 1, 1, 65535);
    return 1;
}

int32_t scrollRangeMaximum(const EditorState& s) {
    if (s.visibleRows > s.scrollMax) return 0;
    return s.scrollMax + s.visibleRows - 1;
}
