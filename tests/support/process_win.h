// Other processes in the tests under Wine: the real editor started beside the
// test program, the GUI test program's window host, and the top-level windows
// they show. Every wait pumps this thread's messages, so that an in-process
// frame keeps answering while the test waits for another process.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace gui {

// The directory of the running test program, with its trailing backslash.
std::string programDirectory();
// A program in that directory, e.g. "moxel.exe".
std::string siblingProgramPath(const char* exeName);
// The absolute form of `path`; `path` itself when it cannot be formed.
std::string fullPath(const std::string& path);
// `text` in double quotes, as one argument of a command line.
std::string quoted(const std::string& text);

// A process started here, or an existing one opened by its id. The handle is
// owned here: a process still running when the object goes is ended.
class Process {
public:
    explicit Process(const std::string& commandLine);
    explicit Process(DWORD processId);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // False when it could not be started (or opened).
    bool started() const { return handle_ != nullptr; }
    DWORD id() const { return id_; }
    HANDLE handle() const { return handle_; }
    bool running() const;
    bool exitsWithin(DWORD ms) const;
    // The exit code, or -1 when the process is still running after the wait.
    long exitCode(DWORD timeoutMs) const;

private:
    HANDLE handle_ = nullptr;
    DWORD id_ = 0;
};

// For the process arguments below: windows of every process.
constexpr DWORD kAnyProcess = 0;

DWORD processOf(HWND window);
// Top-level windows of `className`, in the order EnumWindows gives them.
std::vector<HWND> topLevelWindows(DWORD processId, const char* className);
// Those of them that show exactly `title`.
std::vector<HWND> topLevelWindowsTitled(DWORD processId, const char* className, const std::string& title);

// The first visible top-level window of `className`; nullptr when none came in
// time. A dialog or message box is a "#32770".
HWND waitForWindow(DWORD processId, const char* className, DWORD timeoutMs);
// The first visible one that shows exactly `title`.
HWND waitForWindowTitled(DWORD processId, const char* className, const std::string& title, DWORD timeoutMs);
bool waitForTitle(HWND window, const std::string& title, DWORD timeoutMs);

// An editor process with its WCMain window: started here with `file` on its
// command line (none when empty) and waited for until its window shows the
// file, or found by its window. When it goes, one still running is asked to
// close (WM_CLOSE) and ended after 3 s.
class EditorProcess {
public:
    EditorProcess(const std::string& program, const std::string& file);
    explicit EditorProcess(HWND window);
    ~EditorProcess();
    EditorProcess(const EditorProcess&) = delete;
    EditorProcess& operator=(const EditorProcess&) = delete;

    HWND window() const { return window_; }
    DWORD pid() const { return process_.id(); }
    const Process& process() const { return process_; }
    bool running() const { return process_.running(); }
    bool exitsWithin(DWORD ms) const { return process_.exitsWithin(ms); }
    // Closes the window as the user would; the exit code, or -1 when it did not end.
    long close();
    // The first dialog or message box it shows.
    HWND waitForDialog(DWORD timeoutMs) const { return waitForWindow(pid(), "#32770", timeoutMs); }

private:
    Process process_;
    HWND window_ = nullptr;
};

// Ticks "start in kanji mode" in the editor's options dialog and closes the
// dialog with OK; false when the dialog or the tick did not come.
bool tickStartInKanji(const EditorProcess& editor);

// The GUI test program started again with "--window-host": another process
// with one top-level WCMain window per title, each destroyed on WM_CLOSE.
// Only the GUI test program has that mode. Ended when the object goes.
class WindowHost {
public:
    WindowHost(std::initializer_list<std::string> titles);
    explicit WindowHost(const std::string& title);
    WindowHost(const WindowHost&) = delete;
    WindowHost& operator=(const WindowHost&) = delete;

    bool started() const { return process_.started(); }
    // The titles of its WCMain windows still alive.
    std::vector<std::string> windows() const;

private:
    WindowHost(const std::string& commandLine, size_t windowCount);

    Process process_;
};

}  // namespace gui
