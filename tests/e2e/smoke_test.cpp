// The real program as a black box: started with a file on its command line,
// it shows the file in its title and ends with exit code 0 when closed.
#include <windows.h>

#include <string>

#include "support/gui_harness_win.h"
#include "support/process_win.h"

using namespace gui;

namespace {

std::string programPath() { return siblingProgramPath("moxel.exe"); }

// One started editor process; ended if a test leaves it running.
class Editor : public Process {
public:
    explicit Editor(const std::string& arguments)
        : Process(quoted(programPath()) + (arguments.empty() ? "" : " " + arguments)) {}

    // The first top-level window of `className` that belongs to the process.
    HWND find(const char* className, DWORD timeoutMs) const { return waitForWindow(id(), className, timeoutMs); }
    bool waitForTitle(HWND window, const std::string& title, DWORD timeoutMs) const {
        return gui::waitForTitle(window, title, timeoutMs);
    }
};

}  // namespace

TEST(Smoke, OpensTheCommandLineFileAndExitsCleanly) {
    clearSettingsKey();
    std::string path = fullPath(makeTempFile("moxel smoke test.bin", std::string(300, '\x5A')));
    Editor editor("\"" + path + "\"");
    ASSERT_TRUE(editor.started()) << "cannot start " << programPath();
    HWND frame = editor.find("WCMain", 10000);
    ASSERT_NE(frame, nullptr) << "no editor window";
    EXPECT_TRUE(editor.waitForTitle(frame, "MOXEL - " + path, 10000)) << "title: " << windowText(frame);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(editor.exitCode(5000), 0);
}

TEST(Smoke, WithoutAFileTheTitleIsTheProductName) {
    clearSettingsKey();
    Editor editor("");
    ASSERT_TRUE(editor.started());
    HWND frame = editor.find("WCMain", 10000);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(windowText(frame), "MOXEL");
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(editor.exitCode(5000), 0);
}

TEST(Smoke, TooLongCommandLineShowsTheErrorBoxAndOpensNothing) {
    clearSettingsKey();
    Editor editor("C:\\" + std::string(300, 'n') + ".bin");
    ASSERT_TRUE(editor.started());
    HWND box = editor.find("#32770", 10000);
    ASSERT_NE(box, nullptr) << "no error box";
    EXPECT_EQ(dialogText(box), systemText(ERROR_FILENAME_EXCED_RANGE));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    HWND frame = editor.find("WCMain", 5000);
    ASSERT_NE(frame, nullptr);
    Sleep(200);
    EXPECT_EQ(windowText(frame), "MOXEL");
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(editor.exitCode(5000), 0);
}

TEST(Smoke, TheEditorKeepsItsSettingsInTheTestsOwnKey) {
    clearSettingsKey();
    const std::string real = realUserKeyPath("Software\\ORVA\\MOXEL");
    const std::string before = registrySnapshot(HKEY_USERS, real);
    std::string path = fullPath(makeTempFile("moxel private settings.bin", "abc"));
    Editor editor(gui::quoted(path));
    ASSERT_TRUE(editor.started());
    HWND frame = editor.find("WCMain", 10000);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(editor.waitForTitle(frame, "MOXEL - " + path, 10000));
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(editor.exitCode(5000), 0);
    // Written at exit, into the run's key: the user's own settings are as they were.
    EXPECT_EQ(registrySnapshot(HKEY_USERS, real), before);
    const std::string own = registrySnapshot(HKEY_CURRENT_USER, "Software\\ORVA\\MOXEL");
    EXPECT_NE(own.find("Hist00/1=" + path), std::string::npos) << own;
}
