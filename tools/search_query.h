// Searching with options: backwards, ASCII letters in either case, wildcard
// bytes in hexadecimal patterns, matches that begin and end on a character
// as the text column pairs Shift-JIS bytes, and matches within a range.
//
// The plain search of findText keeps findBytes; these are for the search and
// replace dialog and find previous.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/search.h"

// A text of 64 bytes gives 64 pattern bytes; 64 hexadecimal characters give 32.
constexpr int kMaxQueryBytes = 64;

// One position of a pattern matches a byte b when (b | ignore) == value: an
// exact byte has ignore 0, a letter in either case 0x20, a wildcard byte 0xFF
// (a wildcard nibble 0x0F or 0xF0). `value` always holds the ignored bits.
struct SearchPattern {
    uint8_t value[kMaxQueryBytes];
    uint8_t ignore[kMaxQueryBytes];
    int32_t length;
};

// The options of the search and replace dialog, as stored.
enum SearchOption : uint32_t {
    searchMatchCase = 1u << 0,   // off: ASCII letters of a text match either case
    searchWholeChars = 1u << 1,  // a match begins and ends on a character
    searchInSelection = 1u << 2, // only within the selected rows
    searchUp = 1u << 3,          // towards the start of the document
    searchWrap = 1u << 4,        // continue from the other end
    searchHex = 1u << 5,         // both texts are hexadecimal bytes
    searchOptionsSet = 1u << 31  // the record was stored (the defaults apply otherwise)
};

// The pattern of a search text. Hexadecimal: spaces are dropped, each pair of
// characters is one byte, "?" stands for any nibble ("??" any byte); an odd
// count or another character is invalid. A text: its bytes, where without
// matchCase an ASCII letter matches either case (the byte after a Shift-JIS
// lead byte is always exact). Returns the length, 0 for an empty pattern, -1
// for an invalid one.
int parseSearchPattern(const char* text, bool hex, bool matchCase, SearchPattern& out);

// The bytes of a replacement text: hexadecimal digits in pairs (spaces
// dropped, no wildcards) or the text's own bytes. Writes at most
// kMaxQueryBytes into `out`; returns the count, -1 when invalid.
int parseReplacement(const char* text, bool hex, uint8_t* out);

// Whether the pattern matches the bytes at `p` (pattern.length of them).
bool patternMatchesAt(const uint8_t* p, const SearchPattern& pattern);

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

// The first match that starts at `from` or after it; -1 when none.
int64_t findForward(const SearchScope& scope, const SearchPattern& pattern, int64_t from);

// The last match that starts before `before`; -1 when none.
int64_t findBackward(const SearchScope& scope, const SearchPattern& pattern, int64_t before);

// Every match of the scope from its start, each beginning after the end of
// the one before (the matches replace-all replaces), appended to `out`.
void findAllMatches(const SearchScope& scope, const SearchPattern& pattern, std::vector<uint32_t>& out);

// The scanner the searches use (ScanKernel of tools/search.h; Best: the one
// the processor runs), chosen one by one by the tests. An unsupported one
// falls back to the plain scanner.
void setQueryKernel(ScanKernel kernel);
