#include "document/save.h"

#include "document/record_list.h"
#include "document/undo.h"

int saveDocument(EditorState& s, WindowRef owner, const char* fileName) {
    if (!hasDocumentBuffer(s)) return 0;
    void* cursor = beginWaitCursor();
    // The seam refuses an empty name with the system's own error code.
    uint32_t error = writeFileReplacing(fileName != nullptr ? fileName : "", s.documentBytes, s.documentSize);
    if (error != 0) {
        showErrorCode(owner, error);
        endWaitCursor(cursor);
        return 0;
    }
    clearChangeList(s, 0);
    noteDocumentSaved(s);
    s.modified = 0;
    s.lengthChanged = 0;
    s.earlierChangeDropped = 0;
    endWaitCursor(cursor);
    return 1;
}
