// The frame: quitting and the save prompt, quit-all across processes, the
// command table, accelerators and context menus.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "resource_ids.h"
#include "shell/editor_state_win.h"
#include "shell/context_menu_win.h"
#include "shell/frame_win.h"
#include "shell/layout_win.h"
#include "shell/startup_win.h"
#include "support/gui_harness_win.h"
#include "support/process_win.h"

using namespace gui;

namespace {

const char* const kExitQuestion = "プログラムを終了します。よろしいですか？";
const char* const kConfirmCaption = "処理の確認";

void command(int id) { SendMessageA(mainWindow, WM_COMMAND, id, 0); }

// Records the commands that reach the frame, then lets the frame handle them.
struct CommandRecorder {
    static inline std::vector<int> ids;
    static inline WNDPROC original = nullptr;
    static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_COMMAND) ids.push_back(LOWORD(wp));
        return CallWindowProcA(original, w, m, wp, lp);
    }
    CommandRecorder() {
        ids.clear();
        original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(mainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&proc)));
    }
    ~CommandRecorder() { SetWindowLongPtrA(mainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original)); }
};

// What TranslateAcceleratorA does with a key pressed in the view.
bool translateKey(HACCEL table, WPARAM key) {
    MSG m{};
    m.hwnd = win().viewWindow;
    m.message = WM_KEYDOWN;
    m.wParam = key;
    m.lParam = 1;
    return TranslateAcceleratorA(mainWindow, table, &m) != 0;
}

}  // namespace

// ---------------------------------------------------------------- quitting

using QuitTest = FrameTest;

TEST_F(QuitTest, UnsavedChangesAskOnlyTheSavePromptAndCancelKeepsTheWindow) {
    loadDocument(std::string(100, 'a'), "C:\\data\\x.bin");
    editorState->modified = 1;
    command(IDM_EXIT);
    EXPECT_EQ(dialogsShown(), 0) << "asked the exit question: " << lastDialogText();
    DialogScript::expect(answerWith(IDCANCEL));
    pumpMessages();
    EXPECT_EQ(dialogsShown(), 1);
    EXPECT_EQ(lastDialogTitle(), kConfirmCaption);
    EXPECT_EQ(lastDialogText(), "'x.bin' は更新されています。保存しますか？");
    EXPECT_TRUE(IsWindow(frame()));
    EXPECT_EQ(editorState->modified, 1);
}

TEST_F(QuitTest, NoChangesAskTheExitQuestionAndOkCloses) {
    DialogScript::expect(answerWith(IDCANCEL));
    command(IDM_EXIT);
    pumpMessages();
    EXPECT_EQ(lastDialogTitle(), kConfirmCaption);
    EXPECT_EQ(lastDialogText(), kExitQuestion);
    ASSERT_TRUE(IsWindow(frame()));

    HWND window = frame();
    DialogScript::expect(answerWith(IDOK));
    command(IDM_EXIT);
    pumpMessages();
    EXPECT_EQ(dialogsShown(), 2) << "a save prompt followed";
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(QuitTest, SavePromptYesWritesTheFileBeforeClosing) {
    std::string path = makeTempFile("moxel save prompt.bin", "0123456789");
    loadDocument("0123456789", path);
    editorState->documentBytes[0] = 'X';
    editorState->modified = 1;
    HWND window = frame();
    DialogScript::expect(answerWith(IDYES));
    PostMessageA(window, WM_CLOSE, 0, 0);
    pumpMessages();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(readFile(path), "X123456789");
}

TEST_F(QuitTest, FailedSaveFromThePromptKeepsTheWindowAndTheChanges) {
    std::string path = tempPath("no such folder\\x.bin");
    loadDocument("0123456789", path);
    editorState->documentBytes[0] = 'X';
    editorState->modified = 1;
    HWND window = frame();
    DialogScript::expect(answerWith(IDYES));
    DialogScript::expect(answerWith(IDOK));
    PostMessageA(window, WM_CLOSE, 0, 0);
    pumpMessages();
    EXPECT_EQ(dialogsShown(), 2) << "no error box after the failed save";
    EXPECT_EQ(lastDialogText().find("保存しますか"), std::string::npos) << lastDialogText();
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(editorState->modified, 1);
    EXPECT_EQ(editorState->documentBytes[0], 'X');
}

TEST_F(QuitTest, SavePromptNoClosesWithoutWriting) {
    std::string path = makeTempFile("moxel save prompt.bin", "0123456789");
    loadDocument("0123456789", path);
    editorState->documentBytes[0] = 'X';
    editorState->modified = 1;
    HWND window = frame();
    DialogScript::expect(answerWith(IDNO));
    PostMessageA(window, WM_CLOSE, 0, 0);
    pumpMessages();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(readFile(path), "0123456789");
}

TEST_F(QuitTest, QuitAllClosesOnlyOtherEditorsThatShowAFile) {
    WindowHost others({"MOXEL", "MOXEL - C:\\x.bin"});
    ASSERT_EQ(others.windows().size(), 2u);
    HWND window = frame();

    DialogScript::expect(answerWith(IDCANCEL));
    command(IDM_QUIT_ALL);
    EXPECT_EQ(lastDialogText(), std::string("作業中のファイルをすべて閉じて、") + kExitQuestion);
    pumpMessages(300);
    EXPECT_EQ(others.windows().size(), 2u) << "Cancel closed other editors";
    EXPECT_TRUE(IsWindow(window));

    DialogScript::expect(answerWith(IDOK));
    command(IDM_QUIT_ALL);
    EXPECT_TRUE(pumpUntil([&] { return others.windows().size() == 1; }, 3000));
    EXPECT_EQ(others.windows(), std::vector<std::string>{"MOXEL"});
    pumpMessages();
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(QuitTest, QuitAllWithUnsavedChangesClosesOnlyThisWindow) {
    WindowHost others({"MOXEL - C:\\x.bin"});
    ASSERT_EQ(others.windows().size(), 1u);
    loadDocument(std::string(16, 'a'), "C:\\data\\x.bin");
    editorState->modified = 1;
    HWND window = frame();
    DialogScript::expect(answerWith(IDNO));
    command(IDM_QUIT_ALL);
    pumpMessages(300);
    EXPECT_EQ(dialogsShown(), 1);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(others.windows().size(), 1u);
}

// ---------------------------------------------------------------- commands

using CommandTableTest = FrameTest;

TEST_F(CommandTableTest, UnlistedIdsChangeNothing) {
    HMENU menu = GetMenu(frame());
    auto checks = [&] {
        std::string marks;
        for (int id : {IDM_EDIT_LOCK, IDM_TOOLBAR, IDM_STATUSBAR, IDM_KANJI}) {
            marks += (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) ? '1' : '0';
        }
        return marks;
    };
    std::string before = checks();
    for (int id : {1103, 1204, 1227, 1229, 1300, 1305, 1124, 1141}) {
        EXPECT_EQ(SendMessageA(frame(), WM_COMMAND, id, 0), 0);
    }
    pumpMessages();
    EXPECT_EQ(checks(), before);
    EXPECT_EQ(dialogsShown(), 0);
    EXPECT_TRUE(IsWindow(frame()));
}

TEST_F(CommandTableTest, TogglesFlipTheirCheckMarks) {
    EXPECT_EQ(isKanjiMode(), 0);
    command(IDM_KANJI);
    EXPECT_EQ(isKanjiMode(), 1);
    command(IDM_KANJI);
    EXPECT_EQ(isKanjiMode(), 0);

    EXPECT_EQ(isEditLocked(), 0);
    command(IDM_EDIT_LOCK);
    EXPECT_EQ(isEditLocked(), 1);
}

TEST_F(CommandTableTest, HidingTheBarsMovesTheContainer) {
    EditorWindows& w = win();
    RECT client{};
    GetClientRect(frame(), &client);
    int barHeight = childRect(w.toolbarWindow).bottom - childRect(w.toolbarWindow).top;
    int statusHeight = childRect(w.statusWindow).bottom - childRect(w.statusWindow).top;

    command(IDM_TOOLBAR);
    EXPECT_FALSE(IsWindowVisible(w.toolbarWindow));
    EXPECT_EQ(isMenuChecked(IDM_TOOLBAR), 0);
    EXPECT_EQ(childRect(w.clientWindow).top, 0);
    EXPECT_EQ(childRect(w.clientWindow).bottom, client.bottom - statusHeight);

    command(IDM_STATUSBAR);
    EXPECT_FALSE(IsWindowVisible(w.statusWindow));
    EXPECT_EQ(childRect(w.clientWindow).bottom, client.bottom);

    command(IDM_TOOLBAR);
    command(IDM_STATUSBAR);
    EXPECT_TRUE(IsWindowVisible(w.toolbarWindow));
    EXPECT_TRUE(IsWindowVisible(w.statusWindow));
    EXPECT_EQ(childRect(w.clientWindow).top, barHeight);
    EXPECT_EQ(childRect(w.clientWindow).bottom, client.bottom - statusHeight);
}

TEST_F(CommandTableTest, GreyedAcceleratorIsSwallowed) {
    HACCEL table = LoadAcceleratorsA(appInstance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    CommandRecorder recorder;
    // Without a document Delete is greyed: the key is used up, no command is sent.
    EXPECT_TRUE(translateKey(table, VK_DELETE));
    EXPECT_TRUE(CommandRecorder::ids.empty());
    // Help is never greyed.
    EXPECT_TRUE(translateKey(table, VK_F1));
    EXPECT_EQ(CommandRecorder::ids, std::vector<int>{IDM_HELP});

    loadDocument(std::string(32, 'a'), "C:\\data\\x.bin");
    CommandRecorder::ids.clear();
    DialogScript::expect(answerWith(IDNO));  // the delete command's question
    EXPECT_TRUE(translateKey(table, VK_DELETE));
    EXPECT_EQ(CommandRecorder::ids, std::vector<int>{IDM_DELETE});
    // The edit lock greys it again.
    command(IDM_EDIT_LOCK);
    CommandRecorder::ids.clear();
    EXPECT_TRUE(translateKey(table, VK_DELETE));
    EXPECT_TRUE(CommandRecorder::ids.empty());
}

// ------------------------------------------------------------ context menus

namespace {

struct PopupProbe {
    static inline UINT kanjiState = 0;
    static inline UINT findState = 0;
    static inline bool seen = false;
    // Runs inside the menu's modal loop: reads the open popup, then closes it.
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        if (HWND popup = FindWindowA("#32768", nullptr)) {
            auto menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
            if (menu != nullptr) {
                seen = true;
                kanjiState = GetMenuState(menu, IDM_KANJI, MF_BYCOMMAND);
                findState = GetMenuState(menu, IDM_FIND, MF_BYCOMMAND);
            }
        }
        EndMenu();
    }
};

}  // namespace

using ContextMenuTest = FrameTest;

TEST_F(ContextMenuTest, PopupCarriesTheKanjiMarkAndTheCommandStates) {
    command(IDM_KANJI);
    PopupProbe::seen = false;
    SetTimer(nullptr, 0, 100, PopupProbe::onTimer);
    EXPECT_EQ(showContextMenu(win().viewWindow, IDR_POPUP_ASCII, 10, 10), 1);
    ASSERT_TRUE(PopupProbe::seen);
    EXPECT_NE(PopupProbe::kanjiState & MF_CHECKED, 0u);
    // No document: WM_INITMENU greyed the search item of the popup as well.
    EXPECT_NE(PopupProbe::findState & MF_GRAYED, 0u);
    EXPECT_EQ(showContextMenu(win().viewWindow, 999, 10, 10), 0);
}

// ------------------------------------------------------------- dropped files

namespace {

// A drop of the given names as the shell builds it.
HDROP makeDrop(const std::vector<std::string>& names) {
    size_t chars = 1;
    for (const std::string& n : names) chars += n.size() + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    char* p = reinterpret_cast<char*>(drop + 1);
    for (const std::string& n : names) {
        std::memcpy(p, n.c_str(), n.size() + 1);
        p += n.size() + 1;
    }
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

}  // namespace

using DropTest = FrameTest;

TEST_F(DropTest, OnlyTheFirstDroppedFileOpens) {
    std::string first = makeTempFile("moxel drop 1.bin", std::string(20, '1'));
    std::string second = makeTempFile("moxel drop 2.bin", std::string(30, '2'));
    std::string third = makeTempFile("moxel drop 3.bin", std::string(40, '3'));
    SendMessageA(frame(), WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop({first, second, third})), 0);
    pumpMessages();
    EXPECT_EQ(windowText(frame()), "MOXEL - " + first);
    EXPECT_EQ(editorState->documentSize, 20u);
}
