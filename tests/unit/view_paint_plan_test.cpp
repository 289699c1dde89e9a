// The picture of the hex view: rows, colour precedence, partial rows, the
// outlines of differences, the search frame, the caret bars and the icon, as
// the plan lists them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "document/document.h"
#include "document/dump_row.h"
#include "document/record_list.h"
#include "document/selection.h"
#include "document/undo.h"
#include "platform/platform_native.h"
#include "tools/compare.h"
#include "view/kept_picture.h"
#include "view/paint_plan.h"

namespace {

constexpr int kCw = 8;
constexpr int kLh = 16;

std::string slotName(int slot) {
    static const char* names[] = {"caretDump", "caretAscii",    "changedText", "markBack",   "markText",
                                  "markChangedText", "selectionBack", "selectionText", "normalBack", "normalText",
                                  "labelBack", "labelText", "labelBorder", "searchFrame"};
    if (slot == kHighlightColor) return "highlight";
    return slot >= 0 && slot < kNamedColorCount ? names[slot] : "?";
}

// One line per operation: "fill normalBack 0,0 640,100", "text normalText 0,16 [...]",
// "line searchFrame 1 488,0 520,0", "icon 4,5".
std::vector<std::string> describe(const PaintPlan& plan) {
    std::vector<std::string> out;
    for (const PaintOp& op : plan.ops) {
        std::string d;
        auto xy = [](int x, int y) { return std::to_string(x) + "," + std::to_string(y); };
        switch (op.kind) {
            case PaintKind::Fill: d = "fill " + slotName(op.color) + " " + xy(op.x0, op.y0) + " " + xy(op.x1, op.y1); break;
            case PaintKind::Text:
                d = "text " + slotName(op.color) + " " + xy(op.x0, op.y0) + " [" +
                    std::string(plan.textOf(op), op.length) + "]";
                break;
            case PaintKind::Line:
                d = "line " + slotName(op.color) + " " + std::to_string(op.width) + " " + xy(op.x0, op.y0) + " " +
                    xy(op.x1, op.y1);
                break;
            case PaintKind::Icon: d = "icon " + xy(op.x0, op.y0); break;
        }
        out.push_back(d);
    }
    return out;
}

std::vector<std::string> matching(const std::vector<std::string>& ops, const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& op : ops)
        if (op.rfind(prefix, 0) == 0) out.push_back(op);
    return out;
}

class PaintPlanTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetNativeSeam();
        s = allocateEditorState();
        s->charWidth = kCw;
        s->lineHeight = kLh;
    }
    void TearDown() override {
        freeUnlimitedEditing(*s);
        freeRecordLists(*s);
        std::free(s->documentBytes);
        freeEditorState(s);
    }
    void load(const std::string& bytes) {
        std::free(s->documentBytes);
        s->documentBytes = static_cast<uint8_t*>(std::malloc(bytes.size() + kSpareBytes));
        std::memcpy(s->documentBytes, bytes.data(), bytes.size());
        s->documentSize = static_cast<uint32_t>(bytes.size());
        s->spareCapacity = kSpareBytes;
        ASSERT_EQ(resetDocumentModel(*s), 1);
    }
    std::vector<std::string> paint(int height = 100, int kanji = 0) {
        ViewMetrics m{kCw, kLh, 640, height, 1};
        buildPaintPlan(*s, m, kanji, plan);
        return describe(plan);
    }
    std::string row(int32_t offset, int kanji = 0, uint8_t lead = 0) {
        char text[kRowTextSize];
        formatDumpRow(*s, offset, kanji, text, &lead);
        return text;
    }
    // Digit cell of (offset, nibble) within the top rows.
    static std::string cell(int offset, int nibble) {
        return std::to_string((3 * (offset % 16) + 11) * kCw + nibble * kCw) + "," + std::to_string(offset / 16 * kLh);
    }

    EditorState* s = nullptr;
    PaintPlan plan;
};

TEST_F(PaintPlanTest, RowsBandsAndTheAreaBelowAPartialLastRow) {
    load(std::string(20, 'a'));
    s->caretOffset = -1;  // keep the caret bars out of this picture
    auto ops = paint();
    EXPECT_EQ(plan.visibleRows, 6);
    const std::vector<std::string> expected = {
        "fill normalBack 0,0 640,100",
        "fill normalBack 0,0 640,16",
        "text normalText 0,0 [" + row(0) + "]",
        "fill normalBack 0,16 640,32",
        "text normalText 0,16 [" + row(16) + "]",
        "fill normalBack 0,32 640,100",
    };
    EXPECT_EQ(ops, expected);
    EXPECT_NE(row(16).find("61 61 61 61          "), std::string::npos) << "blanks past the end";

    // A selected last row lends its colour to the empty area below it.
    s->selectionAnchorRow = 0;
    s->selectionEndRow = 2;  // one past the last row, as select all leaves it
    ops = paint();
    EXPECT_EQ(ops[3], "fill selectionBack 0,16 640,32");
    EXPECT_EQ(ops[4], "text selectionText 0,16 [" + row(16) + "]");
    EXPECT_EQ(ops.back(), "fill selectionBack 0,32 640,100");

    // Scrolled so that the document fills the view exactly: no area below.
    s->selectionEndRow = -1;
    EXPECT_EQ(paint(32).size(), 5u);
}

TEST_F(PaintPlanTest, ChangedAndMarkedDigitsByPrecedence) {
    load(std::string("\x12\x34\x56\x78") + std::string(60, '\0'));
    s->caretOffset = 40;  // the caret is drawn last and does not matter here
    ASSERT_EQ(addRecord(*s, RecordList::Change, 1, 1, 0x33), 1);  // changed only
    ASSERT_EQ(addRecord(*s, RecordList::Change, 2, 0, 0x16), 1);  // changed and marked
    ASSERT_EQ(addRecord(*s, RecordList::Mark, 2, 0, 0x56), 1);
    ASSERT_EQ(addRecord(*s, RecordList::Mark, 3, 1, 0x78), 1);    // marked only
    ASSERT_EQ(addRecord(*s, RecordList::Mark, 3, 0, 0x78), 1);    // and its neighbour
    ASSERT_EQ(addRecord(*s, RecordList::Change, 0x21, 0, 0), 1);  // another row
    s->selectionAnchorRow = 0;
    s->selectionEndRow = 0;
    auto ops = paint();

    // Changed digits stand on the selected row's band, in their colour and the current byte's value;
    // one transparent text per row carries them to their cells. Each digit is drawn once: the row's
    // text leaves a blank where a changed or marked digit stands, and a marked one is not drawn as changed.
    EXPECT_EQ(ops[1], "fill selectionBack 0,0 640,16");
    EXPECT_EQ(ops[2].rfind("text selectionText 0,0 [ 00000000  12 3   6    00 00 ", 0), 0u) << ops[2];
    EXPECT_EQ(matching(ops, "text changedText"),
              (std::vector<std::string>{"text changedText " + cell(1, 1) + " [4]",
                                        "text changedText " + cell(0x21, 0) + " [0]"}));
    // Marked cells: their background (adjacent cells in one fill), then the digits in the colour
    // that tells whether they are also changed.
    EXPECT_EQ(matching(ops, "fill markBack"),
              (std::vector<std::string>{"fill markBack " + cell(2, 0) + " " + std::to_string(18 * kCw) + ",16",
                                        "fill markBack " + cell(3, 0) + " " + std::to_string(22 * kCw) + ",16"}));
    EXPECT_EQ(matching(ops, "text markChangedText"), std::vector<std::string>{"text markChangedText " + cell(2, 0) + " [5]"});
    EXPECT_EQ(matching(ops, "text markText"), std::vector<std::string>{"text markText " + cell(3, 0) + " [78]"});
    // Marks lie over changes: they come later in the plan.
    auto at = [&](const std::string& prefix) {
        return std::find_if(ops.begin(), ops.end(), [&](const std::string& op) { return op.rfind(prefix, 0) == 0; }) -
               ops.begin();
    };
    EXPECT_LT(at("text changedText"), at("fill markBack"));
    EXPECT_LT(at("fill markBack"), at("text markText"));
}

TEST_F(PaintPlanTest, RecordsOutsideTheViewAndPastTheDocumentAreSkipped) {
    load(std::string(16 * 40, 'x'));
    s->topRow = 10;
    s->caretOffset = 0;  // above the view: no caret bars
    for (int offset : {0, 159, 160, 16 * 15 + 15, 16 * 16, 16 * 39}) {
        ASSERT_EQ(addRecord(*s, RecordList::Change, offset, 0, 0), 1);
        ASSERT_EQ(addRecord(*s, RecordList::Mark, offset, 1, 0), 1);
    }
    ASSERT_EQ(addRecord(*s, RecordList::Change, 16 * 40 + 3, 0, 0), 1);  // not a byte of the document
    auto ops = paint();  // rows 10 .. 15
    EXPECT_EQ(matching(ops, "text changedText").size(), 2u);  // offsets 160 and 255
    EXPECT_EQ(matching(ops, "fill markBack").size(), 2u);
    EXPECT_TRUE(matching(ops, "line").empty());
}

TEST_F(PaintPlanTest, CaretBarsUnderTheNibbleAndTheCharacter) {
    load(std::string(64, 'x'));
    s->caretOffset = 0x15;
    s->caretNibble = 1;
    auto ops = paint();
    // Row 1, column 5: the low digit at cell 11 + 15 + 1, the character at cell 66; bars at the row's lower edge.
    EXPECT_EQ(matching(ops, "line"),
              (std::vector<std::string>{"line caretDump 2 " + std::to_string(27 * kCw) + ",32 " + std::to_string(28 * kCw) + ",32",
                                        "line caretAscii 2 " + std::to_string(66 * kCw) + ",32 " + std::to_string(67 * kCw) + ",32"}));
    EXPECT_EQ(ops.size(), 1 + 4 * 2 + 1 + 2u);  // nothing but the rows, the area below them and the bars
    s->caretInText = 1;  // typing characters: the bar under the character only
    EXPECT_EQ(matching(paint(), "line"),
              (std::vector<std::string>{"line caretAscii 2 " + std::to_string(66 * kCw) + ",32 " + std::to_string(67 * kCw) + ",32"}));
}

TEST_F(PaintPlanTest, KanjiRowsCarryALeadWithinThePaintButTheTopRowStartsWithout) {
    std::string bytes(48, 'a');
    bytes[15] = '\x82';  // a pair split between rows 0 and 1
    bytes[16] = '\xA0';
    bytes[31] = '\x82';  // and between rows 1 and 2
    bytes[32] = '\xA0';
    load(bytes);
    s->caretOffset = -1;
    auto ops = paint(100, 1);
    EXPECT_EQ(ops[2], "text normalText 0,0 [" + row(0, 1) + "]");
    EXPECT_NE(ops[2].find("aa\x82\xA0  ]"), std::string::npos) << "the pair ends the first row, one column too far";
    uint8_t lead = 0x82;
    EXPECT_EQ(ops[4], "text normalText 0,16 [" + row(16, 1, lead) + "]");

    EXPECT_NE(ops[4].find("   " " aaaaaaaaaaaaaa"), std::string::npos) << "a blank where the carried pair began";

    // Scrolled by one row: the row above is not looked at, so 0xA0 shows by the single-byte rules.
    s->topRow = 1;
    ops = paint(100, 1);
    EXPECT_EQ(ops[2], "text normalText 0,0 [" + row(16, 1) + "]");
    EXPECT_NE(ops[2].find("   " ".aaaaaaaaaaaaaa"), std::string::npos);
}

TEST_F(PaintPlanTest, SearchFrameOneOpenBoxPerRow) {
    load(std::string(16 * 8, 'x'));
    s->caretOffset = -1;
    std::strcpy(s->findText, "xx");
    auto frame = [&](int32_t offset, int32_t length) {
        s->foundOffset = offset;
        s->foundLength = length;
        return matching(paint(), "line searchFrame");
    };
    auto line = [](int x0, int y0, int x1, int y1) {
        return "line searchFrame 1 " + std::to_string(x0) + "," + std::to_string(y0) + " " + std::to_string(x1) + "," +
               std::to_string(y1);
    };
    const int a = 61 * kCw;
    // Within one row: a closed box over the characters.
    EXPECT_EQ(frame(0x12, 3), (std::vector<std::string>{line(a + 2 * kCw, 16, a + 5 * kCw, 16),
                                                       line(a + 2 * kCw, 32, a + 5 * kCw, 32),
                                                       line(a + 2 * kCw, 16, a + 2 * kCw, 32),
                                                       line(a + 5 * kCw, 16, a + 5 * kCw, 32)}));
    // Over three rows: closed on the left in the first, on the right in the last.
    EXPECT_EQ(frame(0x1E, 20), (std::vector<std::string>{
                                   line(a + 14 * kCw, 16, a + 16 * kCw, 16), line(a + 14 * kCw, 32, a + 16 * kCw, 32),
                                   line(a + 14 * kCw, 16, a + 14 * kCw, 32),
                                   line(a, 32, a + 16 * kCw, 32), line(a, 48, a + 16 * kCw, 48),
                                   line(a, 48, a + 2 * kCw, 48), line(a, 64, a + 2 * kCw, 64),
                                   line(a + 2 * kCw, 48, a + 2 * kCw, 64)}));
    // A match that starts above the view gets no frame, even where it continues inside it.
    s->topRow = 2;
    EXPECT_TRUE(frame(0x1E, 20).empty());
    s->topRow = 0;
    // No search text, no match, or a match running below the view: nothing, or only the rows inside.
    EXPECT_EQ(frame(16 * 5 + 8, 16).size(), 3u);  // the row below the view is left out
    EXPECT_TRUE(frame(-1, 3).empty());
    s->findText[0] = '\0';
    EXPECT_TRUE(frame(0x12, 3).empty());
}

TEST_F(PaintPlanTest, DifferencesOutlinedOneBoxPerRunWithinARow) {
    load(std::string(16 * 8, 'x'));
    s->compareRows = new CompareRows{{0x12, 0x13, 0x14, 0x1F, 0x20, 0x22, 0x60}, nullptr};
    EXPECT_TRUE(matching(paint(), "line searchFrame").empty()) << "kept, but not outlined before a step";
    s->differencesOutlined = 1;
    // Runs 0x12-0x14, 0x1F (a run ends with its row), 0x20 and 0x22; 0x60 lies below the six rows in view.
    const auto ops = matching(paint(), "line searchFrame");
    ASSERT_EQ(ops.size(), 16u);
    const std::string left = std::to_string(17 * kCw - kCw / 2), right = std::to_string(25 * kCw + kCw / 2);
    EXPECT_EQ(std::vector<std::string>(ops.begin(), ops.begin() + 4),
              (std::vector<std::string>{"line searchFrame 1 " + left + ",16 " + right + ",16",
                                        "line searchFrame 1 " + left + ",32 " + right + ",32",
                                        "line searchFrame 1 " + left + ",16 " + left + ",32",
                                        "line searchFrame 1 " + right + ",16 " + right + ",32"}));
    s->topRow = 2;
    EXPECT_EQ(matching(paint(), "line searchFrame").size(), 12u);
}

TEST_F(PaintPlanTest, HighlightedBytesFilledUnderTheirTextWithinTheDocument) {
    load(std::string(40, 'h'));  // rows of 16, 16 and 8 bytes
    s->caretOffset = -1;
    const auto plain = paint();
    // One fill over the digits and one over the characters of each row's highlighted bytes.
    auto fills = [](int row, int first, int last) {
        const std::string top = std::to_string(row * kLh), bottom = std::to_string(row * kLh + kLh);
        return std::vector<std::string>{
            "fill highlight " + std::to_string((11 + 3 * first) * kCw) + "," + top + " " +
                std::to_string((13 + 3 * last) * kCw) + "," + bottom,
            "fill highlight " + std::to_string((61 + first) * kCw) + "," + top + " " +
                std::to_string((62 + last) * kCw) + "," + bottom};
    };
    auto joined = [](std::vector<std::string> a, const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const struct {
        int32_t offset, length;
        std::vector<std::string> expected;
    } cases[] = {
        {3, 0, {}},
        {3, 2, fills(0, 3, 4)},
        {14, 4, joined(fills(0, 14, 15), fills(1, 0, 1))},
        {36, 10, fills(2, 4, 7)},  // cut at the end of the document
        {40, 5, {}},
    };
    for (const auto& c : cases) {
        s->highlight = ByteHighlight{c.offset, c.length};
        const auto ops = paint();
        EXPECT_EQ(matching(ops, "fill highlight"), c.expected) << c.offset << "+" << c.length;
        if (c.expected.empty()) {
            EXPECT_EQ(ops, plain) << c.offset << "+" << c.length;
        }
    }
    // Between the row's band and its text, so that the digits stay on top.
    s->highlight = ByteHighlight{3, 2};
    const auto ops = paint();
    EXPECT_EQ(ops[1], "fill normalBack 0,0 640,16");
    EXPECT_EQ(ops[4], "text normalText 0,0 [" + row(0) + "]");
}

// With the switch on only the selected bytes' digits and characters take the
// selection's colours; the rest of a partly selected row stays as it is.
TEST_F(PaintPlanTest, SelectedBytesOfAPartlySelectedRow) {
    std::string bytes;
    for (int i = 0; i < 40; ++i) bytes += static_cast<char>('A' + i % 26);
    load(bytes);
    s->caretOffset = -1;
    ASSERT_TRUE(setUnlimitedEditing(*s, true));
    setByteSelection(*s, 18, 3);  // row 0 from byte 3, row 1 up to byte 2
    auto blanked = [&](int32_t offset, int first, int last, size_t from = 0) {
        std::string text = row(offset);
        for (int k = first; k <= last; ++k) text[11 + 3 * k] = text[12 + 3 * k] = text[61 + k] = ' ';
        return text.substr(from);
    };
    auto at = [](int x, int y) { return std::to_string(x * kCw) + "," + std::to_string(y); };
    const std::vector<std::string> fills = {
        "fill selectionBack " + at(20, 0) + " " + at(58, 16), "fill selectionBack " + at(64, 0) + " " + at(77, 16),
        "fill selectionBack " + at(11, 16) + " " + at(19, 32), "fill selectionBack " + at(61, 16) + " " + at(64, 32)};
    const auto ops = paint();
    EXPECT_EQ(matching(ops, "fill selectionBack"), fills);
    EXPECT_EQ(matching(ops, "text selectionText"),
              (std::vector<std::string>{"text selectionText " + at(20, 0) + " [" + blanked(0, 0, 2, 20) + "]",
                                        "text selectionText " + at(11, 16) + " [" + blanked(16, 3, 15, 11) + "]"}));
    EXPECT_EQ(matching(ops, "text normalText"),
              (std::vector<std::string>{"text normalText 0,0 [" + blanked(0, 3, 15) + "]",
                                        "text normalText 0,16 [" + blanked(16, 0, 2) + "]",
                                        "text normalText 0,32 [" + row(32) + "]"}));
    EXPECT_EQ(matching(ops, "fill normalBack").size(), 5u) << "every band and the area below in the normal colour";
}

// With the switch on the records come from the stores, only those of the
// drawn rows, and inserted bytes show in the change colour like changed digits.
TEST_F(PaintPlanTest, StoredRecordsOfTheDrawnRowsAndInsertedBytes) {
    std::string bytes(1 << 20, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i);
    load(bytes);
    ASSERT_TRUE(setUnlimitedEditing(*s, true));
    s->caretOffset = -1;
    s->topRow = 2;  // three rows drawn: offsets 32 .. 79
    const uint8_t inserted[] = {0xAB, 0xCD};
    ASSERT_TRUE(spliceDocument(*s, nullptr, 50, 0, inserted, 2));
    for (int32_t at = 1 << 19; at < (1 << 20); at += 5) ASSERT_EQ(addRecord(*s, RecordList::Change, at, 0, 0), 1);
    for (auto [offset, nibble] : {std::pair{31, 1}, {32, 0}, {79, 1}, {80, 0}}) {
        ASSERT_EQ(addRecord(*s, RecordList::Change, offset, nibble, 0), 1);
    }
    ASSERT_EQ(addRecord(*s, RecordList::Mark, 32, 0, 0), 1);
    ASSERT_EQ(addRecord(*s, RecordList::Mark, 40, 1, 0), 1);
    const auto ops = paint(48);
    EXPECT_EQ(matching(ops, "text changedText"),
              (std::vector<std::string>{"text changedText 136,16 [AB CD]", "text changedText 456,32 [D]"}));
    EXPECT_EQ(matching(ops, "text mark"),
              (std::vector<std::string>{"text markText 288,0 [8]", "text markChangedText 88,0 [2]"}));
}

TEST_F(PaintPlanTest, AViewLowerThanOneRowDrawsOnlyTheBackground) {
    load(std::string(64, 'x'));
    ASSERT_EQ(addRecord(*s, RecordList::Change, 0, 0, 0), 1);
    ASSERT_EQ(addRecord(*s, RecordList::Mark, 0, 0, 0), 1);
    auto ops = paint(kLh - 1);
    EXPECT_EQ(plan.visibleRows, 0);
    EXPECT_EQ(ops, std::vector<std::string>{"fill normalBack 0,0 640,15"});

    // Without a document nothing but the background either; the auto-scroll icon is centred on its origin.
    s->autoScrollActive = 1;
    s->autoScrollOriginX = 100;
    s->autoScrollOriginY = 50;
    ops = paint();
    EXPECT_EQ(ops.back(), "icon 84,34");
    std::free(s->documentBytes);
    s->documentBytes = nullptr;
    EXPECT_EQ(paint().size(), 1u);
}

// Each band of a plan: its pixel rows, then its operations as describe() gives them.
std::vector<std::vector<std::string>> bandsOf(const PaintPlan& plan) {
    std::vector<std::vector<std::string>> out;
    for (const PaintBand& band : plan.bands) {
        PaintPlan one;
        one.text = plan.text;
        for (uint32_t i = 0; i < band.count; ++i) one.ops.push_back(plan.bandOp(band, i));
        out.push_back(describe(one));
        out.back().insert(out.back().begin(), std::to_string(band.top) + "-" + std::to_string(band.bottom));
    }
    return out;
}

TEST_F(PaintPlanTest, ARangeOfBandsEqualsTheSameBandsOfTheWholePlan) {
    std::string bytes(16 * 30 + 7, 'a');
    for (size_t i = 0; i < bytes.size(); i += 5) bytes[i] = '\x82';  // lead bytes carried across rows in kanji mode
    load(bytes);
    for (int i = 0; i < 60; i += 3) ASSERT_EQ(addRecord(*s, RecordList::Change, 16 * 20 + i, i % 2, 0), 1);
    for (int i = 0; i < 60; i += 4) ASSERT_EQ(addRecord(*s, RecordList::Mark, 16 * 21 + i, 0, 0), 1);
    std::strcpy(s->findText, "a");
    s->foundOffset = 16 * 22 + 9;
    s->foundLength = 30;
    s->selectionAnchorRow = 23;
    s->selectionEndRow = 40;
    s->caretOffset = 16 * 21 + 3;
    s->caretNibble = 1;
    s->autoScrollActive = 1;
    s->autoScrollOriginX = 40;
    s->autoScrollOriginY = 4 * kLh;
    s->compareRows = new CompareRows{{16 * 20 + 15, 16 * 21, 16 * 24 + 3, 16 * 24 + 4}, nullptr};
    s->differencesOutlined = 1;
    for (int kanji : {0, 1}) {
        for (int top : {19, 20, 27}) {  // the document ending inside the view too
            s->topRow = top;
            ViewMetrics m{kCw, kLh, 640, 8 * kLh + 5, 1};  // 8 rows and 5 pixel rows below them
            buildPaintPlan(*s, m, kanji, plan);
            const auto whole = bandsOf(plan);
            ASSERT_EQ(whole.size(), 9u);
            PaintPlan part;
            for (int first = 0; first < 9; ++first) {
                for (int last = first; last < 10; ++last) {
                    buildPaintPlan(*s, m, kanji, part, {first, last});
                    const auto end = whole.begin() + std::min(last + 1, 9);
                    EXPECT_EQ(bandsOf(part), std::vector<std::vector<std::string>>(whole.begin() + first, end))
                        << "kanji " << kanji << ", top " << top << ", bands " << first << ".." << last;
                }
            }
        }
    }
}

// What a paint draws into the kept picture and gives the window after each change of the state.
TEST_F(PaintPlanTest, TheKeptPictureDrawsOnlyTheBandsThatChanged) {
    load(std::string(16 * 100, 'a'));
    KeptPicture kept;
    KeptPicture::Update update;
    ViewMetrics m{kCw, kLh, 640, 6 * kLh + 3, 1};
    auto paint = [&](const char* frame = "frame") {
        buildPaintPlan(*s, m, 0, plan);
        kept.update(plan, s->topRow, frame, update);
        return std::make_pair(update.draw, update.show);
    };
    using Bands = std::vector<int32_t>;
    const Bands all = {0, 1, 2, 3, 4, 5, 6}, rows = {0, 1, 2, 3, 4, 5};
    EXPECT_EQ(paint(), std::make_pair(all, all)) << "the first paint";
    EXPECT_EQ(paint(), std::make_pair(Bands{}, Bands{})) << "nothing changed";
    s->caretOffset = 16 * 2;  // a bar on row 0's lower edge moves to row 2's
    EXPECT_EQ(paint(), std::make_pair(Bands{0, 1, 2, 3}, Bands{0, 1, 2, 3}));
    s->topRow = 1;  // the caret moves up with its row; the new last row comes into view
    EXPECT_EQ(paint(), std::make_pair(Bands{5}, rows));
    std::vector<KeptPicture::Piece> pieces;
    kept.pieces(0, m.clientHeight, pieces);
    EXPECT_EQ(pieces.size(), 3u) << "the ring's two halves and the band below the rows";
    EXPECT_EQ(pieces[0].pictureTop, kLh);
    s->topRow = 3;  // the caret's row goes above the view, and its bar with it
    EXPECT_EQ(paint(), std::make_pair(Bands{0, 4, 5}, rows));
    s->topRow = 50;  // a jump: every row is new
    EXPECT_EQ(paint(), std::make_pair(rows, rows));
    EXPECT_EQ(paint("other colours"), std::make_pair(all, all));
    kept.forget();
    EXPECT_EQ(paint("other colours"), std::make_pair(all, all));
}

}  // namespace
