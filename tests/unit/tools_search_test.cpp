#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/platform_native.h"
#include "resource_ids.h"
#include "shell/editor_state.h"
#include "document/document.h"
#include "document/record_list.h"
#include "document/shift_jis.h"
#include "tools/replace.h"
#include "tools/search.h"
#include "tools/search_query.h"

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
    // With the room for insertions behind it and empty record lists.
    void loadEditable(const std::string& text) {
        load(text);
        doc.resize(text.size() + kSpareBytes);
        state->documentBytes = doc.data();
        state->spareCapacity = kSpareBytes;
        EXPECT_EQ(resetDocumentModel(*state), 1);
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

// ---------------------------------------------------------------- search modes

namespace {

bool asciiLetter(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
uint8_t lower(uint8_t c) { return c >= 'A' && c <= 'Z' ? static_cast<uint8_t>(c + 32) : c; }

// The modes spelled out byte by byte, with no vectors, anchors or caches.
bool referenceMatch(const uint8_t* d, const std::string& text, bool hex, bool matchCase) {
    if (hex) {
        std::string digits;
        for (char c : text) if (c != ' ') digits += c;
        for (size_t j = 0; j < digits.size(); ++j) {
            const int nibble = (j % 2 == 0) ? d[j / 2] >> 4 : d[j / 2] & 15;
            if (digits[j] != '?' && std::stoi(std::string(1, digits[j]), nullptr, 16) != nibble) return false;
        }
        return true;
    }
    for (size_t j = 0; j < text.size(); ++j) {
        const auto t = static_cast<uint8_t>(text[j]);
        if (isShiftJisLead(t) && j + 1 < text.size()) {
            if (d[j] != t || d[j + 1] != static_cast<uint8_t>(text[j + 1])) return false;
            ++j;
        } else if (matchCase || !asciiLetter(t) ? d[j] != t : lower(d[j]) != lower(t)) {
            return false;
        }
    }
    return true;
}

struct ModeRow {
    const char* name;
    std::string text;
    bool hex, matchCase, wholeChars, range;
    std::string alphabet;  // the data is random bytes from these
    uint32_t kind = 0;     // searchByKind and the kind's bits: the text is a value or UTF-8
    std::string bytes;     // ... that stands for these bytes
};

uint32_t kindOf(SearchKind kind, bool bigEndian = false) {
    return withSearchKind(searchByKind | (bigEndian ? searchBigEndian : 0u), kind);
}

}  // namespace

TEST(SearchModes, AgreeWithAByteByByteReferenceOnRandomData) {
    const std::vector<ModeRow> rows = {
        {"exact text", "abca", false, true, false, false, "abcx"},
        {"one byte", "a", false, true, false, false, "abcdefgh"},
        {"letters in either case", "aBc", false, false, false, false, "aAbBcC!"},
        {"a trail byte stays exact", "\x83\x41" "a", false, false, false, false, "\x83\x41\x61!"},
        {"wildcard byte", "61 ?? 63", true, true, false, false, "abcd"},
        {"wildcard nibbles", "6? ?2 63", true, true, false, false, "abcr"},
        {"only wildcards", "????", true, true, true, false, "\x82\xA0" "a"},
        {"whole characters", "\x82\xA0", false, true, true, false, "\x82\x82\xE0\xA0\x41"},
        {"whole characters, either case", "a\x82\xA0", false, false, true, false, "\x82\xA0" "aA"},
        {"within a range", "ab", false, true, false, true, "abc"},
        {"long pattern, dense candidates", std::string(20, 'a') + "b", false, false, true, true, "aaaaaaaaaaaaAb\x81"},
        {"int32", "-2", false, true, false, false, "\xFE\xFF", kindOf(SearchKind::int32), "\xFE\xFF\xFF\xFF"},
        {"uint16 big endian", "0xA2", false, true, false, true, std::string("\xA2\x00", 2), kindOf(SearchKind::uint16, true),
         std::string("\x00\xA2", 2)},
        {"float64", "2", false, true, false, false, std::string("\x00\x40", 2), kindOf(SearchKind::float64),
         std::string(7, '\0') + "\x40"},
        {"UTF-16LE text, either case", "a\xE3\x82\xA2", false, false, false, false, std::string("aA\0\xA2\x30", 5),
         kindOf(SearchKind::utf16le), std::string("a\0\xA2\x30", 4)},
        {"UTF-16BE text, either case", "Ab", false, false, false, false, std::string("aAbB\0", 5),
         kindOf(SearchKind::utf16be), std::string("\0A\0b", 4)},
        {"UTF-8 text, letter case kept", "\xC3\xA9" "b", false, true, false, false, "\xC3\xA9" "bB",
         kindOf(SearchKind::utf8), "\xC3\xA9" "b"},
    };
    std::mt19937 random(15);
    for (const ModeRow& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<uint8_t> data(3001);
        for (uint8_t& b : data) b = static_cast<uint8_t>(row.alphabet[random() % row.alphabet.size()]);
        SearchPattern pattern;
        const uint32_t options = row.kind | (row.hex ? searchHex : 0u) | (row.matchCase ? searchMatchCase : 0u);
        const int m = parseQueryPattern(row.text.c_str(), options, pattern);
        ASSERT_GT(m, 0);
        const std::string& reference = row.kind != 0 ? row.bytes : row.text;
        const int64_t n = static_cast<int64_t>(data.size());
        SearchScope scope = wholeDocument(data.data(), n, row.wholeChars);
        if (row.range) {
            scope.begin = 301;
            scope.end = 2711;
        }
        std::vector<int64_t> starts;  // every match the scope allows
        for (int64_t i = scope.begin; i + m <= scope.end; ++i) {
            const bool onCharacters = !row.wholeChars || (isCharacterStart(data.data(), data.size(), i) &&
                                                          isCharacterStart(data.data(), data.size(), i + m));
            if (onCharacters && referenceMatch(data.data() + i, reference, row.hex, row.matchCase)) starts.push_back(i);
        }
        ASSERT_FALSE(starts.empty());
        std::vector<uint32_t> all;  // each after the end of the one before
        for (int64_t i : starts) if (all.empty() || i >= int64_t{all.back()} + m) all.push_back(static_cast<uint32_t>(i));

        for (ScanKernel kernel : {ScanKernel::Avx2, ScanKernel::Sse2, ScanKernel::Plain}) {
            setQueryKernel(kernel);
            SCOPED_TRACE(static_cast<int>(kernel));
            for (int64_t at = 0; at <= n; at += 1 + at % 5) {
                auto next = std::lower_bound(starts.begin(), starts.end(), at);
                ASSERT_EQ(findForward(scope, pattern, at), next == starts.end() ? -1 : *next) << "from " << at;
                ASSERT_EQ(findBackward(scope, pattern, at), next == starts.begin() ? -1 : *(next - 1)) << "before " << at;
            }
            std::vector<uint32_t> found;
            findAllMatches(scope, pattern, found);
            EXPECT_EQ(found, all);
        }
        setQueryKernel(ScanKernel::Best);
    }
}

TEST(SearchModes, PatternTexts) {
    SearchPattern p;
    uint8_t bytes[kMaxQueryBytes];
    EXPECT_EQ(parseSearchPattern("", false, true, p), 0);
    EXPECT_EQ(parseSearchPattern("  ", true, true, p), 0);
    EXPECT_EQ(parseSearchPattern("0d ?", true, true, p), -1);   // half a byte
    EXPECT_EQ(parseSearchPattern("0G", true, true, p), -1);
    EXPECT_EQ(parseSearchPattern(std::string(65, 'x').c_str(), false, true, p), -1);
    EXPECT_EQ(parseReplacement("0D 0a", true, bytes), 2);
    EXPECT_EQ(bytes[1], 0x0A);
    EXPECT_EQ(parseReplacement("??", true, bytes), -1);          // a replacement has no wildcards
    EXPECT_EQ(parseReplacement("", false, bytes), 0);
}

// Replace all writes nothing unless all of it fits: the change records of a
// same-length replacement, the insertion room of a longer one.
TEST_F(SearchFrom, ReplaceAllChangesNothingUnlessEverythingFits) {
    auto run = [&](const std::string& text, const char* find, const char* with, int answer) {
        loadEditable(text);
        resetNativeSeam();
        if (answer != 0) nativeSeam().answers.push_back(answer);
        ReplaceQuery q;
        EXPECT_EQ(readReplaceQuery(find, with, searchMatchCase, true, nullptr, q), 1);
        int64_t count = -1;
        ReplaceOutcome outcome = replaceAll(*state, nullptr, q, find, count);
        return std::make_pair(outcome, count);
    };
    auto text = [&] { return std::string(doc.begin(), doc.begin() + state->documentSize); };

    // 501 matches of two changed bytes need 2004 records: refused whole.
    std::string many;
    for (int i = 0; i < 501; ++i) many += "ab.";
    EXPECT_EQ(run(many, "ab", "xy", 0), std::make_pair(ReplaceOutcome::Refused, int64_t{0}));
    ASSERT_EQ(nativeSeam().events.size(), 1u);
    EXPECT_EQ(nativeSeam().events[0].messageId, IDS_ERR_TOO_MANY_CHANGES);
    EXPECT_NE(nativeSeam().events[0].text.find("2004"), std::string::npos);
    EXPECT_EQ(text(), many);
    EXPECT_EQ(state->changeCount, 0);
    // Where only one byte changes, 1002 records fit; each keeps the byte before.
    EXPECT_EQ(run(many, "ab", "xb", 0), std::make_pair(ReplaceOutcome::Written, int64_t{501}));
    EXPECT_EQ(state->changeCount, 1002);
    EXPECT_EQ(text().substr(0, 6), "xb.xb.");
    EXPECT_EQ(state->changeList[0]->byteValue, 'a');
    EXPECT_EQ(state->modified, 1);
    // Only the nibbles that change are recorded, as typed digits are: 61 -> 71 takes one.
    EXPECT_EQ(run("a.a", "a", "q", 0), std::make_pair(ReplaceOutcome::Written, int64_t{2}));
    EXPECT_EQ(state->changeCount, 2);

    // Longer: 501 x 2 more bytes than the 1000 spare ones. Refused, nothing asked.
    EXPECT_EQ(run(many, "ab", "abcd", 0).first, ReplaceOutcome::Refused);
    EXPECT_EQ(nativeSeam().events.back().messageId, IDS_ERR_NO_ROOM);
    EXPECT_EQ(text(), many);
    // Shorter: asked first; No keeps it all, Yes rebuilds and resets the records.
    EXPECT_EQ(run("ab.ab.ab", "ab.", "Z", answerNo).first, ReplaceOutcome::Refused);
    EXPECT_EQ(text(), "ab.ab.ab");
    EXPECT_EQ(run("ab.ab.ab", "ab.", "Z", answerYes), std::make_pair(ReplaceOutcome::Resized, int64_t{2}));
    EXPECT_EQ(text(), "ZZab");
    EXPECT_EQ(state->spareCapacity, kSpareBytes + 4);
    EXPECT_EQ(state->lengthChanged, 1);
    EXPECT_EQ(run("ab.ab.ab", "b", "QQQ", answerYes).first, ReplaceOutcome::Resized);
    EXPECT_EQ(text(), "aQQQ.aQQQ.aQQQ");
    EXPECT_EQ(run("abab", "ab", "", answerYes).first, ReplaceOutcome::Refused);  // would leave nothing
    EXPECT_EQ(nativeSeam().events.back().messageId, IDS_ERR_WOULD_EMPTY);
    freeRecordLists(*state);
}

TEST(ReadHexPairs, OneReaderForEveryHexText) {
    uint8_t value[8], ignore[8];
    EXPECT_EQ(readHexPairs("0d ?A f?", 16, false, true, value, ignore), 3);
    EXPECT_EQ(value[0], 0x0D);
    EXPECT_EQ(ignore[0], 0x00);
    EXPECT_EQ(value[1], 0xFA);  // the wildcard nibble holds the ignored bits
    EXPECT_EQ(ignore[1], 0xF0);
    EXPECT_EQ(value[2], 0xFF);
    EXPECT_EQ(ignore[2], 0x0F);
    EXPECT_EQ(readHexPairs("0d ?A", 16, false, false, value, nullptr), -1);  // no wildcards asked for
    EXPECT_EQ(readHexPairs("0102 03", 4, false, false, value, nullptr), -1);  // too many digits
    EXPECT_EQ(readHexPairs("0102 0Z", 4, true, false, value, nullptr), 2);   // the rest is not read
    EXPECT_EQ(readHexPairs(nullptr, 4, true, false, value, nullptr), -1);
    EXPECT_EQ(readHexPairs("a b c d e f", 100, false, false, nullptr, nullptr), 3);  // only counted

    // An invalid text writes nothing.
    std::memset(value, 0x55, sizeof value);
    EXPECT_EQ(readHexPairs("1234 5", 16, false, true, value, ignore), -1);
    EXPECT_EQ(readHexPairs("1234 zz", 16, false, true, value, ignore), -1);
    EXPECT_EQ(value[0], 0x55);

    EXPECT_TRUE(isHexPatternText(""));
    EXPECT_TRUE(isHexPatternText(std::string(100, 'A').c_str()));  // no limit on the check
    EXPECT_FALSE(isHexPatternText("A?"));
    EXPECT_FALSE(isHexPatternText("ABC"));
    EXPECT_FALSE(isHexPatternText(nullptr));
    SearchPattern p;
    EXPECT_EQ(parseSearchPattern(std::string(128, 'A').c_str(), true, true, p), kMaxQueryBytes);
    EXPECT_EQ(parseSearchPattern(std::string(130, 'A').c_str(), true, true, p), -1);
}

TEST_F(SearchFrom, FindPreviousReadsHexAsFindNextDoes) {
    load("ab\x0D\x0A" "cd\x0D\x0A");
    state->caretOffset = 7;
    std::snprintf(state->findText, sizeof state->findText, "%s", "0d 0A");
    ASSERT_EQ(searchPrevious(*state, nullptr, 1), 1);
    EXPECT_EQ(state->foundOffset, 6);
    EXPECT_EQ(state->foundLength, 2);
    ASSERT_EQ(searchPrevious(*state, nullptr, 1), 1);
    EXPECT_EQ(state->foundOffset, 2);
}

// With wrap, the second pass looks only at the starts the first one left
// out, including a match that reaches over the place the search began.
TEST_F(SearchFrom, WrapFindsWhatTheFirstPassLeftOut) {
    load("xabx");
    ReplaceQuery q;
    ASSERT_EQ(readReplaceQuery("ab", "", searchMatchCase | searchWrap, false, nullptr, q), 1);
    state->caretOffset = 2;
    ASSERT_EQ(findInDirection(*state, nullptr, q, "ab"), 1);
    EXPECT_EQ(state->foundOffset, 1);
    q.options |= searchUp;
    state->foundOffset = -1;
    state->caretOffset = 1;
    ASSERT_EQ(findInDirection(*state, nullptr, q, "ab"), 1);
    EXPECT_EQ(state->foundOffset, 1);
    EXPECT_TRUE(nativeSeam().events.empty());
    // Nothing anywhere: one not-found report.
    ASSERT_EQ(readReplaceQuery("ba", "", searchMatchCase | searchWrap, false, nullptr, q), 1);
    EXPECT_EQ(findInDirection(*state, nullptr, q, "ba"), 0);
    EXPECT_EQ(state->foundOffset, -1);
    EXPECT_EQ(nativeSeam().events.size(), 1u);
}

// Replace writes over the current match only while its bytes still match it
// there (with whole characters: while it still begins and ends on one).
TEST_F(SearchFrom, ReplaceChecksTheCurrentMatchAtItsPlace) {
    load("ab.ab.ab");
    EXPECT_EQ(resetDocumentModel(*state), 1);
    ReplaceQuery q;
    ASSERT_EQ(readReplaceQuery("ab", "xy", searchMatchCase, true, nullptr, q), 1);
    int found = 0;
    state->foundOffset = 3;
    state->foundLength = 2;
    doc[3] = 'z';  // changed since it was found: not replaced, the next is found
    EXPECT_EQ(replaceCurrentAndFind(*state, nullptr, q, "ab", found), ReplaceOutcome::Refused);
    EXPECT_EQ(found, 1);
    EXPECT_EQ(state->foundOffset, 6);
    EXPECT_EQ(replaceCurrentAndFind(*state, nullptr, q, "ab", found), ReplaceOutcome::Written);
    EXPECT_EQ(std::string(doc.begin(), doc.end()), "ab.zb.xy");

    // The same bytes after a lead byte are the second half of a character.
    load("\x82" "ab");
    EXPECT_EQ(resetDocumentModel(*state), 1);
    ASSERT_EQ(readReplaceQuery("ab", "xy", searchMatchCase | searchWholeChars, true, nullptr, q), 1);
    state->foundOffset = 1;
    state->foundLength = 2;
    resetNativeSeam();
    EXPECT_EQ(replaceCurrentAndFind(*state, nullptr, q, "ab", found), ReplaceOutcome::Refused);
    EXPECT_EQ(found, 0);
    EXPECT_EQ(std::string(doc.begin(), doc.end()), "\x82" "ab");
    freeRecordLists(*state);
}


// A value must lie within its type's range; the UTF kinds take UTF-8 text.
TEST(SearchModes, ValueAndUnicodeTexts) {
    const struct {
        uint32_t options;
        std::string text;
        int length;  // -1 invalid, 0 nothing to search
        std::string hex;
    } rows[] = {
        {kindOf(SearchKind::int8), "-128", 1, "80"},
        {kindOf(SearchKind::int8), "128", -1, ""},
        {kindOf(SearchKind::uint8, true), "255", 1, "FF"},  // one byte: no byte order
        {kindOf(SearchKind::int16), " -2 ", 2, "FE FF"},
        {kindOf(SearchKind::int64, true), "-9223372036854775808", 8, "80 00 00 00 00 00 00 00"},
        {kindOf(SearchKind::float32, true), "-0", 4, "80 00 00 00"},
        {kindOf(SearchKind::int32), "", 0, ""},
        {kindOf(SearchKind::int32), "12a", -1, ""},
        {kindOf(SearchKind::utf16le), "a \xF0\x9F\x98\x80", 8, "61 00 20 00 3D D8 00 DE"},
        {kindOf(SearchKind::utf16be), "\xE3\x82\xA2", 2, "30 A2"},
        {kindOf(SearchKind::utf8), "\xE3\x82\xA2", 3, "E3 82 A2"},
        {kindOf(SearchKind::utf8), "\x82\xA0", -1, ""},  // Shift-JIS handed in as it was typed
        {kindOf(SearchKind::utf16le), std::string(65, 'x'), -1, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        SearchPattern p, expected;
        ASSERT_EQ(parseQueryPattern(row.text.c_str(), row.options, p), row.length);
        parseSearchPattern(row.hex.c_str(), true, true, expected);
        EXPECT_EQ(std::vector<uint8_t>(p.value, p.value + p.length),
                  std::vector<uint8_t>(expected.value, expected.value + expected.length));
    }
    uint8_t out[kMaxPatternBytes];
    EXPECT_EQ(parseQueryReplacement("", kindOf(SearchKind::int16), out), -1);  // no value
    EXPECT_EQ(parseQueryReplacement("", kindOf(SearchKind::utf8), out), 0);    // no text
}

// A replacement is given in the search's kind; UTF-16 letters fold in either case.
TEST_F(SearchFrom, ReplaceAllByKind) {
    loadEditable(std::string("x\x12\x34.\x12\x34" "A\0b\0a\0b\0", 14));
    ReplaceQuery q;
    int64_t count = 0;
    ASSERT_EQ(readReplaceQuery("0x1234", "-1", kindOf(SearchKind::int16, true), true, nullptr, q), 1);
    EXPECT_EQ(replaceAll(*state, nullptr, q, "0x1234", count), ReplaceOutcome::Written);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(state->changeCount, 8);
    ASSERT_EQ(readReplaceQuery("ab", "Z", kindOf(SearchKind::utf16le), true, nullptr, q), 1);
    nativeSeam().answers.push_back(answerYes);
    EXPECT_EQ(replaceAll(*state, nullptr, q, "ab", count), ReplaceOutcome::Resized);
    EXPECT_EQ(std::string(doc.begin(), doc.begin() + state->documentSize), std::string("x\xFF\xFF.\xFF\xFFZ\0Z\0", 10));
    ASSERT_EQ(readReplaceQuery("1", "70000", kindOf(SearchKind::uint16), true, nullptr, q), 0);  // out of range
    EXPECT_EQ(nativeSeam().events.back().messageId, IDS_ERR_INVALID_TEXT);
    freeRecordLists(*state);
}

// Find next and find previous repeat the dialog's last search over the whole
// document, from the current match or the caret, without wrapping.
TEST_F(SearchFrom, RepeatedDialogSearch) {
    load("ab.AB.ab");
    ReplaceQuery q;
    ASSERT_EQ(readReplaceQuery("AB", "", searchInSelection | searchWrap, false, nullptr, q), 1);
    state->selectionAnchorRow = state->selectionEndRow = 5;  // no row of the document: ignored
    state->foundOffset = 6;
    EXPECT_EQ(repeatedMatch(*state, q, false), -1);
    state->foundOffset = -1;
    EXPECT_EQ(repeatedMatch(*state, q, false), 0);
    state->caretOffset = 0;
    EXPECT_EQ(repeatedMatch(*state, q, true), 6);  // from the end, as the prompt's
}

// The searches report their progress every few MiB and stop when told to,
// changing nothing.
TEST(SearchProgress, ReportsAndCancels) {
    std::vector<uint8_t> data(9 * (1u << 20) + 5, '.');
    const int64_t across = (8 << 20) + 10;  // the last start of a stretch, its second byte in the next
    for (int64_t at : {int64_t{10}, across, int64_t(data.size()) - 3}) std::memcpy(&data[size_t(at)], "ab", 2);
    SearchPattern p;
    parseSearchPattern("ab", false, true, p);
    const SearchScope scope = wholeDocument(data.data(), static_cast<int64_t>(data.size()), false);
    const std::vector<std::function<int64_t(const ProgressStep&)>> searches = {
        [&](const ProgressStep& step) { return findForward(scope, p, 11, step); },
        [&](const ProgressStep& step) { return findBackward(scope, p, across, step); },
        [&](const ProgressStep& step) {
            std::vector<uint32_t> all{7};
            const bool done = findAllMatches(scope, p, all, step);
            if (!done) return all.size() == 1 ? kSearchCancelled : -3;  // cancelled: nothing added
            return int64_t{all.size() == 4 && all[3] == data.size() - 3};
        },
    };
    for (size_t k = 0; k < searches.size(); ++k) {
        SCOPED_TRACE(k);
        std::vector<std::pair<uint64_t, uint64_t>> calls;
        const int64_t hit = searches[k]([&](uint64_t done, uint64_t total) {
            calls.emplace_back(done, total);
            return true;
        });
        EXPECT_EQ(hit, std::vector<int64_t>({across, 10, 1})[k]);
        EXPECT_FALSE(calls.empty());
        for (size_t i = 0; i < calls.size(); ++i) {
            EXPECT_TRUE(calls[i].first <= calls[i].second && (i == 0 || calls[i].first > calls[i - 1].first)) << i;
        }
        int heard = 0;
        EXPECT_EQ(searches[k]([&](uint64_t, uint64_t) { return ++heard < 1; }), kSearchCancelled);
    }
}
