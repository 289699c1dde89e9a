// The data inspector's values: the bytes at the caret read as numbers,
// characters, dates, a GUID and a colour, and a typed value turned back into
// the bytes that stand for it. Nothing here knows about windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum class InspectRow : int {
    binary,
    int8,
    uint8,
    int16,
    uint16,
    int32,
    uint32,
    int64,
    uint64,
    float32,
    float64,
    shiftJis,
    utf8,
    utf16,
    time32,
    time64,
    fileTime,
    dosDateTime,
    oleDate,
    guid,
    colorRef,
};
constexpr int kInspectRowCount = 21;

enum class Endian : int { little, big };

// Rows read both ways and shown side by side; the others read their bytes as
// the format they stand for does (little endian where that matters).
bool hasBothEndians(InspectRow row);

enum class InspectKind : uint8_t {
    value,       // text (and character, colour) hold the value
    pastEnd,     // the value would need bytes past the end of the document
    invalid,     // the bytes do not form a value of the row (text may hold their code)
    outOfRange,  // a date outside the years 1 to 9999 (FILETIME from 1601, OLE from 100)
};

struct InspectValue {
    InspectKind kind;
    char text[48];      // ASCII, typed back to the same bytes; for the character rows the code ("82A0", "U+3042")
    char character[4];  // shiftJis: the character's own bytes; empty for a control byte
    char16_t wide[3];   // utf8, utf16: the character in UTF-16; empty for a control character
    uint32_t color;     // colorRef: 0x00BBGGRR
    uint32_t length;    // bytes the value takes (shiftJis: from where its character begins)
};

// The value of `row` read from offset `offset` of the `size` bytes; never
// reads at or past `size`. The Shift-JIS character is the one the text column
// shows there: a caret on the second byte of a pair shows that pair.
InspectValue inspectValue(const uint8_t* bytes, size_t size, size_t offset, InspectRow row, Endian endian);

// The text a value of `row` is typed in, which encodeValue turns back into
// exactly the bytes it was read from; empty for what is no value. For the
// other rows it is the value's text; the character rows give the character
// itself (UTF-8; the Shift-JIS row in Shift-JIS), or with `asCode`, and for
// a control character or a space, its code ("U+000A", "0x0A", "0x82A0").
std::string typedText(const InspectValue& v, InspectRow row, bool asCode = false);

struct EncodedValue {
    bool ok;  // false: the text is not a value of the row, or it does not fit
    uint8_t bytes[16];
    uint32_t length;  // the bytes to write
    uint32_t span;    // the bytes the value takes; more than `length` where bytes are kept (COLORREF)
};

// The bytes for a typed value of `row`. The text is UTF-8, except for the
// Shift-JIS row, whose text is in Shift-JIS. Spaces around it are ignored
// (a character row takes a lone space as that character).
//   integers: decimal, or hexadecimal after "0x", with a sign where the type
//             has one; the value must lie within the type's range;
//   binary:   one to eight binary digits;
//   floats:   decimal or exponent form, "inf", "-inf", "nan", "-nan", and a
//             NaN with its payload (the fraction bits) as "nan(0x400001)";
//   characters: the character itself, or its code: "U+" and hexadecimal
//             digits (UTF rows), "0x" and two or four (Shift-JIS);
//   dates:    "YYYY/MM/DD hh:mm:ss" within the format's range (DOS: even
//             seconds); FILETIME takes up to seven digits of a second after
//             it ("…:56.1234567"), the OLE date any number; the OLE date
//             also takes its number of days ("45351.5");
//   GUID:     32 hexadecimal digits as 8-4-4-4-12, braces optional;
//   COLORREF: "R, G, B", each 0 to 255, which keeps the fourth byte, or
//             "R, G, B, X" with the fourth byte (shown when it is not 0).
EncodedValue encodeValue(InspectRow row, Endian endian, std::string_view text);
