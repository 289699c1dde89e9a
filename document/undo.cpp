#include "document/undo.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "document/document.h"
#include "document/edit.h"
#include "document/record_list.h"
#include "document/unlimited_edit.h"
#include "resource_ids.h"

namespace {

using Packed = RecordStore::Packed;

constexpr int64_t kMinimumGrowth = 64 * 1024;

int64_t allocationsBeforeFailure = -1;

// Every place that takes memory for the history or the buffer asks here
// first, so that a test can make the Nth of them fail.
void allocating() {
    if (allocationsBeforeFailure < 0) return;
    if (allocationsBeforeFailure == 0) {
        allocationsBeforeFailure = -1;
        throw std::bad_alloc();
    }
    --allocationsBeforeFailure;
}

uint32_t marksOf(const EditPiece& p) { return p.marks == kNoMarks ? 0 : p.marks; }

constexpr uint64_t keyAt(int64_t offset) { return RecordStore::keyOf(offset, 0); }

// Adds `delta` key steps to a packed record's key.
constexpr Packed moved(Packed p, int64_t delta) { return p + (static_cast<Packed>(delta) << 8); }

EditPlace placeOf(const EditorState& s) {
    return {s.caretOffset,
            s.selectionAnchorByte,
            s.selectionEndByte,
            static_cast<uint8_t>(s.caretNibble),
            static_cast<uint8_t>(s.caretInText),
            static_cast<uint8_t>(s.lengthChanged),
            static_cast<uint8_t>(s.earlierChangeDropped)};
}

uint8_t flagsOf(const EditPlace& p) {
    return static_cast<uint8_t>((p.caretNibble != 0 ? kCaretNibble : 0) | (p.caretInText != 0 ? kCaretInText : 0) |
                                (p.lengthChanged != 0 ? kLengthChanged : 0) |
                                (p.earlierChangeDropped != 0 ? kEarlierChangeDropped : 0));
}

EditPlace placeFrom(int32_t caret, uint8_t flags, int32_t anchor, int32_t end) {
    return {caret,
            anchor,
            end,
            static_cast<uint8_t>((flags & kCaretNibble) != 0),
            static_cast<uint8_t>((flags & kCaretInText) != 0),
            static_cast<uint8_t>((flags & kLengthChanged) != 0),
            static_cast<uint8_t>((flags & kEarlierChangeDropped) != 0)};
}

bool hasSelection(const EditPlace& p) { return p.selectionAnchorByte != -1 || p.selectionEndByte != -1; }

constexpr EditSelections kNoSelections{-1, -1, -1, -1};

// The newest step's selections.
EditSelections selectionsOf(const StepStack& st) {
    return st.steps.back().hasSelections != 0 ? st.selections.back() : kNoSelections;
}

EditPlace placeBefore(const EditStepHead& h, const EditSelections& sel) {
    return placeFrom(h.caretBefore, h.flagsBefore, sel.anchorBefore, sel.endBefore);
}

EditPlace placeAfter(const EditStepHead& h, const EditSelections& sel) {
    return placeFrom(h.caretAfter, h.flagsAfter, sel.anchorAfter, sel.endAfter);
}

void restorePlace(EditorState& s, const EditPlace& p) {
    s.caretOffset = p.caretOffset;
    s.caretNibble = p.caretNibble;
    s.caretInText = p.caretInText;
    s.pendingTextLead = 0;
    s.selectionAnchorByte = p.selectionAnchorByte;
    s.selectionEndByte = p.selectionEndByte;
    const bool selected = p.selectionAnchorByte >= 0 && p.selectionEndByte >= 0;
    s.selectionAnchorRow = selected ? p.selectionAnchorByte / 16 : -1;
    s.selectionEndRow = selected ? p.selectionEndByte / 16 : -1;
    s.selectionTrackRow = -1;
    s.keySelecting = 0;
    s.lengthChanged = p.lengthChanged;
    s.earlierChangeDropped = p.earlierChangeDropped;
    s.foundOffset = -1;
}

// The document's rows after its length changed.
void settleRows(EditorState& s) {
    s.rowCount = rowsForSize(s.documentSize);
    s.scrollMax = std::clamp(s.rowCount - 1, 1, 65535);
    if (s.topRow >= s.rowCount) s.topRow = std::max(s.rowCount - 1, 0);
}

void settleModified(EditorState& s) {
    UnlimitedEdit& u = *s.unlimitedEdit;
    const int64_t position = static_cast<int64_t>(u.undo.steps.size());
    const bool equal = position == u.savedPosition ||
                       std::binary_search(u.equalPositions.begin(), u.equalPositions.end(), position);
    s.modified = equal ? 0 : 1;
    if (equal) {
        s.lengthChanged = 0;
        s.earlierChangeDropped = 0;
    }
}

// Grows the buffer so that `growth` more bytes fit; throws std::bad_alloc
// (nothing changed) when memory runs out.
void ensureRoom(EditorState& s, int64_t growth) {
    if (growth <= static_cast<int64_t>(s.spareCapacity)) return;
    allocating();
    const int64_t size = s.documentSize;
    const int64_t limit = int64_t{kMaxDocumentSize} + kSpareBytes;
    const int64_t capacity = std::min(limit, size + std::max({size / 8, kMinimumGrowth, growth}));
    if (capacity < size + growth) throw std::bad_alloc();
    void* grown = std::realloc(s.documentBytes, static_cast<size_t>(capacity));
    if (grown == nullptr) throw std::bad_alloc();
    s.documentBytes = static_cast<uint8_t*>(grown);
    s.spareCapacity = static_cast<uint32_t>(capacity - size);
}

// ---- inserted spans

// Index of the first span ending after `offset`.
size_t firstSpanAfter(const std::vector<ByteSpan>& spans, int64_t offset) {
    return static_cast<size_t>(
        std::upper_bound(spans.begin(), spans.end(), offset, [](int64_t o, const ByteSpan& b) { return o < b.end; }) -
        spans.begin());
}

// Replaces the spans of [o, o + removed) by `given` (relative to o, sorted),
// moving those after by added - removed; touching spans merge.
void replaceSpans(std::vector<ByteSpan>& spans, int64_t o, int64_t removed, int64_t added, const ByteSpan* given,
                  size_t count) {
    const int64_t end = o + removed, delta = added - removed;
    const size_t first = firstSpanAfter(spans, o);
    if (first == spans.size() && count == 0) return;
    // Bytes changed in place where no span lies: nothing to move (a step of
    // many places must not copy the spans once a place).
    if (delta == 0 && count == 0 && spans[first].begin >= end) return;
    std::vector<ByteSpan> result;
    result.reserve(spans.size() + count + 1);
    auto put = [&result](ByteSpan b) {
        if (b.begin >= b.end) return;
        if (!result.empty() && result.back().end >= b.begin) {
            result.back().end = std::max(result.back().end, b.end);
            return;
        }
        result.push_back(b);
    };
    result.assign(spans.begin(), spans.begin() + static_cast<std::ptrdiff_t>(first));
    size_t i = first;
    std::vector<ByteSpan> tail;
    for (; i < spans.size() && spans[i].begin < end; ++i) {
        put({spans[i].begin, std::min(spans[i].end, o)});
        if (spans[i].end > end) tail.push_back({end + delta, spans[i].end + delta});
    }
    for (size_t k = 0; k < count; ++k) put({given[k].begin + o, given[k].end + o});
    for (const ByteSpan& b : tail) put(b);
    for (; i < spans.size(); ++i) put({spans[i].begin + delta, spans[i].end + delta});
    spans.swap(result);
}

// ---- the content of a range

struct PoolSizes {
    size_t bytes, changes, marks, spans;
};

PoolSizes sizesOf(const StepStack& st) {
    return {st.bytes.size(), st.changes.size(), st.marks.size(), st.spans.size()};
}

void truncate(StepStack& st, const PoolSizes& z) {
    st.bytes.resize(z.bytes);
    st.changes.resize(z.changes);
    st.marks.resize(z.marks);
    st.spans.resize(z.spans);
}

// Appends the content of the document's [o, o + len) to the pools, keys and
// spans relative to `base` (a document offset); adds the counts to `piece`.
// Throws std::bad_alloc with the pools as they were.
void keepContent(StepStack& st, const EditorState& s, int64_t o, int64_t len, int64_t base, EditPiece& piece) {
    const UnlimitedEdit& u = *s.unlimitedEdit;
    const PoolSizes before = sizesOf(st);
    try {
        allocating();
        st.bytes.insert(st.bytes.end(), s.documentBytes + o, s.documentBytes + o + len);
        u.changes.copyRange(keyAt(o), keyAt(o + len), st.changes);
        if (piece.marks != kNoMarks) u.marks.copyRange(keyAt(o), keyAt(o + len), st.marks);
        for (size_t i = firstSpanAfter(u.inserted, o); i < u.inserted.size() && u.inserted[i].begin < o + len; ++i)
            st.spans.push_back({std::max(u.inserted[i].begin, o) - base, std::min(u.inserted[i].end, o + len) - base});
    } catch (...) {
        truncate(st, before);
        throw;
    }
    for (size_t i = before.changes; i < st.changes.size(); ++i) st.changes[i] = moved(st.changes[i], -2 * base);
    for (size_t i = before.marks; i < st.marks.size(); ++i) st.marks[i] = moved(st.marks[i], -2 * base);
    piece.changes += static_cast<uint32_t>(st.changes.size() - before.changes);
    if (piece.marks != kNoMarks) piece.marks += static_cast<uint32_t>(st.marks.size() - before.marks);
    piece.spans += static_cast<uint32_t>(st.spans.size() - before.spans);
}

// What goes into a range: bytes, and records, marks and spans relative to
// the range's start (the records may be rewritten in place).
struct Content {
    const uint8_t* bytes;
    int64_t length;
    Packed* changes;
    size_t changeCount;
    Packed* marks;
    size_t markCount;
    const ByteSpan* spans;
    size_t spanCount;
    bool marksStay;  // bytes changed in place: the marks of the range stay
};

// Replaces the document's [o, o + removed) and everything of those bytes by
// `c`; what lies after moves with its bytes. Throws std::bad_alloc before
// anything changed when the buffer cannot grow.
void replaceRange(EditorState& s, int64_t o, int64_t removed, const Content& c) {
    UnlimitedEdit& u = *s.unlimitedEdit;
    const int64_t delta = c.length - removed;
    ensureRoom(s, delta);
    uint8_t* bytes = s.documentBytes;
    if (delta != 0) {
        std::memmove(bytes + o + c.length, bytes + o + removed, static_cast<size_t>(s.documentSize - o - removed));
        s.documentSize = static_cast<uint32_t>(s.documentSize + delta);
        s.spareCapacity = static_cast<uint32_t>(s.spareCapacity - delta);
    }
    if (c.length > 0) std::memcpy(bytes + o, c.bytes, static_cast<size_t>(c.length));

    RecordStore* stores[] = {&u.changes, &u.marks};
    Packed* runs[] = {c.changes, c.marks};
    const size_t counts[] = {c.changeCount, c.markCount};
    for (int k = 0; k < 2; ++k) {
        if (k == 1 && c.marksStay) continue;
        RecordStore& store = *stores[k];
        store.eraseIndexes(store.lowerIndex(keyAt(o)), store.lowerIndex(keyAt(o + removed)));
        store.shiftKeys(keyAt(o + removed), 2 * delta);
        for (size_t i = 0; i < counts[k]; ++i) runs[k][i] = moved(runs[k][i], 2 * o);
        store.insertRun(runs[k], counts[k]);
    }
    replaceSpans(u.inserted, o, removed, c.length, c.spans, c.spanCount);
    ++s.bytesVersion;
    if (delta != 0) {
        dropCompareRows(s);
        settleRows(s);
    }
}

// Takes the newest piece off `from`, puts its content into the document and
// the document's content of that range onto `to` as a piece.
void swapPiece(EditorState& s, StepStack& from, StepStack* to) {
    const EditPiece p = from.topPiece();
    if (to != nullptr) {
        EditPiece q{p.offset, p.storedLength, p.currentLength, 0, p.marks == kNoMarks ? kNoMarks : 0, 0};
        const PoolSizes before = sizesOf(*to);
        allocating();
        to->reservePiece();
        keepContent(*to, s, p.offset, p.currentLength, p.offset, q);
        to->pushPiece(q);
        try {
            // The buffer first: nothing else changes when it cannot grow.
            ensureRoom(s, int64_t{p.storedLength} - p.currentLength);
        } catch (...) {
            to->popPiece();
            truncate(*to, before);
            throw;
        }
    }
    const PoolSizes z = sizesOf(from);
    Content c{from.bytes.data() + z.bytes - p.storedLength,
              p.storedLength,
              from.changes.data() + z.changes - p.changes,
              p.changes,
              p.marks == kNoMarks ? nullptr : from.marks.data() + z.marks - p.marks,
              marksOf(p),
              from.spans.data() + z.spans - p.spans,
              p.spans,
              p.marks == kNoMarks};
    replaceRange(s, p.offset, p.currentLength, c);
    truncate(from, {z.bytes - p.storedLength, z.changes - p.changes, z.marks - marksOf(p), z.spans - p.spans});
    from.popPiece();
}

void dropNewestStep(StepStack& st) {
    const EditStepHead head = st.steps.back();
    PoolSizes z = sizesOf(st);
    for (uint32_t k = 0; k < head.pieces; ++k) {
        const EditPiece p = st.topPiece();
        z.bytes -= static_cast<size_t>(p.storedLength);
        z.changes -= p.changes;
        z.marks -= marksOf(p);
        z.spans -= p.spans;
        st.popPiece();
    }
    truncate(st, z);
    if (head.hasSelections != 0) st.selections.pop_back();
    st.steps.pop_back();
}

// Undoes the pieces the open command added and drops them; a step left
// without pieces goes.
void rollBackCommand(EditorState& s) {
    UnlimitedEdit& u = *s.unlimitedEdit;
    if (!u.stepOpen || u.undo.steps.empty()) return;
    EditStepHead& head = u.undo.steps.back();
    try {
        while (head.pieces > u.commandPieces) {
            swapPiece(s, u.undo, nullptr);
            --head.pieces;
        }
    } catch (const std::bad_alloc&) {
        // Putting back what was taken out needs no new room; a record store
        // that cannot split a chunk leaves the rest as it is.
    }
    if (head.pieces == 0) dropNewestStep(u.undo);
    u.stepOpen = false;
    u.typedRunOpen = false;
    u.openDepth = 0;
    u.rolledBack = true;
    syncRecordCounts(s);
    settleModified(s);
}

// Whether the open step's pieces hold what the document holds now (the
// command changed nothing); only steps small enough to compare quickly.
bool stepChangedNothing(const EditorState& s) {
    const UnlimitedEdit& u = *s.unlimitedEdit;
    const EditStepHead& head = u.undo.steps.back();
    size_t b = u.undo.bytes.size(), c = u.undo.changes.size(), m = u.undo.marks.size(), sp = u.undo.spans.size();
    size_t piece = u.undo.pieces.size(), extent = u.undo.extents.size();
    for (uint32_t left = head.pieces; left > 0; --left) {
        const EditPiece p = u.undo.pieceBelow(piece, extent);
        if (p.currentLength != p.storedLength || b - p.storedLength > b || p.storedLength > 4096)
            return false;
        b -= p.storedLength;
        c -= p.changes;
        m -= marksOf(p);
        sp -= p.spans;
        if (std::memcmp(u.undo.bytes.data() + b, s.documentBytes + p.offset, p.storedLength) != 0) return false;
        std::vector<Packed> now;
        u.changes.copyRange(keyAt(p.offset), keyAt(int64_t{p.offset} + p.currentLength), now);
        if (now.size() != p.changes) return false;
        for (size_t k = 0; k < now.size(); ++k)
            if (moved(u.undo.changes[c + k], 2 * int64_t{p.offset}) != now[k]) return false;
        now.clear();
        if (p.marks != kNoMarks) {
            u.marks.copyRange(keyAt(p.offset), keyAt(int64_t{p.offset} + p.currentLength), now);
            if (now.size() != p.marks) return false;
            for (size_t k = 0; k < now.size(); ++k)
                if (moved(u.undo.marks[m + k], 2 * int64_t{p.offset}) != now[k]) return false;
        }
        const int64_t o = p.offset, end = o + p.currentLength;
        size_t k = firstSpanAfter(u.inserted, o), n = 0;
        for (; k < u.inserted.size() && u.inserted[k].begin < end; ++k, ++n) {
            if (n >= p.spans) return false;
            const ByteSpan& stored = u.undo.spans[sp + n];
            if (stored.begin != std::max(u.inserted[k].begin, o) - o ||
                stored.end != std::min(u.inserted[k].end, end) - o)
                return false;
        }
        if (n != p.spans) return false;
    }
    return true;
}


// Takes one step off `from` (undo or redo) and puts it onto `to`.
int moveStep(EditorState& s, WindowRef owner, bool undo) {
    UnlimitedEdit& u = *s.unlimitedEdit;
    StepStack& from = undo ? u.undo : u.redo;
    StepStack& to = undo ? u.redo : u.undo;
    endTypedRun(s);
    const EditStepHead head = from.steps.back();
    const EditSelections selections = selectionsOf(from);
    uint32_t done = 0;
    try {
        allocating();
        to.steps.reserveOne();
        if (head.hasSelections != 0) to.selections.reserveOne();
        for (; done < head.pieces; ++done) swapPiece(s, from, &to);
    } catch (const std::bad_alloc&) {
        try {
            for (; done > 0; --done) swapPiece(s, to, &from);
        } catch (const std::bad_alloc&) {
        }
        syncRecordCounts(s);
        return reportOutOfMemory(owner);
    }
    to.steps.push_back(head);
    from.steps.pop_back();
    if (head.hasSelections != 0) {
        to.selections.push_back(selections);
        from.selections.pop_back();
    }
    u.movedSinceSave = true;
    restorePlace(s, undo ? placeBefore(head, selections) : placeAfter(head, selections));
    syncRecordCounts(s);
    settleModified(s);
    return 1;
}

}  // namespace

void StepStack::reservePiece() {
    pieces.reserveOne();
    extents.reserveOne();
}

void StepStack::pushPiece(const EditPiece& p) {
    StoredPiece stored{};
    stored.offset = static_cast<uint32_t>(p.offset) & 0x7FFFFFFFu;
    stored.marksStay = p.marks == kNoMarks ? 1 : 0;
    stored.length = static_cast<uint32_t>(p.currentLength) & 0x7FFFFFFFu;
    stored.changes = p.changes;
    const bool extent = p.storedLength != p.currentLength || marksOf(p) != 0 || p.spans != 0;
    stored.hasExtent = extent ? 1 : 0;
    if (extent) extents.push_back({p.storedLength, marksOf(p), p.spans});
    pieces.push_back(stored);
}

EditPiece StepStack::pieceBelow(size_t& piece, size_t& extent) const {
    const StoredPiece& stored = pieces[--piece];
    const auto length = static_cast<int32_t>(stored.length);
    EditPiece p{static_cast<int32_t>(stored.offset), length, length, stored.changes,
                stored.marksStay != 0 ? kNoMarks : 0, 0};
    if (stored.hasExtent != 0) {
        const PieceExtent& e = extents[--extent];
        p.storedLength = e.storedLength;
        if (stored.marksStay == 0) p.marks = e.marks;
        p.spans = e.spans;
    }
    return p;
}

EditPiece StepStack::topPiece() const {
    size_t piece = pieces.size(), extent = extents.size();
    return pieceBelow(piece, extent);
}

void StepStack::popPiece() {
    if (pieces.back().hasExtent != 0) extents.pop_back();
    pieces.pop_back();
}

// Taking a record off leaves room for one: after reservePiece this cannot fail.
void StepStack::replaceTopPiece(const EditPiece& p) {
    popPiece();
    pushPiece(p);
}

void StepStack::clear() {
    steps.clear();
    selections.clear();
    pieces.clear();
    extents.clear();
    std::vector<uint8_t>().swap(bytes);
    std::vector<Packed>().swap(changes);
    std::vector<Packed>().swap(marks);
    std::vector<ByteSpan>().swap(spans);
}

size_t StepStack::memoryBytes() const {
    return steps.memoryBytes() + selections.memoryBytes() + pieces.memoryBytes() + extents.memoryBytes() +
           bytes.capacity() +
           (changes.capacity() + marks.capacity()) * sizeof(Packed) + spans.capacity() * sizeof(ByteSpan);
}

void failUndoAllocationAfter(int64_t allocations) { allocationsBeforeFailure = allocations; }

bool setUnlimitedEditing(EditorState& s, bool on) {
    if (on) {
        if (s.unlimitedEdit != nullptr) return true;
        auto* u = new (std::nothrow) UnlimitedEdit;
        if (u == nullptr) return false;
        try {
            for (RecordList list : {RecordList::Change, RecordList::Mark}) {
                // In key order, the first record of a position winning as findRecord finds it.
                std::vector<NibbleRecord> records;
                recordsInRange(s, list, 0, int64_t{kMaxDocumentSize} + kSpareBytes, records);
                std::vector<Packed> run;
                run.reserve(records.size());
                for (const NibbleRecord& r : records) {
                    const uint64_t key = RecordStore::keyOf(r.offset, r.nibble);
                    if (!run.empty() && RecordStore::keyOfPacked(run.back()) == key) continue;
                    run.push_back(RecordStore::pack(key, r.byteValue));
                }
                storeOf(*u, list).insertRun(run.data(), run.size());
            }
        } catch (const std::bad_alloc&) {
            delete u;
            return false;
        }
        freeRecordLists(s);
        s.unlimitedEdit = u;
        s.unlimited = 1;
        u->savedPosition = s.modified != 0 ? -1 : 0;
        syncRecordCounts(s);
        return true;
    }
    UnlimitedEdit* u = s.unlimitedEdit;
    if (u == nullptr) {
        s.unlimited = 0;
        return true;
    }
    NibbleRecord** lists[2] = {nullptr, nullptr};
    int32_t counts[2] = {0, 0};
    bool failed = false;
    if (hasDocumentBuffer(s)) {
        for (int k = 0; k < 2 && !failed; ++k) {
            lists[k] = static_cast<NibbleRecord**>(std::calloc(kRecordListSlots, sizeof(NibbleRecord*)));
            const RecordStore& store = k == 0 ? u->changes : u->marks;
            failed = lists[k] == nullptr;
            // Beyond the slots' room records go: the caller asked to save first.
            for (size_t i = 0; !failed && i < store.size() && counts[k] < kRecordListSlots; ++i) {
                auto* r = static_cast<NibbleRecord*>(std::malloc(sizeof(NibbleRecord)));
                failed = r == nullptr;
                if (r != nullptr) {
                    *r = RecordStore::unpack(store.at(i));
                    lists[k][counts[k]++] = r;
                }
            }
        }
    }
    if (failed) {
        for (int k = 0; k < 2; ++k) {
            for (int32_t i = 0; lists[k] != nullptr && i < counts[k]; ++i) std::free(lists[k][i]);
            std::free(lists[k]);
        }
        return false;
    }
    delete u;
    s.unlimitedEdit = nullptr;
    s.unlimited = 0;
    s.changeList = lists[0];
    s.markList = lists[1];
    s.changeCount = counts[0];
    s.markCount = counts[1];
    s.changeListUnsorted = 0;
    s.markListUnsorted = 0;
    s.selectionAnchorByte = -1;
    s.selectionEndByte = -1;
    return true;
}

void clearUndoHistory(EditorState& s) {
    UnlimitedEdit* u = s.unlimitedEdit;
    if (u == nullptr) return;
    u->undo.clear();
    u->redo.clear();
    std::vector<ByteSpan>().swap(u->inserted);
    std::vector<int64_t>().swap(u->equalPositions);
    u->stepOpen = false;
    u->typedRunOpen = false;
    u->rolledBack = false;
    u->openDepth = 0;
    u->commandPieces = 0;
    u->savedPosition = 0;
    u->movedSinceSave = false;
}

void freeUnlimitedEditing(EditorState& s) {
    delete s.unlimitedEdit;
    s.unlimitedEdit = nullptr;
}

void beginStep(EditorState& s, bool typedRun) {
    UnlimitedEdit* u = s.unlimitedEdit;
    if (u == nullptr) return;
    if (u->stepOpen) {
        ++u->openDepth;  // a command within a command: one step
        return;
    }
    u->rolledBack = false;
    u->openDepth = 1;
    const bool goesOn = typedRun && u->typedRunOpen && !u->undo.steps.empty();
    try {
        if (!goesOn) {
            allocating();
            u->undo.steps.reserveOne();
        }
        // Room for the selections commitStep may keep.
        u->undo.selections.reserveOne();
    } catch (const std::bad_alloc&) {
        u->typedRunOpen = false;
        u->rolledBack = true;  // keepRange refuses: nothing is changed unrecorded
        return;
    }
    u->stepOpen = true;
    if (goesOn) {
        u->commandPieces = u->undo.steps.back().pieces;
        return;
    }
    const EditPlace p = placeOf(s);
    const uint8_t flags = flagsOf(p);
    u->undo.steps.push_back({p.caretOffset, p.caretOffset, 0, flags, flags, 0});
    if (hasSelection(p)) {
        u->undo.steps.back().hasSelections = 1;
        u->undo.selections.push_back({p.selectionAnchorByte, p.selectionEndByte, p.selectionAnchorByte,
                                      p.selectionEndByte});
    }
    u->typedRunOpen = typedRun;
    u->commandPieces = 0;
}

bool keepRange(EditorState& s, int64_t offset, int64_t length) {
    UnlimitedEdit* u = s.unlimitedEdit;
    if (u == nullptr) return true;
    if (!u->stepOpen) return !u->rolledBack;
    offset = std::clamp<int64_t>(offset, 0, s.documentSize);
    length = std::min<int64_t>(length, int64_t{s.documentSize} - offset);
    if (length <= 0) return true;
    EditStepHead& head = u->undo.steps.back();
    try {
        if (head.pieces > 0) {
            EditPiece last = u->undo.topPiece();
            const int64_t end = int64_t{last.offset} + last.currentLength;
            if (offset >= last.offset && offset + length <= end) return true;  // kept already
            if (offset >= last.offset && offset <= end) {
                // Goes on past the newest piece's end (a typed run): that piece grows.
                const int64_t more = offset + length - end;
                u->undo.reservePiece();
                keepContent(u->undo, s, end, more, end - last.storedLength, last);
                last.currentLength = static_cast<int32_t>(last.currentLength + more);
                last.storedLength = static_cast<int32_t>(last.storedLength + more);
                u->undo.replaceTopPiece(last);
                return true;
            }
        }
        allocating();
        u->undo.reservePiece();
        EditPiece piece{static_cast<int32_t>(offset), static_cast<int32_t>(length), static_cast<int32_t>(length), 0,
                        kNoMarks, 0};
        keepContent(u->undo, s, offset, length, offset, piece);
        u->undo.pushPiece(piece);
        ++head.pieces;
        return true;
    } catch (const std::bad_alloc&) {
        rollBackCommand(s);
        return false;
    }
}

namespace {

std::vector<Packed> packedRecords(const std::vector<NibbleRecord>* records) {
    std::vector<Packed> out;
    if (records == nullptr) return out;
    out.reserve(records->size());
    for (const NibbleRecord& r : *records) out.push_back(RecordStore::pack(RecordStore::keyOf(r.offset, r.nibble), r.byteValue));
    return out;
}

bool splice(EditorState& s, WindowRef owner, int64_t offset, int64_t removeCount, const uint8_t* bytes, int64_t count,
            const SpliceContent* given) {
    UnlimitedEdit* u = s.unlimitedEdit;
    if (u == nullptr || !hasDocumentBuffer(s) || offset < 0 || offset > s.documentSize || count < 0) return false;
    removeCount = std::clamp<int64_t>(removeCount, 0, int64_t{s.documentSize} - offset);
    if (removeCount == 0 && count == 0) return true;
    if (checkDocumentGrowth(s, owner, count - removeCount) == 0) return false;
    const bool ownStep = !u->stepOpen;
    if (ownStep) beginStep(s);
    if (!u->stepOpen) return reportOutOfMemory(owner) != 0;
    EditStepHead& head = u->undo.steps.back();
    const ByteSpan whole{0, count};
    try {
        allocating();
        std::vector<Packed> changes = packedRecords(given != nullptr ? given->changes : nullptr);
        std::vector<Packed> marks = packedRecords(given != nullptr ? given->marks : nullptr);
        const std::vector<ByteSpan>* spans = given != nullptr ? given->spans : nullptr;
        ensureRoom(s, count - removeCount);
        u->undo.reservePiece();
        EditPiece piece{static_cast<int32_t>(offset), static_cast<int32_t>(count), static_cast<int32_t>(removeCount),
                        0, 0, 0};
        keepContent(u->undo, s, offset, removeCount, offset, piece);
        u->undo.pushPiece(piece);
        ++head.pieces;
        Content c{bytes,
                  count,
                  changes.data(),
                  changes.size(),
                  marks.data(),
                  marks.size(),
                  given != nullptr ? (spans != nullptr ? spans->data() : nullptr) : &whole,
                  given != nullptr ? (spans != nullptr ? spans->size() : 0) : static_cast<size_t>(count > 0),
                  false};
        replaceRange(s, offset, removeCount, c);
    } catch (const std::bad_alloc&) {
        rollBackCommand(s);
        return reportOutOfMemory(owner) != 0;
    }
    syncRecordCounts(s);
    markLengthChanged(s);
    if (ownStep) commitStep(s);
    return true;
}

}  // namespace

bool spliceDocument(EditorState& s, WindowRef owner, int64_t offset, int64_t removeCount, const uint8_t* bytes,
                    int64_t count) {
    return splice(s, owner, offset, removeCount, bytes, count, nullptr);
}

bool spliceDocumentWith(EditorState& s, WindowRef owner, int64_t offset, int64_t removeCount, const uint8_t* bytes,
                        int64_t count, const SpliceContent& content) {
    return splice(s, owner, offset, removeCount, bytes, count, &content);
}

void rollBackStep(EditorState& s) {
    if (s.unlimitedEdit != nullptr) rollBackCommand(s);
}

void commitStep(EditorState& s) {
    UnlimitedEdit* u = s.unlimitedEdit;
    if (u == nullptr || !u->stepOpen) return;
    if (--u->openDepth > 0) return;
    u->stepOpen = false;
    EditStepHead& head = u->undo.steps.back();
    const bool continued = u->commandPieces > 0 && u->typedRunOpen;
    if (head.pieces == 0 || (!continued && stepChangedNothing(s))) {
        dropNewestStep(u->undo);
        u->typedRunOpen = false;
    } else {
        const EditPlace after = placeOf(s);
        head.caretAfter = after.caretOffset;
        head.flagsAfter = flagsOf(after);
        if (head.hasSelections != 0) {
            u->undo.selections.back().anchorAfter = after.selectionAnchorByte;
            u->undo.selections.back().endAfter = after.selectionEndByte;
        } else if (hasSelection(after)) {
            // Room kept by beginStep.
            u->undo.selections.push_back({-1, -1, after.selectionAnchorByte, after.selectionEndByte});
            head.hasSelections = 1;
        }
        if (!continued) {
            // A new step: what was undone cannot come back, and a saved
            // position beyond this one is gone.
            u->redo.clear();
            const int64_t position = static_cast<int64_t>(u->undo.steps.size());
            if (u->savedPosition >= position) u->savedPosition = -1;
            u->equalPositions.erase(
                std::lower_bound(u->equalPositions.begin(), u->equalPositions.end(), position),
                u->equalPositions.end());
        }
    }
    syncRecordCounts(s);
    settleModified(s);
}

void endTypedRun(EditorState& s) {
    if (s.unlimitedEdit != nullptr && !s.unlimitedEdit->stepOpen) s.unlimitedEdit->typedRunOpen = false;
}

bool canUndo(const EditorState& s) {
    return s.unlimitedEdit != nullptr && !s.unlimitedEdit->stepOpen && !s.unlimitedEdit->undo.steps.empty();
}

bool canRedo(const EditorState& s) {
    return s.unlimitedEdit != nullptr && !s.unlimitedEdit->stepOpen && !s.unlimitedEdit->redo.steps.empty();
}

int undoStep(EditorState& s, WindowRef owner) { return canUndo(s) ? moveStep(s, owner, true) : 0; }

int redoStep(EditorState& s, WindowRef owner) { return canRedo(s) ? moveStep(s, owner, false) : 0; }

void noteDocumentSaved(EditorState& s) {
    UnlimitedEdit* u = s.unlimitedEdit;
    if (u == nullptr) return;
    endTypedRun(s);
    // The records and the inserted spans tell the difference from the file:
    // after a save none of those the history keeps holds any more.
    for (StepStack* st : {&u->undo, &u->redo}) {
        for (size_t i = 0; i < st->pieces.size(); ++i) st->pieces[i].changes = 0;
        for (size_t i = 0; i < st->extents.size(); ++i) st->extents[i].spans = 0;
        std::vector<Packed>().swap(st->changes);
        std::vector<ByteSpan>().swap(st->spans);
    }
    u->savedPosition = static_cast<int64_t>(u->undo.steps.size());
    std::vector<int64_t>().swap(u->equalPositions);
    std::vector<ByteSpan>().swap(u->inserted);
    u->movedSinceSave = false;
}

bool noteRevertedToFile(EditorState& s) {
    UnlimitedEdit* u = s.unlimitedEdit;
    if (u == nullptr) return false;
    // The records tell the difference from the file only while every step
    // since the save was a new one.
    const int64_t position = static_cast<int64_t>(u->undo.steps.size());
    const bool equal = !u->movedSinceSave && u->savedPosition >= 0 && position >= u->savedPosition &&
                       u->changes.empty() && u->inserted.empty() && s.lengthChanged == 0 &&
                       s.earlierChangeDropped == 0;
    if (equal && (u->equalPositions.empty() || u->equalPositions.back() < position))
        u->equalPositions.push_back(position);
    settleModified(s);
    return true;
}

std::vector<ByteSpan> insertedSpansIn(const EditorState& s, int64_t from, int64_t to) {
    std::vector<ByteSpan> out;
    if (s.unlimitedEdit == nullptr) return out;
    const std::vector<ByteSpan>& spans = s.unlimitedEdit->inserted;
    for (size_t i = firstSpanAfter(spans, from); i < spans.size() && spans[i].begin < to; ++i) out.push_back(spans[i]);
    return out;
}

size_t undoMemoryBytes(const EditorState& s) {
    const UnlimitedEdit* u = s.unlimitedEdit;
    if (u == nullptr) return 0;
    return u->undo.memoryBytes() + u->redo.memoryBytes() + u->equalPositions.capacity() * sizeof(int64_t);
}

int reportOutOfMemory(WindowRef owner) { return showError(owner, IDS_ERR_OUT_OF_MEMORY, nullptr); }
