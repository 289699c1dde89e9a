#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
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

std::string where(R row, Endian endian, const uint8_t* bytes, size_t size) {
    return hexOf(bytes, size) + " row " + std::to_string(static_cast<int>(row)) + (endian == BE ? " BE" : " LE");
}

// The value at `offset`, typed back as the editor offers it (and the
// character rows by their code too), gives the very bytes it was read from,
// and takes as many. False when there is no value there.
bool expectTypedBack(const uint8_t* bytes, size_t size, size_t offset, R row, Endian endian) {
    const InspectValue v = inspectValue(bytes, size, offset, row, endian);
    if (v.kind != K::value) return false;
    const size_t start = row == R::shiftJis ? characterStart(bytes, size, offset) : offset;
    for (const std::string& text : {typedText(v, row), typedText(v, row, true)}) {
        const EncodedValue e = encodeValue(row, endian, text);
        EXPECT_TRUE(e.ok && e.span == v.length && hexOf(e.bytes, e.length) == hexOf(bytes + start, e.length))
            << text << " at " << where(row, endian, bytes, size);
    }
    return true;
}

// Eight bytes of many shapes: raw; integers of every magnitude (times and
// FILETIMEs within the years shown); doubles within the OLE date's range;
// NaNs and infinities (the float32 one in the low half).
uint64_t sampleBits(std::mt19937_64& random, int shape) {
    const uint64_t raw = random(), magnitude = raw >> (raw % 64);
    const double d = std::uniform_real_distribution<double>(-657434.0, 2958466.0)(random);
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    const uint64_t shapes[4] = {raw, random() % 2 != 0 ? ~magnitude + 1 : magnitude, bits,
                                raw | 0x7FF0000000000000 | 0x7F800000};
    return shapes[shape];
}

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
        // Negative zero, the smallest denormals and NaNs with their sign and payload.
        {R::float32, BE, "80000000", 0, K::value, "-0"},
        {R::float64, LE, "0100000000000000", 0, K::value, "5e-324"},
        {R::float32, BE, "7FC00001", 0, K::value, "nan(0x400001)"},
        {R::float64, BE, "FFF8000000000001", 0, K::value, "-nan(0x8000000000001)"},
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
        {R::shiftJis, LE, "20", 0, K::value, "20", " "},
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
        {R::fileTime, LE, "0100000000000000", 0, K::value, "1601/01/01 00:00:00.0000001"},
        {R::fileTime, LE, "876EB99F56A8DA01", 0, K::value, "2024/05/17 12:34:56.1234567"},
        {R::fileTime, LE, "40E3F29F56A8DA01", 0, K::value, "2024/05/17 12:34:56.5"},
        {R::fileTime, LE, "FFFFFFFFFFFFFFFF", 0, K::outOfRange, ""},
        {R::dosDateTime, LE, "5C645D58", 0, K::value, "2024/02/29 12:34:56"},
        {R::dosDateTime, LE, "00000000", 0, K::invalid, ""},
        {R::dosDateTime, LE, "00005E58", 0, K::invalid, ""},  // 2024/02/30
        {R::oleDate, LE, "0000000000000000", 0, K::value, "1899/12/30 00:00:00"},
        {R::oleDate, LE, "000000000000F4BF", 0, K::value, "1899/12/29 06:00:00"},
        {R::oleDate, LE, "E99EFFFF40924641", 0, K::value, "9999/12/31 23:59:59"},
        {R::oleDate, LE, "00000000351024C1", 0, K::value, "0100/01/01 12:00:00"},
        // Where no date is the same number, the number of days.
        {R::oleDate, LE, "0098A69F56A8DA01", 0, K::value, "9.951416756898516e-300"},
        {R::oleDate, LE, "0100000000000000", 0, K::value, "5e-324"},
        {R::oleDate, LE, "000000000000D0BF", 0, K::value, "-0.25"},
        {R::oleDate, LE, "0000000060E34641", 0, K::outOfRange, ""},
        {R::oleDate, LE, "000000000000F87F", 0, K::invalid, ""},
        {R::guid, LE, "00112233445566778899AABBCCDDEEFF", 0, K::value, "{33221100-5544-7766-8899-AABBCCDDEEFF}"},
        {R::colorRef, LE, "FF800000", 0, K::value, "255, 128, 0"},
        {R::colorRef, LE, "30281313", 0, K::value, "48, 40, 19, 0x13"},
    };
    for (const Decode& c : cases) {
        const std::vector<uint8_t> b = bytesOf(c.hex);
        const InspectValue v = inspectValue(b.data(), b.size(), c.offset, c.row, c.endian);
        const std::string at = where(c.row, c.endian, b.data(), b.size());
        EXPECT_EQ(v.kind, c.kind) << at;
        EXPECT_STREQ(v.text, c.text) << at;
        EXPECT_EQ(std::string(v.character), c.character) << at;
        EXPECT_EQ(std::u16string(v.wide), c.wide) << at;
        EXPECT_EQ(expectTypedBack(b.data(), b.size(), c.offset, c.row, c.endian), c.kind == K::value);
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
        {R::colorRef, LE, "1,2,3", "010203"}, {R::colorRef, LE, "256, 0, 0", ""}, {R::colorRef, LE, "1, 2", ""},
        {R::colorRef, LE, "1, 2, 3, 0x10", "01020310"}, {R::colorRef, LE, "1, 2, 3, 4, 5", ""},
        {R::float32, LE, "-NaN", "0000C0FF"}, {R::float32, BE, "nan(0x800000)", ""}, {R::float64, BE, "nan(1)", ""},
        {R::fileTime, LE, "1601/01/01 00:00:00.5", "404B4C0000000000"},
        {R::fileTime, LE, "1601/01/01 00:00:00.12345678", ""},        {R::time32, LE, "1970/01/01 00:00:00.5", ""},
        {R::oleDate, LE, "45351.5", "00000000F024E640"},               {R::oleDate, LE, "-657435", ""},
        {R::oleDate, LE, "inf", ""},        {R::shiftJis, LE, "0x82a0", "82A0"}, {R::shiftJis, LE, "0x82", ""},
        {R::shiftJis, LE, "0x8120", ""},    {R::utf16, BE, " ", "0020"},        {R::utf8, LE, "  ", ""},
    };
    for (const Encode& c : cases) {
        const EncodedValue e = encodeValue(c.row, c.endian, c.text);
        EXPECT_EQ(e.ok ? hexOf(e.bytes, e.length) : "", c.hex) << c.text << " row " << static_cast<int>(c.row);
    }
}

TEST(Inspect, EveryShownValueTypedBackGivesItsBytes) {
    std::mt19937_64 random(0x1DA8569F);
    int shown[kInspectRowCount] = {};
    for (int sample = 0; sample < 10000; ++sample) {
        // A byte before the value, so that a Shift-JIS pair may begin there.
        uint8_t b[17];
        for (uint8_t& byte : b) byte = static_cast<uint8_t>(random());
        const uint64_t bits = sampleBits(random, sample % 4);
        for (int i = 0; i < 8; ++i) b[1 + i] = static_cast<uint8_t>(bits >> (8 * i));
        if (random() % 2 != 0) std::reverse(b + 1, b + 9);
        for (int r = 0; r < kInspectRowCount; ++r) {
            for (Endian endian : {LE, BE}) shown[r] += expectTypedBack(b, sizeof b, 1, static_cast<R>(r), endian);
        }
        if (HasFailure()) return;
    }
    // Every row showed values enough for the property to say something.
    for (int r = 0; r < kInspectRowCount; ++r) EXPECT_GT(shown[r], 1000) << "row " << r;

    // Whole-second dates typed into the date rows read back as typed.
    const auto field = [&random](unsigned from, unsigned n) { return from + static_cast<unsigned>(random() % n); };
    for (int sample = 0; sample < 5000; ++sample) {
        char text[32];
        std::snprintf(text, sizeof text, "%04u/%02u/%02u %02u:%02u:%02u", field(1601, 8399), field(1, 12), field(1, 28),
                      field(0, 24), field(0, 60), field(0, 60));
        for (R row : {R::time64, R::fileTime, R::oleDate}) {
            const EncodedValue e = encodeValue(row, LE, text);
            EXPECT_STREQ(inspectValue(e.bytes, e.length, 0, row, LE).text, text) << static_cast<int>(row);
        }
    }
}
