// The largest documents a file can give: the largest file that loads, and the
// same after its 1000 spare bytes were inserted. The buffer is mapped without
// backing memory, so only the pages a test writes cost anything; every offset
// computation of the core must hold up to the last row.
#include <gtest/gtest.h>

#include <sys/mman.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "document/document.h"
#include "document/edit.h"
#include "document/marks.h"
#include "document/record_list.h"
#include "document/selection.h"
#include "platform/platform_native.h"
#include "resource_ids.h"
#include "shell/editor_state.h"
#include "tools/compare.h"
#include "tools/print_layout.h"
#include "tools/replace.h"
#include "tools/search.h"
#include "tools/value_entry.h"
#include "view/paint_plan.h"
#include "view/view_input.h"

namespace {

constexpr size_t kBufferSize = size_t{kMaxDocumentSize} + kSpareBytes;  // 0x7FFFFFFF

uint8_t* mapSparse() {
    void* p = mmap(nullptr, kBufferSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    return p == MAP_FAILED ? nullptr : static_cast<uint8_t*>(p);
}

// " %08X  " and the hex cells of `bytes`, blank cells after them: the first
// 59 characters of a row, written out plainly.
std::string rowHead(uint32_t offset, const std::vector<uint8_t>& bytes) {
    char buf[16];
    std::snprintf(buf, sizeof buf, " %08X  ", offset);
    std::string t = buf;
    for (size_t i = 0; i < 16; ++i) {
        if (i < bytes.size()) {
            std::snprintf(buf, sizeof buf, "%02X ", bytes[i]);
            t += buf;
        } else {
            t += "   ";
        }
    }
    return t + "  ";
}

const std::string kHeader = "           +0 +1 +2 +3 +4 +5 +6 +7 +8 +9 +A +B +C +D +E +F   0123456789ABCDEF";

class LargestDocument : public ::testing::Test {
protected:
    void SetUp() override {
        resetNativeSeam();
        s = allocateEditorState();
        ASSERT_NE(s, nullptr);
        bytes = mapSparse();
        ASSERT_NE(bytes, nullptr);
    }
    void TearDown() override {
        freeRecordLists(*s);
        munmap(bytes, kBufferSize);
        freeEditorState(s);
    }
    // A loaded document of `size` bytes; the rest of the buffer is its spare room.
    void load(uint32_t size) {
        s->documentBytes = bytes;
        s->documentSize = size;
        s->spareCapacity = static_cast<uint32_t>(kBufferSize - size);
        ASSERT_EQ(resetDocumentModel(*s), 1);
    }
    void put(uint32_t offset, const std::string& text) { std::memcpy(bytes + offset, text.data(), text.size()); }
    std::string copyRows(int32_t first, int32_t end, int kanji) {
        s->selectionAnchorRow = first;
        s->selectionEndRow = end;
        std::string text;
        buildCopyText(*s, kanji, text);
        return text;
    }

    EditorState* s = nullptr;
    uint8_t* bytes = nullptr;
};

TEST_F(LargestDocument, SearchJumpCopyPasteAndMarksReachTheLastRow) {
    for (uint32_t size : {kMaxDocumentSize, static_cast<uint32_t>(kBufferSize)}) {
        SCOPED_TRACE(size);
        resetNativeSeam();
        load(size);
        const uint32_t last = size - 1;
        const uint32_t lastRow = last & ~15u;
        EXPECT_EQ(s->rowCount, static_cast<int32_t>(lastRow / 16 + 1));
        EXPECT_EQ(s->scrollMax, 65535);

        // The whole document searched from its start; the match ends on the last byte.
        put(size - 6, "NEEDLE");
        ASSERT_EQ(searchAfterCaret(*s, nullptr, 0, "NEEDLE"), 1);
        EXPECT_EQ(s->caretOffset, static_cast<int32_t>(size - 6));
        EXPECT_EQ(s->foundOffset, static_cast<int32_t>(size - 6));
        EXPECT_EQ(searchNext(*s, nullptr, 0), 0);
        EXPECT_EQ(s->foundOffset, -1);
        s->caretOffset = static_cast<int32_t>(size - 100);
        ASSERT_EQ(searchAfterCaret(*s, nullptr, 1, "44 4C 45"), 1);
        EXPECT_EQ(s->caretOffset, static_cast<int32_t>(size - 3));
        // From the last byte the search wraps to the start (and finds the same match).
        s->caretOffset = static_cast<int32_t>(last);
        ASSERT_EQ(searchAfterCaret(*s, nullptr, 0, "NEEDLE"), 1);
        EXPECT_EQ(s->caretOffset, static_cast<int32_t>(size - 6));

        // Jumps: the last byte, and past it held to the last byte.
        EXPECT_EQ(jumpToAddress(*s, static_cast<int32_t>(last)), 1);
        EXPECT_EQ(s->caretOffset, static_cast<int32_t>(last));
        s->caretOffset = 0;
        EXPECT_EQ(jumpToAddress(*s, 0x7FFFFFFF), 1);
        EXPECT_EQ(s->caretOffset, static_cast<int32_t>(last));
        for (const char* text : {"7FFFFFFF", "80000000", "FFFFFFFF"}) {
            EntryCheck c = checkValueEntry(JumpAddress, text, true, 8, size, "");
            EXPECT_EQ(c.verdict, EntryVerdict::AskClamp) << text;
            EXPECT_EQ(c.clampedValue, static_cast<int32_t>(last)) << text;
        }
        EntryCheck exact = checkValueEntry(JumpAddress, "2147482646", false, 10, size, "");
        EXPECT_EQ(exact.verdict, EntryVerdict::Accept);
        EXPECT_EQ(exact.value, 2147482646);

        // The last row copied, with and without kanji mode (no lead bytes in it).
        const uint32_t inRow = size - lastRow;
        std::vector<uint8_t> tail(bytes + lastRow, bytes + size);
        std::string chars;
        for (uint8_t b : tail) chars += (b >= 0x20 && b <= 0x7E) ? static_cast<char>(b) : '.';
        chars += std::string(16 - inRow, ' ');
        const std::string expected = kHeader + "\r\n" + rowHead(lastRow, tail) + chars + "\r\n";
        EXPECT_EQ(copyRows(s->rowCount - 1, s->rowCount, 0), expected);
        EXPECT_EQ(copyRows(s->rowCount, s->rowCount - 1, 1), expected);

        // Paste stops at the last byte; its records carry the top offsets.
        nativeSeam().clipboard = "xyz!";
        nativeSeam().clipboardHasText = true;
        s->caretOffset = static_cast<int32_t>(size - 3);
        ASSERT_EQ(pasteText(*s, nullptr, 0), 1);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes + size - 6), 6), "NEExyz");
        EXPECT_EQ(s->changeCount, 6);
        EXPECT_EQ(findRecord(*s, RecordList::Change, static_cast<int32_t>(last), 1), 5);

        // A mark on the last byte is where the next-mark command goes.
        s->caretOffset = static_cast<int32_t>(last);
        s->caretNibble = 1;
        ASSERT_EQ(toggleMark(*s), 1);
        s->caretOffset = 0;
        ASSERT_EQ(gotoNextMark(*s), 1);
        EXPECT_EQ(s->caretOffset, static_cast<int32_t>(last));
        EXPECT_EQ(s->caretNibble, 1);
        EXPECT_EQ(nativeSeam().events.size(), 1u) << "only the failed find-next reports";
        put(size - 6, std::string(6, '\0'));
    }
}

// Nothing grows the document past the largest file that opens again (an insertion where `with` is
// empty, else a replacement of "ab"); a refusal says so before anything is asked or changed.
TEST_F(LargestDocument, NothingGrowsTheDocumentPastTheLargestFileThatOpens) {
    const struct { uint32_t size; const char* with; uint32_t after; } cases[] = {
        {kMaxDocumentSize, "", kMaxDocumentSize}, {kMaxDocumentSize - 1, "", kMaxDocumentSize},
        {kMaxDocumentSize - 1, "wxyz", kMaxDocumentSize - 1}, {kMaxDocumentSize - 1, "xyz", kMaxDocumentSize}};
    for (const auto& c : cases) {
        resetNativeSeam();
        nativeSeam().answers = {answerYes};  // the replacement's question
        load(c.size);
        put(c.size - 2, "ab");
        s->caretOffset = static_cast<int32_t>(c.size - 1);
        ReplaceQuery q;
        if (*c.with == '\0')
            insertByteAt(*s, nullptr, 'Z');
        else if (readReplaceQuery("ab", c.with, searchMatchCase, true, nullptr, q))
            replaceMatches(*s, nullptr, {c.size - 2}, q);
        EXPECT_EQ(s->documentSize, c.after) << c.size << c.with;
        EXPECT_EQ(nativeSeam().events.size() == 1 && nativeSeam().events[0].messageId == IDS_ERR_DOCUMENT_TOO_LARGE,
                  c.after == c.size) << c.size << c.with;
    }
}

TEST_F(LargestDocument, KanjiCharacterRunsIntoTheLastRow) {
    load(static_cast<uint32_t>(kBufferSize));
    // The row before the last ends in a lead byte whose trail byte opens the
    // last row; the document's last byte is a lone lead byte.
    const uint32_t lastRow = 0x7FFFFFF0u;
    bytes[lastRow - 1] = 0x82;
    put(lastRow, "\xA0" "ABCDEFGHIJKLM" "\x82");
    std::vector<uint8_t> before(16, 0);
    before[15] = 0x82;
    std::vector<uint8_t> tail(bytes + lastRow, bytes + kBufferSize);
    ASSERT_EQ(tail.size(), 15u);

    EXPECT_EQ(copyRows(s->rowCount - 2, s->rowCount, 1),
              kHeader + "\r\n" + rowHead(lastRow - 16, before) + std::string(15, '.') + "\x82\xA0" + "\r\n" +
                  rowHead(lastRow, tail) + " ABCDEFGHIJKLM. " + "\r\n");
    EXPECT_EQ(copyRows(s->rowCount - 2, s->rowCount, 0),
              kHeader + "\r\n" + rowHead(lastRow - 16, before) + std::string(16, '.') + "\r\n" +
                  rowHead(lastRow, tail) + ".ABCDEFGHIJKLM. " + "\r\n");
}

TEST_F(LargestDocument, PrintingPlacesTheLastRowOnTheLastPage) {
    const uint32_t size = static_cast<uint32_t>(kBufferSize);
    for (bool selection : {false, true}) {
        // The whole document, and the selection of its last row (end one past it).
        PrintRequest request{10, 12, 1000, true, size, selection, 0x7FFFFFF, 0x8000000, 2};
        PrintLayout layout = layoutPrint(request);
        EXPECT_EQ(layout.firstOffset, selection ? 0x7FFFFFF0u : 0u);
        EXPECT_EQ(layout.lineCount, selection ? 1u : 0x8000000u);
        ASSERT_GT(layout.pageCount, 0);
        PrintPage last = printPage(layout, layout.pageCount - 1, "big.bin");
        ASSERT_FALSE(last.lines.empty());
        EXPECT_EQ(last.lines.back().offset, 0x7FFFFFF0u);
        EXPECT_EQ(last.copy, 1);
    }
}

TEST_F(LargestDocument, CompareFindsDifferencesUpToTheLastByte) {
    uint8_t* other = mapSparse();
    ASSERT_NE(other, nullptr);
    const uint32_t n = static_cast<uint32_t>(kBufferSize);
    bytes[0x7FFFFF00] = 1;
    bytes[n - 1] = 2;
    other[n - 1] = 3;
    for (CompareKernel k : {CompareKernel::Best, CompareKernel::Words}) {
        EXPECT_EQ(differingOffsetsWith(k, bytes, n, other, n), (std::vector<uint32_t>{0x7FFFFF00u, n - 1}));
    }
    munmap(other, kBufferSize);
}

}  // namespace

// The view at the end of the largest document: keys, the thumb, a click, the
// strip and the picture of the last rows.
TEST_F(LargestDocument, TheViewReachesTheLastRow) {
    load(static_cast<uint32_t>(kBufferSize));
    const int32_t last = static_cast<int32_t>(kBufferSize - 1);
    s->charWidth = 8;
    s->lineHeight = 16;
    s->visibleRows = 40;
    put(static_cast<uint32_t>(last) - 1, "\x82\xA0");

    EXPECT_NE(onViewKeyDown(*s, nullptr, keyEnd, modifierCtrl, false), effectNone);
    EXPECT_EQ(s->caretOffset, last);
    EXPECT_EQ(s->topRow, s->rowCount - 40);
    EXPECT_EQ(onViewKeyDown(*s, nullptr, keyPageDown, modifierNone, false) & effectCaretStatus, effectCaretStatus);
    EXPECT_EQ(s->caretOffset, last);
    EXPECT_EQ(onViewKeyDown(*s, nullptr, keyRight, modifierNone, false), effectNone);
    onViewVScroll(*s, scrollThumbTrack, 65535);
    EXPECT_EQ(s->topRow, s->rowCount - 40);
    EXPECT_EQ(thumbForTopRow(*s), 65535);

    // A click on the last row's last byte (the last row holds 15), and the strip's columns.
    EXPECT_EQ(placeCaretAtPoint(*s, (61 + 14) * 8 + 1, 39 * 16 + 2), effectCaretStatus);
    EXPECT_EQ(s->caretOffset, last);
    s->caretOffset = last - 14;
    EXPECT_EQ(onLabelClick(*s, (61 + 15) * 8 + 1), effectNone) << "past the end of the last row";
    EXPECT_NE(onLabelClick(*s, (61 + 14) * 8 + 1), effectNone);
    EXPECT_EQ(s->caretOffset, last);

    // The picture: every row drawn, the last one ending with the kanji pair.
    PaintPlan plan;
    buildPaintPlan(*s, ViewMetrics{8, 16, 800, 40 * 16, 1}, 1, plan);
    int rows = 0;
    std::string lastText;
    for (const PaintOp& op : plan.ops) {
        if (op.kind == PaintKind::Text && op.length > 60) {
            ++rows;
            lastText.assign(plan.textOf(op), op.length);
        }
    }
    EXPECT_EQ(rows, 40);
    EXPECT_EQ(lastText.substr(0, 10), " 7FFFFFF0 ");
    EXPECT_NE(lastText.find("\x82\xA0  "), std::string::npos);
}
