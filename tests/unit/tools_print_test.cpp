#include <gtest/gtest.h>

#include <string>

#include "document/dump_row.h"
#include "tools/print_layout.h"

namespace {

constexpr int32_t L = 10;  // line height
constexpr int32_t h = 9;   // column-header height

PrintRequest request(uint32_t size, int32_t pageHeight, bool addresses) {
    return PrintRequest{L, h, pageHeight, addresses, size, false, -1, -1, 1};
}

}  // namespace

TEST(PrintLayout, SelectionInEitherOrderPrintsItsRows) {
    for (auto rows : {std::pair{2, 4}, std::pair{4, 2}}) {
        PrintRequest r = request(0x100, 1000, true);
        r.selectionOnly = true;
        r.selectionAnchorRow = rows.first;
        r.selectionEndRow = rows.second;
        PrintLayout layout = layoutPrint(r);
        ASSERT_EQ(layout.pageCount, 1);
        PrintPage page = printPage(layout, 0, "a.bin");
        ASSERT_EQ(page.lines.size(), 3u);
        EXPECT_EQ(page.lines[0].offset, 0x20u);
        EXPECT_EQ(page.lines[2].offset, 0x40u);
    }
}

TEST(PrintLayout, SelectionIsCutAtTheDocumentEnd) {
    PrintRequest r = request(40, 1000, false);  // rows 0..2, row 2 partial
    r.selectionOnly = true;
    r.selectionAnchorRow = 0;
    r.selectionEndRow = 3;  // select all: one past the last row
    PrintLayout layout = layoutPrint(r);
    EXPECT_EQ(layout.lineCount, 3u);
    EXPECT_EQ(layout.lineCount, layoutPrint(request(40, 1000, false)).lineCount);
}

TEST(PrintLayout, HeaderPositionsFollowTheOption) {
    PrintPage on = printPage(layoutPrint(request(16, 1000, true)), 0, "x");
    EXPECT_TRUE(on.hasHeader);
    EXPECT_EQ(on.headerY, h + h / 2);
    EXPECT_EQ(on.ruleY, 2 * h + h / 2);
    EXPECT_EQ(on.lines[0].y, 3 * L);
    PrintPage off = printPage(layoutPrint(request(16, 1000, false)), 0, "x");
    EXPECT_FALSE(off.hasHeader);
    EXPECT_EQ(off.lines[0].y, 2 * L);
    EXPECT_EQ(off.title, " P.001  x");
}

TEST(PrintLayout, PagesBreakWhenTheNextLineWouldNotFit) {
    // Top 2L = 20, page height 100: lines at 20..90, eight per page.
    PrintLayout layout = layoutPrint(request(20 * 16, 100, false));
    EXPECT_EQ(layout.linesPerPage, 8);
    ASSERT_EQ(layout.pageCount, 3);
    PrintPage last = printPage(layout, 2, "x");
    ASSERT_EQ(last.lines.size(), 4u);
    EXPECT_EQ(last.lines[0].offset, 16u * 16u);
    EXPECT_EQ(last.lines[3].y, 20 + 3 * L);
    EXPECT_EQ(printPage(layout, 1, "x").lines.back().y, 90);
    // A last line that fills its page exactly is not followed by an empty page.
    EXPECT_EQ(layoutPrint(request(16 * 16, 100, false)).pageCount, 2);
    // A page too short for two lines still carries one.
    EXPECT_EQ(layoutPrint(request(3 * 16, 25, false)).pageCount, 3);
}

TEST(PrintLayout, EveryCopyRestartsAtPageOne) {
    PrintRequest r = request(20 * 16, 100, false);
    r.copies = 2;
    PrintLayout layout = layoutPrint(r);
    ASSERT_EQ(layout.pageCount, 6);
    PrintPage second = printPage(layout, 3, "doc.bin");
    EXPECT_EQ(second.copy, 1);
    EXPECT_EQ(second.title, " P.001  doc.bin");
    EXPECT_EQ(second.lines[0].offset, 0u);
    EXPECT_EQ(printPage(layout, 5, "doc.bin").title, " P.003  doc.bin");
}

TEST(PrintLayout, SelectedRowsPairCharactersAsTheRowsAboveLeaveThem) {
    // Rows ending in a split character, a whole pair, an odd run of lead bytes
    // before a digit, then lead bytes running across rows.
    std::string doc = std::string(15, 'k') + "\x82\xA0" + std::string(13, 'k') + "\x82\x82" "A" +
                      std::string(15, '\x81') + "1" + std::string(40, '\xE0') + "x";
    EditorState s{};
    s.documentBytes = reinterpret_cast<uint8_t*>(doc.data());
    s.documentSize = static_cast<uint32_t>(doc.size());
    char shown[kRowTextSize], printed[kRowTextSize];
    uint8_t carried = 0;  // the view's rows, each below the one above
    for (int32_t row = 0; row * 16 < static_cast<int32_t>(doc.size()); ++row) {
        formatDumpRow(s, row * 16, 1, shown, &carried);
        PrintLayout layout = layoutPrint(PrintRequest{L, h, 1000, false, s.documentSize, true, row, row, 1});
        uint8_t lead = firstLinePendingLead(layout, s.documentBytes, 1);
        EXPECT_STREQ(formatDumpRow(s, row * 16, 1, printed, &lead), shown) << "selection from row " << row;
    }
}
