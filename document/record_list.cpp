#include "document/record_list.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "resource_ids.h"

namespace {

constexpr uint32_t kListFullError = 14;  // ERROR_OUTOFMEMORY: the fixed capacity is used up

struct ListFields {
    NibbleRecord**& slots;
    int32_t& count;
    int32_t& unsorted;
};

ListFields fields(EditorState& s, RecordList list) {
    if (list == RecordList::Change) return {s.changeList, s.changeCount, s.changeListUnsorted};
    return {s.markList, s.markCount, s.markListUnsorted};
}

NibbleRecord* const* slotsOf(const EditorState& s, RecordList list) {
    return list == RecordList::Change ? s.changeList : s.markList;
}

int32_t countOf(const EditorState& s, RecordList list) {
    int32_t n = list == RecordList::Change ? s.changeCount : s.markCount;
    return std::clamp(n, 0, kRecordListSlots);
}

}  // namespace

int32_t recordCount(const EditorState& s, RecordList list) {
    return slotsOf(s, list) == nullptr ? 0 : countOf(s, list);
}

NibbleRecord recordAt(const EditorState& s, RecordList list, int32_t index) {
    NibbleRecord* const* slots = slotsOf(s, list);
    if (slots == nullptr || index < 0 || index >= countOf(s, list) || slots[index] == nullptr) return {-1, 0, 0};
    return *slots[index];
}

void recordsInRange(const EditorState& s, RecordList list, int64_t from, int64_t to, std::vector<NibbleRecord>& out) {
    NibbleRecord* const* slots = slotsOf(s, list);
    if (slots == nullptr) return;
    const size_t first = out.size();
    const int32_t n = countOf(s, list);
    for (int32_t i = 0; i < n; ++i) {
        const NibbleRecord* r = slots[i];
        if (r != nullptr && r->offset >= from && r->offset < to) out.push_back(*r);
    }
    std::sort(out.begin() + static_cast<std::ptrdiff_t>(first), out.end(), [](const NibbleRecord& a, const NibbleRecord& b) {
        return a.offset != b.offset ? a.offset < b.offset : a.nibble < b.nibble;
    });
}

int64_t recordRoom(const EditorState& s, RecordList list) {
    return slotsOf(s, list) == nullptr ? 0 : kRecordListSlots - countOf(s, list);
}

int addRecord(EditorState& s, RecordList list, int32_t offset, int32_t nibble, uint8_t byteValue) {
    ListFields f = fields(s, list);
    if (f.slots == nullptr) return 0;
    if (f.count >= kRecordListSlots) {
        showErrorCode(mainWindowRef(), kListFullError);
        return 0;
    }
    auto* record = static_cast<NibbleRecord*>(std::calloc(1, sizeof(NibbleRecord)));
    if (record == nullptr) return 0;
    record->offset = offset;
    record->nibble = nibble;
    record->byteValue = byteValue;
    f.slots[f.count] = record;
    ++f.count;
    f.unsorted = 1;
    return 1;
}

int findRecord(const EditorState& s, RecordList list, int32_t offset, int32_t nibble) {
    NibbleRecord* const* slots = slotsOf(s, list);
    if (slots == nullptr) return -1;
    int32_t n = countOf(s, list);
    for (int32_t i = 0; i < n; ++i) {
        const NibbleRecord* r = slots[i];
        if (r != nullptr && r->offset == offset && r->nibble == nibble) return i;
    }
    return -1;
}

int findRecordAtCaret(const EditorState& s, RecordList list) {
    return findRecord(s, list, s.caretOffset, s.caretNibble);
}

int addRecordAtCaret(EditorState& s, RecordList list) {
    if (!caretOnDocument(s)) return 0;
    return addRecord(s, list, s.caretOffset, s.caretNibble, s.documentBytes[s.caretOffset]);
}

int removeRecord(EditorState& s, RecordList list, int index) {
    ListFields f = fields(s, list);
    if (f.slots == nullptr) return 0;
    int32_t n = std::clamp(f.count, 0, kRecordListSlots);
    // An index outside the used slots would free a stranger's slot or shrink
    // the count below the records that remain.
    if (index < 0 || index >= n) return 0;
    std::free(f.slots[index]);
    for (int32_t i = index; i + 1 < n; ++i) f.slots[i] = f.slots[i + 1];
    f.slots[n - 1] = nullptr;
    f.count = n - 1;
    f.unsorted = 1;
    return 1;
}

int removeRecords(EditorState& s, RecordList list, const std::vector<bool>& remove) {
    ListFields f = fields(s, list);
    if (f.slots == nullptr) return 0;
    const int32_t n = std::clamp(f.count, 0, kRecordListSlots);
    int32_t kept = 0;
    for (int32_t i = 0; i < n; ++i) {
        if (static_cast<size_t>(i) < remove.size() && remove[static_cast<size_t>(i)]) {
            std::free(f.slots[i]);
            continue;
        }
        f.slots[kept++] = f.slots[i];
    }
    for (int32_t i = kept; i < n; ++i) f.slots[i] = nullptr;
    if (kept != n) {
        f.count = kept;
        f.unsorted = 1;
    }
    return n - kept;
}

int sortRecords(EditorState& s, RecordList list) {
    ListFields f = fields(s, list);
    int32_t n = std::clamp(f.count, 0, kRecordListSlots);
    if (f.slots == nullptr || n == 0) return 0;
    std::sort(f.slots, f.slots + n, [](const NibbleRecord* a, const NibbleRecord* b) {
        if (a == nullptr || b == nullptr) return a != nullptr && b == nullptr;  // empty slots last
        if (a->offset != b->offset) return a->offset < b->offset;
        return a->nibble < b->nibble;
    });
    f.unsorted = 0;
    return 1;
}

int confirmOverwrite(WindowRef owner, int32_t offset) {
    char format[256];
    char text[320];
    loadText(IDS_ASK_OVERWRITE, format, sizeof format);
    std::snprintf(text, sizeof text, format, static_cast<unsigned>(offset));
    return askQuestion(owner, text, questionYesNo) == answerYes ? 1 : 0;
}

int recordChange(EditorState& s, int32_t offset, int32_t nibble, uint8_t byteBefore, int confirm,
                 WindowRef owner) {
    ++s.bytesVersion;  // every change of a byte in place is recorded first
    int i = findRecord(s, RecordList::Change, offset, nibble);
    if (i == -1) return addRecord(s, RecordList::Change, offset, nibble, byteBefore);
    if (confirm != 0 && confirmOverwrite(owner, offset) == 0) return 0;
    if (s.changeList == nullptr || s.changeList[i] == nullptr) return 0;
    NibbleRecord& record = *s.changeList[i];
    // Replacing a saved nibble by a different one forgets the value it had
    // before, which may be the file's.
    const unsigned shift = nibble == 1 ? 0 : 4;
    if (((record.byteValue >> shift) & 0x0F) != ((byteBefore >> shift) & 0x0F)) s.earlierChangeDropped = 1;
    record.byteValue = byteBefore;
    return 1;
}

int recordChangeAtCaret(EditorState& s, int confirm, WindowRef owner) {
    if (!caretOnDocument(s)) return 0;
    return recordChange(s, s.caretOffset, s.caretNibble, s.documentBytes[s.caretOffset], confirm, owner);
}

void clearChangeList(EditorState& s, int releaseSlots) {
    if (s.changeList != nullptr) {
        for (int i = 0; i < kRecordListSlots; ++i) {
            std::free(s.changeList[i]);
            s.changeList[i] = nullptr;
        }
    }
    s.changeCount = 0;
    s.changeListUnsorted = 0;
    if (releaseSlots != 0) {
        std::free(s.changeList);
        s.changeList = nullptr;
    }
}

void freeRecordLists(EditorState& s) {
    if (s.markList != nullptr) {
        for (int i = 0; i < kRecordListSlots; ++i) std::free(s.markList[i]);
        std::free(s.markList);
        s.markList = nullptr;
    }
    s.markCount = 0;
    s.markListUnsorted = 0;
    clearChangeList(s, 1);
}
