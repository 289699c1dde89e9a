// What editing without limits keeps while it is on (private to the document
// core): the two record stores, the inserted spans and the undo history.
#pragma once

#include <cstdint>
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
// relative to `offset`.
struct EditPiece {
    int32_t offset;
    int32_t currentLength;
    int32_t storedLength;
    uint32_t changes;
    uint32_t marks;
    uint32_t spans;
};

struct EditStepHead {
    uint32_t pieces;
    EditPlace before, after;
};

// Steps kept as a stack: every part flat, the content of the newest step's
// last piece at the end of each pool, so that a step is taken off (and its
// content put back) without a heap block of its own.
struct StepStack {
    std::vector<EditStepHead> steps;
    std::vector<EditPiece> pieces;
    std::vector<uint8_t> bytes;
    std::vector<RecordStore::Packed> changes;
    std::vector<RecordStore::Packed> marks;
    std::vector<ByteSpan> spans;

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
