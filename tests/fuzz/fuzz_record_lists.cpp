// Random sequences of record-list operations against a plain reference
// model; any difference aborts.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "document/document.h"
#include "document/record_list.h"
#include "platform/platform_native.h"
#include "shell/editor_state.h"

namespace {

struct Ref {
    bool allocated = false;
    std::vector<NibbleRecord> records;
    int unsorted = 0;
};

struct Reference {
    Ref lists[2];  // change, mark
    Ref& of(RecordList l) { return lists[l == RecordList::Change ? 0 : 1]; }
};

[[noreturn]] void mismatch(const char* what, int step) {
    std::fprintf(stderr, "record lists: %s after step %d\n", what, step);
    std::abort();
}

void compare(const EditorState& s, Reference& ref, int step) {
    for (RecordList l : {RecordList::Change, RecordList::Mark}) {
        Ref& r = ref.of(l);
        NibbleRecord* const* slots = l == RecordList::Change ? s.changeList : s.markList;
        int32_t count = l == RecordList::Change ? s.changeCount : s.markCount;
        int32_t unsorted = l == RecordList::Change ? s.changeListUnsorted : s.markListUnsorted;
        if ((slots != nullptr) != r.allocated) mismatch("allocation", step);
        if (count != static_cast<int32_t>(r.records.size())) mismatch("count", step);
        if (unsorted != r.unsorted) mismatch("unsorted flag", step);
        if (slots == nullptr) continue;
        for (int i = 0; i < kRecordListSlots; ++i) {
            if (i >= count) {
                if (slots[i] != nullptr) mismatch("slot past the count in use", step);
                continue;
            }
            const NibbleRecord* a = slots[i];
            const NibbleRecord& b = r.records[i];
            if (a == nullptr || a->offset != b.offset || a->nibble != b.nibble || a->byteValue != b.byteValue)
                mismatch("record", step);
        }
    }
}

int refFind(const Ref& r, int32_t offset, int32_t nibble) {
    if (!r.allocated) return -1;
    for (size_t i = 0; i < r.records.size(); ++i)
        if (r.records[i].offset == offset && r.records[i].nibble == nibble) return static_cast<int>(i);
    return -1;
}

// Expected result of an add; counts the error box of a full list.
int refAdd(Ref& r, int32_t offset, int32_t nibble, uint8_t value, int& fullReports) {
    if (!r.allocated) return 0;
    if (r.records.size() >= static_cast<size_t>(kRecordListSlots)) {
        ++fullReports;
        return 0;
    }
    r.records.push_back({offset, nibble, value});
    r.unsorted = 1;
    return 1;
}

int errorCount() {
    int n = 0;
    for (const SeamEvent& e : nativeSeam().events) n += e.kind == SeamEvent::Error && e.errorCode == 14;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    resetNativeSeam();
    EditorState* s = allocateEditorState();
    uint8_t document[64];
    for (int i = 0; i < 64; ++i) document[i] = static_cast<uint8_t>(i * 7);
    s->documentBytes = document;
    s->documentSize = sizeof document;
    Reference ref;
    int fullReports = 0;

    for (int step = 0; in.remaining_bytes() > 0 && step < 5000; ++step) {
        const RecordList list = in.ConsumeBool() ? RecordList::Change : RecordList::Mark;
        Ref& r = ref.of(list);
        // Small offsets so that lookups hit existing records often.
        const int32_t offset = in.ConsumeIntegralInRange<int32_t>(-2, 70);
        const int32_t nibble = in.ConsumeIntegralInRange<int32_t>(0, 1);
        const uint8_t value = in.ConsumeIntegral<uint8_t>();
        switch (in.ConsumeIntegralInRange(0, 10)) {
            case 0:
                if (addRecord(*s, list, offset, nibble, value) != refAdd(r, offset, nibble, value, fullReports))
                    mismatch("add result", step);
                break;
            case 1: {  // many adds, to reach the capacity
                int n = in.ConsumeIntegralInRange(0, 2100);
                for (int i = 0; i < n; ++i)
                    if (addRecord(*s, list, 1000 + i, i & 1, value) != refAdd(r, 1000 + i, i & 1, value, fullReports))
                        mismatch("bulk add result", step);
                break;
            }
            case 2:
                if (findRecord(*s, list, offset, nibble) != refFind(r, offset, nibble)) mismatch("find", step);
                break;
            case 3: {
                int index = in.ConsumeIntegralInRange<int>(-2, static_cast<int>(r.records.size()) + 2);
                int want = r.allocated && index >= 0 && index < static_cast<int>(r.records.size());
                if (removeRecord(*s, list, index) != want) mismatch("remove result", step);
                if (want) {
                    r.records.erase(r.records.begin() + index);
                    r.unsorted = 1;
                }
                break;
            }
            case 4: {
                int want = r.allocated && !r.records.empty();
                if (sortRecords(*s, list) != want) mismatch("sort result", step);
                if (want) {
                    std::sort(r.records.begin(), r.records.end(), [](const NibbleRecord& a, const NibbleRecord& b) {
                        return a.offset != b.offset ? a.offset < b.offset : a.nibble < b.nibble;
                    });
                    r.unsorted = 0;
                }
                break;
            }
            case 5:
            case 6: {  // a change, with or without the question
                Ref& c = ref.of(RecordList::Change);
                const int confirm = in.ConsumeBool();
                const bool yes = in.ConsumeBool();
                int i = refFind(c, offset, nibble);
                int want;
                if (i == -1) {
                    want = refAdd(c, offset, nibble, value, fullReports);
                } else {
                    if (confirm) nativeSeam().answers.push_back(yes ? answerYes : answerNo);
                    want = !confirm || yes;
                    if (want) c.records[i].byteValue = value;
                }
                if (recordChange(*s, offset, nibble, value, confirm, nullptr) != want) mismatch("change result", step);
                if (!nativeSeam().answers.empty()) mismatch("question not asked", step);
                break;
            }
            case 7: {  // at the caret, on a byte of the document
                s->caretOffset = offset;
                s->caretNibble = nibble;
                bool onDocument = offset >= 0 && offset < 64;
                if (findRecordAtCaret(*s, list) != refFind(r, offset, nibble)) mismatch("find at caret", step);
                if (refFind(r, offset, nibble) == -1) {
                    int want = onDocument ? refAdd(r, offset, nibble, document[onDocument ? offset : 0], fullReports) : 0;
                    if (addRecordAtCaret(*s, list) != want) mismatch("add at caret", step);
                }
                break;
            }
            case 8: {
                const int release = in.ConsumeBool();
                clearChangeList(*s, release);
                Ref& c = ref.of(RecordList::Change);
                c.records.clear();
                c.unsorted = 0;
                if (release) c.allocated = false;
                break;
            }
            case 9:
                freeRecordLists(*s);
                ref = Reference{};
                break;
            default:
                if (resetDocumentModel(*s) != 1) mismatch("reset", step);
                ref = Reference{};
                ref.lists[0].allocated = ref.lists[1].allocated = true;
                break;
        }
        compare(*s, ref, step);
        if (errorCount() != fullReports) mismatch("error reports", step);
        if (nativeSeam().unexpectedQuestions != 0) mismatch("unexpected question", step);
    }
    freeRecordLists(*s);
    s->documentBytes = nullptr;
    freeEditorState(s);
    return 0;
}
