// The text of one dump row, shared by painting, printing and copying, and the
// column header above it.
//
// A row: " %08X  " with the offset (positions 0..10), 16 hex columns "XX " or
// three blanks past the end (11..58), two blanks, then one character per byte
// (61..76), two blanks and a terminator. In kanji mode a double-byte
// character takes the columns of its two bytes; one split between two rows is
// written whole at the end of the first row (position 77) and leaves a blank
// at the start of the next, carried through the caller's pending-lead byte.
#pragma once

#include <cstddef>
#include <cstdint>

#include "shell/editor_state.h"

// 77 characters: 11 blanks, "+0" .. "+F" separated by blanks, 3 blanks, "0123456789ABCDEF".
extern const char kColumnHeader[78];
constexpr int kColumnHeaderLength = 77;

constexpr int kRowTextSize = 81;       // longest row text (80) and its terminator
constexpr int kCharColumnStart = 61;   // position of the first character of the character column

// Writes the row text for the row that starts at `offset` into `out` (at least
// kRowTextSize bytes) and returns `out`. `pendingLead` (0: none) is read and
// updated so that a double-byte character can run into the next row; the
// caller sets it to 0 before its first row. Never reads outside the document:
// a lead byte that is the last byte of the document shows as ".".
char* formatDumpRow(const EditorState& s, int32_t offset, int kanji, char* out, uint8_t* pendingLead);

// The same text without the two closing blanks and the terminator; returns
// the end of what was written (at most 78 characters).
char* writeDumpRow(const EditorState& s, int32_t offset, int kanji, char* out, uint8_t* pendingLead);

// The hex cells of `count` bytes, "XX " each (upper-case digits), from `out`
// on; returns the end. Stores up to two bytes beyond the end it returns.
char* writeHexCells(const uint8_t* bytes, size_t count, char* out);

// Blanks, in a row text of `length` characters as writeDumpRow writes it, the
// hex cells and the characters of the byte columns whose bits `columns` sets
// (bit k: column k). In kanji mode a double-byte character goes with the
// column of its first byte, so no half of one is left.
void blankByteColumns(char* row, size_t length, uint32_t columns, int kanji);

// The row texts of the rows from offset `start` (a multiple of 16) up to
// `end`, each as a line ended by CR LF with the blanks from position 77 on
// dropped, the pending lead carried from row to row (starting at none): the
// dump as copied text. Writes at most 80 bytes per row; returns the end.
char* writeDumpLines(const EditorState& s, int64_t start, int64_t end, int kanji, char* out);
