// Start-up: the command-line file, frame placement, the frame's children and
// what shutdown writes back.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>

#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/frame_children_win.h"
#include "shell/startup_win.h"
#include "support/gui_harness_win.h"

using namespace gui;

namespace {

// Takes the posted open message off the queue: the path it carries, or
// "<none>" when nothing was posted.
std::string takeOpenPending() {
    MSG m;
    if (!PeekMessageA(&m, mainWindow, MSG_OPEN_PENDING, MSG_OPEN_PENDING, PM_REMOVE)) return "<none>";
    EXPECT_EQ(reinterpret_cast<char*>(m.lParam), editorState->pendingOpenPath);
    return editorState->pendingOpenPath != nullptr ? editorState->pendingOpenPath : "<null>";
}

RECT windowRect(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return r;
}

}  // namespace

using CommandLineTest = FrameTest;

TEST_F(CommandLineTest, WholeTailIsOneNameWithOnePairOfQuotesRemoved) {
    queueCommandLineFile("\"C:\\My Files\\a b.bin\"");
    EXPECT_EQ(takeOpenPending(), "C:\\My Files\\a b.bin");
    queueCommandLineFile("C:\\My Files\\a b.bin");
    EXPECT_EQ(takeOpenPending(), "C:\\My Files\\a b.bin");
    // Only the first character is a quote: taken whole, quotes included.
    queueCommandLineFile("\"C:\\My Files\\a b.bin\" more");
    EXPECT_EQ(takeOpenPending(), "\"C:\\My Files\\a b.bin\" more");
    queueCommandLineFile("\"\"");
    EXPECT_EQ(takeOpenPending(), "");
}

TEST_F(CommandLineTest, ShorterThanTwoCharactersQueuesNothing) {
    queueCommandLineFile("x");
    queueCommandLineFile("");
    queueCommandLineFile(nullptr);
    EXPECT_EQ(takeOpenPending(), "<none>");
    EXPECT_EQ(editorState->pendingOpenPath, nullptr);
}

TEST_F(CommandLineTest, NameLongerThanAPathIsRefusedWithTheSystemText) {
    std::string longest(kPathLength - 1, 'a');
    queueCommandLineFile(("\"" + longest + "\"").c_str());
    EXPECT_EQ(takeOpenPending(), longest);
    std::free(editorState->pendingOpenPath);
    editorState->pendingOpenPath = nullptr;

    DialogScript::expect(answerWith(IDOK));
    queueCommandLineFile((longest + "b").c_str());
    EXPECT_EQ(dialogsShown(), 1);
    EXPECT_EQ(lastDialogText(), systemText(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(takeOpenPending(), "<none>");
    EXPECT_EQ(editorState->pendingOpenPath, nullptr);
}

TEST_F(CommandLineTest, PendingMessageResetsTheTitleAndFreesThePath) {
    SetWindowTextA(frame(), "other");
    queueCommandLineFile("\"\"");
    pumpMessages();
    // An empty name opens nothing and leaves the title alone.
    EXPECT_EQ(windowText(frame()), "other");
    EXPECT_EQ(editorState->pendingOpenPath, nullptr);
}

TEST_F(CommandLineTest, QuotedPathWithSpacesOpensThatFile) {
    std::string path = makeTempFile("moxel cmd line.bin", std::string(100, 'x'));
    queueCommandLineFile(("\"" + path + "\"").c_str());
    pumpMessages();
    EXPECT_EQ(windowText(frame()), "MOXEL - " + path);
    EXPECT_EQ(editorState->documentSize, 100u);
    EXPECT_EQ(editorState->pendingOpenPath, nullptr);
}

TEST_F(CommandLineTest, BareNameOpensTheFileOfTheCurrentFolderUnderItsWholePath) {
    const std::string name = "moxel bare name.bin", path = makeTempFile(name, std::string(50, 'b'));
    char previous[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(path.substr(0, path.size() - name.size()).c_str()));
    queueCommandLineFile(name.c_str());
    pumpMessages();
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(windowText(frame()), "MOXEL - " + path);  // what other editors read
    EXPECT_EQ(std::string(editorState->recentFiles[0]), path);
    EXPECT_EQ(statusText(0), " 50ﾊﾞｲﾄ, " + name);  // the name part, as the save question shows it
}

// ------------------------------------------------------------ placement

using PlacementTest = EditorTest;

TEST_F(PlacementTest, FirstInstanceTakesTheStoredRectangle) {
    editorState->windowRect = {100, 100, 900, 700};
    ASSERT_EQ(createMainWindow(0, SW_SHOWNORMAL), 1);
    RECT r = windowRect(mainWindow);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 100);
    EXPECT_EQ(r.right - r.left, 800);
    EXPECT_EQ(r.bottom - r.top, 600);
}

TEST_F(PlacementTest, SecondInstanceKeepsTheSizeButNotThePlace) {
    editorState->windowRect = {100, 100, 900, 700};
    ASSERT_EQ(createMainWindow(1, SW_SHOWNORMAL), 1);
    RECT r = windowRect(mainWindow);
    EXPECT_EQ(r.right - r.left, 800);
    EXPECT_EQ(r.bottom - r.top, 600);
    EXPECT_FALSE(r.left == 100 && r.top == 100) << "placed at the stored position";
}

TEST_F(PlacementTest, NothingStoredLetsTheSystemChoose) {
    // All zeros and a left edge of -1 both mean "nothing stored".
    editorState->windowRect = {0, 0, 0, 0};
    ASSERT_EQ(createMainWindow(0, SW_SHOWNORMAL), 1);
    RECT zeros = windowRect(mainWindow);
    DestroyWindow(mainWindow);
    pumpMessages();

    editorState->windowRect = {-1, 50, 700, 650};
    ASSERT_EQ(createMainWindow(0, SW_SHOWNORMAL), 1);
    RECT unset = windowRect(mainWindow);
    EXPECT_GT(zeros.right - zeros.left, 200);
    EXPECT_GT(zeros.bottom - zeros.top, 100);
    EXPECT_EQ(unset.right - unset.left, zeros.right - zeros.left);
    EXPECT_EQ(unset.bottom - unset.top, zeros.bottom - zeros.top);
}

TEST_F(PlacementTest, ShutdownStoresThePlaceOnlyOfANormalFirstFrame) {
    const ScreenRect loaded{100, 100, 900, 700};
    auto storedAfterClose = [&](int another, int show) {
        editorState->windowRect = loaded;
        anotherInstanceAtStart = another;
        EXPECT_EQ(createMainWindow(another, SW_SHOWNORMAL), 1);
        MoveWindow(mainWindow, 150, 120, 640, 480, TRUE);
        ShowWindow(mainWindow, show);
        DestroyWindow(mainWindow);
        pumpMessages();
        return editorState->windowRect;
    };
    ScreenRect moved = storedAfterClose(0, SW_SHOWNORMAL);
    EXPECT_EQ(moved.left, 150);
    EXPECT_EQ(moved.top, 120);
    EXPECT_EQ(moved.right, 790);
    EXPECT_EQ(moved.bottom, 600);
    for (auto [another, show] : {std::pair{0, SW_MAXIMIZE}, std::pair{0, SW_MINIMIZE}, std::pair{1, SW_SHOWNORMAL}}) {
        ScreenRect kept = storedAfterClose(another, show);
        EXPECT_EQ(std::memcmp(&kept, &loaded, sizeof kept), 0)
            << "another " << another << " show " << show << ": " << kept.left << "," << kept.top;
    }
}

// ------------------------------------------------------------ children

TEST(ComctlVersion, KnownOnlyForALibraryWithDllGetVersion) {
    EXPECT_GE(comctlVersion("COMCTL32.DLL"), 4u << 16);
    EXPECT_EQ(comctlVersion("KERNEL32.DLL"), 0u);
    EXPECT_EQ(comctlVersion("no-such-library.dll"), 0u);
}

using FrameChildrenTest = FrameTest;

TEST_F(FrameChildrenTest, BarsContainerStripAndViewExistWithTheirIds) {
    EditorWindows& w = win();
    EXPECT_EQ(GetParent(w.toolbarWindow), frame());
    EXPECT_EQ(GetDlgCtrlID(w.toolbarWindow), IDC_TOOLBAR);
    EXPECT_EQ(SendMessageA(w.toolbarWindow, TB_BUTTONCOUNT, 0, 0), 17);
    bool flat = (SendMessageA(w.toolbarWindow, TB_GETSTYLE, 0, 0) & TBSTYLE_FLAT) != 0;
    EXPECT_EQ(flat, comctlVersion("COMCTL32.DLL") >= kFlatToolbarVersion);
    EXPECT_EQ(GetDlgCtrlID(w.statusWindow), IDC_STATUSBAR);
    EXPECT_EQ(GetParent(w.statusWindow), frame());

    EXPECT_EQ(GetParent(w.clientWindow), frame());
    EXPECT_NE(GetWindowLongPtrA(w.clientWindow, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    EXPECT_EQ(GetParent(w.labelWindow), w.clientWindow);
    EXPECT_EQ(GetParent(w.viewWindow), w.clientWindow);
    EXPECT_EQ(w.wheelMessageId, RegisterWindowMessageA("MSWHEEL_ROLLMSG"));
    EXPECT_EQ(w.printSetup.lStructSize, sizeof(PRINTDLGA));
    EXPECT_EQ(w.printSetup.Flags, static_cast<DWORD>(PD_RETURNDC));
    EXPECT_EQ(w.printSetup.hwndOwner, frame());
}

TEST_F(FrameChildrenTest, FocusAlwaysEndsOnTheView) {
    EditorWindows& w = win();
    for (HWND target : {frame(), w.clientWindow, w.labelWindow}) {
        SetFocus(w.toolbarWindow);
        SetFocus(target);
        EXPECT_EQ(GetFocus(), w.viewWindow);
    }
}

TEST_F(FrameChildrenTest, ContainerFillsTheFrameBetweenTheBars) {
    EditorWindows& w = win();
    editorState->lineHeight = 16;
    MoveWindow(frame(), 10, 10, 700, 500, TRUE);
    pumpMessages();
    RECT client{};
    GetClientRect(frame(), &client);
    RECT bar = childRect(w.toolbarWindow);
    RECT status = childRect(w.statusWindow);
    RECT box = childRect(w.clientWindow);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, client.right);
    EXPECT_EQ(box.top, bar.bottom - bar.top);
    EXPECT_EQ(box.bottom, client.bottom - (status.bottom - status.top));

    RECT inner{};
    GetClientRect(w.clientWindow, &inner);
    RECT strip{}, view{};
    GetWindowRect(w.labelWindow, &strip);
    GetWindowRect(w.viewWindow, &view);
    MapWindowPoints(nullptr, w.clientWindow, reinterpret_cast<POINT*>(&strip), 2);
    MapWindowPoints(nullptr, w.clientWindow, reinterpret_cast<POINT*>(&view), 2);
    EXPECT_EQ(strip.top, 0);
    EXPECT_EQ(strip.bottom, 16 + 5);
    EXPECT_EQ(strip.right, inner.right);
    EXPECT_EQ(view.top, 16 + 5);
    EXPECT_EQ(view.bottom, inner.bottom);
}

using StartOptionsTest = EditorTest;

TEST_F(StartOptionsTest, KanjiAndHexOptionsApplyAtCreation) {
    editorState->options[startKanji] = 1;
    editorState->options[startHex] = 1;
    ASSERT_EQ(createMainWindow(0, SW_SHOWNORMAL), 1);
    EXPECT_NE(GetMenuState(GetMenu(mainWindow), IDM_KANJI, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_EQ(editorState->hexInput, 1);
    DestroyWindow(mainWindow);
    pumpMessages();

    editorState->options[startKanji] = 0;
    editorState->options[startHex] = 0;
    ASSERT_EQ(createMainWindow(0, SW_SHOWNORMAL), 1);
    EXPECT_EQ(GetMenuState(GetMenu(mainWindow), IDM_KANJI, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_EQ(editorState->hexInput, 0);
}
