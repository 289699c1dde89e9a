// The hex view in the real window: what it paints, the keys, the mouse and
// the scroll bar, the header strip, and the command states that follow them.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "document/change_list_dialog_win.h"
#include "document/edit.h"
#include "document/record_list.h"
#include "platform/gdi_win.h"
#include "resource_ids.h"
#include "shell/document_reset_win.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"
#include "support/gui_harness_win.h"
#include "support/process_win.h"
#include "tools/compare.h"
#include "view/view_input.h"
#include "view/view_win.h"

using namespace gui;

namespace {

// A picture of the view's client area in a 32-bit bitmap: a fresh paint of
// the whole view through WM_PRINTCLIENT, or what the window shows.
class ViewPicture {
public:
    explicit ViewPicture(HWND view, bool shown = false) {
        RECT client{};
        GetClientRect(view, &client);
        width_ = client.right;
        height_ = client.bottom;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        WindowDc screen(nullptr);
        MemoryDc dc(screen.get());
        void* bits = nullptr;
        GdiObject<HBITMAP> bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmap) return;
        {
            SelectedObject use(dc.get(), bitmap.get());
            if (shown) {
                WindowDc window(view);
                BitBlt(dc.get(), 0, 0, width_, height_, window.get(), 0, 0, SRCCOPY);
            } else {
                SendMessageA(view, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
            }
            GdiFlush();
            const auto* p = static_cast<const uint32_t*>(bits);
            pixels_.assign(p, p + static_cast<size_t>(width_) * height_);
        }
    }
    // The pixel as a COLORREF (0x00BBGGRR).
    COLORREF at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_ || pixels_.empty()) return 0xFFFFFFFF;
        uint32_t v = pixels_[static_cast<size_t>(y) * width_ + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    // Pixels of `color` in the rectangle, right and bottom excluded.
    int count(COLORREF color, int left, int top, int right, int bottom) const {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) n += at(x, y) == color ? 1 : 0;
        return n;
    }

    // The first pixel that differs, as "x,y", or "" when the pictures are equal.
    std::string firstDifference(const ViewPicture& other) const {
        if (width_ != other.width_ || height_ != other.height_) return "size";
        for (size_t i = 0; i < pixels_.size(); ++i) {
            if (pixels_[i] != other.pixels_[i])
                return std::to_string(i % static_cast<size_t>(width_)) + "," + std::to_string(i / static_cast<size_t>(width_));
        }
        return pixels_.size() == other.pixels_.size() ? "" : "pixels";
    }

private:
    int width_ = 0, height_ = 0;
    std::vector<uint32_t> pixels_;
};

class ViewTest : public ViewFrameTest {
protected:
    void key(int vk, int modifier = 0) { pressKey(view(), vk, modifier); }
    void caretIs(int32_t offset, int32_t nibble) const {
        EXPECT_EQ(s().caretOffset, offset);
        EXPECT_EQ(s().caretNibble, nibble);
    }
    void selectionIs(int32_t anchor, int32_t end) const {
        EXPECT_EQ(s().selectionAnchorRow, anchor);
        EXPECT_EQ(s().selectionEndRow, end);
    }
    void click(UINT message, int x, int y, WPARAM keys = 0) {
        SendMessageA(view(), message, keys, MAKELPARAM(x, y));
        pumpMessages();
    }
    int cellX(int column, int nibble) const { return ((3 * column + 11) + nibble) * s().charWidth; }
};

TEST_F(ViewTest, PaintsChangedMarkedSelectedAndCaretInTheirColours) {
    loadDocument(std::string(16 * 8, '\x11'), "C:\\data\\colours.bin");
    EditorState& st = s();
    // Colours no other part of the picture uses.
    st.colorTable[changedText] = RGB(250, 0, 0);
    st.colorTable[markBack] = RGB(0, 120, 120);
    st.colorTable[selectionBack] = RGB(20, 40, 200);
    st.colorTable[caretDump] = RGB(0, 0, 250);
    st.colorTable[caretAscii] = RGB(0, 150, 0);
    // Byte 0x13 changed (high nibble), byte 0x25 marked (low nibble), row 4 selected, caret on 0x31 low.
    st.caretOffset = 0x13;
    st.documentBytes[0x13] = 0x91;
    ASSERT_EQ(addRecord(st, RecordList::Change, 0x13, 0, 0x11), 1);
    st.caretOffset = 0x25;
    st.caretNibble = 1;
    ASSERT_EQ(addRecord(st, RecordList::Mark, 0x25, 1, 0x11), 1);
    ASSERT_EQ(addRecord(st, RecordList::Mark, 0x2A, 0, 0x11), 1);  // a second run of marked cells in the row
    st.selectionAnchorRow = 4;
    st.selectionEndRow = 4;
    st.caretOffset = 0x31;
    st.caretNibble = 1;

    ViewPicture picture(view());
    const int cw = st.charWidth, lh = st.lineHeight;
    ASSERT_GT(cw, 0);
    // Changed digit: some pixels of its glyph in the change colour.
    EXPECT_GT(picture.count(RGB(250, 0, 0), cellX(3, 0), lh, cellX(3, 0) + cw, 2 * lh), 0);
    // Marked cells: their background fills most of them, and not the blank between them.
    EXPECT_GT(picture.count(RGB(0, 120, 120), cellX(5, 1), 2 * lh, cellX(5, 1) + cw, 3 * lh), cw * lh / 2);
    EXPECT_GT(picture.count(RGB(0, 120, 120), cellX(10, 0), 2 * lh, cellX(10, 0) + cw, 3 * lh), cw * lh / 2);
    EXPECT_EQ(picture.count(RGB(0, 120, 120), cellX(5, 1) + cw, 2 * lh, cellX(10, 0), 3 * lh), 0);
    // Selected band: right of the characters, across the whole row.
    EXPECT_EQ(picture.at(90 * cw, 4 * lh + lh / 2), RGB(20, 40, 200));
    EXPECT_NE(picture.at(90 * cw, 5 * lh + lh / 2), RGB(20, 40, 200));
    // Caret bars at the row's lower edge, under the low digit and under the character.
    const int barY = 4 * lh;  // row 3's lower edge
    EXPECT_GT(picture.count(RGB(0, 0, 250), cellX(1, 1), barY - 1, cellX(1, 1) + cw, barY + 1), 0);
    EXPECT_GT(picture.count(RGB(0, 150, 0), (61 + 1) * cw, barY - 1, (62 + 1) * cw, barY + 1), 0);
    EXPECT_EQ(picture.count(RGB(0, 0, 250), cellX(1, 0), barY - 1, cellX(1, 0) + cw - 2, barY + 1), 0);
}

// However the state changed, the window shows what a fresh paint of the whole view shows.
TEST_F(ViewTest, PaintedPixelsEqualAFreshPaintAfterEveryStep) {
    std::string text;
    while (text.size() < 16 * 500) text += "MOXEL \x8A\xBF\x8E\x9A\x83\x82\x81\x5B\x83\x68 Shift-JIS \x82\xCC\r\n\x82";
    loadDocument(text, "C:\\data\\pixels.bin");
    EditorState& st = s();
    std::strcpy(st.findText, "MOXEL");
    std::mt19937 random(20261207);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const int keys[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_HOME, VK_END, VK_PRIOR, VK_NEXT};
    for (int step = 0; step < 150; ++step) {
        const int lh = st.lineHeight, action = pick(11);
        switch (action) {
            case 0: SendMessageA(view(), WM_VSCROLL, MAKEWPARAM(pick(2) == 0 ? SB_LINEDOWN : SB_LINEUP, 0), 0); break;
            case 1: SendMessageA(view(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, pick(st.scrollMax + 1)), 0); break;
            case 2: key(keys[pick(8)], pick(3) == 0 ? VK_SHIFT : 0); break;
            case 3: {  // a digit other than the one there; a nibble changed before is asked about
                if (pick(3) == 0) key(VK_TAB);
                if (st.caretInText != 0) {  // a character, where it asks nothing
                    if (findRecord(st, RecordList::Change, st.caretOffset, 0) < 0 &&
                        findRecord(st, RecordList::Change, st.caretOffset, 1) < 0)
                        SendMessageA(view(), WM_CHAR, 'a' + pick(26), 0);
                    break;
                }
                const uint8_t byte = st.documentBytes[st.caretOffset];
                const int now = st.caretNibble == 0 ? byte >> 4 : byte & 15;
                for (int i = 0; i < st.changeCount; ++i) {
                    if (st.changeList[i]->offset == st.caretOffset && st.changeList[i]->nibble == st.caretNibble)
                        DialogScript::expect(answerWith(pick(2) == 0 ? IDYES : IDNO));
                }
                key("0123456789ABCDEF"[(now + 1 + pick(15)) % 16]);
                break;
            }
            case 4:  // a drag over a few rows
                click(WM_LBUTTONDOWN, cellX(pick(16), 0) + 1, pick(5) * lh + 2);
                SendMessageA(view(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(cellX(2, 0), (pick(8) + 1) * lh));
                click(WM_LBUTTONUP, 0, 0);
                break;
            case 5: SendMessageA(frame(), WM_COMMAND, IDM_MARK, 0); break;
            case 6: SendMessageA(frame(), WM_COMMAND, IDM_KANJI, 0); break;
            case 7: MoveWindow(frame(), 0, 0, 600 + pick(400), 250 + pick(400) + pick(3), TRUE); break;
            case 8:  // a match shown as a search leaves it, over one or more rows
                st.foundOffset = st.topRow * 16 + pick(100);
                st.foundLength = 1 + pick(40);
                break;
            case 9:  // a compare's differences outlined and stepped through, or dropped
                if (pick(4) == 0) {
                    dropCompareRows(st);
                    break;
                }
                if (st.compareRows == nullptr) {
                    st.compareRows = new CompareRows;
                    const int gap = pick(2) == 0 ? 3 : 300;  // dense runs, or one now and then
                    for (uint32_t at = pick(40); at < st.documentSize; at += 1 + pick(gap))
                        st.compareRows->offsets.push_back(at);
                }
                SendMessageA(frame(), WM_COMMAND, pick(2) == 0 ? IDM_NEXT_DIFFERENCE : IDM_PREVIOUS_DIFFERENCE, 0);
                break;
            default:  // auto-scroll starts with a middle click, and any click ends it
                click(pick(2) == 0 ? WM_MBUTTONDOWN : WM_LBUTTONDOWN, 100 + pick(300), 30 + pick(200));
                click(WM_LBUTTONUP, 0, 0);
                break;
        }
        // As the search leaves a match; some presses also leave taking its frame away to the next paint.
        repaintView();
        pumpMessages();
        UpdateWindow(view());
        const std::string difference = ViewPicture(view(), true).firstDifference(ViewPicture(view()));
        ASSERT_EQ(difference, "") << "step " << step << ", action " << action << ", top row " << st.topRow;
    }
}

TEST_F(ViewTest, ACompareOutlinesItsDifferencesOnceSteppedToAndAllOfThemAtOnce) {
    const std::string bytes(16 * 12, 'a');
    std::string other = bytes + "!";  // a byte longer: the size notice comes first
    const int differing[][2] = {{1, 3}, {4, 0}, {6, 15}, {9, 8}};  // row, column
    for (const auto& d : differing) other[16 * d[0] + d[1]] = 'b';
    const std::string otherPath = makeTempFile("moxel outlined.bin", other);
    loadDocument(bytes, "C:\\data\\outlined.bin");
    EditorState& st = s();
    constexpr COLORREF kOutline = RGB(250, 0, 120);  // no other part of the picture uses it
    st.colorTable[searchFrame] = kOutline;
    // The rows whose differing byte the window shows outlined.
    auto outlinedRows = [&] {
        pumpMessages();
        UpdateWindow(view());
        const ViewPicture shown(view(), true);
        const int cw = st.charWidth, lh = st.lineHeight;
        std::vector<int> rows;
        for (const auto& d : differing) {
            const int x = cellX(d[1], 0), y = d[0] * lh;
            if (shown.count(kOutline, x - cw, y - 1, x + 3 * cw, y + lh + 2) > 0) rows.push_back(d[0]);
        }
        return rows;
    };

    DialogScript::expect(answerWith(IDOK));
    DialogScript::expect([](HWND list) { PostMessageA(list, WM_COMMAND, IDCANCEL, 0); });
    ValueEntryRequest request{};
    lstrcpynA(request.text, otherPath.c_str(), sizeof request.text);
    runCompareDialog(frame(), request);
    EXPECT_EQ(lastDialogText(), "ファイルサイズが違うので、少ない方で比較します。");
    ASSERT_NE(st.compareRows, nullptr);
    EXPECT_EQ(st.compareRows->count(), 4u);
    EXPECT_EQ(outlinedRows(), std::vector<int>{}) << "kept, but not outlined before a step";

    SendMessageA(frame(), WM_COMMAND, IDM_NEXT_DIFFERENCE, 0);
    EXPECT_EQ(outlinedRows(), (std::vector<int>{1, 4, 6, 9}));
    EXPECT_EQ(ViewPicture(view(), true).firstDifference(ViewPicture(view())), "");

    // An insertion drops the differences, and their outlines with them.
    st.caretOffset = 0;
    ASSERT_EQ(insertByteAt(st, frame(), 0x61), 1);
    refreshViewAfterReset();
    EXPECT_EQ(outlinedRows(), std::vector<int>{});
}

TEST_F(ViewTest, TypingOverwritesNibblesAndAdvances) {
    std::string bytes(100, '\x12');
    loadDocument(bytes, "C:\\data\\typing.bin");
    // The digit already there moves the caret on, without a record.
    key('1');
    caretIs(0, 1);
    EXPECT_EQ(s().changeCount, 0);
    EXPECT_EQ(s().modified, 0);
    key(VK_LEFT);
    // Shift+1 and Ctrl+A do nothing either.
    key('1', VK_SHIFT);
    key('A', VK_CONTROL);
    caretIs(0, 0);
    // Two digits write one byte and leave the caret on the next.
    key('A');
    key(VK_NUMPAD0 + 7);
    EXPECT_EQ(s().documentBytes[0], 0xA7);
    caretIs(1, 0);
    EXPECT_EQ(s().changeCount, 2);
    EXPECT_EQ(s().modified, 1);
    EXPECT_EQ(buttonState(IDM_UNDO), TBSTATE_ENABLED);
    // On the last nibble the byte changes and the caret stays.
    key(VK_END, VK_CONTROL);
    caretIs(99, 1);
    key('F');
    EXPECT_EQ(s().documentBytes[99], 0x1F);
    caretIs(99, 1);

    // A nibble changed before is asked about; No leaves the byte alone.
    key(VK_HOME, VK_CONTROL);
    DialogScript::expect(answerWith(IDNO));
    key('B');
    EXPECT_EQ(lastDialogTitle(), "処理の確認");
    EXPECT_EQ(lastDialogText(), "'0' 番地のデータは既に変更されています。上書きしますか？");
    EXPECT_EQ(s().documentBytes[0], 0xA7);
    caretIs(0, 0);
    DialogScript::expect(answerWith(IDYES));
    key('B');
    EXPECT_EQ(s().documentBytes[0], 0xB7);
    caretIs(0, 1);

    // The edit lock refuses digits silently.
    SendMessageA(frame(), WM_COMMAND, IDM_EDIT_LOCK, 0);
    key('C');
    EXPECT_EQ(s().documentBytes[0], 0xB7);
    SendMessageA(frame(), WM_COMMAND, IDM_EDIT_LOCK, 0);
}

TEST_F(ViewTest, TabTypesCharactersIntoTheTextColumn) {
    loadDocument(std::string(8, '.'), "C:\\data\\text.bin");
    key(VK_TAB);
    key('A');  // the key types no digit here, its character types the letter; あ comes whole, 漢 as its two bytes
    const std::pair<UINT, WPARAM> typed[] = {{WM_CHAR, 'A'}, {WM_IME_CHAR, 0x82A0}, {WM_CHAR, 0x8A}, {WM_CHAR, 0xBF}};
    for (const auto& [message, code] : typed) SendMessageA(view(), message, code, 0);
    pumpMessages();
    EXPECT_EQ(std::string(reinterpret_cast<char*>(s().documentBytes), 8), "Aあ漢...");
    EXPECT_EQ(statusText(2), " 00000005 T");
    EXPECT_EQ(s().changeCount, 10);
    EXPECT_EQ(buttonState(IDM_UNDO), TBSTATE_ENABLED);
}

TEST_F(ViewTest, MovementKeysAndTheStatusBar) {
    loadDocument(std::string(100, 'a'), "C:\\data\\keys.bin");  // rows 0..6, the last one 4 bytes long
    EXPECT_EQ(statusText(1), " 1/7");
    EXPECT_EQ(statusText(2), " 00000000 H");
    key(VK_RIGHT);
    key(VK_DOWN);
    caretIs(16, 1);
    EXPECT_EQ(statusText(1), " 2/7");
    EXPECT_EQ(statusText(2), " 00000010 L");
    // No move at the ends.
    key(VK_HOME, VK_CONTROL);
    key(VK_LEFT);
    key(VK_UP);
    caretIs(0, 0);
    // PageUp near the top: offset 0, the nibble kept.
    key(VK_RIGHT);
    key(VK_DOWN);
    key(VK_PRIOR);
    caretIs(0, 1);
    // Down into the short last row from a column beyond its end: the last byte, the nibble kept.
    key(VK_END);
    caretIs(15, 1);
    for (int i = 0; i < 6; ++i) key(VK_DOWN);
    caretIs(99, 1);
    key(VK_DOWN);
    caretIs(99, 1);
    EXPECT_EQ(statusText(1), " 7/7");
    EXPECT_EQ(statusText(2), " 00000063 L");
    key(VK_HOME);
    caretIs(96, 0);
}

TEST_F(ViewTest, ShiftSelectsRowsAndEscClearsThenExits) {
    loadDocument(std::string(16 * 20, 'a'), "C:\\data\\select.bin");
    s().caretOffset = 5 * 16 + 3;
    key(VK_DOWN, VK_SHIFT);
    key(VK_DOWN, VK_SHIFT);
    key(VK_DOWN, VK_SHIFT);
    selectionIs(5, 8);
    EXPECT_EQ(statusText(0), " 6 - 9 (4)");
    EXPECT_EQ(buttonState(IDM_COPY), TBSTATE_ENABLED);
    key(VK_DOWN);
    caretIs(9 * 16 + 3, 0);
    selectionIs(5, 8);
    key(VK_DOWN, VK_SHIFT);
    selectionIs(9, 10);
    // Left, Right, Home and End clear it even with Shift.
    key(VK_LEFT, VK_SHIFT);
    selectionIs(-1, -1);
    EXPECT_EQ(buttonState(IDM_COPY), TBSTATE_INDETERMINATE);
    EXPECT_EQ(statusText(0), " 320ﾊﾞｲﾄ, select.bin");

    key(VK_UP, VK_SHIFT);
    ASSERT_GE(s().selectionEndRow, 0);
    key(VK_ESCAPE);
    selectionIs(-1, -1);
    // The second Esc asks to exit; Cancel keeps the window.
    DialogScript::expect(answerWith(IDCANCEL));
    key(VK_ESCAPE);
    EXPECT_EQ(lastDialogText(), "プログラムを終了します。よろしいですか？");
    EXPECT_TRUE(IsWindow(frame()));
}

TEST_F(ViewTest, CtrlEndShowsTheLastRowAtTheBottom) {
    loadDocument(std::string(16 * 200 + 5, 'a'), "C:\\data\\long.bin");
    const int32_t rows = s().visibleRows;
    ASSERT_GT(rows, 5);
    key(VK_END, VK_CONTROL);
    caretIs(16 * 200 + 4, 1);
    EXPECT_EQ(s().topRow, s().rowCount - rows);
    SCROLLINFO si{sizeof si, SIF_POS};
    GetScrollInfo(view(), SB_VERT, &si);
    EXPECT_EQ(si.nPos, s().scrollMax);
    // Down one row past the bottom of the view scrolls by one row only.
    key(VK_HOME, VK_CONTROL);
    EXPECT_EQ(s().topRow, 0);
    for (int i = 0; i < rows; ++i) key(VK_DOWN);
    EXPECT_EQ(s().topRow, 1);
}

TEST_F(ViewTest, ClicksScrollBarAndWheel) {
    loadDocument(std::string(16 * 200, 'a'), "C:\\data\\mouse.bin");
    const int lh = s().lineHeight;
    click(WM_LBUTTONDOWN, cellX(2, 1) + 1, 3 * lh + 2);
    click(WM_LBUTTONUP, cellX(2, 1) + 1, 3 * lh + 2);
    caretIs(3 * 16 + 2, 1);
    EXPECT_EQ(statusText(2), " 00000032 L");
    selectionIs(3, -1);
    EXPECT_EQ(s().dragging, 0);

    SendMessageA(view(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 50), 0);
    EXPECT_EQ(s().topRow, topRowForThumb(s(), 50));
    SendMessageA(view(), WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
    SendMessageA(view(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(s().topRow, 3);
    SendMessageA(view(), win().wheelMessageId, static_cast<WPARAM>(WHEEL_DELTA), 0);
    EXPECT_EQ(s().topRow, 0);

    // A middle click starts auto-scroll with its cursor; any press ends it.
    click(WM_MBUTTONDOWN, 100, 100);
    EXPECT_EQ(s().autoScrollActive, 1);
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(view(), GCLP_HCURSOR)), win().viewCursor1);
    click(WM_LBUTTONDOWN, 100, 100);
    EXPECT_EQ(s().autoScrollActive, 0);
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(view(), GCLP_HCURSOR)), LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(s().dragging, 0) << "the press that ends auto-scroll starts nothing";
}

// The wheel over the strip and the bars scrolls the view; a taller frame
// keeps the last row at the bottom, or shows a document that now fits from its start.
TEST_F(ViewTest, WheelOverTheBarsAndTallerFramesKeepTheViewOnTheDocument) {
    RECT client{};
    GetClientRect(view(), &client);
    const int lh = s().lineHeight;
    loadDocument(std::string(16 * (client.bottom / lh + 12), 'a'), "C:\\data\\wheel.bin");
    for (HWND over : {win().labelWindow, win().toolbarWindow, win().statusWindow}) {
        SendMessageA(over, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    }
    EXPECT_EQ(s().topRow, 9) << "three notches";
    SCROLLINFO si{sizeof si, SIF_ALL};
    key(VK_END, VK_CONTROL);
    for (int taller : {4, 20}) {
        MoveWindow(frame(), 0, 0, 1000, 600 + taller * lh, TRUE);
        pumpMessages();
        ASSERT_TRUE(GetScrollInfo(view(), SB_VERT, &si));
        EXPECT_EQ(s().topRow, taller == 4 ? 8 : 0) << taller;
        EXPECT_EQ(si.nPos, taller == 4 ? si.nMax - static_cast<int>(si.nPage) + 1 : 0) << taller;
    }
}

TEST_F(ViewTest, HeaderStripClickMovesTheCaretWithinItsRow) {
    loadDocument(std::string(40, 'a'), "C:\\data\\strip.bin");
    s().caretOffset = 0x12;
    s().caretNibble = 1;
    const int cw = s().charWidth;
    SendMessageA(win().labelWindow, WM_LBUTTONDOWN, 0, MAKELPARAM((11 + 3 * 5) * cw + 1, 3));
    caretIs(0x15, 1);
    EXPECT_EQ(statusText(2), " 00000015 L");
}

// A greyed menu item swallows its accelerator: no command, and nothing for the view either.
TEST_F(ViewTest, CtrlSDoesNothingWhileSaveIsGreyed) {
    HACCEL accelerators = LoadAcceleratorsA(appInstance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    ASSERT_NE(accelerators, nullptr);
    static int saves = 0;
    static WNDPROC original = nullptr;
    saves = 0;
    original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        frame(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == WM_COMMAND && LOWORD(wp) == IDM_SAVE) {
                ++saves;
                return 0;
            }
            return CallWindowProcA(original, w, m, wp, lp);
        })));
    auto ctrlS = [&] {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        MSG m{view(), WM_KEYDOWN, 'S', 0, 0, {}};
        BOOL translated = TranslateAcceleratorA(frame(), accelerators, &m);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
        pumpMessages();
        return translated;
    };
    ctrlS();  // without a document Save is greyed
    EXPECT_EQ(saves, 0);
    loadDocument(std::string(40, 'a'), "C:\\data\\accel.bin");
    EXPECT_TRUE(ctrlS());
    EXPECT_EQ(saves, 1);
    SetWindowLongPtrA(frame(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    DestroyAcceleratorTable(accelerators);
}

// A right click opens the menu of the column under the pointer, with the frame's check marks.
TEST_F(ViewTest, RightClickOpensTheMenuOfItsColumn) {
    static WNDPROC original = nullptr;
    static std::vector<std::pair<int, bool>> opened;  // first item, kanji checked
    opened.clear();
    original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        frame(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == WM_INITMENU && reinterpret_cast<HMENU>(wp) != GetMenu(w)) {
                HMENU menu = reinterpret_cast<HMENU>(wp);
                HMENU popup = GetSubMenu(menu, 0) != nullptr ? GetSubMenu(menu, 0) : menu;
                UINT kanji = GetMenuState(popup, IDM_KANJI, MF_BYCOMMAND);  // -1: no such item
                opened.push_back({static_cast<int>(GetMenuItemID(popup, 0)),
                                  kanji != static_cast<UINT>(-1) && (kanji & MF_CHECKED) != 0});
                // Close it again once the menu's own loop runs.
                SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
                    KillTimer(nullptr, id);
                    EndMenu();
                });
            }
            return CallWindowProcA(original, w, m, wp, lp);
        })));
    loadDocument(std::string(40, 'a'), "C:\\data\\menus.bin");
    SendMessageA(frame(), WM_COMMAND, IDM_KANJI, 0);
    const int cw = s().charWidth;
    for (int cell : {3, 20, 65}) click(WM_RBUTTONDOWN, cell * cw + 1, 2);
    SendMessageA(win().labelWindow, WM_RBUTTONDOWN, 0, MAKELPARAM(20 * cw, 2));
    pumpMessages(50);
    SetWindowLongPtrA(frame(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    const std::vector<std::pair<int, bool>> expected = {
        {IDM_JUMP, false}, {IDM_UNDO, true}, {IDM_ASCII_EDIT, true}, {IDM_UNDO, true}};
    EXPECT_EQ(opened, expected);
    caretIs(0, 0);
}

TEST_F(ViewTest, PasteButtonFollowsAnotherProgramsClipboardWithinTheTimer) {
    loadDocument(std::string(40, 'a'), "C:\\data\\paste.bin");
    ASSERT_TRUE(OpenClipboard(frame()));
    EmptyClipboard();
    CloseClipboard();
    SetTimer(frame(), 2, 700, nullptr);  // as start-up does
    pumpMessages(800);
    ASSERT_EQ(buttonState(IDM_PASTE), TBSTATE_INDETERMINATE);
    Process other("\"" + siblingProgramPath("gui_tests.exe") + "\" --put-clipboard hello");
    ASSERT_TRUE(other.started());
    ASSERT_EQ(other.exitCode(10000), 0);
    DWORD start = GetTickCount();
    EXPECT_TRUE(pumpUntil([&] { return buttonState(IDM_PASTE) == TBSTATE_ENABLED; }, 2000));
    EXPECT_LE(GetTickCount() - start, 800u);
    KillTimer(frame(), 2);
}

// A picture of the whole frame for the README: a Shift-JIS text in kanji mode
// with a selection, a changed nibble and a mark. Written as a bitmap into the
// test's directory (the test script turns it into build/moxel-view.png).
TEST_F(ViewTest, WritesAScreenshotOfAKanjiDocument) {
    std::string text;
    for (int i = 0; i < 8; ++i) {
        text += "MOXEL \x83\x6F\x83\x43\x83\x69\x83\x8A\x83\x47\x83\x66\x83\x42\x83\x5E "
                "\x8A\xBF\x8E\x9A\x83\x82\x81\x5B\x83\x68\x82\xC5\x82\xCD Shift-JIS \x82\xCC"
                "\x93\xF1\x83\x6F\x83\x43\x83\x67\x95\xB6\x8E\x9A\x82\xF0\x95\x5C\x8E\xA6\x82\xB5"
                "\x82\xDC\x82\xB7\x81\x42\r\n";
    }
    loadDocument(text, "C:\\data\\sample.txt");
    SetWindowTextA(frame(), "MOXEL - C:\\data\\sample.txt");
    SendMessageA(frame(), WM_COMMAND, IDM_KANJI, 0);
    key(VK_DOWN);
    key(VK_RIGHT);
    key('4');
    ASSERT_EQ(addRecord(s(), RecordList::Mark, s().caretOffset, s().caretNibble, s().documentBytes[s().caretOffset]), 1);
    key(VK_RIGHT);
    key(VK_RIGHT);
    key(VK_DOWN, VK_SHIFT);
    key(VK_DOWN, VK_SHIFT);
    repaintView();
    UpdateWindow(frame());
    RedrawWindow(frame(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    pumpMessages(300);

    RECT r{};
    GetWindowRect(frame(), &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    WindowDc screen(nullptr);
    MemoryDc dc(screen.get());
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    GdiObject<HBITMAP> bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ASSERT_TRUE(bitmap);
    {
        SelectedObject use(dc.get(), bitmap.get());
        ASSERT_TRUE(BitBlt(dc.get(), 0, 0, w, h, screen.get(), r.left, r.top, SRCCOPY));
        GdiFlush();
    }
    const DWORD imageSize = static_cast<DWORD>(((w * 3 + 3) & ~3) * h);
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + imageSize),
                          0, 0, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
    HANDLE out = CreateFileA("moxel-view.bmp", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(out, &file, sizeof file, &written, nullptr);
    WriteFile(out, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr);
    WriteFile(out, bits, imageSize, &written, nullptr);
    CloseHandle(out);
    EXPECT_EQ(written, imageSize);
}

}  // namespace
