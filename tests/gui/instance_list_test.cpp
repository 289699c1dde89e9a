// Other editor processes (the real program, started beside this test
// program): finding the one that shows a file, quit-all, and the instance
// list dialog with its activate and close buttons.
#include <windows.h>

#include <string>
#include <vector>

#include "resource_ids.h"
#include "shell/editor_state_win.h"
#include "shell/open_file_win.h"
#include "shell/startup_win.h"
#include "support/gui_harness_win.h"
#include "support/process_win.h"
#include "tools/instance_list_win.h"

using namespace gui;

namespace {

// One editor process showing `file` (none when empty); ended when the object goes.
class Editor : public EditorProcess {
public:
    explicit Editor(const std::string& file) : EditorProcess(siblingProgramPath("moxel.exe"), file) {}
};

std::vector<std::string> listTexts(HWND list) {
    std::vector<std::string> texts;
    int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char text[300] = "";
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        texts.push_back(text);
    }
    return texts;
}

INT_PTR runInstanceList() {
    return DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_INSTANCE_LIST), mainWindow, instanceListDialog, 0);
}

void selectEntry(HWND dialog, int index) {
    HWND list = GetDlgItem(dialog, IDC_IL_LIST);
    SendMessageA(list, LB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_IL_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

std::string closeQuestion(const std::string& path) {
    char text[1024];
    wsprintfA(text, stringText(IDS_ASK_CLOSE_INSTANCE).c_str(), path.c_str());
    return text;
}

HWND foregroundSeen = nullptr;
bool dialogOpenThen = false;

// Notes which window is in front while the dialog is still open, then closes it.
void CALLBACK closeDialogLater(HWND dialog, UINT, UINT_PTR id, DWORD) {
    KillTimer(dialog, id);
    foregroundSeen = GetForegroundWindow();
    dialogOpenThen = IsWindowVisible(dialog) != 0;
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

// A double click on the first entry once the dialog is on the screen.
void CALLBACK doubleClickLater(HWND dialog, UINT, UINT_PTR id, DWORD) {
    KillTimer(dialog, id);
    selectEntry(dialog, 0);
    HWND list = GetDlgItem(dialog, IDC_IL_LIST);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_IL_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    SetTimer(dialog, id + 1, 500, closeDialogLater);
}

class InstanceListTest : public FrameTest {};

}  // namespace

TEST_F(InstanceListTest, ListsTheOtherEditorsByPathAndQuitAllClosesThem) {
    std::string a = makeTempFile("moxel list a.bin", "a");
    std::string b = makeTempFile("moxel list B.bin", "b");
    std::string c = makeTempFile("moxel list c.bin", "c");
    std::string own = makeTempFile("moxel list own.bin", "own");
    ASSERT_EQ(openFile(frame(), own.c_str(), 0), 1);
    Editor editorC(c), editorA(a), editorB(b), withoutFile("");

    std::vector<std::string> listed;
    std::vector<HWND> windows;
    BOOL activateEnabled = TRUE, killEnabled = TRUE;
    RECT placed{};
    DialogScript::expect([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_IL_LIST);
        listed = listTexts(list);
        for (size_t i = 0; i < listed.size(); ++i) {
            windows.push_back(reinterpret_cast<HWND>(SendMessageA(list, LB_GETITEMDATA, i, 0)));
        }
        activateEnabled = IsWindowEnabled(GetDlgItem(dialog, IDOK));
        killEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_IL_KILL));
        GetWindowRect(dialog, &placed);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(runInstanceList(), 0);
    EXPECT_EQ(listed, (std::vector<std::string>{a, b, c}));
    EXPECT_EQ(windows, (std::vector<HWND>{editorA.window(), editorB.window(), editorC.window()}));
    EXPECT_FALSE(activateEnabled);
    EXPECT_FALSE(killEnabled);
    // The top-right corner of the screen.
    EXPECT_EQ(placed.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(placed.top, 0);

    // Finding a file's window ignores letter case and counts this window too.
    std::string upperB = b;
    CharUpperA(upperB.data());
    EXPECT_EQ(findInstanceWindow(upperB.c_str()), editorB.window());
    EXPECT_EQ(findInstanceWindow(own.c_str()), frame());
    EXPECT_EQ(findInstanceWindow("MOXEL"), nullptr);
    EXPECT_EQ(findInstanceWindow(""), nullptr);

    // Quit-all closes the others that show a file, not this one, not the empty one.
    closeOtherInstances();
    EXPECT_TRUE(editorA.exitsWithin(5000));
    EXPECT_TRUE(editorB.exitsWithin(5000));
    EXPECT_TRUE(editorC.exitsWithin(5000));
    pumpMessages(300);
    EXPECT_TRUE(withoutFile.running());
    EXPECT_TRUE(IsWindow(frame()));
}

TEST_F(InstanceListTest, KillAsksThenClosesTheEditorAndTheLastEntryEndsTheDialog) {
    std::string a = makeTempFile("moxel kill a.bin", "a");
    std::string b = makeTempFile("moxel kill b.bin", "b");
    Editor editorA(a), editorB(b);
    HWND dialog = nullptr;
    BOOL killEnabled = FALSE;
    bool aAliveAfterNo = false;
    std::vector<std::string> questions;
    std::vector<std::string> remaining;

    DialogScript::expect([&](HWND d) {
        dialog = d;
        selectEntry(d, 0);
        killEnabled = IsWindowEnabled(GetDlgItem(d, IDC_IL_KILL));
        PostMessageA(d, WM_COMMAND, IDC_IL_KILL, 0);
    });
    DialogScript::expect([&](HWND box) {  // No: nothing happens; ask again
        questions.push_back(dialogText(box));
        PostMessageA(box, WM_COMMAND, IDNO, 0);
        PostMessageA(dialog, WM_COMMAND, IDC_IL_KILL, 0);
    });
    DialogScript::expect([&](HWND box) {  // Yes: a goes; then close b as well
        questions.push_back(dialogText(box));
        aAliveAfterNo = editorA.running();
        PostMessageA(box, WM_COMMAND, IDYES, 0);
        PostMessageA(GetDlgItem(dialog, IDC_IL_LIST), LB_SETCURSEL, 0, 0);
        PostMessageA(dialog, WM_COMMAND, IDC_IL_KILL, 0);
    });
    DialogScript::expect([&](HWND box) {
        questions.push_back(dialogText(box));
        remaining = listTexts(GetDlgItem(dialog, IDC_IL_LIST));
        PostMessageA(box, WM_COMMAND, IDYES, 0);
    });
    EXPECT_EQ(runInstanceList(), 1);
    EXPECT_TRUE(killEnabled);
    EXPECT_TRUE(aAliveAfterNo);
    EXPECT_EQ(questions, (std::vector<std::string>{closeQuestion(a), closeQuestion(a), closeQuestion(b)}));
    EXPECT_EQ(remaining, std::vector<std::string>{b});
    EXPECT_TRUE(editorA.exitsWithin(5000));
    EXPECT_TRUE(editorB.exitsWithin(5000));
}

TEST_F(InstanceListTest, WithNothingToListTheDialogEndsAtOnce) {
    std::string own = makeTempFile("moxel alone.bin", "own");
    ASSERT_EQ(openFile(frame(), own.c_str(), 0), 1);
    Editor withoutFile("");
    EXPECT_EQ(runInstanceList(), 0);
    SendMessageA(frame(), WM_COMMAND, IDM_INSTANCE_LIST, 0);
    EXPECT_EQ(dialogsShown(), 0);
}

TEST_F(InstanceListTest, DoubleClickBringsTheEditorToTheFrontAndKeepsTheDialog) {
    std::string a = makeTempFile("moxel front.bin", "a");
    Editor editorA(a);
    foregroundSeen = nullptr;
    dialogOpenThen = false;
    DialogScript::expect([](HWND d) { SetTimer(d, 1, 200, doubleClickLater); });
    EXPECT_EQ(runInstanceList(), 0);
    EXPECT_EQ(foregroundSeen, editorA.window());
    EXPECT_TRUE(dialogOpenThen);
}
