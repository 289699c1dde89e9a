// Searching the document: the scanners over bytes, the searches with options
// (backwards, letters in either case, wildcard bytes, matches that begin and
// end on a character as the text column pairs Shift-JIS bytes, matches within
// a range), and the search commands of the prompt. What to search for is read
// by tools/search_query.h.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "shell/editor_state.h"
#include "tools/progress.h"
#include "tools/search_query.h"

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

// Where a search looks: the whole document (character pairing runs from its
// first byte) and the range [begin, end) that a match must lie within.
struct SearchScope {
    const uint8_t* bytes;
    int64_t size;
    int64_t begin;
    int64_t end;
    bool wholeChars;
};

// The whole document as the scope.
SearchScope wholeDocument(const uint8_t* bytes, int64_t size, bool wholeChars);

// Whether the pattern matches the bytes at `p` (pattern.length of them).
bool patternMatchesAt(const uint8_t* p, const SearchPattern& pattern);

// The searches below tell `step` how far they got every kProgressBytes of
// starts; when it says stop they return kSearchCancelled (false for
// findAllMatches), having changed nothing.
constexpr int64_t kProgressBytes = int64_t{4} << 20;
constexpr int64_t kSearchCancelled = -2;

// The first match that starts at `from` or after it; -1 when none.
int64_t findForward(const SearchScope& scope, const SearchPattern& pattern, int64_t from,
                    const ProgressStep& step = {});

// The last match that starts before `before`; -1 when none.
int64_t findBackward(const SearchScope& scope, const SearchPattern& pattern, int64_t before,
                     const ProgressStep& step = {});

// Every match of the scope from its start, each beginning after the end of
// the one before (the matches replace-all replaces), appended to `out`.
bool findAllMatches(const SearchScope& scope, const SearchPattern& pattern, std::vector<uint32_t>& out,
                    const ProgressStep& step = {});

// The scanner the searches with options use (Best: the one the processor
// runs), chosen one by one by the tests. An unsupported one falls back to the
// plain scanner.
void setQueryKernel(ScanKernel kernel);

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
// caret, so a match at the caret itself is skipped. From then on find next
// and find previous repeat this search, not the dialog's.
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
