// Toolbar and menu states, status-bar texts and parts, menu help, tooltips
// and the window side of the document reset.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>

#include "platform/platform.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"
#include "support/gui_harness_win.h"

using namespace gui;

namespace {

constexpr int kEnabled = TBSTATE_ENABLED;
constexpr int kGrey = TBSTATE_INDETERMINATE;

void command(int id) { SendMessageA(mainWindow, WM_COMMAND, id, 0); }

bool greyed(int id) {
    HMENU menu = GetMenu(mainWindow);
    SendMessageA(mainWindow, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
    return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

void putText(const char* text) { ASSERT_EQ(putClipboardText(mainWindow, text), 1); }

void emptyClipboard() {
    ASSERT_TRUE(OpenClipboard(mainWindow));
    EmptyClipboard();
    CloseClipboard();
}

}  // namespace

using CommandStateTest = FrameTest;

TEST_F(CommandStateTest, WithoutADocumentOnlyOpenAndConversionStayEnabled) {
    putText("text");
    updateToolbarStates();
    EXPECT_EQ(buttonState(IDM_OPEN), kEnabled);
    EXPECT_EQ(buttonState(IDM_NUMBER_CONVERSION), kEnabled);
    for (int id : {IDM_SAVE, IDM_PRINT, IDM_COPY, IDM_PASTE, IDM_UNDO, IDM_MARK, IDM_NEXT_MARK, IDM_FIND,
                   IDM_FIND_NEXT, IDM_JUMP}) {
        EXPECT_EQ(buttonState(id), kGrey) << id;
    }
    // Undo's button follows the change count alone; its menu item needs a document too.
    editorState->changeCount = 1;
    updateToolbarStates();
    EXPECT_EQ(buttonState(IDM_UNDO), kEnabled);
    EXPECT_TRUE(greyed(IDM_UNDO));
    editorState->changeCount = 0;

    for (int id : {IDM_SAVE, IDM_SAVE_AS, IDM_PRINT, IDM_SELECT_ALL, IDM_MARK, IDM_JUMP, IDM_COMPARE, IDM_FIND,
                   IDM_DELETE, IDM_DELETE_RANGE, IDM_ASCII_EDIT, IDM_PASTE, IDM_INSERT, IDM_FIND_NEXT, IDM_COPY,
                   IDM_UNDO, IDM_NEXT_MARK}) {
        EXPECT_TRUE(greyed(id)) << id;
    }
    for (int id : {IDM_OPEN, IDM_CLOSE_AND_OPEN, IDM_PRINTER_SETUP, IDM_FONT, IDM_RUN, IDM_EXIT, IDM_QUIT_ALL,
                   IDM_EDIT_LOCK, IDM_TOOLBAR, IDM_STATUSBAR, IDM_KANJI, IDM_INSTANCE_LIST,
                   IDM_NUMBER_CONVERSION, IDM_OPTIONS, IDM_HELP, IDM_HOMEPAGE, IDM_ABOUT}) {
        EXPECT_FALSE(greyed(id)) << id;
    }
}

TEST_F(CommandStateTest, DocumentSelectionMarksAndSearchTextEnableTheirCommands) {
    emptyClipboard();
    loadDocument(std::string(100, 'a'), "C:\\data\\x.bin");
    for (int id : {IDM_SAVE, IDM_PRINT, IDM_MARK, IDM_JUMP, IDM_FIND}) EXPECT_EQ(buttonState(id), kEnabled) << id;
    for (int id : {IDM_COPY, IDM_PASTE, IDM_UNDO, IDM_NEXT_MARK, IDM_FIND_NEXT}) {
        EXPECT_EQ(buttonState(id), kGrey) << id;
    }
    EXPECT_TRUE(greyed(IDM_PASTE));
    EXPECT_FALSE(greyed(IDM_INSERT));

    EditorState& s = *editorState;
    s.selectionAnchorRow = 0;
    s.selectionEndRow = 2;
    s.markCount = 1;
    std::strcpy(s.findText, "abc");
    putText("text");
    updateToolbarStates();
    for (int id : {IDM_COPY, IDM_PASTE, IDM_NEXT_MARK, IDM_FIND_NEXT}) EXPECT_EQ(buttonState(id), kEnabled) << id;
    for (int id : {IDM_COPY, IDM_PASTE, IDM_NEXT_MARK, IDM_FIND_NEXT}) EXPECT_FALSE(greyed(id)) << id;
    s.spareCapacity = 0;
    EXPECT_TRUE(greyed(IDM_INSERT));
    s.spareCapacity = kSpareBytes;
    s.markCount = 0;
}

TEST_F(CommandStateTest, EditLockGreysTheEditingCommandsButNotCopy) {
    loadDocument(std::string(100, 'a'), "C:\\data\\x.bin");
    editorState->selectionAnchorRow = 1;
    editorState->selectionEndRow = 1;
    putText("text");
    command(IDM_EDIT_LOCK);
    EXPECT_EQ(buttonState(IDM_PASTE), kGrey);
    EXPECT_EQ(buttonState(IDM_COPY), kEnabled);
    for (int id : {IDM_PASTE, IDM_INSERT, IDM_DELETE, IDM_DELETE_RANGE, IDM_ASCII_EDIT}) {
        EXPECT_TRUE(greyed(id)) << id;
    }
    EXPECT_FALSE(greyed(IDM_COPY));
    command(IDM_EDIT_LOCK);
    EXPECT_EQ(buttonState(IDM_PASTE), kEnabled);
}

TEST_F(CommandStateTest, PasteTimerFollowsTheClipboard) {
    loadDocument(std::string(16, 'a'), "C:\\data\\x.bin");
    emptyClipboard();
    SendMessageA(frame(), WM_TIMER, 2, 0);
    EXPECT_EQ(buttonState(IDM_PASTE), kGrey);
    putText("now");
    SendMessageA(frame(), WM_TIMER, 2, 0);
    EXPECT_EQ(buttonState(IDM_PASTE), kEnabled);
}

// ------------------------------------------------------------------ status bar

class StatusTest : public FrameTest {
protected:
    // The simple-mode text reads back through index 0 while the bar is simple.
    std::string simpleText() const {
        EXPECT_TRUE(statusIsSimple());
        return statusText(0);
    }
};

TEST_F(StatusTest, FileLineAndAddressTexts) {
    loadDocument(std::string(100, 'a'), "C:\\data\\x.bin");
    EXPECT_EQ(statusText(0), " 100ﾊﾞｲﾄ, x.bin");
    EXPECT_EQ(statusText(1), " 1/7");
    EXPECT_EQ(statusText(2), " 00000000 H");
    editorState->caretOffset = 0x1F;
    editorState->caretNibble = 1;
    showCaretStatus();
    // The bar shows the new texts a moment later, once the frame's messages are handled.
    EXPECT_TRUE(pumpUntil([] {
        char shown[64] = "";
        SendMessageA(win().statusWindow, SB_GETTEXTA, kStatusAddressPart, reinterpret_cast<LPARAM>(shown));
        return std::string(shown) == " 0000001F L";
    }, 2000));
    EXPECT_EQ(statusText(1), " 2/7");
    EXPECT_EQ(statusText(2), " 0000001F L");
}

TEST_F(StatusTest, SelectionShowsRowsAsStoredAndFallsBackToTheFile) {
    loadDocument(std::string(100, 'a'), "C:\\data\\x.bin");
    editorState->selectionAnchorRow = 5;
    editorState->selectionEndRow = 2;
    showSelectionStatus();
    EXPECT_EQ(statusText(0), " 6 - 3 (4)");
    editorState->selectionAnchorRow = -1;
    editorState->selectionEndRow = -1;
    showSelectionStatus();
    EXPECT_EQ(statusText(0), " 100ﾊﾞｲﾄ, x.bin");
}

TEST_F(StatusTest, PartsFollowTheWidthAndKeepTheirTexts) {
    loadDocument(std::string(100, 'a'), "C:\\data\\x.bin");
    for (int width : {900, 500}) {
        MoveWindow(frame(), 0, 0, width, 400, TRUE);
        pumpMessages();
        RECT client{};
        GetClientRect(frame(), &client);
        int edges[3] = {};
        ASSERT_EQ(SendMessageA(win().statusWindow, SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges)), 3);
        EXPECT_EQ(edges[2], client.right);
        EXPECT_GE(edges[2] - edges[1], 119);
        EXPECT_GE(edges[1] - edges[0], 156);
        EXPECT_EQ(statusText(1), " 1/7");
        EXPECT_EQ(statusText(2), " 00000000 H");
    }
}

TEST_F(StatusTest, MenuHelpShowsTheItemsTextWhileAMenuIsOpen) {
    loadDocument(std::string(100, 'a'), "C:\\data\\x.bin");
    HMENU menu = GetMenu(frame());
    auto select = [&](UINT item, UINT flags, HMENU m) {
        SendMessageA(frame(), WM_MENUSELECT, MAKEWPARAM(item, flags), reinterpret_cast<LPARAM>(m));
    };
    select(IDM_RECENT_FIRST + 4, MF_STRING, menu);
    EXPECT_TRUE(statusIsSimple());
    EXPECT_EQ(simpleText(), "指定のファイルを開く");
    select(IDM_SAVE, MF_STRING, menu);
    EXPECT_EQ(simpleText(), "作業中のファイルを上書きして保存");
    select(0, MF_POPUP, menu);
    EXPECT_EQ(simpleText(), "");
    select(SC_CLOSE, MF_SYSMENU, GetSystemMenu(frame(), FALSE));
    EXPECT_EQ(simpleText(), "作業中のウィンドウを閉じる");
    select(0, 0xFFFF, nullptr);
    EXPECT_FALSE(statusIsSimple());
    EXPECT_EQ(statusText(1), " 1/7");
}

TEST_F(StatusTest, TooltipIsTheStringOfTheCommandPlusTenThousand) {
    NMTTDISPINFOA info{};
    info.hdr.hwndFrom = win().toolbarWindow;
    info.hdr.idFrom = IDM_SAVE;
    info.hdr.code = TTN_NEEDTEXTA;
    EXPECT_EQ(SendMessageA(frame(), WM_NOTIFY, IDM_SAVE, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(info.lpszText, MAKEINTRESOURCEA(IDS_TIP_SAVE));
    EXPECT_EQ(info.hinst, appInstance);
    EXPECT_EQ(stringText(IDS_TIP_SAVE), "上書き保存");
}

// ------------------------------------------------------------ document reset

using DocumentResetTest = FrameTest;

TEST_F(DocumentResetTest, SetsTheScrollBarFromTheViewHeight) {
    editorState->lineHeight = 16;
    MoveWindow(frame(), 0, 0, 800, 600, TRUE);
    pumpMessages();
    RECT view{};
    GetClientRect(win().viewWindow, &view);
    int rows = view.bottom / 16;
    ASSERT_GT(rows, 2);

    loadDocument(std::string(16 * 1000, 'a'), "C:\\data\\big.bin");
    EXPECT_EQ(editorState->visibleRows, rows);
    SCROLLINFO si{sizeof si, SIF_ALL};
    ASSERT_TRUE(GetScrollInfo(win().viewWindow, SB_VERT, &si));
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 999 + rows - 1);
    EXPECT_EQ(si.nPage, static_cast<UINT>(rows));
    EXPECT_EQ(si.nPos, 0);

    // A document that fits gets a range no larger than the page.
    loadDocument(std::string(20, 'a'), "C:\\data\\small.bin");
    ASSERT_TRUE(GetScrollInfo(win().viewWindow, SB_VERT, &si));
    EXPECT_EQ(si.nMax, 0);
}

TEST_F(DocumentResetTest, RefusesWithoutTheViewWindows) {
    editorState->caretOffset = 5;
    HWND view = win().viewWindow;
    win().viewWindow = nullptr;
    EXPECT_EQ(documentReset(), 0);
    win().viewWindow = view;
    EXPECT_EQ(editorState->caretOffset, 5);
}
