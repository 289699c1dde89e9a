// Searching the document for a byte string, and the jump to an address.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "shell/editor_state.h"

// A search string of at most 64 hexadecimal characters gives at most 32 bytes;
// hexTextToBytes writes these and a terminating zero.
constexpr int kMaxHexPatternBytes = 32;
constexpr int kHexPatternBufferSize = kMaxHexPatternBytes + 1;

// The bytes of a hexadecimal search string: spaces are dropped, at most 64
// digits are read, each pair gives one byte. Writes the bytes and a zero into
// `out` (kHexPatternBufferSize bytes) and returns their count. Returns 0 when
// there is nothing to search for: no digits, an odd digit count, or a
// character that is not a hexadecimal digit (a plain text left in findText
// after the radix was switched without a new search).
int hexTextToBytes(const char* text, uint8_t* out);

// Whether `text` is a hexadecimal search string: digits and spaces only, with
// an even number of digits (none at all is allowed: it finds nothing).
bool isHexPatternText(const char* text);

// The one reader of hexadecimal pairs behind the calls above and the search
// and replace dialog's texts. Spaces are dropped; with `wildcards` a "?"
// stands for any nibble (0xF0 or 0x0F set in `ignore` and in `value`). At
// most `maxDigits` digits are read: with `stopAtLimit` the text after them
// is not looked at, otherwise more digits make the text invalid. Returns the
// number of bytes, or -1 for an odd digit count or another character; only
// then are `value` (and `ignore`, when not null) written. Without `value` it
// only checks and counts.
int readHexPairs(const char* text, int maxDigits, bool stopAtLimit, bool wildcards, uint8_t* value,
                 uint8_t* ignore);

// The plain right-to-left Boyer-Moore with a bad-character table: the
// reference that findBytes must agree with. Index of the leftmost occurrence,
// -1 when there is none, when m > n, or when the pattern is empty.
int32_t findBytesPlain(const uint8_t* data, int32_t n, const uint8_t* pattern, int32_t m);

// The same result as findBytesPlain, fast: memchr for one byte; for longer
// patterns a vector filter on two pattern bytes with an exact check of each
// candidate, falling back to a linear scan when candidates get too dense.
int64_t findBytes(const uint8_t* data, int64_t n, const uint8_t* pattern, int32_t m);

// The scanners findBytes chooses between by processor, reachable one by one
// so that each is checked on every machine. An unsupported one falls back to
// the plain scanner.
enum class ScanKernel { Best, Avx2, Sse2, Plain };
int64_t findBytesWith(ScanKernel kernel, const uint8_t* data, int64_t n, const uint8_t* pattern, int32_t m);

// The best scanner this processor runs: Avx2, Sse2, or Plain (always Plain
// in a build without vector scanners).
ScanKernel supportedScanKernel();

// Runs the current search (findText, read as hexadecimal when searchAsHex is
// set) from `start` to the end of the document; a start past the last byte
// starts at 0. Sets foundLength. Found: foundOffset, caretOffset = the match,
// caretNibble 0, returns 1; the caller brings the caret into view. Not found:
// reports string IDS_ERR_NOT_FOUND with findText through the seam, sets
// foundOffset to -1 and returns 0; the caller repaints and refreshes the toolbar.
// A findText that cannot be read as hexadecimal while searchAsHex is set (a
// plain text kept after only the radix was switched) is reported as
// IDS_ERR_INVALID_TEXT, and nothing is searched or changed.
int searchFrom(EditorState& s, WindowRef owner, int searchAsHex, int32_t start);

// Search: remembers `text` as findText and searches from just after the
// caret, so a match at the caret itself is skipped.
int searchAfterCaret(EditorState& s, WindowRef owner, int searchAsHex, const char* text);

// Find next: from one byte after the remembered match (from 0 when none).
// Does nothing and returns 0 when there is no search string.
int searchNext(EditorState& s, WindowRef owner, int searchAsHex);

// Find previous: the last match of findText (read as searchAsHex says) that
// starts before the caret; from the end of the document when the caret is on
// its first byte. Found and not found as searchFrom.
int searchPrevious(EditorState& s, WindowRef owner, int searchAsHex);

// The not-found error box: string IDS_ERR_NOT_FOUND formatted with `text`.
void reportNotFound(WindowRef owner, const char* text);

// Takes a match as find next does: foundOffset and foundLength, the caret on
// the match's high nibble.
void takeMatch(EditorState& s, int64_t at, int32_t length);

// The end of every search command: sets foundLength to `length`; with a
// match at `hit` takes it and returns 1, with none (hit < 0) reports
// IDS_ERR_NOT_FOUND with `text`, sets foundOffset to -1 and returns 0.
int settleSearch(EditorState& s, WindowRef owner, const char* text, int64_t hit, int32_t length);

// Jump: when `value` differs from the caret, puts the caret there (held within
// the document) on its high nibble and returns 1; otherwise changes nothing
// and returns 0.
int jumpToAddress(EditorState& s, int32_t value);
