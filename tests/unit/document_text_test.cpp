// Dump row text, the copied dump text, select all, the selection's status
// text, paste and the text edit; hex text and CRC-32.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "document/document.h"
#include "document/dump_row.h"
#include "document/edit.h"
#include "document/hex_text.h"
#include "document/record_list.h"
#include "document/selection.h"
#include "document/undo.h"
#include "platform/platform_native.h"
#include "resource_ids.h"
#include "shell/editor_state.h"
#include "tools/checksum.h"
#include "tools/replace.h"

namespace {

using Bytes = std::vector<uint8_t>;

const std::string kHeader = "           +0 +1 +2 +3 +4 +5 +6 +7 +8 +9 +A +B +C +D +E +F   0123456789ABCDEF";
const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRST";

std::string blanks(size_t n) { return std::string(n, ' '); }

bool isLead(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isTrail(uint8_t b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }
bool isPrintable(uint8_t b) { return (b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF); }

// The row rules written out plainly, one byte at a time, to hold the
// table-driven routine to.
std::string referenceRow(const Bytes& doc, int64_t offset, bool kanji, uint8_t& pending) {
    auto inside = [&](int64_t i) { return i >= 0 && i < static_cast<int64_t>(doc.size()); };
    char buf[16];
    std::snprintf(buf, sizeof buf, " %08X  ", static_cast<unsigned>(offset));
    std::string t = buf;
    for (int i = 0; i < 16; ++i) {
        if (inside(offset + i)) {
            std::snprintf(buf, sizeof buf, "%02X ", doc[offset + i]);
            t += buf;
        } else {
            t += "   ";
        }
    }
    t += "  ";
    uint8_t lead = 0;
    if (kanji && offset != 0 && pending != 0 && inside(offset)) lead = doc[offset - 1];
    for (int i = 0; i < 16; ++i) {
        int64_t at = offset + i;
        if (!inside(at)) {
            t += ' ';
            continue;
        }
        uint8_t b = doc[at];
        if (!kanji || (lead == 0 && !isLead(b))) {
            t += isPrintable(b) ? static_cast<char>(b) : '.';
        } else if (lead == 0) {
            if (inside(at + 1)) lead = b;
            else t += '.';
        } else {
            if (isTrail(b)) {
                if (i > 0) t += {static_cast<char>(lead), static_cast<char>(b)};
                else t += ' ';
            } else {
                t += i > 0 ? "  " : " ";
            }
            lead = 0;
        }
    }
    if (lead != 0) {
        uint8_t next = doc[offset + 16];
        if (isTrail(next)) t += {static_cast<char>(lead), static_cast<char>(next)};
        else t += ' ';
    }
    pending = lead;
    return t + "  ";
}

class DocumentText : public ::testing::Test {
protected:
    void SetUp() override {
        resetNativeSeam();
        s = allocateEditorState();
        ASSERT_NE(s, nullptr);
    }
    void TearDown() override {
        EXPECT_EQ(nativeSeam().unexpectedQuestions, 0);
        freeUnlimitedEditing(*s);
        freeRecordLists(*s);
        std::free(s->documentBytes);
        freeEditorState(s);
    }
    // The buffer has no spare room here, so that a read past the end of the
    // document is a read past the allocation (caught by the address sanitizer).
    void load(const Bytes& bytes) {
        std::free(s->documentBytes);
        s->documentBytes = static_cast<uint8_t*>(std::malloc(bytes.empty() ? 1 : bytes.size()));
        if (!bytes.empty()) std::memcpy(s->documentBytes, bytes.data(), bytes.size());
        s->documentSize = static_cast<uint32_t>(bytes.size());
        s->spareCapacity = 0;
        ASSERT_EQ(resetDocumentModel(*s), 1);
        doc = bytes;
    }
    void load(const std::string& text) { load(Bytes(text.begin(), text.end())); }

    std::string row(int32_t offset, int kanji, uint8_t* pending = nullptr) {
        uint8_t none = 0;
        char out[kRowTextSize + 8];
        std::memset(out, '#', sizeof out);
        formatDumpRow(*s, offset, kanji, out, pending != nullptr ? pending : &none);
        std::string t = out;
        EXPECT_LE(t.size(), 80u);
        return t;
    }
    // Character column of a row text, without the two closing blanks.
    std::string chars(const std::string& rowText) {
        return rowText.substr(kCharColumnStart, rowText.size() - 2 - kCharColumnStart);
    }
    std::string copyText(int kanji = 0) {
        std::string t;
        buildCopyText(*s, kanji, t);
        return t;
    }

    EditorState* s = nullptr;
    Bytes doc;
};

// ------------------------------------------------------------ rows

TEST_F(DocumentText, ColumnHeaderLabelsTheRowColumns) {
    EXPECT_EQ(std::string(kColumnHeader), kHeader);
    EXPECT_EQ(std::strlen(kColumnHeader), 77u);
    load(Bytes(16, 0xAB));
    std::string r = row(0, 0);
    for (int k = 0; k < 16; ++k) {
        EXPECT_EQ(kHeader[11 + 3 * k], '+');
        EXPECT_EQ(r.substr(11 + 3 * k, 2), "AB");
    }
    EXPECT_EQ(kHeader.substr(kCharColumnStart), "0123456789ABCDEF");
}

TEST_F(DocumentText, PartialLastRowHasBlankColumns) {
    load(kAlphabet);  // 20 bytes
    EXPECT_EQ(row(0x10, 0), " 00000010  51 52 53 54 " + blanks(36) + "  QRST" + blanks(12) + "  ");
    EXPECT_EQ(row(0, 0), " 00000000  41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50   ABCDEFGHIJKLMNOP  ");
}

TEST_F(DocumentText, SingleByteRulesShowPrintableBytesAndKatakana) {
    load(Bytes{0x41, 0x7F, 0xB1, 0x20, 0x00, 0xA0, 0xDF, 0xE0, 0x80, 0xFF});
    EXPECT_EQ(chars(row(0, 0)), "A.\xB1 ..\xDF..." + blanks(6));
}

TEST_F(DocumentText, KanjiPairInsideARow) {
    Bytes b(16, '.');
    b[3] = 0x82;
    b[4] = 0xA0;
    b[8] = 0x82;
    b[9] = 0x31;  // not a trail byte: both columns blank, the digit hidden
    load(b);
    EXPECT_EQ(chars(row(0, 1)), "...\x82\xA0...  ......");
    EXPECT_EQ(chars(row(0, 0)), std::string(8, '.') + ".1......");
}

TEST_F(DocumentText, KanjiCharacterSplitBetweenRowsIsWrittenAtTheEndOfTheFirst) {
    Bytes b(32, 'a');
    b[15] = 0x82;
    b[16] = 0xA0;
    load(b);
    uint8_t pending = 0;
    std::string first = row(0, 1, &pending);
    EXPECT_EQ(pending, 0x82);
    EXPECT_EQ(first.size(), 80u);
    EXPECT_EQ(chars(first), std::string(15, 'a') + "\x82\xA0");
    EXPECT_EQ(chars(row(16, 1, &pending)), " " + std::string(15, 'a'));
    EXPECT_EQ(pending, 0);

    // A caller that starts at the second row knows of no lead: single-byte rules.
    uint8_t none = 0;
    EXPECT_EQ(chars(row(16, 1, &none)), "." + std::string(15, 'a'));
}

TEST_F(DocumentText, LeadAtRowEndWithoutTrailBecomesTwoBlanks) {
    for (uint8_t next : {uint8_t{0x31}, uint8_t{0x00}, uint8_t{0x0A}}) {
        Bytes b(32, 'a');
        b[15] = 0x82;
        b[16] = next;
        load(b);
        uint8_t pending = 0;
        std::string first = row(0, 1, &pending);
        // No control byte (or terminator) gets into the text.
        EXPECT_EQ(first.size(), 79u) << int(next);
        EXPECT_EQ(chars(first), std::string(15, 'a') + " ");
        EXPECT_EQ(chars(row(16, 1, &pending)), " " + std::string(15, 'a'));
    }
}

TEST_F(DocumentText, LoneLeadByteAtTheEndShowsAsADot) {
    load(Bytes{'a', 'b', 'c', 'd', 'e', 0x82});
    EXPECT_EQ(chars(row(0, 1)), "abcde." + blanks(10));

    Bytes full(16, 'x');
    full[15] = 0x9F;
    load(full);
    uint8_t pending = 0;
    EXPECT_EQ(chars(row(0, 1, &pending)), std::string(15, 'x') + ".");
    EXPECT_EQ(pending, 0);

    Bytes seventeen(17, 'y');
    seventeen[16] = 0xE0;
    load(seventeen);
    pending = 0;
    row(0, 1, &pending);
    EXPECT_EQ(chars(row(16, 1, &pending)), "." + blanks(15));
}

TEST_F(DocumentText, RowsOutsideTheDocumentShowNoBytes) {
    load(kAlphabet);
    uint8_t pending = 1;
    EXPECT_EQ(row(0x20, 1, &pending), " 00000020  " + blanks(48) + "  " + blanks(16) + "  ");
    EXPECT_EQ(row(-16, 1, &pending), " FFFFFFF0  " + blanks(48) + "  " + blanks(16) + "  ");
}

TEST_F(DocumentText, TableDrivenRowsMatchThePlainRules) {
    std::mt19937 rng(1234);
    Bytes every;
    for (int rep = 0; rep < 3; ++rep)
        for (int b = 0; b < 256; ++b) every.push_back(static_cast<uint8_t>(b * (2 * rep + 1) + rep));
    std::vector<Bytes> docs = {every};
    for (size_t size : {1, 15, 16, 17, 31, 33, 200, 1000, 20000}) {
        Bytes b(size);
        // Mostly lead and trail bytes, so that pairs, splits and lone leads are common.
        const uint8_t pick[] = {0x82, 0xA0, 0x31, 0x00, 0xE0, 0x40, 0xFC, 0x7F, 0x80, 0x41};
        for (auto& x : b) x = rng() % 3 ? pick[rng() % 10] : static_cast<uint8_t>(rng());
        docs.push_back(b);
    }
    for (const Bytes& d : docs) {
        load(d);
        for (int kanji : {0, 1}) {
            uint8_t pending = 0, refPending = 0;
            for (int32_t off = 0; off < static_cast<int32_t>(d.size()); off += 16) {
                ASSERT_EQ(row(off, kanji, &pending), referenceRow(d, off, kanji, refPending))
                    << "size " << d.size() << " offset " << off << " kanji " << kanji;
                ASSERT_EQ(pending, refPending);
            }
        }
    }
}

// ------------------------------------------------------------ copy text

TEST_F(DocumentText, CopyTextGoldenTexts) {
    const std::string crlf = "\r\n";
    const std::string head = kHeader + crlf;
    load(kAlphabet.substr(0, 1));
    selectAll(*s);
    EXPECT_EQ(copyText(), head + " 00000000  41 " + blanks(45) + "  A" + blanks(15) + crlf);

    load(kAlphabet.substr(0, 15));
    selectAll(*s);
    EXPECT_EQ(copyText(), head + " 00000000  41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F " + blanks(3) +
                              "  ABCDEFGHIJKLMNO " + crlf);

    const std::string full = " 00000000  41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50   ABCDEFGHIJKLMNOP";
    load(kAlphabet.substr(0, 16));
    selectAll(*s);
    EXPECT_EQ(copyText(), head + full + crlf);

    load(kAlphabet.substr(0, 17));
    selectAll(*s);
    EXPECT_EQ(copyText(), head + full + crlf + " 00000010  51 " + blanks(45) + "  Q" + blanks(15) + crlf);

    load(kAlphabet);
    selectAll(*s);
    const std::string twenty =
        head + full + crlf + " 00000010  51 52 53 54 " + blanks(36) + "  QRST" + blanks(12) + crlf;
    EXPECT_EQ(copyText(), twenty);
    EXPECT_EQ(copyText(1), twenty);

    // Dragged upward, or ending on the last row instead of one past it: the same rows.
    s->selectionAnchorRow = 2;
    s->selectionEndRow = 0;
    EXPECT_EQ(copyText(), twenty);
    s->selectionAnchorRow = 0;
    s->selectionEndRow = 1;
    EXPECT_EQ(copyText(), twenty);
    s->selectionAnchorRow = 1;
    s->selectionEndRow = 1;
    EXPECT_EQ(copyText(), head + " 00000010  51 52 53 54 " + blanks(36) + "  QRST" + blanks(12) + crlf);
}

TEST_F(DocumentText, NothingToCopyWithoutDocumentOrSelection) {
    EXPECT_EQ(copyRows(*s, nullptr, 0), 0);
    EXPECT_EQ(selectAll(*s), 0);
    load(kAlphabet);
    EXPECT_EQ(copyRows(*s, nullptr, 0), 0);  // no selection yet
    EXPECT_FALSE(nativeSeam().clipboardHasText);

    ASSERT_EQ(selectAll(*s), 1);
    EXPECT_EQ(s->selectionAnchorRow, 0);
    EXPECT_EQ(s->selectionEndRow, 2);
    EXPECT_EQ(s->dragStartY, 0);
    ASSERT_EQ(copyRows(*s, nullptr, 0), 1);
    EXPECT_EQ(nativeSeam().clipboard, copyText());
    nativeSeam().failClipboard = true;
    EXPECT_EQ(copyRows(*s, nullptr, 0), 0);
}

TEST_F(DocumentText, CopiedKanjiCarryKeepsItsSecondByteOnly) {
    Bytes b(32, 'a');
    b[15] = 0x82;
    b[16] = 0xA0;
    load(b);
    selectAll(*s);
    std::string t = copyText(1);
    size_t firstEnd = t.find("\r\n", kHeader.size() + 2);
    std::string first = t.substr(kHeader.size() + 2, firstEnd - kHeader.size() - 2);
    EXPECT_EQ(first.size(), 78u);
    EXPECT_EQ(first.substr(76), "\x82\xA0");
    EXPECT_EQ(t.substr(firstEnd + 2 + kCharColumnStart, 2), " a");
}

TEST_F(DocumentText, CopyTextMatchesThePlainRowsForAnySelection) {
    std::mt19937 rng(99);
    for (int round = 0; round < 60; ++round) {
        Bytes d(1 + rng() % 300);
        for (auto& x : d) x = rng() % 2 ? static_cast<uint8_t>(0x81 + rng() % 0x20) : static_cast<uint8_t>(rng());
        load(d);
        s->selectionAnchorRow = static_cast<int32_t>(rng() % (s->rowCount + 1));
        s->selectionEndRow = static_cast<int32_t>(rng() % (s->rowCount + 1));
        int kanji = round % 2;
        int64_t lo = std::min(s->selectionAnchorRow, s->selectionEndRow);
        int64_t hi = std::max(s->selectionAnchorRow, s->selectionEndRow);
        int64_t end = std::min<int64_t>((hi + 1) * 16, d.size());
        std::string want = kHeader + "\r\n";
        uint8_t pending = 0;
        for (int64_t r = lo * 16; r < end; r += 16) {
            std::string line = referenceRow(d, r, kanji, pending);
            std::string kept = line.substr(0, 77);
            for (size_t i = 77; i < line.size(); ++i)
                if (line[i] != ' ') kept += line[i];
            want += kept + "\r\n";
        }
        ASSERT_EQ(copyText(kanji), want) << "round " << round;
        EXPECT_LE(want.size() + 1, copyTextCapacity(*s));
    }
}

// With the switch on: exactly the selected bytes for the checksums and hex
// copy, their offsets in the status bar, and the rows they touch as copied
// text with the other bytes blanked (a double-byte character with its first byte).
TEST_F(DocumentText, ByteSelectionTextsAndCopyBlankTheBytesOutside) {
    const Bytes alphabet(kAlphabet.begin(), kAlphabet.end()), kanji{'a', 'b', 0x82, 0xA0, 'c', 'd'};
    const struct {
        Bytes bytes;
        int32_t anchor, end;
        const char* status;
        std::vector<std::string> lines;
    } cases[] = {
        {alphabet, 17, 14, "0000000E-00000011 (4)",
         {" 00000000  " + blanks(42) + "4F 50 " + blanks(16) + "OP", " 00000010  51 52 " + blanks(44) + "QR" + blanks(14)}},
        {alphabet, 0, 15, "00000000-0000000F (16)",
         {" 00000000  41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50   ABCDEFGHIJKLMNOP"}},
        {kanji, 3, 4, "00000003-00000004 (2)", {" 00000000  " + blanks(9) + "A0 63 " + blanks(39) + "c" + blanks(11)}},
        {kanji, 2, 2, "00000002-00000002 (1)", {" 00000000  " + blanks(6) + "82 " + blanks(43) + "\x82\xA0" + blanks(12)}},
    };
    ASSERT_TRUE(setUnlimitedEditing(*s, true));
    for (const auto& c : cases) {
        load(c.bytes);
        setByteSelection(*s, c.anchor, c.end);
        const auto selected = std::pair<int64_t, int64_t>(std::min(c.anchor, c.end), std::max(c.anchor, c.end) + 1);
        EXPECT_EQ(selectionStatusText(*s), c.status);
        int64_t start = -1, end = -1;
        EXPECT_TRUE(checksumBytes(*s, &start, &end) && std::pair(start, end) == selected) << c.status;
        EXPECT_TRUE(hexCopyBytes(*s, &start, &end) && std::pair(start, end) == selected) << c.status;
        std::string want = kHeader + "\r\n";
        for (const std::string& line : c.lines) want += line + "\r\n";
        const std::string copied = copyText(c.bytes.size() == 6 ? 1 : 0);
        EXPECT_EQ(copied, want) << c.status;
        EXPECT_LE(copied.size() + 1, copyTextCapacity(*s)) << c.status;
    }
    ASSERT_EQ(selectAll(*s), 1);
    EXPECT_EQ(selectionStatusText(*s), "00000000-00000005 (6)");
}

// Delete, cut, paste replacing and fill on selected bytes: each one step,
// the caret on the first changed byte after it, undo bringing back the
// bytes and the selection.
TEST_F(DocumentText, CommandsOnSelectedBytesAndTheirUndo) {
    const std::string base = kAlphabet + kAlphabet;  // 40 bytes
    enum Command { del, cut, paste, fill };
    const struct {
        Command command;
        int32_t anchor, end, caret;  // anchor -1: nothing selected
        const char* text;            // the clipboard's or the pattern; null: the clipboard fails
        std::string after;
        int32_t caretAfter;
    } cases[] = {
        {del, 5, 3, 0, "", base.substr(0, 3) + base.substr(6), 3},
        {del, 30, 39, 0, "", base.substr(0, 30), 29},
        {cut, 1, 2, 0, "", base.substr(0, 1) + base.substr(3), 1},
        {cut, 1, 2, 0, nullptr, base, 0},
        {paste, 2, 4, 0, "00 11", base.substr(0, 2) + std::string("\x00\x11", 2) + base.substr(5), 2},
        {paste, 2, 2, 0, "AABBCC", base.substr(0, 2) + "\xAA\xBB\xCC" + base.substr(3), 2},
        {paste, -1, -1, 38, "01 02 03 04", base.substr(0, 38) + "\x01\x02\x03\x04", 38},
        {paste, 2, 4, 0, "XYZ", base, 0},
        {fill, 0, 4, 9, "12 34", "\x12\x34\x12\x34\x12" + base.substr(5), 0},
        {fill, 0, 4, 9, "", base, 9},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        load(base);
        ASSERT_TRUE(setUnlimitedEditing(*s, true));
        s->caretOffset = c.caret;
        if (c.anchor >= 0) setByteSelection(*s, c.anchor, c.end);
        resetNativeSeam();
        nativeSeam().failClipboard = c.text == nullptr;
        nativeSeam().clipboard = c.command == paste ? c.text : "";
        nativeSeam().clipboardHasText = c.command == paste;
        const int done = c.command == del     ? deleteSelection(*s, nullptr)
                         : c.command == cut   ? cutSelection(*s, nullptr)
                         : c.command == paste ? pasteHexReplacing(*s, nullptr, 0)
                                              : fillSelection(*s, nullptr, c.text);
        const bool changes = c.after != base;
        auto document = [&] { return std::string(reinterpret_cast<char*>(s->documentBytes), s->documentSize); };
        EXPECT_EQ(std::tuple(done, document(), s->caretOffset, hasByteSelection(*s)),
                  std::tuple(changes ? 1 : 0, c.after, changes ? c.caretAfter : c.caret, !changes && c.anchor >= 0))
            << i;
        EXPECT_EQ(c.command == cut ? nativeSeam().clipboard : "", c.command == cut && changes ? "42 43" : "") << i;
        // Text that is not hex pairs: the invalid-input message, nothing else.
        std::vector<int> shown;
        for (const SeamEvent& e : nativeSeam().events) shown.push_back(e.messageId);
        EXPECT_EQ(shown, !changes && c.text != nullptr ? std::vector<int>{IDS_ERR_INVALID_TEXT} : std::vector<int>{}) << i;
        if (!changes) continue;
        ASSERT_EQ(undoStep(*s, nullptr), 1) << i;
        EXPECT_EQ(std::tuple(document(), s->selectionAnchorByte, s->selectionEndByte, s->caretOffset, s->modified),
                  std::tuple(base, c.anchor, c.anchor >= 0 ? c.end : -1, c.caret, 0)) << i;
        EXPECT_FALSE(canUndo(*s)) << i << ": one step";
    }
    // Replace all within the selection, longer: the selection keeps its bytes.
    load(base);
    setByteSelection(*s, 20, 35);  // a "B" at 21 inside, one at 1 outside
    ReplaceQuery q;
    int64_t count = 0;
    ASSERT_EQ(readReplaceQuery("B", "xyz", defaultSearchOptions(0) | searchInSelection, true, nullptr, q), 1);
    nativeSeam().answers.push_back(answerYes);
    EXPECT_EQ(replaceAll(*s, nullptr, q, "B", count), ReplaceOutcome::Resized);
    EXPECT_EQ(std::tuple(count, s->selectionAnchorByte, s->selectionEndByte), std::tuple(int64_t{1}, 20, 37));
}

TEST_F(DocumentText, SelectionStatusCountsOnlyRowsThatExist) {
    load(Bytes(100, 'a'));  // 7 rows
    // Select all ends one past the last row; a drag may begin below it; upward drags show the anchor first.
    for (auto [anchor, end, text] : {std::tuple{0, 7, " 1 - 7 (7)"}, {5, 2, " 6 - 3 (4)"}, {3, 3, " 4 - 4 (1)"},
                                     {11, 2, " 7 - 3 (5)"}, {2, 9, " 3 - 7 (5)"}, {0, -1, ""}}) {
        s->selectionAnchorRow = anchor;
        s->selectionEndRow = end;
        EXPECT_EQ(selectionStatusText(*s), text) << anchor << ", " << end;
    }
}

// ------------------------------------------------------------ paste

TEST_F(DocumentText, PasteNeedsTwoChangeRecordsPerCharacter) {
    load(Bytes(1200, 0));
    nativeSeam().clipboardHasText = true;
    nativeSeam().clipboard = std::string(1001, 'z');
    EXPECT_EQ(pasteText(*s, nullptr, 0), 0);
    ASSERT_EQ(nativeSeam().events.size(), 1u);
    EXPECT_EQ(nativeSeam().events[0].errorCode, 14u);
    EXPECT_EQ(s->documentBytes[0], 0);
    EXPECT_EQ(s->modified, 0);

    nativeSeam().clipboard = std::string(1000, 'z');
    EXPECT_EQ(pasteText(*s, nullptr, 0), 1);
    EXPECT_EQ(s->documentBytes[999], 'z');
    EXPECT_EQ(s->documentBytes[1000], 0);
    EXPECT_EQ(s->changeCount, 2000);
    EXPECT_EQ(nativeSeam().events.size(), 1u);

    // With records already in the list the room shrinks accordingly.
    load(Bytes(1200, 0));
    for (int i = 0; i < 10; ++i) addRecord(*s, RecordList::Change, 5000 + i, 0, 0);
    nativeSeam().clipboard = std::string(996, 'z');
    EXPECT_EQ(pasteText(*s, nullptr, 0), 0);
    nativeSeam().clipboard = std::string(995, 'z');
    EXPECT_EQ(pasteText(*s, nullptr, 0), 1);
}

TEST_F(DocumentText, PasteWritesRawCharactersUpToTheEnd) {
    load(kAlphabet);
    s->caretOffset = 17;
    nativeSeam().clipboardHasText = true;
    nativeSeam().clipboard = "0123456789";
    ASSERT_EQ(pasteText(*s, nullptr, 0), 1);
    EXPECT_EQ(std::string(s->documentBytes, s->documentBytes + 20), "ABCDEFGHIJKLMNOPQ012");
    EXPECT_EQ(s->caretOffset, 17);

    // The copied dump goes in as text, not as hexadecimal digits.
    load(Bytes(100, 0));
    selectAll(*s);
    ASSERT_EQ(copyRows(*s, nullptr, 0), 1);
    ASSERT_EQ(pasteText(*s, nullptr, 0), 1);
    EXPECT_EQ(std::string(s->documentBytes, s->documentBytes + 13), "           +0");
}

TEST_F(DocumentText, PasteRefusesWhenLockedOrEmptyClipboard) {
    load(kAlphabet);
    EXPECT_EQ(pasteText(*s, nullptr, 0), 0);  // nothing on the clipboard
    nativeSeam().clipboardHasText = true;
    nativeSeam().clipboard = "xy";
    EXPECT_EQ(pasteText(*s, nullptr, 1), 0);
    EXPECT_EQ(s->documentBytes[0], 'A');
    nativeSeam().clipboard = "AB";  // equal to the bytes: nothing written, still modified
    EXPECT_EQ(pasteText(*s, nullptr, 0), 1);
    EXPECT_EQ(s->changeCount, 0);
    EXPECT_EQ(s->modified, 1);
    EXPECT_TRUE(nativeSeam().events.empty());
}

// ------------------------------------------------------------ text edit

TEST_F(DocumentText, TextEditWritesOnlyWhatTheUserChanged) {
    // `shown`: the edit box's form of the offered bytes, as Wine's box gives it
    // (except where noted); `typed`: what the box holds when confirmed.
    struct Case {
        const char* name;
        std::string doc, shown, typed, after;
        int records;
    };
    const std::string lone("AB\x82\0CD", 6);
    const Case cases[] = {
        {"a lone lead byte before a zero byte", lone, "AB\x81\x45", "XB\x81\x45", std::string("XB\x82\0CD", 6), 2},
        {"unchanged", lone, "AB\x81\x45", "AB\x81\x45", lone, 0},
        {"over the replacement: within the offered bytes", lone, "AB\x81\x45", "ABXY", std::string("ABX\0CD", 6), 2},
        {"more characters go on past them", lone, "AB\x81\x45", "AB\x81\x45Z", "AB\x82ZCD", 2},
        {"a box that drops the lone lead", lone, "AB", "ABC", std::string("ABC\0CD", 6), 2},
        {"a pair shown as another pair", "\x87\x90xyz", "\x81\xE0xyz", "\x81\xE0xYz", "\x87\x90xYz", 2},
        {"a lead byte before a byte that cannot follow it", "\x81 ab", "\x81\x45" "ab", "\x81\x45" "aB", "\x81 aB", 2},
        {"a change reaching into the altered pair takes all of it", "\x81 ab", "\x81\x45" "ab", "ZYab", "ZYab", 4},
        {"a text the box keeps goes in as typed", "ABCDEF", "ABCDEF", "AbCDE", "AbCDEF", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        load(c.doc);
        const TextEdit edit = beginTextEdit(*s);
        finishTextEdit(*s, edit, textAsEdited(edit.initial, c.shown, c.typed).c_str());
        EXPECT_EQ(std::string(s->documentBytes, s->documentBytes + s->documentSize), c.after);
        EXPECT_EQ(s->changeCount, c.records);
        EXPECT_EQ(s->modified, c.records != 0 ? 1 : 0);
    }
}

}  // namespace

// ------------------------------------------------------ hex text

TEST(HexText, ReadsPairsBetweenSeparatorsAndRefusesAnythingElse) {
    struct Case {
        const char* text;
        const char* bytes;  // nullptr: the text is refused
    };
    const Case cases[] = {
        {"41 42 43", "ABC"}, {"4142\r\n43\t44", "ABCD"}, {"0x41,0X4a, 0x7e", "AJ~"}, {"  6a 4B\r\n", "jK"},
        {"", nullptr}, {" \r\n,", nullptr}, {"4", nullptr}, {"0x", nullptr}, {"0x 41", nullptr},
        {"41 4 2", nullptr},  // pairs split by a blank would not line up
        {"0x0x41", nullptr}, {"00x41", nullptr}, {"41g2", nullptr}, {"41-42", nullptr}, {"41;42", nullptr},
        {"\xEF\xBC\x94\xEF\xBC\x91", nullptr},  // full-width digits
    };
    for (const Case& c : cases) {
        uint8_t out[8] = {};
        const HexTextRead read = readHexText(c.text, out, sizeof out);
        EXPECT_EQ(read.valid, c.bytes != nullptr) << c.text;
        if (c.bytes != nullptr) {
            EXPECT_EQ(std::string(out, out + read.stored), c.bytes) << c.text;
        }
    }
    // Only what fits is stored; the whole text still counts and is checked.
    uint8_t two[2];
    const HexTextRead read = readHexText("41 42 43 44", two, sizeof two);
    EXPECT_TRUE(read.valid && read.count == 4 && read.stored == 2 && two[1] == 0x42);
    EXPECT_FALSE(readHexText("01 02 03 zz", two, sizeof two).valid);
}

TEST(HexText, CopiedTextReadsBackToTheSameBytes) {
    std::mt19937 rng(7);
    for (size_t n : {0, 1, 15, 16, 17, 32, 33, 1000}) {
        Bytes b(n);
        for (auto& x : b) x = static_cast<uint8_t>(rng());
        std::vector<char> text(hexTextCapacity(n));  // exactly the room asked for, so an overrun is caught
        const size_t length = writeHexText(b.data(), n, text.data());
        ASSERT_EQ(std::strlen(text.data()), length);
        EXPECT_EQ(length, n == 0 ? 0 : 3 * n - 1 + (n - 1) / 16) << n;
        Bytes back(n + 1);
        const HexTextRead read = readHexText(text.data(), back.data(), back.size());
        EXPECT_EQ(read.valid, n != 0);
        EXPECT_EQ(Bytes(back.begin(), back.begin() + read.stored), b) << n;
    }
    Bytes b(17);
    for (int i = 0; i < 17; ++i) b[i] = static_cast<uint8_t>(i * 0x11);
    char text[64];
    writeHexText(b.data(), b.size(), text);
    EXPECT_STREQ(text, "00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF\r\n10");
}

TEST(Crc32, KnownValuesAndPiecewiseUpdates) {
    std::string generated(4099, '\0');
    for (size_t i = 0; i < generated.size(); ++i) generated[i] = static_cast<char>(i * 7 + 3);
    // Values as zlib gives them; from 64 bytes on the folding path takes part.
    const std::pair<std::string, uint32_t> vectors[] = {
        {"", 0},
        {"a", 0xE8B7BE43},
        {"123456789", 0xCBF43926},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339},
        {generated.substr(0, 63), 0xB7350C2A},
        {generated.substr(0, 64), 0xCBD9ECF0},
        {generated.substr(0, 65), 0x6D195777},
        {generated.substr(0, 1000), 0x17BC2A46},
        {generated, 0x9CE410F9},
    };
    for (const auto& [data, crc] : vectors) {
        const auto* p = reinterpret_cast<const uint8_t*>(data.data());
        EXPECT_EQ(crc32Update(0, p, data.size()), crc) << data.size() << " bytes";
        const size_t cut = data.size() / 3;
        EXPECT_EQ(crc32Update(crc32Update(0, p, cut), p + cut, data.size() - cut), crc) << data.size() << " in two";
    }
    uint8_t digest[4];
    char text[9];
    crc32Digest(0xCBF43926, digest);
    digestText(digest, 4, text);
    EXPECT_STREQ(text, "CBF43926");
}

TEST_F(DocumentText, HexPasteRecordsEachChangedNibbleAsTypingWould) {
    auto paste = [&](const char* text, int locked = 0) {
        nativeSeam().clipboardHasText = true;
        nativeSeam().clipboard = text;
        return pasteHexText(*s, nullptr, locked);
    };
    auto records = [&] {
        std::string t;
        char one[24];
        for (int i = 0; i < s->changeCount; ++i) {
            std::snprintf(one, sizeof one, "%d%c%02X ", s->changeList[i]->offset, s->changeList[i]->nibble ? 'L' : 'H',
                          s->changeList[i]->byteValue);
            t += one;
        }
        return t;
    };
    load(kAlphabet);  // 41 42 43 ... 54
    s->caretOffset = 1;
    ASSERT_EQ(paste("42 41 54 5D"), 1);  // the same byte, the low digit, the high one, both
    EXPECT_EQ(std::string(s->documentBytes, s->documentBytes + 6), "ABAT]F");
    EXPECT_EQ(records(), "2L43 3H44 4H45 4L55 ");  // the low record holds the byte with the new high digit
    EXPECT_EQ(s->caretOffset, 1);
    EXPECT_EQ(s->modified, 1);

    // An already recorded nibble keeps its record, now with the byte just
    // before this paste, and asks nothing; bytes past the end are dropped.
    s->caretOffset = 3;
    ASSERT_EQ(paste("0x73"), 1);
    EXPECT_EQ(records(), "2L43 3H54 4H45 4L55 3L74 ");
    s->caretOffset = 18;
    nativeSeam().answers = {answerOk};  // the question whether to write only what fits
    ASSERT_EQ(paste("00 00 00 00"), 1);
    EXPECT_EQ(std::string(s->documentBytes + 16, s->documentBytes + 20), std::string("QR\0\0", 4));
    nativeSeam().events.clear();

    // Refusals write nothing: text that is not hex pairs, the edit lock, and
    // more new records than the list has room for (counted before writing:
    // of "11 01" over 00 00, offset 0's high nibble is recorded already).
    load(Bytes(100, 0));
    for (int i = 0; i < kRecordListSlots - 2; ++i) addRecord(*s, RecordList::Change, 5000 + i, 0, 0);
    addRecord(*s, RecordList::Change, 0, 0, 0);
    EXPECT_EQ(paste("00 0"), 0);
    EXPECT_EQ(paste("11", 1), 0);
    EXPECT_EQ(paste("11 01"), 0);
    ASSERT_EQ(nativeSeam().events.size(), 2u);
    EXPECT_EQ(nativeSeam().events[0].messageId, IDS_ERR_INVALID_TEXT);
    EXPECT_EQ(nativeSeam().events[1].messageId, IDS_ERR_TOO_MANY_CHANGES);
    EXPECT_NE(nativeSeam().events[1].text.find("2 "), std::string::npos);  // says how many it would change
    EXPECT_EQ(s->documentBytes[0] | s->documentBytes[1] | s->modified, 0);
    ASSERT_EQ(paste("11"), 1);  // one new record: the list's last slot
    EXPECT_EQ(s->changeCount, kRecordListSlots);

    load(kAlphabet);  // unchanged bytes are no edit at all
    ASSERT_EQ(paste("41 42"), 1);
    EXPECT_EQ(s->modified, 0);
}
