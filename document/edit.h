// Inserting and deleting bytes and writing text over the document: the model
// side of the editing commands. The dialogs that ask for the values, the edit
// lock and the view refresh belong to the Win32 layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "shell/editor_state.h"

// Every insertion, deletion and replacement of another length leaves a
// document that differs in length from the file, which the change list cannot
// show: sets modified and lengthChanged.
void markLengthChanged(EditorState& s);

// Whether the document may grow by `growth` bytes: a document larger than
// kMaxDocumentSize could be saved but never opened again. When it may not,
// says so on `owner` and returns 0. Every command that lengthens the
// document asks this before it changes anything.
int checkDocumentGrowth(const EditorState& s, WindowRef owner, int64_t growth);

// The question before a command that resets the change records and marks,
// with the warning that says so; editing without limits keeps them, so it
// goes without the warning then.
void questionWithResetWarning(const EditorState& s, const char* question, char* out, size_t size);

// Whether one more byte fits into the buffer (error 14 on `owner` when not)
// and into the largest document (checkDocumentGrowth). The insert command
// asks this before it asks for the value.
int checkInsertRoom(EditorState& s, WindowRef owner);

// Inserts `value` in front of the byte under the caret and leaves the caret on
// it; in a document emptied by deletions the byte becomes the document. No
// spare room left: error 14 on `owner`, returns 0. Otherwise returns the
// result of the model reset (which drops every change record and mark).
int insertByteAt(EditorState& s, WindowRef owner, uint8_t value);

// Deletes the byte under the caret after asking on `owner` (Yes proceeds).
// Refuses silently while fewer than 2 bytes exist.
int deleteByteAtCaret(EditorState& s, WindowRef owner);

// Deletes the bytes between the caret and `end`, both included. The caret
// keeps its offset, clamped to the new last byte (0 when none remains).
// Refuses while fewer than 2 bytes exist or when `end` is negative; an end past
// the last byte counts as the last byte.
int deleteRangeTo(EditorState& s, int32_t end);

// Writes the bytes of `text` over the document from the caret on, recording
// each changed byte (both nibbles, without asking); stops at the end of the
// document or when the change list refuses. Sets modified; the caret stays.
// 0 when no document is loaded.
int overwriteText(EditorState& s, const char* text);

// Writes `count` bytes over the document from `offset` on as typing their
// digits would: each nibble that changes gets its change record, holding the
// byte as it stood just before that nibble changed; a nibble already recorded
// keeps its record with that byte. Bytes past the end are dropped. The
// records needed are counted first: when the change list cannot take them
// all, reportTooManyChanges on `owner` and nothing is written. With `confirm`, a write
// that changes a recorded nibble again is then asked about once on `owner`,
// as typing a digit asks (No: nothing written); without it nothing is asked.
// A `question` is asked first (OK/Cancel; Cancel: nothing written), once the
// records are known to fit. Sets modified when a byte changed; the caret
// stays. 1 when written.
int writeBytesAsTyped(EditorState& s, WindowRef owner, int32_t offset, const uint8_t* bytes, size_t count,
                      int confirm = 0, const char* question = nullptr);

// With editing without limits on: replaces the `removeCount` bytes at
// `offset` by `count` bytes as one step; the bytes of equal length are
// written as typed digits (change records), the rest is inserted or deleted
// (an offset at the end appends). 1 when done; 0 when refused (too large,
// out of memory: nothing changed) or with the switch off.
int replaceBytes(EditorState& s, WindowRef owner, int64_t offset, int64_t removeCount, const uint8_t* bytes,
                 int64_t count);

// Fills `count` bytes from `offset` with `pattern` (n bytes) repeated, as
// writeBytesAsTyped writes them (one step; the change list's room applies
// while the switch is off). 1 when written.
int fillBytes(EditorState& s, WindowRef owner, int64_t offset, int64_t count, const uint8_t* pattern, size_t n);

// The message of the commands beyond the basic set when a write needs more
// change records than the list has room for: how many nibbles it would change
// and the limit between saves, in words, on `owner`. Always returns 0.
int reportTooManyChanges(WindowRef owner, int64_t nibbles);

// One byte of writeBytesAsTyped, its room already counted: each changing
// nibble recorded as typing it records it. False when a record could not be
// made (out of memory); what was written before stays recorded.
bool writeByteAsTyped(EditorState& s, int32_t at, uint8_t after);

// The text edit at the caret offers the bytes there as text and accepts at
// most this many bytes, fewer near the end of the document.
constexpr int kTextEditLength = 16;

struct TextEdit {
    char initial[kTextEditLength + 1];  // the offered text: ends early at a zero byte
    int32_t limit;                      // longest accepted text: min(16, bytes from the caret to the end)
};

// What the text edit offers for the caret's current place; an empty text and
// a limit of 0 when the caret is not on a byte of the document.
TextEdit beginTextEdit(const EditorState& s);

// Writes `typed` over the bytes at the caret when it is not empty and differs
// from the offered text (letter case counts); returns overwriteText's result,
// 0 when nothing was to be written.
int finishTextEdit(EditorState& s, const TextEdit& edit, const char* typed);

// An edit box cannot hold every byte string as it is: a lone lead byte, a
// lead byte before a byte that cannot follow it, an unassigned or a duplicate
// Shift-JIS pair come back as other characters, or not at all. Given the bytes
// put into the box (`given`), the box's own form of them (`shown`, read back
// at once) and what the box held when confirmed (`typed`), this is the text
// the user meant: `typed` with the unchanged start and end it shares with
// `shown` turned back into the given bytes. A change that touches what the
// box altered takes all of that part, and the given bytes it replaces are
// filled from the start with whole characters of the new text as far as they
// reach, so the result is longer than `given` only by as much as `typed` is
// longer than `shown`.
std::string textAsEdited(const std::string& given, const std::string& shown, const std::string& typed);
