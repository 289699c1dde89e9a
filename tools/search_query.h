// Reading what to search for: the bytes that a search text, a hexadecimal
// string or a typed value stands for, under the search and replace dialog's
// options. Nothing here searches; the engine (tools/search.h) takes the
// patterns these give.
#pragma once

#include <cstdint>

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

// A text of 64 bytes gives 64 pattern bytes; 64 hexadecimal characters give 32.
constexpr int kMaxQueryBytes = 64;
// Texts searched as UTF-16 or UTF-8 take up to four bytes a character.
constexpr int kMaxPatternBytes = 4 * kMaxQueryBytes;

// One position of a pattern matches a byte b when (b | ignore) == value: an
// exact byte has ignore 0, a letter in either case 0x20, a wildcard byte 0xFF
// (a wildcard nibble 0x0F or 0xF0). `value` always holds the ignored bits.
struct SearchPattern {
    uint8_t value[kMaxPatternBytes];
    uint8_t ignore[kMaxPatternBytes];
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
    searchBigEndian = 1u << 6,   // values of several bytes are stored high byte first
    searchByKind = 1u << 7,      // both texts are of the kind in searchKindBits, not text or hex
    searchKindBits = 0xFu << 8,  // the SearchKind chosen (kept while searchByKind is off)
    searchOptionsSet = 1u << 31  // the record was stored (the defaults apply otherwise)
};
constexpr int kSearchKindShift = 8;

// What a text stands for when searchByKind is set.
enum class SearchKind : uint32_t {
    int8, uint8, int16, uint16, int32, uint32, int64, uint64, float32, float64,
    utf16le, utf16be, utf8
};
constexpr int kSearchKindCount = 13;

// The kind held in `options` (int8 for a value out of the list).
SearchKind searchKind(uint32_t options);
uint32_t withSearchKind(uint32_t options, SearchKind kind);

// What the options make of the search text, for the options that apply to
// some kinds only: a value of several bytes (the byte order applies), a text
// (letter case applies), a text of the UTF kinds (handed in as UTF-8), a
// string of bytes as the text column shows them (whole characters apply).
bool searchesMultiByteValue(uint32_t options);
bool searchesText(uint32_t options);
bool searchesUnicodeText(uint32_t options);
bool searchesBytes(uint32_t options);

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

// The pattern of a search text under the dialog's options: as above for a
// text or hexadecimal bytes; with searchByKind a value of the kind, read as
// the data inspector reads typed values (within the type's range, in the
// chosen byte order), or a text of the UTF kinds given in UTF-8 (at most 64
// characters; without searchMatchCase an ASCII letter matches either case in
// the encoding too). Returns the length, 0 for an empty text, -1 for an
// invalid one.
int parseQueryPattern(const char* text, uint32_t options, SearchPattern& out);

// A replacement of the same kind: at most kMaxPatternBytes into `out`; the
// count, -1 when invalid (an empty text replaces with nothing, except that
// it is no value).
int parseQueryReplacement(const char* text, uint32_t options, uint8_t* out);
