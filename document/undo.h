// Editing without limits (the "Unlimited" switch): growable record lists,
// insertions and deletions that keep what the user sees, and step undo and
// redo. With the switch off none of this is in play: EditorState::unlimited
// is 0, EditorState::unlimitedEdit is null and every function here does
// nothing (returns false / 0).
//
// A command that changes bytes is one step:
//     beginStep(s);                          // ends a typed run
//     if (!keepRange(s, at, n)) return;      // before changing [at, at + n) in place
//     ... change the bytes and their records as the Parts' code does ...
//     or spliceDocument(s, owner, at, removed, bytes, inserted);
//     commitStep(s);
// A step keeps, for each range it was told about, what it needs to reverse
// itself (the bytes, change records, marks and inserted spans there), so
// undo and redo swap that content with the document's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "shell/editor_state.h"

// A range of bytes [begin, end).
struct ByteSpan {
    int64_t begin, end;
};

// Turns the switch on or off for the document in memory: on moves the slot
// lists' records into growable sorted stores and starts an empty history;
// off moves them back (records beyond the slots' room are dropped: the
// caller asks to save first) and frees the history and the byte selection.
// false (and nothing changed) when memory runs out.
bool setUnlimitedEditing(EditorState& s, bool on);

// Empties the history and the inserted spans (a load, a close, the reset of
// the Parts' commands); the stores keep working.
void clearUndoHistory(EditorState& s);

// Frees everything of the switch (shutdown).
void freeUnlimitedEditing(EditorState& s);

// ---- steps

// Opens a step for a command; `typedRun`: a typed digit or character, which
// continues the open typed run (a run ends with endTypedRun, any other
// step, an undo or redo, or a save). Keeps the caret and selection as they
// are now as the step's "before".
void beginStep(EditorState& s, bool typedRun = false);

// Before the open step changes the bytes [offset, offset + length) in place:
// keeps their bytes, change records and marks (once: a range the step keeps
// already costs nothing). false when memory ran out: the step was rolled back
// (every change since beginStep undone) and dropped; the caller stops and
// reports it (reportOutOfMemory).
bool keepRange(EditorState& s, int64_t offset, int64_t length);

// Replaces the `removeCount` bytes at `offset` by `count` bytes within the
// open step: grows the buffer as needed (spareCapacity), moves change records,
// marks and inserted spans after the range with their bytes, drops those of
// the removed bytes, and shows the inserted bytes in the change colour until
// the next save. Sets modified and lengthChanged, bumps bytesVersion and
// drops the compare's differences. Refuses a document larger than
// kMaxDocumentSize (checkDocumentGrowth on `owner`); out of memory: the
// out-of-memory message on `owner`, the step rolled back and dropped.
// The caret and selection are the caller's.
bool spliceDocument(EditorState& s, WindowRef owner, int64_t offset, int64_t removeCount, const uint8_t* bytes,
                    int64_t count);

// spliceDocument for a replacement that keeps some of the bytes it covers
// (replace all of another length): the new bytes come with their change
// records, marks and inserted spans (sorted; offsets relative to `offset`)
// instead of being shown as inserted.
struct SpliceContent {
    const std::vector<NibbleRecord>* changes;
    const std::vector<NibbleRecord>* marks;
    const std::vector<ByteSpan>* spans;
};
bool spliceDocumentWith(EditorState& s, WindowRef owner, int64_t offset, int64_t removeCount, const uint8_t* bytes,
                        int64_t count, const SpliceContent& content);

// Closes the open step: keeps the caret and selection as its "after" and
// works out `modified`. A step that changed nothing is dropped.
void commitStep(EditorState& s);

// Ends the open typed run: the next typed digit opens a step of its own.
void endTypedRun(EditorState& s);

// ---- undo and redo

bool canUndo(const EditorState& s);
bool canRedo(const EditorState& s);

// Reverse or repeat one step: bytes, change records and colours, marks,
// inserted spans, caret and selection exactly as they were; `modified` clear
// exactly at a position the document was saved at. 1 when a step was undone
// (redone); 0 when none was there or memory ran out (message on `owner`,
// nothing changed).
int undoStep(EditorState& s, WindowRef owner);
int redoStep(EditorState& s, WindowRef owner);

// A save wrote the document: this position of the history equals the file;
// the inserted spans go (their colour lasts until the next save).
void noteDocumentSaved(EditorState& s);

// The inserted spans (bytes inserted since the last save, shown in the
// change colour) that reach into [from, to), as sorted, disjoint [begin, end)
// byte ranges; empty with the switch off.
std::vector<ByteSpan> insertedSpansIn(const EditorState& s, int64_t from, int64_t to);

// Memory the history holds (bytes), for the benchmarks.
size_t undoMemoryBytes(const EditorState& s);

// The message when memory ran out and nothing changed; returns 0.
int reportOutOfMemory(WindowRef owner);
