// The selection, copying it as dump text and pasting clipboard text over
// the bytes at the caret.
//
// With the switch off a selection is of whole rows (selectionAnchorRow,
// selectionEndRow); with it on it is of bytes (selectionAnchorByte,
// selectionEndByte), and the row fields mirror the rows those bytes touch.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "shell/editor_state.h"

// Selects the bytes from `anchor` to `end`, both included, in either order
// (clamped to the document), and mirrors them in the row fields.
void setByteSelection(EditorState& s, int64_t anchor, int64_t end);

// The bytes before `end` grew by `growth` bytes (shrank when negative): a
// byte selection's ends at or past `end` move with their bytes; one left
// empty goes. Called once the document has its new size.
void followResize(EditorState& s, int64_t end, int64_t growth);

// No selection any more, of rows or of bytes.
void clearSelection(EditorState& s);

// Whether bytes are selected (the switch is on and a selection is made).
bool hasByteSelection(const EditorState& s);

// Bytes [start, end) of the selection: exactly the selected bytes, or with
// the switch off the selected rows' bytes, cut at the end of the document;
// false without a document or a selection.
bool selectedBytes(const EditorState& s, int64_t* start, int64_t* end);

// The columns of the row at `rowOffset` (a multiple of 16) that hold selected
// bytes, bit k for byte k of the row; 0 without a byte selection.
uint32_t selectedColumns(const EditorState& s, int64_t rowOffset);

// What copying as hex takes: the selected rows' bytes, else the caret's byte.
// False without a document.
bool hexCopyBytes(const EditorState& s, int64_t* start, int64_t* end);

// What the checksums cover: the selected rows' bytes, else the whole document.
// False without a document.
bool checksumBytes(const EditorState& s, int64_t* start, int64_t* end);

// Selects every row (the end row is rowCount, one past the last), or with
// the switch on every byte; 0 without a document.
int selectAll(EditorState& s);

// The status bar's text for the selection: " anchor - end (rows)", rows
// counted from 1 and given as stored (anchor first). Only rows that exist
// count: an end one past the last row (select all, a drag below the last
// row) or an anchor below it stands for the last row. Selected bytes:
// "first-last (count)", the offsets in eight hex digits, the count in
// decimal. Empty without a selection.
std::string selectionStatusText(const EditorState& s);

// Bytes that writeCopyText needs for the current selection, terminator
// included (an upper bound: a row takes 80 characters only when a double-byte
// character runs past its end). SIZE_MAX when the text cannot fit in memory.
size_t copyTextCapacity(const EditorState& s);

// The clipboard text of the selected rows: the column header, then one row
// text per selected row without the blanks from position 77 on, each line
// ended by CR LF; the pending lead is carried from row to row. Selected bytes
// give the rows they touch, the digits and characters of the bytes outside
// the selection blanked. Writes it with
// its terminator into `out` and returns its length; 0 (nothing written) when
// no document is loaded or nothing is selected.
size_t writeCopyText(const EditorState& s, int kanji, char* out);

// The same text in a string (for callers that keep it).
size_t buildCopyText(const EditorState& s, int kanji, std::string& out);

// Puts the copy text on the clipboard; 1 when it got there.
int copyRows(EditorState& s, WindowRef owner, int kanji);

// Writes the clipboard text over the bytes at the caret. Every character may
// need two change records, so a text longer than the change list has room for
// is refused with error 14 before anything is written.
int pasteText(EditorState& s, WindowRef owner, int editLocked);

// Writes the bytes of the clipboard's hex text over the document at the caret
// as typing them would (writeBytesAsTyped). When the document ends before the
// text's bytes do, asks (OK/Cancel) whether to write the ones that fit. A
// text that is not hex pairs shows the invalid-input message and writes
// nothing. 1 when the bytes were written.
int pasteHexText(EditorState& s, WindowRef owner, int editLocked);

// ---- commands on selected bytes (editing without limits). Each is one step
// of the history, which brings back the selection; afterwards the caret
// stands on the first byte of the replacement, or the first after the bytes
// that went, and nothing is selected. 1 when the document changed.

// Deletes the selected bytes at once.
int deleteSelection(EditorState& s, WindowRef owner);

// Puts the selected bytes on the clipboard as hex text, then deletes them;
// nothing is deleted when the clipboard did not take the text.
int cutSelection(EditorState& s, WindowRef owner);

// Replaces the selected bytes by the bytes of the clipboard's hex text, the
// document growing or shrinking by the difference; without a selection
// writes them over the bytes from the caret on, appending what runs past the
// end. A text that is not hex pairs shows the invalid-input message.
int pasteHexReplacing(EditorState& s, WindowRef owner, int editLocked);

// Fills the selection with the bytes of `hexPattern` (hex pairs as pasted),
// repeated; an invalid or empty pattern shows the invalid-input message.
int fillSelection(EditorState& s, WindowRef owner, const char* hexPattern);
