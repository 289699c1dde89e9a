// The row selection, copying the selected rows as dump text and pasting
// clipboard text over the bytes at the caret.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "shell/editor_state.h"

// Bytes [start, end) of the selected rows, cut at the end of the document;
// false without a document or a selection.
bool selectedBytes(const EditorState& s, int64_t* start, int64_t* end);

// What copying as hex takes: the selected rows' bytes, else the caret's byte.
// False without a document.
bool hexCopyBytes(const EditorState& s, int64_t* start, int64_t* end);

// What the checksums cover: the selected rows' bytes, else the whole document.
// False without a document.
bool checksumBytes(const EditorState& s, int64_t* start, int64_t* end);

// Selects every row (the end row is rowCount, one past the last); 0 without a document.
int selectAll(EditorState& s);

// The status bar's text for the selection: " anchor - end (rows)", rows
// counted from 1 and given as stored (anchor first). Only rows that exist
// count: an end one past the last row (select all, a drag below the last
// row) or an anchor below it stands for the last row. Empty without a selection.
std::string selectionStatusText(const EditorState& s);

// Bytes that writeCopyText needs for the current selection, terminator
// included (an upper bound: a row takes 80 characters only when a double-byte
// character runs past its end). SIZE_MAX when the text cannot fit in memory.
size_t copyTextCapacity(const EditorState& s);

// The clipboard text of the selected rows: the column header, then one row
// text per selected row without the blanks from position 77 on, each line
// ended by CR LF; the pending lead is carried from row to row. Writes it with
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
