#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "platform/platform_native.h"
#include "resource_ids.h"
#include "shell/editor_state.h"
#include "tools/value_entry.h"

namespace {

constexpr uint32_t kSize = 100;

struct CheckCase {
    const char* name;
    int32_t mode;
    const char* text;
    bool hex;
    int32_t maxLength;
    EntryVerdict verdict;
    int messageId;     // for Refuse
    int32_t value;     // for Accept; clampedValue for AskClamp
    uint32_t documentSize = kSize;
};

const char* const kOpenPath = "C:\\Data\\Moxel.bin";

const CheckCase kCases[] = {
    {"insert decimal 255", InsertCode, "255", false, 3, EntryVerdict::Accept, 0, 255},
    {"insert decimal 256", InsertCode, "256", false, 3, EntryVerdict::Refuse, IDS_ERR_INVALID_TEXT, 0},
    {"insert decimal 0255 too long", InsertCode, "0255", false, 3, EntryVerdict::Refuse, IDS_ERR_TOO_LONG, 0},
    {"insert opens with 00", InsertCode, "00", false, 3, EntryVerdict::Accept, 0, 0},
    {"insert hex FF", InsertCode, "FF", true, 3, EntryVerdict::Accept, 0, 255},
    {"insert hex 0FF over lowered limit", InsertCode, "0FF", true, 3, EntryVerdict::Refuse, IDS_ERR_TOO_LONG, 0},
    {"insert decimal rejects hex letters", InsertCode, "1A", false, 3, EntryVerdict::Refuse, IDS_ERR_INVALID_TEXT, 0},
    {"jump exactly max length", JumpAddress, "00000042", false, 8, EntryVerdict::Accept, 0, 42},
    {"jump one byte over", JumpAddress, "000000042", false, 8, EntryVerdict::Refuse, IDS_ERR_TOO_LONG, 0},
    {"hex reading stops at space", JumpAddress, "1 2", true, 8, EntryVerdict::Accept, 0, 1},
    {"jump last byte", JumpAddress, "99", false, 8, EntryVerdict::Accept, 0, 99},
    {"jump past end asks", JumpAddress, "100", false, 8, EntryVerdict::AskClamp, 0, 99},
    {"hex 80000000 is past the end, not 0", JumpAddress, "80000000", true, 8, EntryVerdict::AskClamp, 0, 99},
    {"hex FFFFFFFF is past the end", DeleteRange, "FFFFFFFF", true, 8, EntryVerdict::AskClamp, 0, 99},
    {"decimal takes the largest's last address", JumpAddress, "2147482646", false, kAddressEntryLength, EntryVerdict::Accept, 0, 2147482646, kMaxDocumentSize},
    {"decimal eleven digits", DeleteRange, "00000000042", false, kAddressEntryLength, EntryVerdict::Refuse, IDS_ERR_TOO_LONG, 0},
    {"hex stays at eight", DeleteRange, "000000042", true, kAddressEntryLength, EntryVerdict::Refuse, IDS_ERR_TOO_LONG, 0},
    {"ten digits beyond 32 bits ask", JumpAddress, "9999999999", false, kAddressEntryLength, EntryVerdict::AskClamp, 0, 2147482646, kMaxDocumentSize},
    {"delete decimal minus refused", DeleteRange, "-1", false, 8, EntryVerdict::Refuse, IDS_ERR_INVALID_TEXT, 0},
    {"search hex with space", SearchText, "0D 0A", true, 64, EntryVerdict::Accept, 0, 0},
    {"search hex bad digit", SearchText, "0G", true, 64, EntryVerdict::Refuse, IDS_ERR_INVALID_TEXT, 0},
    {"search text accepts anything", SearchText, "0G", false, 64, EntryVerdict::Accept, 0, 0},
    {"search hex odd digit count", SearchText, "0D 0", true, 64, EntryVerdict::Refuse, IDS_ERR_INVALID_TEXT, 0},
    {"search hex only spaces", SearchText, "   ", true, 64, EntryVerdict::Accept, 0, 0},
    {"compare own file other case", CompareFile, "c:\\DATA\\moxel.BIN", false, 260, EntryVerdict::Refuse, IDS_ERR_SAME_FILE, 0},
    {"compare other file", CompareFile, "C:\\Data\\Moxel.bak", false, 260, EntryVerdict::Accept, 0, 0},
    {"ascii text", AsciiText, "ab", false, 2, EntryVerdict::Accept, 0, 0},
    {"ascii text too long", AsciiText, "abc", false, 2, EntryVerdict::Refuse, IDS_ERR_TOO_LONG, 0},
};

}  // namespace

TEST(ValueEntryCheck, Cases) {
    for (const CheckCase& c : kCases) {
        SCOPED_TRACE(c.name);
        EntryCheck r = checkValueEntry(c.mode, c.text, c.hex, c.maxLength, c.documentSize, kOpenPath);
        ASSERT_EQ(static_cast<int>(r.verdict), static_cast<int>(c.verdict));
        switch (c.verdict) {
            case EntryVerdict::Refuse: EXPECT_EQ(r.messageId, c.messageId); break;
            case EntryVerdict::Accept: EXPECT_EQ(r.value, c.value); break;
            case EntryVerdict::AskClamp: EXPECT_EQ(r.clampedValue, c.value); break;
        }
    }
}

TEST(ValueEntryCheck, EmptyTextIsAcceptedInEveryMode) {
    for (int32_t mode : {InsertCode, JumpAddress, SearchText, DeleteRange, AsciiText, CompareFile}) {
        for (bool hex : {false, true}) {
            EntryCheck r = checkValueEntry(mode, "", hex, 8, kSize, "");
            EXPECT_EQ(static_cast<int>(r.verdict), static_cast<int>(EntryVerdict::Accept)) << mode;
        }
    }
}

TEST(ValueEntryCheck, CaseFoldingLeavesDoubleByteCharactersAlone) {
    // 0x83 0x41 and 0x83 0x61 are two different katakana whose trail bytes look like 'A' and 'a'.
    EntryCheck r = checkValueEntry(CompareFile, "C:\\\x83\x61.bin", false, 260, kSize, "C:\\\x83\x41.bin");
    EXPECT_EQ(static_cast<int>(r.verdict), static_cast<int>(EntryVerdict::Accept));
}

TEST(ValueEntryCheck, OnlyRadioModesStoreARadix) {
    EXPECT_EQ(checkValueEntry(AsciiText, "x", true, 8, kSize, "").radixChoice, -1);
    EXPECT_EQ(checkValueEntry(CompareFile, "x", true, 260, kSize, "").radixChoice, -1);
    EXPECT_EQ(checkValueEntry(JumpAddress, "x", false, 8, kSize, "").radixChoice, 0);
}

class ConfirmValueEntry : public ::testing::Test {
protected:
    void SetUp() override {
        resetNativeSeam();
        state.reset(allocateEditorState());
        state->documentSize = kSize;
        std::strcpy(state->filePath, kOpenPath);
        searchAsHex = 0;
    }
    ValueEntryRequest request(int32_t mode, const char* text, int32_t maxLength) {
        ValueEntryRequest r{};
        r.mode = mode;
        r.maxLength = maxLength;
        std::strcpy(r.text, text);
        return r;
    }
    struct Free {
        void operator()(EditorState* s) const { freeEditorState(s); }
    };
    std::unique_ptr<EditorState, Free> state;
};

TEST_F(ConfirmValueEntry, RefusalShowsItsMessageAndStillStoresTheRadix) {
    ValueEntryRequest r = request(SearchText, "0G", 64);
    EXPECT_EQ(confirmValueEntry(*state, nullptr, r, true), 0);
    EXPECT_EQ(searchAsHex, 1);
    ValueEntryRequest insert = request(InsertCode, "100", 3);
    EXPECT_EQ(confirmValueEntry(*state, nullptr, insert, true), 0);  // three characters in hex
    EXPECT_EQ(state->hexInput, 1);
    // Decimal chosen again in the same dialog: three digits are allowed again.
    std::strcpy(insert.text, "255");
    EXPECT_EQ(confirmValueEntry(*state, nullptr, insert, false), 1);
    EXPECT_EQ(insert.value, 255);
    EXPECT_EQ(state->hexInput, 0);
    const auto& events = nativeSeam().events;
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].messageId, IDS_ERR_INVALID_TEXT);
    EXPECT_EQ(events[0].text, "不正な文字列です。");
    EXPECT_EQ(events[1].messageId, IDS_ERR_TOO_LONG);
}

TEST_F(ConfirmValueEntry, PastTheEndAsksAndOkClampsToLastByte) {
    ValueEntryRequest r = request(JumpAddress, "500", 8);
    nativeSeam().answers = {answerCancel, answerOk};
    EXPECT_EQ(confirmValueEntry(*state, nullptr, r, false), 0);  // Cancel keeps the dialog open
    EXPECT_STREQ(r.text, "500");
    EXPECT_EQ(confirmValueEntry(*state, nullptr, r, false), 1);
    EXPECT_EQ(r.value, 99);
    const auto& events = nativeSeam().events;
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, SeamEvent::Question);
    EXPECT_EQ(events[0].style, questionOkCancel);
    EXPECT_EQ(events[0].text, "入力された値は範囲を超えています。最大値としますか？");
}

TEST_F(ConfirmValueEntry, AcceptedNumberAndEmptyTextLeaveNoTrace) {
    ValueEntryRequest r = request(DeleteRange, "1f", 8);
    EXPECT_EQ(confirmValueEntry(*state, nullptr, r, true), 1);
    EXPECT_EQ(r.value, 31);
    ValueEntryRequest empty = request(JumpAddress, "", 8);
    empty.value = 7;
    EXPECT_EQ(confirmValueEntry(*state, nullptr, empty, false), 1);
    EXPECT_EQ(empty.value, 7);
    EXPECT_TRUE(nativeSeam().events.empty());
}

TEST_F(ConfirmValueEntry, ATypedTextTooLongToHoldIsRefusedNotCut) {
    // The edit box has no limit of its own; a path cut to what the request
    // holds would name another file.
    std::string path = "C:\\" + std::string(300, 'd') + "\\other.bin";
    ValueEntryRequest r = request(CompareFile, "", 260);
    EXPECT_EQ(confirmValueEntry(*state, nullptr, r, false, path.c_str()), 0);
    ASSERT_EQ(nativeSeam().events.size(), 1u);
    EXPECT_EQ(nativeSeam().events[0].messageId, IDS_ERR_TOO_LONG);

    std::string longest(259, 'f');  // what the request holds with its terminator
    EXPECT_EQ(confirmValueEntry(*state, nullptr, r, false, longest.c_str()), 1);
    EXPECT_EQ(std::string(r.text), longest);

    ValueEntryRequest search = request(SearchText, "old", 64);
    EXPECT_EQ(confirmValueEntry(*state, nullptr, search, true, std::string(400, '0').c_str()), 0);
    EXPECT_EQ(searchAsHex, 1);  // the radix is stored even then
}
