// The change list and the mark list: two small arrays of nibble-position
// records beside the document buffer.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "shell/editor_state.h"

// With the switch on (document/undo.h) the lists are sorted growable stores
// behind these same functions; an index is then a place in key order
// (offset, then nibble), and a list is never full. Reading a list goes
// through recordCount/recordAt or recordsInRange, never through the slot
// arrays, which are null while the switch is on.
int32_t recordCount(const EditorState& s, RecordList list);
NibbleRecord recordAt(const EditorState& s, RecordList list, int32_t index);

// Records whose offsets lie in [from, to), appended to `out` in key order
// (sorted here for the Parts' lists); quick for a small range of a large store.
void recordsInRange(const EditorState& s, RecordList list, int64_t from, int64_t to, std::vector<NibbleRecord>& out);

// How many more records the list takes: the free slots, or INT64_MAX while
// the switch is on.
int64_t recordRoom(const EditorState& s, RecordList list);

// Adds a record; 1 added, 0 when the list is full (reported as error 14),
// not allocated or out of memory.
int addRecord(EditorState& s, RecordList list, int32_t offset, int32_t nibble, uint8_t byteValue);

// Slot index of the record for (offset, nibble), or -1.
int findRecord(const EditorState& s, RecordList list, int32_t offset, int32_t nibble);
int findRecordAtCaret(const EditorState& s, RecordList list);

// Adds a record for the caret's nibble with the byte under the caret.
int addRecordAtCaret(EditorState& s, RecordList list);

// Frees the record in slot `index` and closes the gap, keeping the order.
// 0 when the list is not allocated or the index is not a used slot.
int removeRecord(EditorState& s, RecordList list, int index);

// Frees the records of the slots flagged in `remove` (by slot index) and
// closes the gaps in one pass, keeping the order. Returns how many went.
int removeRecords(EditorState& s, RecordList list, const std::vector<bool>& remove);

// Ascending by offset, then nibble; 0 when not allocated or empty.
int sortRecords(EditorState& s, RecordList list);

// Asks on `owner` whether the already changed data at `offset` is to be
// overwritten again; 1 for Yes.
int confirmOverwrite(WindowRef owner, int32_t offset);

// Records that the nibble at (offset, nibble) is about to change from
// `byteBefore`. A position already recorded is asked about first when
// `confirm` is set. 1: the caller may write; 0: leave the byte alone.
int recordChange(EditorState& s, int32_t offset, int32_t nibble, uint8_t byteBefore, int confirm,
                 WindowRef owner);
int recordChangeAtCaret(EditorState& s, int confirm, WindowRef owner);

// Frees every change record; with releaseSlots also the slot array.
void clearChangeList(EditorState& s, int releaseSlots);

// Frees both lists with their slot arrays.
void freeRecordLists(EditorState& s);
