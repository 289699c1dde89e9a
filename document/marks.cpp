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
    const int32_t n = recordCount(s, RecordList::Mark);
    if (!isDocumentLoaded(s) || n <= 0) return 0;
    if (s.markListUnsorted != 0) sortRecords(s, RecordList::Mark);
    // The first mark past the caret's byte, in key order; else the first of all.
    int32_t lo = 0, hi = n;
    while (lo < hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        if (recordAt(s, RecordList::Mark, mid).offset > s.caretOffset)
            hi = mid;
        else
            lo = mid + 1;
    }
    const NibbleRecord target = recordAt(s, RecordList::Mark, lo < n ? lo : 0);
    if (target.offset < 0) return 0;
    s.caretOffset = target.offset;
    s.caretNibble = target.nibble;
    return 1;
}
