#include <gtest/gtest.h>

#include "shell/file_name.h"
#include "tools/value_parse.h"

TEST(FileNamePart, TakesTextAfterLastSeparator) {
    char out[260];
    const char* path = "C:\\data\\dir/sub\\file.bin";
    EXPECT_EQ(fileNamePart(path, out), path + 16);
    EXPECT_STREQ(out, "file.bin");
    EXPECT_STREQ((fileNamePart("/usr/share/x.txt", out), out), "x.txt");
    // A backslash anywhere wins over a later slash.
    EXPECT_STREQ((fileNamePart("a\\b/c", out), out), "b/c");
}

TEST(FileNamePart, NoSeparatorGivesEmptyName) {
    char out[260] = "junk";
    EXPECT_EQ(fileNamePart("plain.txt", out), nullptr);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(fileNamePart(nullptr, out), nullptr);
    EXPECT_EQ(fileNamePart("x", nullptr), nullptr);
}

TEST(FileNamePart, ShiftJisTrailByteBackslashIsNotASeparator) {
    // 0x95 0x5C is one double-byte character whose trail byte is the backslash code.
    char out[260];
    const char path[] = "C:\\dir\\\x95\x5C.bin";
    EXPECT_STREQ((fileNamePart(path, out), out), "\x95\x5C.bin");
    const char trailOnly[] = "\x95\x5C" "abc";
    EXPECT_EQ(fileNamePart(trailOnly, out), nullptr);
}

TEST(ValueParse, HexDigitsAndTexts) {
    EXPECT_EQ(hexDigitValue('0'), 0);
    EXPECT_EQ(hexDigitValue('f'), 15);
    EXPECT_EQ(hexDigitValue('F'), 15);
    EXPECT_EQ(hexDigitValue('g'), -1);
    EXPECT_EQ(hexDigitValue(' '), -1);
    EXPECT_TRUE(isHexText("", false));
    EXPECT_TRUE(isHexText("0D 0A", true));
    EXPECT_FALSE(isHexText("0D 0A", false));
    EXPECT_FALSE(isHexText("0G", true));
    EXPECT_TRUE(isDecimalText(""));
    EXPECT_TRUE(isDecimalText("0255"));
    EXPECT_FALSE(isDecimalText("-1"));
    EXPECT_FALSE(isDecimalText("1 2"));
}

TEST(ValueParse, HexNumberStopsAtFirstNonDigitAndWraps) {
    EXPECT_EQ(parseHexNumber("1 2"), 1);
    EXPECT_EQ(parseHexNumber("ff"), 255);
    EXPECT_EQ(parseHexNumber("zz"), 0);
    EXPECT_EQ(parseHexNumber(""), 0);
    EXPECT_EQ(parseHexNumber("80000000"), INT32_MIN);
    EXPECT_EQ(parseHexNumber("100000001"), 1);  // kept modulo 2^32
}

TEST(ValueParse, UnsignedNumbersSaturateInsteadOfWrapping) {
    EXPECT_EQ(parseUnsignedSaturating("4294967294", 10), 4294967294u);
    EXPECT_EQ(parseUnsignedSaturating("4294967296", 10), 0xFFFFFFFFu);  // would wrap to 0
    EXPECT_EQ(parseUnsignedSaturating("100000001", 16), 0xFFFFFFFFu);
    EXPECT_EQ(parseUnsignedSaturating("0000000000000000000000000012", 10), 12u);
    EXPECT_EQ(parseUnsignedSaturating("1012", 2), 5u);  // stops at the first non-digit
    EXPECT_EQ(parseUnsignedSaturating("fF", 16), 255u);
    EXPECT_EQ(parseUnsignedSaturating("12", 8), 0u);
}
