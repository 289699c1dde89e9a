#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "resource_ids.h"
#include "tools/number_convert.h"

TEST(FormatBinary, PadsToTheBitCountAndRefusesZero) {
    char out[300];
    EXPECT_TRUE(formatBinary(100, 8, out));
    EXPECT_STREQ(out, "01100100");
    EXPECT_TRUE(formatBinary(0xFFFFFFFEu, 32, out));
    EXPECT_STREQ(out, "11111111111111111111111111111110");
    EXPECT_TRUE(formatBinary(1, 40, out));  // bits above 31 read as zero
    EXPECT_EQ(std::string(out), std::string(39, '0') + "1");
    std::strcpy(out, "keep");
    EXPECT_FALSE(formatBinary(0, 8, out));
    EXPECT_FALSE(formatBinary(5, 260, out));
    EXPECT_FALSE(formatBinary(5, 0, out));
    EXPECT_FALSE(formatBinary(5, 8, nullptr));
    EXPECT_STREQ(out, "keep");
    EXPECT_TRUE(isBinaryText(""));
    EXPECT_FALSE(isBinaryText("102"));
}

TEST(SyncNumberText, WritesTheOtherTwoFields) {
    NumberSync hex = syncNumberText(IDC_NC_HEX, "ff");
    ASSERT_EQ(hex.outcome, SyncOutcome::Write);
    EXPECT_STREQ(hex.decimalText, "255");
    EXPECT_STREQ(hex.binaryText, "11111111");
    EXPECT_STREQ(hex.hexText, "");  // the typed "ff" stays as typed

    NumberSync dec = syncNumberText(IDC_NC_DECIMAL, "100");
    EXPECT_STREQ(dec.hexText, "64");
    EXPECT_STREQ(dec.binaryText, "01100100");
    EXPECT_STREQ(dec.decimalText, "");

    NumberSync bin = syncNumberText(IDC_NC_BINARY, "1");
    EXPECT_STREQ(bin.hexText, "1");
    EXPECT_STREQ(bin.decimalText, "1");

    NumberSync zero = syncNumberText(IDC_NC_DECIMAL, "000");
    EXPECT_STREQ(zero.hexText, "0");
    EXPECT_STREQ(zero.binaryText, "0");

    NumberSync max = syncNumberText(IDC_NC_DECIMAL, "4294967294");
    ASSERT_EQ(max.outcome, SyncOutcome::Write);
    EXPECT_STREQ(max.hexText, "FFFFFFFE");
}

TEST(SyncNumberText, BeepsOnBadDigitsAndOverflow) {
    for (const char* text : {"4294967295", "4294967296", "99999999999999999999", "-1", " ", "0x", "1a"}) {
        EXPECT_EQ(syncNumberText(IDC_NC_DECIMAL, text).outcome, SyncOutcome::Beep) << text;
    }
    EXPECT_EQ(syncNumberText(IDC_NC_HEX, "FFFFFFFF").outcome, SyncOutcome::Beep);
    EXPECT_EQ(syncNumberText(IDC_NC_HEX, "100000000").outcome, SyncOutcome::Beep);
    EXPECT_EQ(syncNumberText(IDC_NC_HEX, "0x1").outcome, SyncOutcome::Beep);
    EXPECT_EQ(syncNumberText(IDC_NC_BINARY, "12").outcome, SyncOutcome::Beep);
    EXPECT_EQ(syncNumberText(IDC_NC_BINARY, std::string(33, '1').c_str()).outcome, SyncOutcome::Beep);
    EXPECT_EQ(syncNumberText(IDC_NC_HEX, "").outcome, SyncOutcome::Nothing);
}
