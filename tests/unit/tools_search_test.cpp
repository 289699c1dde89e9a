#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/platform_native.h"
#include "resource_ids.h"
#include "shell/editor_state.h"
#include "tools/search.h"

namespace {

int64_t naiveFind(const std::vector<uint8_t>& d, const std::vector<uint8_t>& p) {
    if (p.empty() || p.size() > d.size()) return -1;
    for (size_t i = 0; i + p.size() <= d.size(); ++i) {
        if (std::memcmp(d.data() + i, p.data(), p.size()) == 0) return static_cast<int64_t>(i);
    }
    return -1;
}

void expectAllAgree(const std::vector<uint8_t>& d, const std::vector<uint8_t>& p) {
    int64_t expected = naiveFind(d, p);
    int32_t n = static_cast<int32_t>(d.size()), m = static_cast<int32_t>(p.size());
    ASSERT_EQ(findBytesPlain(d.data(), n, p.data(), m), expected) << "n=" << n << " m=" << m;
    for (ScanKernel k : {ScanKernel::Best, ScanKernel::Avx2, ScanKernel::Sse2, ScanKernel::Plain}) {
        ASSERT_EQ(findBytesWith(k, d.data(), n, p.data(), m), expected)
            << "kernel " << static_cast<int>(k) << " n=" << n << " m=" << m;
    }
}

std::vector<uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }

}  // namespace

TEST(HexTextToBytes, PairsWithSpacesIgnored) {
    for (const char* text : {"0d0a", "0D0A", "0D 0A", " 0 D0A "}) {
        uint8_t out[kHexPatternBufferSize] = {0xEE, 0xEE, 0xEE};
        ASSERT_EQ(hexTextToBytes(text, out), 2) << text;
        EXPECT_EQ(out[0], 0x0D);
        EXPECT_EQ(out[1], 0x0A);
        EXPECT_EQ(out[2], 0);
    }
}

TEST(HexTextToBytes, NothingToSearchForGivesZero) {
    uint8_t out[kHexPatternBufferSize];
    EXPECT_EQ(hexTextToBytes("", out), 0);
    EXPECT_EQ(hexTextToBytes("   ", out), 0);
    EXPECT_EQ(hexTextToBytes("0D0", out), 0);  // odd: no half bytes
    EXPECT_EQ(hexTextToBytes("abc!", out), 0);  // a plain text left over from a text search
}

TEST(HexTextToBytes, ReadsAtMost64Digits) {
    std::string text(70, 'A');
    uint8_t out[kHexPatternBufferSize + 8];
    std::memset(out, 0x55, sizeof out);
    EXPECT_EQ(hexTextToBytes(text.c_str(), out), kMaxHexPatternBytes);
    EXPECT_EQ(out[kMaxHexPatternBytes], 0);
    EXPECT_EQ(out[kMaxHexPatternBytes + 1], 0x55);
}

TEST(FindBytes, EdgePositionsOverlapAndShortData) {
    auto d = bytes("abcabcabcX");
    expectAllAgree(d, bytes("abc"));       // at the very start
    expectAllAgree(d, bytes("bcX"));       // at the very end
    expectAllAgree(d, bytes("cabcab"));    // overlapping occurrences
    expectAllAgree(d, bytes("X"));
    expectAllAgree(d, bytes("abcabcabcXY"));  // longer than the data
    expectAllAgree(bytes("aaaaaaaa"), bytes("aaa"));
    EXPECT_EQ(findBytes(d.data(), 10, d.data(), 0), -1);
    EXPECT_EQ(findBytesPlain(d.data(), 10, d.data(), 0), -1);
    expectAllAgree(bytes("abc"), bytes("ABC"));  // case matters
}

TEST(FindBytes, AgreesWithPlainAndNaiveOnRandomData) {
    std::mt19937 rng(12345);
    for (int trial = 0; trial < 6000; ++trial) {
        int alphabet = std::vector<int>{2, 3, 4, 256}[trial % 4];
        size_t n = (trial % 10 == 0) ? 4096 + rng() % 4096 : rng() % 300;
        std::vector<uint8_t> d(n);
        for (auto& b : d) b = static_cast<uint8_t>('a' + rng() % alphabet);
        size_t m = 1 + rng() % 64;
        std::vector<uint8_t> p(m);
        if (n >= m && rng() % 2 == 0) {
            size_t at = rng() % 3 == 0 ? n - m : rng() % (n - m + 1);  // often at the end
            std::memcpy(p.data(), d.data() + at, m);
        } else {
            for (auto& b : p) b = static_cast<uint8_t>('a' + rng() % alphabet);
        }
        expectAllAgree(d, p);
    }
}

TEST(FindBytes, DenseCandidatesStayCorrect) {
    // Every second position passes a two-byte filter, so the fast search must
    // switch to its linear scan; a match sits near the end.
    std::string data;
    for (int i = 0; i < 100000; ++i) data += "ab";
    std::string pattern;
    for (int i = 0; i < 10; ++i) pattern += "ab";
    pattern += "ccab";  // the last byte lines up with every "b" of the data
    data.replace(data.size() - 40, pattern.size(), pattern);
    auto d = bytes(data);
    auto p = bytes(pattern);
    int64_t expected = naiveFind(d, p);
    ASSERT_GT(expected, 0);
    for (ScanKernel k : {ScanKernel::Avx2, ScanKernel::Sse2, ScanKernel::Plain}) {
        EXPECT_EQ(findBytesWith(k, d.data(), static_cast<int64_t>(d.size()), p.data(), static_cast<int32_t>(p.size())), expected);
    }
    d[static_cast<size_t>(expected) + 20] = 'b';
    EXPECT_EQ(findBytes(d.data(), static_cast<int64_t>(d.size()), p.data(), static_cast<int32_t>(p.size())), -1);
}

class SearchFrom : public ::testing::Test {
protected:
    void SetUp() override {
        resetNativeSeam();
        state.reset(allocateEditorState());
        load("xxabcabcaxx");
        state->foundOffset = -1;
    }
    void load(const std::string& text) {
        doc.assign(text.begin(), text.end());
        state->documentBytes = doc.data();
        state->documentSize = static_cast<uint32_t>(doc.size());
    }
    struct Free {
        void operator()(EditorState* s) const { freeEditorState(s); }
    };
    std::unique_ptr<EditorState, Free> state;
    std::vector<uint8_t> doc;
};

TEST_F(SearchFrom, MatchAtCaretIsSkippedAndFindNextFindsTheOverlap) {
    state->caretOffset = 2;  // on "abca"
    ASSERT_EQ(searchAfterCaret(*state, nullptr, 0, "abca"), 1);
    EXPECT_EQ(state->foundOffset, 5);
    EXPECT_EQ(state->caretOffset, 5);
    EXPECT_EQ(state->foundLength, 4);
    state->caretNibble = 1;
    state->caretOffset = 0;
    ASSERT_EQ(searchFrom(*state, nullptr, 0, 2), 1);  // from the caret itself: found there
    EXPECT_EQ(state->foundOffset, 2);
    ASSERT_EQ(searchNext(*state, nullptr, 0), 1);     // overlaps the previous match
    EXPECT_EQ(state->foundOffset, 5);
    EXPECT_EQ(state->caretNibble, 0);
    EXPECT_TRUE(nativeSeam().events.empty());
}

TEST_F(SearchFrom, CaretOnLastByteStartsAtZero) {
    state->caretOffset = static_cast<int32_t>(state->documentSize) - 1;
    ASSERT_EQ(searchAfterCaret(*state, nullptr, 1, "78 78"), 1);  // "xx"
    EXPECT_EQ(state->foundOffset, 0);
    EXPECT_EQ(state->foundLength, 2);
}

TEST_F(SearchFrom, NotFoundReportsTheTextAndForgetsTheMatch) {
    state->foundOffset = 2;
    state->caretOffset = 3;
    EXPECT_EQ(searchAfterCaret(*state, nullptr, 0, "ABC"), 0);
    EXPECT_EQ(state->foundOffset, -1);
    EXPECT_EQ(state->caretOffset, 3);
    EXPECT_EQ(state->foundLength, 3);
    ASSERT_EQ(nativeSeam().events.size(), 1u);
    EXPECT_EQ(nativeSeam().events[0].messageId, IDS_ERR_NOT_FOUND);
    EXPECT_EQ(nativeSeam().events[0].text, "'ABC' は見つかりませんでした。");
}

TEST_F(SearchFrom, PatternsThatCannotMatch) {
    // Longer than what lies after the start, a hex text of spaces, an odd hex text.
    std::strcpy(state->findText, "axx");
    EXPECT_EQ(searchFrom(*state, nullptr, 0, 9), 0);
    EXPECT_EQ(searchFrom(*state, nullptr, 0, 8), 1);
    std::strcpy(state->findText, "  ");
    EXPECT_EQ(searchFrom(*state, nullptr, 1, 0), 0);
    EXPECT_EQ(state->foundLength, 0);
    EXPECT_EQ(nativeSeam().events.back().text, "'  ' は見つかりませんでした。");
    std::strcpy(state->findText, "abc");  // left over from a text search, read as hex
    EXPECT_EQ(searchNext(*state, nullptr, 1), 0);
    EXPECT_EQ(nativeSeam().events.size(), 3u);
}

TEST_F(SearchFrom, HexSearchOfALeftoverPlainTextIsRefusedNotSearched) {
    // A text search, then only the radix switched to hexadecimal: find next
    // must not search for whatever the letters would decode to.
    state->caretOffset = 0;
    ASSERT_EQ(searchAfterCaret(*state, nullptr, 0, "abca"), 1);
    for (const char* leftover : {"xx", "abc", "ab 0G"}) {  // letters, an odd digit count, a bad digit
        SCOPED_TRACE(leftover);
        std::strcpy(state->findText, leftover);
        state->foundOffset = 2;
        state->foundLength = 4;
        state->caretOffset = 2;
        resetNativeSeam();
        EXPECT_EQ(searchNext(*state, nullptr, 1), 0);
        ASSERT_EQ(nativeSeam().events.size(), 1u);
        EXPECT_EQ(nativeSeam().events[0].messageId, IDS_ERR_INVALID_TEXT);
        EXPECT_EQ(nativeSeam().events[0].text, "不正な文字列です。");
        EXPECT_EQ(state->foundOffset, 2);
        EXPECT_EQ(state->foundLength, 4);
        EXPECT_EQ(state->caretOffset, 2);
    }
    // A real hexadecimal text still searches.
    std::strcpy(state->findText, "61 62");
    resetNativeSeam();
    EXPECT_EQ(searchNext(*state, nullptr, 1), 1);
    EXPECT_EQ(state->foundOffset, 5);
}

TEST(JumpToAddress, MovesOnlyWhenDifferentAndStaysInside) {
    std::unique_ptr<EditorState, void (*)(EditorState*)> s(allocateEditorState(), freeEditorState);
    s->documentSize = 50;
    s->caretOffset = 10;
    s->caretNibble = 1;
    EXPECT_EQ(jumpToAddress(*s, 10), 0);
    EXPECT_EQ(s->caretNibble, 1);
    EXPECT_EQ(jumpToAddress(*s, 49), 1);
    EXPECT_EQ(s->caretOffset, 49);
    EXPECT_EQ(s->caretNibble, 0);
    EXPECT_EQ(jumpToAddress(*s, 1000), 1);
    EXPECT_EQ(s->caretOffset, 49);
    EXPECT_EQ(jumpToAddress(*s, -5), 1);
    EXPECT_EQ(s->caretOffset, 0);
}
