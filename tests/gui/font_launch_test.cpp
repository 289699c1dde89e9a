// The display font chosen in the font dialog, and launching the open file or
// the home page through the shell.
#include <windows.h>
#include <dlgs.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "support/gui_harness_win.h"
#include "tools/launch_win.h"

using namespace gui;

namespace {

LOGFONTA fontOf(HFONT font) {
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    GetObjectA(font, sizeof lf, &lf);
    return lf;
}

LOGFONTA storedFont() {
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\ORVA\\MOXEL", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DWORD size = sizeof lf;
        RegQueryValueExA(key, "Font", nullptr, nullptr, reinterpret_cast<BYTE*>(&lf), &size);
        RegCloseKey(key);
    }
    return lf;
}

int viewTop() {
    RECT r{};
    GetWindowRect(win().viewWindow, &r);
    MapWindowPoints(nullptr, win().clientWindow, reinterpret_cast<POINT*>(&r), 2);
    return r.top;
}

using FontTest = FrameTest;

}  // namespace

TEST_F(FontTest, CancelChangesNothing) {
    HFONT before = win().displayFont;
    int lineHeight = editorState->lineHeight;
    int top = viewTop();
    DialogScript::expect(answerWith(IDCANCEL));
    SendMessageA(frame(), WM_COMMAND, IDM_FONT, 0);
    EXPECT_EQ(dialogsShown(), 1);
    EXPECT_EQ(win().displayFont, before);
    EXPECT_NE(GetObjectType(before), 0u);
    EXPECT_EQ(editorState->lineHeight, lineHeight);
    EXPECT_EQ(viewTop(), top);
}

TEST_F(FontTest, AnotherFixedPitchFontChangesTheLinesTheLayoutAndTheStoredFont) {
    HFONT before = win().displayFont;
    LOGFONTA old = fontOf(before);
    int lineHeight = editorState->lineHeight;
    std::string offered;
    std::vector<std::string> faces;
    DialogScript::expect([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, cmb1);
        int n = static_cast<int>(SendMessageA(list, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            char face[LF_FACESIZE] = "";
            SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(face));
            faces.push_back(face);
        }
        // Another scalable face than the current one, in a much larger size.
        for (const char* wanted : {"IPAゴシック", "IPA明朝"}) {
            int i = static_cast<int>(SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(wanted)));
            if (i >= 0 && lstrcmpiA(wanted, old.lfFaceName) != 0 && offered.empty()) {
                offered = wanted;
                SendMessageA(list, CB_SETCURSEL, i, 0);
                SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
            }
        }
        HWND sizes = GetDlgItem(dialog, cmb3);
        int largest = static_cast<int>(SendMessageA(sizes, CB_GETCOUNT, 0, 0)) - 1;
        SendMessageA(sizes, CB_SETCURSEL, largest, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb3, CBN_SELCHANGE), reinterpret_cast<LPARAM>(sizes));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    int top = viewTop();
    SendMessageA(frame(), WM_COMMAND, IDM_FONT, 0);

    ASSERT_FALSE(offered.empty()) << "the dialog offered no other face";
    // Only fixed-pitch faces: the proportional ones every prefix has are left out.
    for (const char* proportional : {"Tahoma", "IPAPゴシック"}) {
        EXPECT_EQ(std::find(faces.begin(), faces.end(), proportional), faces.end()) << proportional;
    }
    ASSERT_NE(win().displayFont, before);
    EXPECT_EQ(GetObjectType(before), 0u) << "the old font was not deleted";
    LOGFONTA now = fontOf(win().displayFont);
    EXPECT_STREQ(now.lfFaceName, offered.c_str());
    EXPECT_GT(editorState->lineHeight, lineHeight);
    EXPECT_EQ(viewTop(), top + editorState->lineHeight - lineHeight) << "the strip keeps the old height";

    saveSettings();
    LOGFONTA stored = storedFont();
    EXPECT_STREQ(stored.lfFaceName, now.lfFaceName);
    EXPECT_EQ(stored.lfHeight, now.lfHeight);
}

// ---------------------------------------------------------------- launching

namespace {

struct Launch {
    int calls = 0;
    std::string verb, target;
    INT show = 0;
    INT_PTR result = 0;
    DWORD lastError = 0;
};
Launch launch;

HINSTANCE WINAPI recordLaunch(HWND, LPCSTR verb, LPCSTR target, LPCSTR, LPCSTR, INT show) {
    ++launch.calls;
    launch.verb = verb != nullptr ? verb : "";
    launch.target = target != nullptr ? target : "";
    launch.show = show;
    SetLastError(launch.lastError);
    return reinterpret_cast<HINSTANCE>(launch.result);
}

// The shell's answers replaced for one test.
class RecordedLaunches {
public:
    RecordedLaunches(INT_PTR result, DWORD lastError) {
        launch = Launch{};
        launch.result = result;
        launch.lastError = lastError;
        previous_ = setShellExecuteFunction(recordLaunch);
    }
    ~RecordedLaunches() { setShellExecuteFunction(previous_); }
    RecordedLaunches(const RecordedLaunches&) = delete;
    RecordedLaunches& operator=(const RecordedLaunches&) = delete;

private:
    ShellExecuteFunction previous_;
};

using LaunchTest = FrameTest;

}  // namespace

TEST_F(LaunchTest, ResultOf32OrLessIsAFailure) {
    {
        RecordedLaunches shell(32, 0);  // the last result that means failure; no error code given
        DialogScript::expect(answerWith(IDOK));
        EXPECT_FALSE(runProgram(frame(), "C:\\data\\a.bin"));
        EXPECT_EQ(lastDialogText(), systemText(ERROR_DLL_NOT_FOUND));
    }
    {
        RecordedLaunches shell(32, ERROR_ACCESS_DENIED);  // the system's own code is preferred
        DialogScript::expect(answerWith(IDOK));
        EXPECT_FALSE(runProgram(frame(), "C:\\data\\a.bin"));
        EXPECT_EQ(lastDialogText(), systemText(ERROR_ACCESS_DENIED));
    }
    {
        RecordedLaunches shell(33, 0);
        EXPECT_TRUE(runProgram(frame(), "C:\\data\\a.bin"));
        EXPECT_EQ(launch.verb, "open");
        EXPECT_EQ(launch.show, SW_SHOW);
    }
    EXPECT_EQ(dialogsShown(), 2);
}

TEST_F(LaunchTest, CommandsOpenTheFileAndTheHomePage) {
    RecordedLaunches shell(42, 0);
    loadDocument("abc", "C:\\data\\launched.txt");
    SendMessageA(frame(), WM_COMMAND, IDM_RUN, 0);
    EXPECT_EQ(launch.target, "C:\\data\\launched.txt");
    SendMessageA(frame(), WM_COMMAND, IDM_HOMEPAGE, 0);
    EXPECT_EQ(launch.target, stringText(IDS_HOMEPAGE_URL));
    EXPECT_EQ(launch.calls, 2);
}

TEST_F(LaunchTest, MissingFileIsReportedByTheSystem) {
    std::string missing = tempPath("moxel no such file.bin");
    DialogScript::expect(answerWith(IDOK));
    EXPECT_FALSE(runProgram(frame(), missing.c_str()));
    EXPECT_EQ(lastDialogText(), systemText(ERROR_FILE_NOT_FOUND));
}
