#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/shift_jis.h"
#include "tools/inspect.h"

namespace {

using R = InspectRow;
using K = InspectKind;
constexpr Endian LE = Endian::little, BE = Endian::big;

std::vector<uint8_t> bytesOf(const std::string& hex) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return out;
}

std::string hexOf(const uint8_t* p, size_t n) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (size_t i = 0; i < n; ++i) s += {digits[p[i] >> 4], digits[p[i] & 15]};
    return s;
}

struct Decode {
    R row;
    Endian endian;
    const char* hex;
    size_t offset;
    K kind;
    const char* text;
    std::string character = {};  // Shift-JIS row: its bytes
    std::u16string wide = {};    // UTF rows
};

// Rows whose shown text is also their typed form: each value found here is
// written back to the same bytes.
bool roundTrips(R row) { return row != R::shiftJis && row != R::utf8 && row != R::utf16; }

}  // namespace

TEST(Inspect, ReadsEveryRowAndWritesItsTextBack) {
    const Decode cases[] = {
        {R::binary, LE, "41", 0, K::value, "01000001"},
        {R::int8, LE, "80", 0, K::value, "-128"},
        {R::uint8, LE, "80", 0, K::value, "128"},
        {R::int16, LE, "FF7F", 0, K::value, "32767"},
        {R::int16, BE, "FF7F", 0, K::value, "-129"},
        {R::uint16, BE, "FF7F", 0, K::value, "65407"},
        {R::int32, LE, "00000080", 0, K::value, "-2147483648"},
        {R::int32, BE, "00000080", 0, K::value, "128"},
        {R::uint32, LE, "FFFFFFFF", 0, K::value, "4294967295"},
        {R::int64, LE, "0000000000000080", 0, K::value, "-9223372036854775808"},
        {R::uint64, BE, "FFFFFFFFFFFFFFFF", 0, K::value, "18446744073709551615"},
        {R::float32, LE, "0000803F", 0, K::value, "1"},
        {R::float32, BE, "7F800000", 0, K::value, "inf"},
        {R::float32, BE, "FF800000", 0, K::value, "-inf"},
        {R::float32, LE, "0000C07F", 0, K::value, "nan"},
        {R::float64, LE, "9A9999999999B93F", 0, K::value, "0.1"},
        {R::float64, BE, "7FEFFFFFFFFFFFFF", 0, K::value, "1.7976931348623157e+308"},
        {R::float64, LE, "000000000000F87F", 0, K::value, "nan"},
        // Nothing is read past the end.
        {R::int32, LE, "010203", 0, K::pastEnd, ""},
        {R::uint64, LE, "00112233445566778899", 3, K::pastEnd, ""},
        {R::int8, LE, "01", 1, K::pastEnd, ""},
        // Shift-JIS as the text column pairs it, from the second byte too.
        {R::shiftJis, LE, "82A0", 0, K::value, "82A0", "\x82\xA0"},
        {R::shiftJis, LE, "82A0", 1, K::value, "82A0", "\x82\xA0"},
        {R::shiftJis, LE, "818182A0", 2, K::value, "82A0", "\x82\xA0"},
        {R::shiftJis, LE, "41B1", 1, K::value, "B1", "\xB1"},
        {R::shiftJis, LE, "0A", 0, K::value, "0A"},
        {R::shiftJis, LE, "8120", 0, K::invalid, "8120"},
        {R::shiftJis, LE, "FF", 0, K::invalid, "FF"},
        {R::shiftJis, LE, "4182", 1, K::pastEnd, ""},
        {R::utf8, LE, "E38182", 0, K::value, "U+3042", "", u"あ"},
        {R::utf8, LE, "F09F9880", 0, K::value, "U+1F600", "", u"\U0001F600"},
        {R::utf8, LE, "0A", 0, K::value, "U+000A"},
        {R::utf8, LE, "C0AF", 0, K::invalid, ""},
        {R::utf8, LE, "EDA080", 0, K::invalid, ""},
        {R::utf8, LE, "E34142", 0, K::invalid, ""},
        {R::utf8, LE, "80", 0, K::invalid, ""},
        {R::utf8, LE, "E381", 0, K::pastEnd, ""},
        {R::utf16, LE, "4230", 0, K::value, "U+3042", "", u"あ"},
        {R::utf16, BE, "3042", 0, K::value, "U+3042", "", u"あ"},
        {R::utf16, LE, "3DD800DE", 0, K::value, "U+1F600", "", u"\U0001F600"},
        {R::utf16, LE, "00DC", 0, K::invalid, ""},
        {R::utf16, LE, "3DD84100", 0, K::invalid, ""},
        {R::utf16, LE, "3DD8", 0, K::pastEnd, ""},
        // Dates at the edges of their ranges.
        {R::time32, LE, "00000000", 0, K::value, "1970/01/01 00:00:00"},
        {R::time32, LE, "FFFFFF7F", 0, K::value, "2038/01/19 03:14:07"},
        {R::time32, LE, "00000080", 0, K::value, "1901/12/13 20:45:52"},
        {R::time64, LE, "7F41F4FF3A000000", 0, K::value, "9999/12/31 23:59:59"},
        {R::time64, LE, "8041F4FF3A000000", 0, K::outOfRange, ""},
        {R::time64, LE, "0000000000000080", 0, K::outOfRange, ""},
        {R::fileTime, LE, "0000000000000000", 0, K::value, "1601/01/01 00:00:00"},
        {R::fileTime, LE, "00803ED5DEB19D01", 0, K::value, "1970/01/01 00:00:00"},
        {R::fileTime, LE, "FFFFFFFFFFFFFFFF", 0, K::outOfRange, ""},
        {R::dosDateTime, LE, "5C645D58", 0, K::value, "2024/02/29 12:34:56"},
        {R::dosDateTime, LE, "00000000", 0, K::invalid, ""},
        {R::dosDateTime, LE, "00005E58", 0, K::invalid, ""},  // 2024/02/30
        {R::oleDate, LE, "0000000000000000", 0, K::value, "1899/12/30 00:00:00"},
        {R::oleDate, LE, "000000000000F4BF", 0, K::value, "1899/12/29 06:00:00"},
        {R::oleDate, LE, "E99EFFFF40924641", 0, K::value, "9999/12/31 23:59:59"},
        {R::oleDate, LE, "0000000060E34641", 0, K::outOfRange, ""},
        {R::oleDate, LE, "000000000000F87F", 0, K::invalid, ""},
        {R::guid, LE, "00112233445566778899AABBCCDDEEFF", 0, K::value, "{33221100-5544-7766-8899-AABBCCDDEEFF}"},
        {R::colorRef, LE, "FF800000", 0, K::value, "255, 128, 0"},
    };
    for (const Decode& c : cases) {
        const std::vector<uint8_t> b = bytesOf(c.hex);
        const InspectValue v = inspectValue(b.data(), b.size(), c.offset, c.row, c.endian);
        const std::string where = std::string(c.hex) + " row " + std::to_string(static_cast<int>(c.row)) +
                                  (c.endian == BE ? " BE" : " LE");
        EXPECT_EQ(v.kind, c.kind) << where;
        EXPECT_STREQ(v.text, c.text) << where;
        EXPECT_EQ(std::string(v.character), c.character) << where;
        EXPECT_EQ(std::u16string(v.wide), c.wide) << where;
        if (c.kind != K::value || !roundTrips(c.row)) continue;
        const EncodedValue e = encodeValue(c.row, c.endian, v.text);
        ASSERT_TRUE(e.ok) << where;
        EXPECT_EQ(hexOf(e.bytes, e.length), hexOf(b.data() + c.offset, v.length)) << where;
    }
    EXPECT_EQ(inspectValue(bytesOf("41B1").data(), 2, 1, R::colorRef, LE).kind, K::pastEnd);
    EXPECT_EQ(inspectValue(bytesOf("FF800010").data(), 4, 0, R::colorRef, LE).color, 0x0080FFu);
    // A caret on the second byte of a pair stands in the character that begins before it.
    const std::vector<uint8_t> pair = bytesOf("82A0");
    EXPECT_EQ(characterStart(pair.data(), pair.size(), 1), 0u);
}

TEST(Inspect, TypedValuesBecomeBytesOrAreRefused) {
    struct Encode {
        R row;
        Endian endian;
        const char* text;
        const char* hex;  // empty: refused
    };
    const Encode cases[] = {
        {R::int8, LE, "-128", "80"},        {R::int8, LE, "128", ""},          {R::int8, LE, "0x7F", "7F"},
        {R::int8, LE, "0x80", ""},          {R::int8, LE, "-0x80", "80"},      {R::uint8, LE, " 0x1f ", "1F"},
        {R::uint8, LE, "256", ""},          {R::uint8, LE, "-1", ""},          {R::int16, BE, "-2", "FFFE"},
        {R::int16, LE, "-2", "FEFF"},       {R::uint64, LE, "18446744073709551616", ""},
        {R::int64, LE, "9223372036854775808", ""},                             {R::int32, LE, "12a", ""},
        {R::int32, LE, "", ""},             {R::int32, LE, "0x", ""},          {R::binary, LE, "101", "05"},
        {R::binary, LE, "100000000", ""},   {R::binary, LE, "12", ""},         {R::float32, LE, "inf", "0000807F"},
        {R::float32, LE, "-inf", "000080FF"}, {R::float32, LE, "1e39", ""},    {R::float64, BE, "0.1", "3FB999999999999A"},
        {R::float64, LE, "abc", ""},        {R::shiftJis, LE, "\x82\xA0", "82A0"}, {R::shiftJis, LE, "A", "41"},
        {R::shiftJis, LE, "\x82", ""},      {R::shiftJis, LE, "AB", ""},       {R::utf8, LE, "あ", "E38182"},
        {R::utf8, LE, "U+1F600", "F09F9880"}, {R::utf8, LE, "U+D800", ""},     {R::utf8, LE, "ab", ""},
        {R::utf16, LE, "U+1F600", "3DD800DE"}, {R::utf16, BE, "あ", "3042"},   {R::utf16, LE, "\xC0\xAF", ""},
        {R::time32, LE, "2038/01/19 03:14:08", ""},                            {R::time32, LE, "1970/02/30 00:00:00", ""},
        {R::time32, LE, "1970/1/2  3:04:05", "A57C0100"},                      {R::time32, LE, "1970/01/01", ""},
        {R::fileTime, LE, "1600/12/31 23:59:59", ""},                          {R::dosDateTime, LE, "2024/02/29 12:34:57", ""},
        {R::dosDateTime, LE, "1979/12/31 00:00:00", ""},                       {R::oleDate, LE, "0099/12/31 00:00:00", ""},
        {R::guid, LE, "33221100-5544-7766-8899-AABBCCDDEEFF", "00112233445566778899AABBCCDDEEFF"},
        {R::guid, LE, "{33221100-5544-7766-8899-AABBCCDDEEF}", ""},            {R::guid, LE, "{33221100-5544-7766-88-9AABBCCDDEEFF}", ""},
        {R::colorRef, LE, "1,2,3", "01020300"}, {R::colorRef, LE, "256, 0, 0", ""}, {R::colorRef, LE, "1, 2", ""},
    };
    for (const Encode& c : cases) {
        const EncodedValue e = encodeValue(c.row, c.endian, c.text);
        EXPECT_EQ(e.ok ? hexOf(e.bytes, e.length) : "", c.hex) << c.text << " row " << static_cast<int>(c.row);
    }
}
