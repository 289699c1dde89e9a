#include "document/marks.h"

#include "document/record_list.h"

int toggleMark(EditorState& s) {
    if (!isDocumentLoaded(s)) return 0;
    int i = findRecordAtCaret(s, RecordList::Mark);
    if (i != -1)
        removeRecord(s, RecordList::Mark, i);
    else
        addRecordAtCaret(s, RecordList::Mark);
    return 1;
}

int gotoNextMark(EditorState& s) {
    if (!isDocumentLoaded(s) || s.markCount <= 0 || s.markList == nullptr) return 0;
    if (s.markListUnsorted != 0) sortRecords(s, RecordList::Mark);
    const NibbleRecord* target = nullptr;
    for (int32_t i = 0; i < s.markCount && i < kRecordListSlots; ++i) {
        const NibbleRecord* r = s.markList[i];
        if (r != nullptr && r->offset > s.caretOffset) {
            target = r;
            break;
        }
    }
    if (target == nullptr) target = s.markList[0];
    if (target == nullptr) return 0;
    s.caretOffset = target->offset;
    s.caretNibble = target->nibble;
    return 1;
}
