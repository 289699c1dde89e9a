// The display font chosen in the font dialog, and launching the open file or
// the home page through the shell.
#include <windows.h>
#include <dlgs.h>

#include <cstring>
#include <string>

#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "support/gui_harness_win.h"
#include "tools/launch_win.h"

using namespace gui;

namespace {

LOGFONTA fontOf(HFONT font) {
    LOGFONTA lf{};
    GetObjectA(font, sizeof lf, &lf);
    return lf;
}

int viewTop() {
    RECT r{};
    GetWindowRect(win().viewWindow, &r);
    MapWindowPoints(nullptr, win().clientWindow, reinterpret_cast<POINT*>(&r), 2);
    return r.top;
}

// Picks `text` in combo box `id` of the font dialog (the last item when null).
bool pickInFontDialog(HWND dialog, int id, const char* text) {
    HWND combo = GetDlgItem(dialog, id);
    LRESULT i = text != nullptr ? SendMessageA(combo, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(text))
                                : SendMessageA(combo, CB_GETCOUNT, 0, 0) - 1;
    SendMessageA(combo, CB_SETCURSEL, i, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    return i >= 0;
}

using FontTest = FrameTest;

}  // namespace

TEST_F(FontTest, CancelKeepsTheFontAnotherFaceChangesTheLayoutAndTheStoredValue) {
    HFONT before = win().displayFont;
    int lineHeight = editorState->lineHeight, top = viewTop();
    DialogScript::expect(answerWith(IDCANCEL));
    SendMessageA(frame(), WM_COMMAND, IDM_FONT, 0);
    EXPECT_EQ(dialogsShown(), 1);
    EXPECT_TRUE(win().displayFont == before && editorState->lineHeight == lineHeight && viewTop() == top);

    bool offered = false, proportionalOffered = true;
    DialogScript::expect([&](HWND dialog) {
        proportionalOffered = SendDlgItemMessageA(dialog, cmb1, CB_FINDSTRINGEXACT, WPARAM(-1),
                                                  reinterpret_cast<LPARAM>("IPAPゴシック")) >= 0;
        offered = pickInFontDialog(dialog, cmb1, "IPAゴシック") && pickInFontDialog(dialog, cmb3, nullptr);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    SendMessageA(frame(), WM_COMMAND, IDM_FONT, 0);
    ASSERT_TRUE(offered);
    EXPECT_FALSE(proportionalOffered) << "only fixed-pitch faces belong in the list";
    EXPECT_EQ(GetObjectType(before), 0u) << "the old font was not deleted";
    LOGFONTA now = fontOf(win().displayFont);
    EXPECT_STREQ(now.lfFaceName, "IPAゴシック");
    EXPECT_GT(editorState->lineHeight, lineHeight);
    EXPECT_EQ(viewTop(), top + editorState->lineHeight - lineHeight) << "the strip keeps the old height";

    saveSettings();  // as at exit
    LOGFONTA stored{};
    DWORD size = sizeof stored;
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\ORVA\\MOXEL", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegQueryValueExA(key, "Font", nullptr, nullptr, reinterpret_cast<BYTE*>(&stored), &size);
    RegCloseKey(key);
    EXPECT_EQ(std::memcmp(&stored, &now, sizeof now), 0);
}

namespace {

// What the shell was asked, and what it answers.
struct Launch {
    std::string verb, target;
    INT show = 0;
    INT_PTR result = 0;
    DWORD error = 0;
} launch;

HINSTANCE WINAPI recordLaunch(HWND, LPCSTR verb, LPCSTR target, LPCSTR, LPCSTR, INT show) {
    launch.verb = verb;
    launch.target = target;
    launch.show = show;
    SetLastError(launch.error);
    return reinterpret_cast<HINSTANCE>(launch.result);
}

using LaunchTest = FrameTest;

}  // namespace

TEST_F(LaunchTest, ResultOf32OrLessIsAFailure) {
    ShellExecuteFunction shell = setShellExecuteFunction(recordLaunch);
    const struct {
        INT_PTR result;
        DWORD error;  // the last error the shell leaves
        DWORD shown;  // whose text the error box shows; 0: no box
    } cases[] = {
        {32, 0, ERROR_DLL_NOT_FOUND},  // the last failing result, with no error code given
        {32, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
        {33, 0, 0},
    };
    for (const auto& c : cases) {
        launch = Launch{"", "", 0, c.result, c.error};
        if (c.shown != 0) DialogScript::expect(answerWith(IDOK));
        EXPECT_EQ(runProgram(frame(), "C:\\data\\a.bin"), c.shown == 0) << c.result;
        if (c.shown != 0) {
            EXPECT_EQ(lastDialogText(), systemText(c.shown));
        }
    }
    EXPECT_TRUE(launch.verb == "open" && launch.show == SW_SHOW);

    loadDocument("abc", "C:\\data\\launched.txt");
    SendMessageA(frame(), WM_COMMAND, IDM_RUN, 0);
    EXPECT_EQ(launch.target, "C:\\data\\launched.txt");
    SendMessageA(frame(), WM_COMMAND, IDM_HOMEPAGE, 0);
    EXPECT_EQ(launch.target, stringText(IDS_HOMEPAGE_URL));
    setShellExecuteFunction(shell);

    DialogScript::expect(answerWith(IDOK));  // the real shell, on a file that is not there
    EXPECT_FALSE(runProgram(frame(), tempPath("moxel no such file.bin").c_str()));
    EXPECT_EQ(lastDialogText(), systemText(ERROR_FILE_NOT_FOUND));
}
