#include "document/record_list.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <new>

#include "document/unlimited_edit.h"
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

int32_t clampedCount(size_t n) {
    return static_cast<int32_t>(std::min<size_t>(n, std::numeric_limits<int32_t>::max()));
}

}  // namespace

void syncRecordCounts(EditorState& s) {
    if (s.unlimitedEdit == nullptr) return;
    s.changeCount = clampedCount(s.unlimitedEdit->changes.size());
    s.markCount = clampedCount(s.unlimitedEdit->marks.size());
    s.changeListUnsorted = 0;
    s.markListUnsorted = 0;
}

int32_t recordCount(const EditorState& s, RecordList list) {
    if (s.unlimitedEdit != nullptr) return clampedCount(storeOf(*s.unlimitedEdit, list).size());
    return slotsOf(s, list) == nullptr ? 0 : countOf(s, list);
}

NibbleRecord recordAt(const EditorState& s, RecordList list, int32_t index) {
    if (s.unlimitedEdit != nullptr) {
        const RecordStore& store = storeOf(*s.unlimitedEdit, list);
        if (index < 0 || static_cast<size_t>(index) >= store.size()) return {-1, 0, 0};
        return RecordStore::unpack(store.at(static_cast<size_t>(index)));
    }
    NibbleRecord* const* slots = slotsOf(s, list);
    if (slots == nullptr || index < 0 || index >= countOf(s, list) || slots[index] == nullptr) return {-1, 0, 0};
    return *slots[index];
}

void recordsInRange(const EditorState& s, RecordList list, int64_t from, int64_t to, std::vector<NibbleRecord>& out) {
    if (s.unlimitedEdit != nullptr) {
        if (to <= from || to <= 0) return;
        std::vector<RecordStore::Packed> found;
        storeOf(*s.unlimitedEdit, list)
            .copyRange(RecordStore::keyOf(std::max<int64_t>(from, 0), 0), RecordStore::keyOf(to, 0), found);
        out.reserve(out.size() + found.size());
        for (RecordStore::Packed p : found) out.push_back(RecordStore::unpack(p));
        return;
    }
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
    if (s.unlimitedEdit != nullptr) return std::numeric_limits<int64_t>::max();
    return slotsOf(s, list) == nullptr ? 0 : kRecordListSlots - countOf(s, list);
}

int addRecord(EditorState& s, RecordList list, int32_t offset, int32_t nibble, uint8_t byteValue) {
    if (s.unlimitedEdit != nullptr) {
        if (offset < 0) return 0;
        try {
            storeOf(*s.unlimitedEdit, list).assign(RecordStore::keyOf(offset, nibble), byteValue);
        } catch (const std::bad_alloc&) {
            return 0;
        }
        syncRecordCounts(s);
        return 1;
    }
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
    if (s.unlimitedEdit != nullptr) {
        if (offset < 0 || nibble < 0 || nibble > 1) return -1;
        return static_cast<int>(storeOf(*s.unlimitedEdit, list).find(RecordStore::keyOf(offset, nibble)));
    }
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
    if (s.unlimitedEdit != nullptr) {
        RecordStore& store = storeOf(*s.unlimitedEdit, list);
        if (index < 0 || static_cast<size_t>(index) >= store.size()) return 0;
        store.eraseAt(static_cast<size_t>(index));
        syncRecordCounts(s);
        return 1;
    }
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
    if (s.unlimitedEdit != nullptr) {
        size_t removed = 0;
        try {
            removed = storeOf(*s.unlimitedEdit, list).eraseFlagged(remove);
        } catch (const std::bad_alloc&) {
            return 0;
        }
        syncRecordCounts(s);
        return clampedCount(removed);
    }
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
    if (s.unlimitedEdit != nullptr) return storeOf(*s.unlimitedEdit, list).empty() ? 0 : 1;  // always in key order
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
    // Replacing a saved nibble by a different one forgets the value it had
    // before, which may be the file's.
    const unsigned shift = nibble == 1 ? 0 : 4;
    auto forgets = [&](uint8_t saved) { return ((saved >> shift) & 0x0F) != ((byteBefore >> shift) & 0x0F); };
    if (s.unlimitedEdit != nullptr) {
        RecordStore& store = s.unlimitedEdit->changes;
        if (forgets(RecordStore::unpack(store.at(static_cast<size_t>(i))).byteValue)) s.earlierChangeDropped = 1;
        store.setValueAt(static_cast<size_t>(i), byteBefore);
        return 1;
    }
    if (s.changeList == nullptr || s.changeList[i] == nullptr) return 0;
    NibbleRecord& record = *s.changeList[i];
    if (forgets(record.byteValue)) s.earlierChangeDropped = 1;
    record.byteValue = byteBefore;
    return 1;
}

int recordChangeAtCaret(EditorState& s, int confirm, WindowRef owner) {
    if (!caretOnDocument(s)) return 0;
    return recordChange(s, s.caretOffset, s.caretNibble, s.documentBytes[s.caretOffset], confirm, owner);
}

void clearChangeList(EditorState& s, int releaseSlots) {
    if (s.unlimitedEdit != nullptr) s.unlimitedEdit->changes.clear();
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
    if (s.unlimitedEdit != nullptr) s.unlimitedEdit->marks.clear();
    if (s.markList != nullptr) {
        for (int i = 0; i < kRecordListSlots; ++i) std::free(s.markList[i]);
        std::free(s.markList);
        s.markList = nullptr;
    }
    s.markCount = 0;
    s.markListUnsorted = 0;
    clearChangeList(s, 1);
}
