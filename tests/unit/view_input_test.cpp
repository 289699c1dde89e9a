// The view's scrolling, mouse and caret placement as operations on the state.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "document/document.h"
#include "document/record_list.h"
#include "document/selection.h"
#include "document/undo.h"
#include "platform/platform_native.h"
#include "view/view_input.h"

namespace {

constexpr int kCw = 8;
constexpr int kLh = 16;

class ViewInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetNativeSeam();
        s = allocateEditorState();
        s->charWidth = kCw;
        s->lineHeight = kLh;
    }
    void TearDown() override {
        EXPECT_EQ(nativeSeam().unexpectedQuestions, 0);
        freeUnlimitedEditing(*s);
        freeRecordLists(*s);
        std::free(s->documentBytes);
        freeEditorState(s);
    }
    // A document of `size` bytes (zero-filled, untouched pages cost nothing) in a view of `rows` rows.
    void load(uint32_t size, int32_t rows) {
        std::free(s->documentBytes);
        s->documentBytes = static_cast<uint8_t*>(std::calloc(size + kSpareBytes, 1));
        ASSERT_NE(s->documentBytes, nullptr);
        s->documentSize = size;
        s->spareCapacity = kSpareBytes;
        ASSERT_EQ(resetDocumentModel(*s), 1);
        s->visibleRows = rows;
    }
    int32_t x(int cell) const { return cell * kCw + kCw / 2; }  // the middle of a cell
    EditorState* s = nullptr;
};

TEST_F(ViewInputTest, MulDivRoundsLikeTheSystem) {
    EXPECT_EQ(mulDiv(5, 3, 2), 8);     // 7.5 rounds away from zero
    EXPECT_EQ(mulDiv(-5, 3, 2), -8);
    EXPECT_EQ(mulDiv(7, 1, 3), 2);
    EXPECT_EQ(mulDiv(1, 1, 0), -1);
    EXPECT_EQ(mulDiv(65535, 999990, 65535), 999990);  // a 64-bit intermediate
}

TEST_F(ViewInputTest, ThumbRequestsAreIgnoredWhenTheDocumentFillsTheViewExactly) {
    load(16 * 20, 20);
    EXPECT_EQ(onViewVScroll(*s, scrollThumbTrack, 5), effectNone);
    EXPECT_EQ(onViewVScroll(*s, scrollThumbPosition, 5), effectNone);
    EXPECT_EQ(onViewVScroll(*s, 8, 0), effectNone);  // an unknown request
    EXPECT_NE(onViewVScroll(*s, scrollLineDown, 0), effectNone);
    EXPECT_EQ(s->topRow, 0);
    EXPECT_EQ(scrollByPixels(*s, 3 * kLh), effectNone);
}

TEST_F(ViewInputTest, LineAndPageScrollingStayWithinTheDocument) {
    load(16 * 100, 10);  // topRow 0 .. 90
    struct Step {
        int code;
        int32_t expected;
    };
    const Step steps[] = {{scrollLineUp, 0},    {scrollLineDown, 1}, {scrollPageDown, 11},
                          {scrollBottom, 90},   {scrollLineDown, 90}, {scrollPageUp, 80},
                          {scrollTop, 0},       {scrollPageUp, 0}};
    for (const Step& step : steps) {
        EXPECT_EQ(onViewVScroll(*s, step.code, 0), effectScrolled | effectRepaint);
        EXPECT_EQ(s->topRow, step.expected) << "code " << step.code;
        EXPECT_EQ(topRowForThumb(*s, thumbForTopRow(*s)), s->topRow) << "up to 65,536 rows the maps are exact";
    }
}

TEST_F(ViewInputTest, AMillionRowsScrollOnTheThumbsGridExceptByLines) {
    load(16 * 1000000, 40);
    ASSERT_EQ(s->scrollMax, 65535);
    ASSERT_EQ(onViewVScroll(*s, scrollThumbTrack, 30000), effectScrolled | effectRepaint);
    const int32_t onGrid = s->topRow;
    EXPECT_EQ(onGrid, topRowForThumb(*s, 30000));
    EXPECT_EQ(thumbForTopRow(*s), 30000);

    // A notch moves three rows either way, though a thumb step is about 15 rows.
    onViewWheel(*s, 120);
    EXPECT_EQ(s->topRow, onGrid - 3);
    onViewWheel(*s, -120);
    EXPECT_EQ(s->topRow, onGrid);
    // Line scrolling changes the row itself.
    onViewVScroll(*s, scrollLineDown, 0);
    EXPECT_EQ(s->topRow, onGrid + 1);
    onViewVScroll(*s, scrollThumbTrack, 65535);
    EXPECT_EQ(s->topRow, 1000000 - 40);

    // Bringing a caret into view lands on the grid and then finishes by lines: the caret's row shows.
    for (int32_t row : {123457, 500003, 999999, 7}) {
        s->caretOffset = row * 16 + 5;
        bringCaretIntoView(*s);
        EXPECT_GE(row, s->topRow) << row;
        EXPECT_LE(row - s->topRow, s->visibleRows - 1) << row;
    }
}

TEST_F(ViewInputTest, WheelScrollsThreeRowsAndOnlyEndsAutoScroll) {
    load(16 * 100, 10);
    onViewWheel(*s, -120);
    EXPECT_EQ(s->topRow, 3);
    onViewWheel(*s, 1);
    EXPECT_EQ(s->topRow, 0);
    ASSERT_TRUE(startAutoScroll(*s, 50, 60));
    EXPECT_EQ(onViewWheel(*s, -120), effectStopAutoScroll);
    EXPECT_EQ(s->topRow, 0);
    EXPECT_EQ(s->autoScrollActive, 0);
}

TEST_F(ViewInputTest, WheelAutoScrollAndHeightChangesMoveByRowsAtAnySize) {
    enum Op { wheel, tick, height };
    // Top rows off the thumb's grid, as line scrolling leaves them. Ticks: auto-scroll from y 80 of a 160-pixel
    // view, 2 x 40 pixels inside, 8 x 100 outside. Heights: Ctrl+End in 1,600 bytes, then taller, fitting, shorter.
    const struct { int32_t rows, visible, top; Op op; int32_t arg, after; } cases[] = {
        {1000, 40, 49, wheel, -120, 52}, {1000, 40, 49, wheel, 120, 46}, {400000, 40, 49, wheel, -120, 52},
        {400000, 40, 49, wheel, 120, 46}, {10000000, 40, 5000001, wheel, -1, 5000004}, {10000000, 40, 2, wheel, 120, 0},
        {10000000, 40, 5000001, wheel, 1, 4999998}, {10000000, 40, 9999959, wheel, -120, 9999960},
        {10000000, 10, 5000001, tick, 120, 5000006}, {10000000, 10, 5000001, tick, 180, 5000051},
        {10000000, 10, 5000001, tick, 40, 4999996}, {400000, 10, 49, tick, 87, 49}, {100, 30, 70, height, 72, 28},
        {100, 30, 70, height, 120, 0}, {100, 30, 70, height, 20, 70}, {10000000, 40, 9999960, height, 50, 9999950}};
    for (const auto& c : cases) {
        load(16u * static_cast<uint32_t>(c.rows), c.visible);
        s->topRow = c.top;
        const bool ticking = c.op == tick && startAutoScroll(*s, 0, 80);
        const unsigned effects = c.op == wheel    ? onViewWheel(*s, c.arg)
                                 : c.op == height ? setVisibleRows(*s, c.arg)
                                 : ticking        ? autoScrollTick(*s, c.arg, 160).effects
                                                  : effectNone;
        EXPECT_EQ(s->topRow, c.after) << c.rows << " rows from " << c.top << ", " << c.op << " " << c.arg;
        EXPECT_EQ((effects & effectScrolled) != 0, c.op == height || c.top != c.after) << "the thumb follows";
        stopAutoScroll(*s);
    }
}

TEST_F(ViewInputTest, TypedDigitsAndKeysAdvanceAndShowTheCaretsRow) {
    load(16 * 100, 10);
    EXPECT_EQ(onViewKeyDown(*s, nullptr, '0', modifierNone, true), effectNone) << "edit lock";
    // "1020" typed over "00 00": the equal digits move on, without a record.
    for (int key : {'1', '0', '2', '0'}) onViewKeyDown(*s, nullptr, key, modifierNone, false);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(s->documentBytes), 3), std::string("\x10\x20\0", 3));
    EXPECT_EQ(s->caretOffset, 2);
    EXPECT_EQ(s->changeCount, 2);
    // A caret row out of sight comes into view whole (the last nibble too), one just off by one row.
    const struct { int32_t caret, top; int key; int32_t after; } cases[] = {
        {50 * 16, 0, '5', 50}, {50 * 16, 0, keyRight, 50}, {50 * 16, 70, keyUp, 49}, {99 * 16 + 15, 0, '5', 90},
        {9 * 16, 0, keyDown, 1}, {10 * 16, 0, keyLeft, 1},  {5 * 16, 6, keyLeft, 5},  {5 * 16, 6, keyDown, 6}};
    for (const auto& c : cases) {
        s->caretOffset = c.caret;
        s->caretNibble = 1;
        s->topRow = c.top;
        onViewKeyDown(*s, nullptr, c.key, modifierNone, false);
        EXPECT_EQ(s->topRow, c.after) << "caret " << c.caret << ", key " << c.key;
    }
}

// After Tab the caret types characters: each as its bytes, every changed nibble recorded as a typed digit.
TEST_F(ViewInputTest, TheTextColumnTypesCharactersAsTheirBytes) {
    load(20, 10);
    std::memset(s->documentBytes, 0x12, 20);
    enum Kind { key, ctrlKey, chr, lead, locked, click };
    const struct { Kind kind; int arg, answer; int32_t caret, inText; } steps[] = {
        {chr, 'A', 0, 0, 0}, {key, keyTab, 0, 0, 1}, {key, 'B', 0, 0, 1},  // no digit typed in either column
        {chr, 'A', 0, 1, 1}, {chr, '\r', 0, 1, 1}, {locked, 'x', 0, 1, 1},
        {lead, 0x82, 0, 1, 1}, {chr, 0xA0, 0, 3, 1},  // a lead byte waits for its trail byte
        {key, keyLeft, 0, 2, 1}, {key, keyLeft, 0, 1, 1},
        {chr, 0x8341, answerNo, 1, 1}, {chr, 0x8341, answerYes, 3, 1},  // one question for the character
        {ctrlKey, keyEnd, 0, 19, 1}, {chr, 0x82A0, 0, 19, 1}, {chr, 'z', 0, 19, 1},  // no half character
        {key, keyRight, 0, 19, 1}, {click, 61 + 5, 0, 5, 1}, {click, 11 + 3 * 6 + 1, 0, 6, 0},  // a digit: digits again
    };
    for (const auto& c : steps) {
        if (c.answer != 0) nativeSeam().answers = {c.answer};
        const int modifier = c.kind == ctrlKey ? modifierCtrl : modifierNone;
        const unsigned effects = c.kind <= ctrlKey ? onViewKeyDown(*s, nullptr, c.arg, modifier, false)
                                 : c.kind == click ? placeCaretAtPoint(*s, x(c.arg), kLh / 2)
                                 : onViewChar(*s, nullptr, static_cast<uint32_t>(c.arg), c.kind == lead, c.kind == locked);
        const std::string at = "step " + std::to_string(&c - steps);
        EXPECT_EQ(s->caretOffset, c.caret) << at;
        EXPECT_EQ(s->caretInText, c.inText) << at;
        EXPECT_EQ(s->caretNibble, c.kind == click && c.inText == 0 ? 1 : 0) << at;
        EXPECT_EQ((effects & effectBeep) != 0, c.arg == 0x82A0) << at;
    }
    EXPECT_EQ(std::string(reinterpret_cast<char*>(s->documentBytes), 20), "A\x83" "A" + std::string(16, '\x12') + "z");
    std::vector<std::array<int, 3>> records;  // offset, nibble, saved byte
    for (int i = 0; i < s->changeCount; ++i) {
        records.push_back({s->changeList[i]->offset, s->changeList[i]->nibble, s->changeList[i]->byteValue});
    }
    // A low nibble's record holds the byte with the new high digit, as typing two digits leaves it.
    EXPECT_EQ(records, (std::vector<std::array<int, 3>>{{0, 0, 0x12}, {0, 1, 0x42}, {1, 0, 0x12}, {2, 0, 0xA0},
                                                         {2, 1, 0x40}, {1, 1, 0x82}, {19, 0, 0x12}, {19, 1, 0x72}}));
    EXPECT_EQ(nativeSeam().events.size(), 2u) << "the two questions";
}

TEST_F(ViewInputTest, AClickPlacesTheCaretOnTheNibbleOrByteUnderIt) {
    load(40, 10);  // rows 0..2, the last one 8 bytes long
    struct Click {
        int32_t x, y;
        int32_t offset, nibble;  // -1: the caret stays
    };
    const Click clicks[] = {
        {x(11), 0, 0, 0},             // first digit of byte 0
        {x(12), kLh, 16, 1},          // second digit of byte 16
        {x(13), 0, -1, -1},           // the blank after a byte's digits
        {x(5), 0, -1, -1},            // the address
        {x(61 + 3), kLh + 3, 19, 0},  // a character: its high nibble
        {x(61 + 16), 0, -1, -1},      // past the character column
        {x(11 + 3 * 9), 2 * kLh, -1, -1},  // past the end of the short last row
        {x(11 + 3 * 7 + 1), 2 * kLh, 39, 1},
    };
    for (const Click& c : clicks) {
        s->caretOffset = 5;
        s->caretNibble = 1;
        const unsigned effects = placeCaretAtPoint(*s, c.x, c.y);
        const bool moves = c.offset >= 0;
        EXPECT_EQ(effects, moves ? effectCaretStatus : effectNone) << c.x << "," << c.y;
        EXPECT_EQ(s->caretOffset, moves ? c.offset : 5) << c.x << "," << c.y;
        EXPECT_EQ(s->caretNibble, moves ? c.nibble : 1) << c.x << "," << c.y;
    }
}

TEST_F(ViewInputTest, DragSelectsRowsOnceThePointerMovesHalfARow) {
    load(40, 10);
    s->selectionAnchorRow = 0;
    s->selectionEndRow = 2;
    // A press on the blank between two bytes still anchors a drag at its row, and clears the old selection.
    beginMouseSelection(*s, x(13), kLh + 2);
    EXPECT_EQ(s->dragging, 1);
    EXPECT_EQ(s->selectionAnchorRow, 1);
    EXPECT_EQ(s->selectionEndRow, -1);
    EXPECT_EQ(trackMouseSelection(*s, kLh + 2 + kLh / 2 - 1, 160), effectNone);
    EXPECT_EQ(s->selectionEndRow, -1) << "a plain click selects nothing";
    // Below the last row the end is one past it, as select all leaves it.
    trackMouseSelection(*s, 7 * kLh, 160);
    EXPECT_EQ(s->selectionEndRow, s->rowCount);
    // Above the window the 16-bit coordinate is large and ignored.
    trackMouseSelection(*s, 65535, 160);
    EXPECT_EQ(s->selectionEndRow, s->rowCount);
    endMouseSelection(*s);
    EXPECT_EQ(s->dragging, 0);

    // A press past the end of the document also anchors.
    beginMouseSelection(*s, x(11), 9 * kLh);
    EXPECT_EQ(s->selectionAnchorRow, 9);
    endMouseSelection(*s);
}

// With the switch on a selection is of bytes, from the anchor (the caret's
// byte when it began) to the caret's byte; the row fields mirror the rows.
TEST_F(ViewInputTest, ByteSelectionFromKeysClicksAndDrags) {
    load(16 * 20, 10);
    ASSERT_TRUE(setUnlimitedEditing(*s, true));
    enum Kind { key, click, shiftClick, drag, dragTo, release, tick };
    struct Step {
        Kind kind;
        int a, b = 0;  // key and modifier; the byte pressed or dragged to; a point
    };
    const Step shiftRight{key, keyRight, modifierShift}, down{key, keyDown}, digitA{key, 'A'};
    const struct {
        int32_t caret;
        std::vector<Step> steps;
        int32_t anchor, end, caretAfter;  // anchor -1: nothing selected
    } cases[] = {
        {5, {shiftRight, shiftRight}, 5, 6, 6},
        {20, {{key, keyDown, modifierShift}, {key, keyUp, modifierShift}, {key, keyUp, modifierShift}}, 20, 4, 4},
        {5, {{key, keyEnd, modifierShift}}, 5, 15, 15},
        {5, {{key, keyEnd, modifierCtrlShift}}, 5, 319, 319},
        {40, {{key, keyHome, modifierCtrlShift}}, 40, 0, 0},
        {3, {{key, keyPageDown, modifierShift}}, 3, 163, 163},
        {5, {shiftRight, shiftRight, down}, -1, -1, 22},
        {5, {shiftRight, shiftRight, {key, keyEnd, modifierCtrl}}, -1, -1, 319},
        {5, {shiftRight, {key, keyEscape}}, -1, -1, 5},
        {5, {shiftRight, shiftRight, digitA}, -1, -1, 6},  // typed at the caret, unselected
        {7, {{click, 20}, {release, 0}, {shiftClick, 50}}, 20, 50, 50},
        {7, {{shiftClick, 50}}, 7, 50, 50},
        {7, {{click, 20}, {shiftClick, 50}, {shiftClick, 3}}, 20, 3, 3},
        {0, {{click, 20}, {drag, 50}, {drag, 20}}, 20, 20, 20},
        {0, {{click, 20}, {dragTo, (12 + 3 * 4) * kCw, kLh + 2}}, -1, -1, 20},  // the pressed byte's other digit
        {0, {{click, 20}, {dragTo, 2 * kCw, 3 * kLh + 2}}, 20, 48, 48},          // the address
        {0, {{click, 20}, {dragTo, 90 * kCw, 2 * kLh + 2}}, 20, 47, 47},         // right of the characters
        {0, {{click, 20}, {dragTo, (11 + 3 * 3 + 2) * kCw, 9 * kLh + 2}}, 20, 147, 147},  // a blank
        {0, {{click, 20}, {drag, 50}, {release, 0}, {key, keyLeft, modifierShift}}, 20, 49, 49},
        {0, {{click, 20}, {dragTo, 65535, 3 * kLh + 2}}, 20, 48, 48},  // left of the window
        {0, {{click, 20}, {tick, 158}, {tick, 158}}, 20, 52, 52},      // below the view: a row a tick
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        clearSelection(*s);
        s->caretOffset = c.caret;
        s->caretNibble = s->topRow = 0;
        for (const Step& step : c.steps) {
            const int32_t px = (11 + 3 * (step.a % 16)) * kCw + kCw / 2, py = step.a / 16 * kLh + 2;
            switch (step.kind) {
                case key: onViewKeyDown(*s, nullptr, step.a, step.b, false); break;
                case click: beginMouseSelection(*s, px, py, false); break;
                case shiftClick: beginMouseSelection(*s, px, py, true); break;
                case drag: trackMouseSelection(*s, px, py, 160); break;
                case dragTo: trackMouseSelection(*s, step.a, step.b, 160); break;
                case release: endMouseSelection(*s); break;
                case tick: dragScrollTick(*s, step.a, 0, 160); break;
            }
        }
        endMouseSelection(*s);
        const bool none = c.anchor < 0;
        EXPECT_EQ(std::tuple(hasByteSelection(*s), s->selectionEndByte, s->selectionAnchorRow, s->selectionEndRow),
                  std::tuple(!none, none ? -1 : c.end, none ? -1 : c.anchor / 16, none ? -1 : c.end / 16)) << i;
        EXPECT_EQ(none ? c.anchor : s->selectionAnchorByte, c.anchor) << i;
        EXPECT_EQ(s->caretOffset, c.caretAfter) << i;
    }
    EXPECT_EQ(s->documentBytes[6], 0xA0);
}

// A run of typed digits is one step, ended by a caret move; undo brings back
// the bytes and the selection the first digit cleared.
TEST_F(ViewInputTest, TypedDigitsAreOneStepUntilTheCaretMoves) {
    load(64, 4);
    ASSERT_TRUE(setUnlimitedEditing(*s, true));
    s->caretOffset = 2;
    onViewKeyDown(*s, nullptr, keyEnd, modifierShift, false);  // bytes 2 .. 15
    s->caretOffset = 4;
    s->caretNibble = 0;
    for (int key : std::initializer_list<int>{'A', 'B', 'C', keyDown, 'D'}) onViewKeyDown(*s, nullptr, key, modifierNone, false);
    auto bytes = [&] { return std::tuple(s->documentBytes[4], s->documentBytes[5], s->documentBytes[21]); };
    EXPECT_EQ(bytes(), std::tuple(0xAB, 0xC0, 0x0D));
    ASSERT_EQ(undoStep(*s, nullptr), 1);
    EXPECT_EQ(bytes(), std::tuple(0xAB, 0xC0, 0));
    ASSERT_EQ(undoStep(*s, nullptr), 1);
    EXPECT_EQ(bytes(), std::tuple(0, 0, 0));
    EXPECT_EQ(std::tuple(s->selectionAnchorByte, s->selectionEndByte, s->caretOffset, s->modified), std::tuple(2, 15, 4, 0));
    ASSERT_EQ(redoStep(*s, nullptr), 1);
    EXPECT_EQ(std::tuple(hasByteSelection(*s), s->caretOffset, s->caretNibble), std::tuple(false, 5, 1));
    // In the text column the key of each letter comes before its character: it does not end the run.
    s->caretOffset = 30;
    onViewKeyDown(*s, nullptr, keyTab, modifierNone, false);
    for (char c : {'w', 'x'}) {
        onViewKeyDown(*s, nullptr, c - 'a' + 'A', modifierNone, false);
        onViewChar(*s, nullptr, static_cast<uint8_t>(c), false, false);
    }
    ASSERT_EQ(undoStep(*s, nullptr), 1);
    EXPECT_EQ(std::tuple(s->documentBytes[30], s->documentBytes[31]), std::tuple(0, 0));
}

TEST_F(ViewInputTest, DragNearAnEdgeScrollsAndMovesTheSelectionEnd) {
    load(16 * 100, 10);
    beginMouseSelection(*s, x(11), 5);
    trackMouseSelection(*s, 9 * kLh, 160);
    ASSERT_EQ(s->selectionEndRow, 9);
    dragScrollTick(*s, 160 - 3, 0, 160);
    EXPECT_EQ(s->topRow, 1);
    EXPECT_EQ(s->selectionEndRow, 10);
    dragScrollTick(*s, 80, 0, 160);  // away from the edges: nothing moves
    EXPECT_EQ(s->topRow, 1);
    dragScrollTick(*s, -40, 0, 160);
    EXPECT_EQ(s->topRow, 0);
    EXPECT_EQ(s->selectionEndRow, 9);
}

TEST_F(ViewInputTest, AutoScrollNeedsSomethingToScrollAndFollowsThePointer) {
    load(16 * 5, 10);
    EXPECT_FALSE(startAutoScroll(*s, 10, 10)) << "the document fits in the view";
    load(16 * 100, 10);
    s->dragging = 1;
    EXPECT_FALSE(startAutoScroll(*s, 10, 80));
    s->dragging = 0;
    ASSERT_TRUE(startAutoScroll(*s, 10, 80));
    EXPECT_FALSE(startAutoScroll(*s, 10, 80));

    AutoScrollStep still = autoScrollTick(*s, 80 + 7, 160);  // within half a row of the origin
    EXPECT_EQ(still.cursor, cursorIdle);
    EXPECT_EQ(s->topRow, 0);
    AutoScrollStep down = autoScrollTick(*s, 80 + 40, 160);  // 2 x 40 pixels: five rows
    EXPECT_EQ(down.cursor, cursorDown);
    EXPECT_EQ(s->topRow, 5);
    AutoScrollStep below = autoScrollTick(*s, 80 + 100, 160);  // outside the view: 8 x 100 pixels
    EXPECT_EQ(below.cursor, cursorDown);
    EXPECT_EQ(s->topRow, 5 + 50);
    EXPECT_EQ(autoScrollTick(*s, 40, 160).cursor, cursorUp);
    EXPECT_EQ(s->topRow, 55 - 5);
    EXPECT_TRUE(stopAutoScroll(*s));
    EXPECT_FALSE(stopAutoScroll(*s));
}

TEST_F(ViewInputTest, ClickingTheHeaderStripMovesTheCaretWithinItsRow) {
    load(40, 10);
    s->caretOffset = 0x21;
    s->caretNibble = 1;
    s->foundOffset = 3;
    EXPECT_EQ(onLabelClick(*s, x(11 + 3 * 5 + 2)), effectRepaint | effectCaretStatus);  // the blank after "+5"
    EXPECT_EQ(s->caretOffset, 0x25);
    EXPECT_EQ(s->caretNibble, 1);
    EXPECT_EQ(onLabelClick(*s, x(61 + 2)), effectRepaint | effectCaretStatus);
    EXPECT_EQ(s->caretOffset, 0x22);
    EXPECT_EQ(onLabelClick(*s, x(61 + 9)), effectNone) << "past the end of the short last row";
    EXPECT_EQ(onLabelClick(*s, x(3)), effectNone);
    EXPECT_EQ(s->caretOffset, 0x22);
    EXPECT_EQ(s->foundOffset, 3) << "the search frame stays";
}

}  // namespace
