// What editing without limits keeps while it is on (private to the document
// core): the two record stores, the inserted spans and the undo history.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "document/record_store.h"
#include "document/undo.h"

// Caret and selection as a step restores them, with the flags that say how
// the document differs from the file.
struct EditPlace {
    int32_t caretOffset;
    int32_t selectionAnchorByte;
    int32_t selectionEndByte;
    uint8_t caretNibble;
    uint8_t caretInText;
    uint8_t lengthChanged;
    uint8_t earlierChangeDropped;
};

// One range a step swaps: the document holds `currentLength` bytes at
// `offset`, the stack holds what goes there on undo (or redo): `storedLength`
// bytes and the records, marks and inserted spans of those bytes, keyed
// relative to `offset`. `marks` is kNoMarks for bytes changed in place (the
// marks there stay as the user sets them).
struct EditPiece {
    int32_t offset;
    int32_t currentLength;
    int32_t storedLength;
    uint32_t changes;
    uint32_t marks;
    uint32_t spans;
};
constexpr uint32_t kNoMarks = UINT32_MAX;

// A history holds many small steps, most of them a typed run of one piece:
// a step keeps its caret places in 16 bytes and a piece its range in 12; what
// only some of them have lives in side stacks (the newest entry belongs to
// the newest step or piece that has one).
struct EditStepHead {
    int32_t caretBefore, caretAfter;
    uint32_t pieces;
    uint8_t flagsBefore, flagsAfter;  // PlaceFlag
    uint8_t hasSelections;            // an entry in StepStack::selections
};
enum PlaceFlag : uint8_t { kCaretNibble = 1, kCaretInText = 2, kLengthChanged = 4, kEarlierChangeDropped = 8 };

// The selections of a step that has one before or after it (-1: none).
struct EditSelections {
    int32_t anchorBefore, endBefore, anchorAfter, endAfter;
};

// An EditPiece as the stack keeps it (offsets and lengths stay below 2^31).
struct StoredPiece {
    uint32_t offset : 31;
    uint32_t marksStay : 1;
    uint32_t length : 31;    // currentLength
    uint32_t hasExtent : 1;  // an entry in StepStack::extents
    uint32_t changes;
};

static_assert(sizeof(EditStepHead) == 16 && sizeof(StoredPiece) == 12, "a typed step takes at most 32 bytes");

// What a piece that changes the length, or keeps marks or spans, has more.
struct PieceExtent {
    int32_t storedLength;
    uint32_t marks;
    uint32_t spans;
};

// A stack of small records in fixed blocks: it grows without copying and
// holds little room beyond its records.
template <class T>
class BlockStack {
public:
    static constexpr size_t kPerBlock = 4096 / sizeof(T);

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T& operator[](size_t i) { return blocks_[i / kPerBlock][i % kPerBlock]; }
    const T& operator[](size_t i) const { return blocks_[i / kPerBlock][i % kPerBlock]; }
    T& back() { return (*this)[size_ - 1]; }
    const T& back() const { return (*this)[size_ - 1]; }

    // Makes room for one more record, so that the next push_back cannot
    // fail; throws std::bad_alloc.
    void reserveOne() {
        if (size_ < blocks_.size() * kPerBlock) return;
        blocks_.push_back(std::make_unique<T[]>(kPerBlock));
    }
    void push_back(const T& value) {
        reserveOne();
        (*this)[size_++] = value;
    }
    // Keeps one empty block at most: a record taken off and put back on at
    // a block's edge allocates nothing.
    void pop_back() {
        --size_;
        if (blocks_.size() >= 2 && size_ <= (blocks_.size() - 2) * kPerBlock) blocks_.pop_back();
    }
    void clear() {
        std::vector<std::unique_ptr<T[]>>().swap(blocks_);
        size_ = 0;
    }
    size_t memoryBytes() const {
        return blocks_.capacity() * sizeof(blocks_[0]) + blocks_.size() * kPerBlock * sizeof(T);
    }

private:
    std::vector<std::unique_ptr<T[]>> blocks_;
    size_t size_ = 0;
};

// Steps kept as a stack: every part flat, the content of the newest step's
// last piece at the end of each pool, so that a step is taken off (and its
// content put back) without a heap block of its own.
struct StepStack {
    BlockStack<EditStepHead> steps;
    BlockStack<EditSelections> selections;
    BlockStack<StoredPiece> pieces;
    BlockStack<PieceExtent> extents;
    std::vector<uint8_t> bytes;
    std::vector<RecordStore::Packed> changes;
    std::vector<RecordStore::Packed> marks;
    std::vector<ByteSpan> spans;

    // Room for one more piece: pushPiece and replaceTopPiece cannot fail
    // after it. Throws std::bad_alloc.
    void reservePiece();
    void pushPiece(const EditPiece& p);
    EditPiece topPiece() const;
    void popPiece();
    void replaceTopPiece(const EditPiece& p);
    // Reads the piece below `piece` (an index one past it) and steps both
    // indexes down past it.
    EditPiece pieceBelow(size_t& piece, size_t& extent) const;

    void clear();
    size_t memoryBytes() const;
};

struct UnlimitedEdit {
    RecordStore changes;
    RecordStore marks;
    // Bytes inserted since the last save: sorted, disjoint, not touching.
    std::vector<ByteSpan> inserted;

    // The undo stack (pieces in forward order) and the redo stack (pieces of
    // each step in reverse order): a step's content is taken from the end.
    StepStack undo;
    StepStack redo;
    // Whether the newest undo step is open (between beginStep and
    // commitStep), and where its pieces stood when this command began.
    bool stepOpen = false;
    bool typedRunOpen = false;  // the newest undo step is a typed run that may go on
    size_t commandPieces = 0;   // pieces of the open step before this command
    int openDepth = 0;          // beginStep calls not yet committed (a command within a command)
    bool rolledBack = false;    // the open command ran out of memory: keepRange refuses until the next step
    // The history position (undo steps) the file equals; -1: none.
    int64_t savedPosition = 0;
    // Positions where reverting every change brought back the file (sorted).
    std::vector<int64_t> equalPositions;
    // An undo or redo since the last save: the change records may then tell
    // the difference from an older file.
    bool movedSinceSave = false;
};

inline RecordStore& storeOf(UnlimitedEdit& u, RecordList list) {
    return list == RecordList::Change ? u.changes : u.marks;
}
inline const RecordStore& storeOf(const UnlimitedEdit& u, RecordList list) {
    return list == RecordList::Change ? u.changes : u.marks;
}

// Keeps s.changeCount and s.markCount equal to the stores' sizes.
void syncRecordCounts(EditorState& s);

// The change list was emptied by reverting: marks this position as equal to
// the file when the records can tell (no undo or redo since the save, no
// length change, no forgotten earlier change), and sets modified.
bool noteRevertedToFile(EditorState& s);

// Undoes what the open command changed and drops it (a command that cannot
// finish: never half done).
void rollBackStep(EditorState& s);

// For the tests: the history's or the buffer's allocation after `allocations`
// more fails as if memory had run out (-1: none fails).
void failUndoAllocationAfter(int64_t allocations);
