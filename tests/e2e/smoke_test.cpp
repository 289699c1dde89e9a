// The real program as a black box: started with a file on its command line,
// it shows the file in its title and ends with exit code 0 when closed.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/gui_harness_win.h"

using namespace gui;

namespace {

std::string programPath() {
    char exe[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string dir(exe, n);
    return dir.substr(0, dir.find_last_of('\\') + 1) + "moxel.exe";
}

// One started editor process; killed if a test leaves it running.
class Editor {
public:
    explicit Editor(const std::string& arguments) {
        std::string line = "\"" + programPath() + "\"";
        if (!arguments.empty()) line += " " + arguments;
        std::vector<char> buffer(line.begin(), line.end());
        buffer.push_back('\0');
        STARTUPINFOA si{};
        si.cb = sizeof si;
        started_ = CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_) != 0;
    }
    ~Editor() {
        if (!started_) return;
        if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 99);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    bool started() const { return started_; }

    // The first top-level window of `className` that belongs to the process.
    HWND find(const char* className, DWORD timeoutMs) const {
        struct Search {
            DWORD pid;
            const char* className;
            HWND found;
        } search{pi_.dwProcessId, className, nullptr};
        DWORD start = GetTickCount();
        do {
            EnumWindows(
                [](HWND w, LPARAM p) -> BOOL {
                    auto* s = reinterpret_cast<Search*>(p);
                    DWORD pid = 0;
                    GetWindowThreadProcessId(w, &pid);
                    char name[32] = "";
                    GetClassNameA(w, name, sizeof name);
                    if (pid != s->pid || std::strcmp(name, s->className) != 0) return TRUE;
                    s->found = w;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&search));
            if (search.found != nullptr) return search.found;
            Sleep(50);
        } while (GetTickCount() - start < timeoutMs);
        return nullptr;
    }

    bool waitForTitle(HWND window, const std::string& title, DWORD timeoutMs) const {
        DWORD start = GetTickCount();
        while (windowText(window) != title) {
            if (GetTickCount() - start >= timeoutMs) return false;
            Sleep(50);
        }
        return true;
    }

    // The exit code, or -1 when the process is still running after the wait.
    long exitCode(DWORD timeoutMs) const {
        if (WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(pi_.hProcess, &code);
        return static_cast<long>(code);
    }

private:
    PROCESS_INFORMATION pi_{};
    bool started_ = false;
};

std::string fullPath(const std::string& path) {
    char full[MAX_PATH];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return n > 0 && n < sizeof full ? std::string(full, n) : path;
}

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
