#include "support/process_win.h"

#include <gtest/gtest.h>

#include <cstring>

#include "resource_ids.h"
#include "support/gui_harness_win.h"

namespace gui {
namespace {

std::string thisProgramPath() {
    char exe[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
    return std::string(exe, n);
}

std::string editorTitle(const std::string& file) { return file.empty() ? "MOXEL" : "MOXEL - " + file; }

// Polls `find` (pumping) until it gives a window or the time runs out.
template <typename Find>
HWND waitFor(Find find, DWORD timeoutMs) {
    HWND found = nullptr;
    pumpUntil(
        [&] {
            found = find();
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

// A window still being created may lack its text and children (a message box
// its body): only a shown one counts as there.
HWND firstVisible(const std::vector<HWND>& windows) {
    for (HWND w : windows) {
        if (IsWindowVisible(w)) return w;
    }
    return nullptr;
}

struct WindowSearch {
    DWORD pid;
    const char* className;
    std::vector<HWND> found;
};

// A named callback rather than a lambda: 32-bit builds need its CALLBACK convention.
BOOL CALLBACK collectWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, search->className) != 0) return TRUE;
    if (search->pid == kAnyProcess || processOf(window) == search->pid) search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::string programDirectory() {
    std::string path = thisProgramPath();
    return path.substr(0, path.find_last_of('\\') + 1);
}

std::string siblingProgramPath(const char* exeName) { return programDirectory() + exeName; }

std::string fullPath(const std::string& path) {
    char full[MAX_PATH];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return n > 0 && n < sizeof full ? std::string(full, n) : path;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// ---- Process

Process::Process(const std::string& commandLine) {
    std::vector<char> buffer(commandLine.begin(), commandLine.end());  // CreateProcessA may write to it
    buffer.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
    CloseHandle(pi.hThread);
    handle_ = pi.hProcess;
    id_ = pi.dwProcessId;
}

Process::Process(DWORD processId)
    : handle_(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)),
      id_(processId) {}

Process::~Process() {
    if (handle_ == nullptr) return;
    if (running()) {
        TerminateProcess(handle_, 1);
        WaitForSingleObject(handle_, 5000);  // gone before the next test starts
    }
    CloseHandle(handle_);
}

bool Process::running() const { return handle_ != nullptr && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT; }

bool Process::exitsWithin(DWORD ms) const {
    return handle_ != nullptr && WaitForSingleObject(handle_, ms) == WAIT_OBJECT_0;
}

long Process::exitCode(DWORD timeoutMs) const {
    if (!exitsWithin(timeoutMs)) return -1;
    DWORD code = 0;
    GetExitCodeProcess(handle_, &code);
    return static_cast<long>(code);
}

// ---- windows

DWORD processOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

std::vector<HWND> topLevelWindows(DWORD processId, const char* className) {
    WindowSearch search{processId, className, {}};
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> topLevelWindowsTitled(DWORD processId, const char* className, const std::string& title) {
    std::vector<HWND> titled;
    for (HWND w : topLevelWindows(processId, className)) {
        if (windowText(w) == title) titled.push_back(w);
    }
    return titled;
}

HWND waitForWindow(DWORD processId, const char* className, DWORD timeoutMs) {
    return waitFor([&] { return firstVisible(topLevelWindows(processId, className)); }, timeoutMs);
}

HWND waitForWindowTitled(DWORD processId, const char* className, const std::string& title, DWORD timeoutMs) {
    return waitFor([&] { return firstVisible(topLevelWindowsTitled(processId, className, title)); }, timeoutMs);
}

bool waitForTitle(HWND window, const std::string& title, DWORD timeoutMs) {
    return pumpUntil([&] { return windowText(window) == title; }, timeoutMs);
}

// ---- EditorProcess

EditorProcess::EditorProcess(const std::string& program, const std::string& file)
    : process_(quoted(program) + (file.empty() ? "" : " " + quoted(file))) {
    if (!process_.started()) {
        ADD_FAILURE() << "cannot start " << program;
        return;
    }
    const std::string title = editorTitle(file);
    window_ = waitForWindowTitled(pid(), "WCMain", title, 10000);
    EXPECT_NE(window_, nullptr) << "no window titled " << title;
}

EditorProcess::EditorProcess(HWND window) : process_(processOf(window)), window_(window) {}

EditorProcess::~EditorProcess() {
    // Asked first, so that it can write its settings; the process member ends it otherwise.
    if (window_ != nullptr && process_.running()) {
        PostMessageA(window_, WM_CLOSE, 0, 0);
        process_.exitsWithin(3000);
    }
}

long EditorProcess::close() {
    PostMessageA(window_, WM_CLOSE, 0, 0);
    return process_.exitCode(5000);
}

bool tickStartInKanji(const EditorProcess& editor) {
    PostMessageA(editor.window(), WM_COMMAND, IDM_OPTIONS, 0);
    HWND options = editor.waitForDialog(10000);
    if (options == nullptr) return false;
    HWND numbers = FindWindowExA(options, nullptr, "#32770", nullptr);
    while (numbers != nullptr && GetDlgItem(numbers, IDC_MISC_START_KANJI) == nullptr) {
        numbers = FindWindowExA(options, numbers, "#32770", nullptr);
    }
    if (numbers == nullptr) return false;
    HWND box = GetDlgItem(numbers, IDC_MISC_START_KANJI);
    PostMessageA(box, BM_CLICK, 0, 0);
    if (!pumpUntil([&] { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 3000)) return false;
    PostMessageA(GetDlgItem(options, IDOK), BM_CLICK, 0, 0);
    return pumpUntil([&] { return !IsWindow(options); }, 5000);
}

// ---- WindowHost

WindowHost::WindowHost(const std::string& commandLine, size_t windowCount) : process_(commandLine) {
    EXPECT_TRUE(process_.started()) << "cannot start the window host: error " << GetLastError();
    if (process_.started()) pumpUntil([&] { return windows().size() == windowCount; }, 5000);
}

WindowHost::WindowHost(std::initializer_list<std::string> titles)
    : WindowHost(
          [&] {
              std::string line = quoted(thisProgramPath()) + " --window-host";
              for (const std::string& t : titles) line += " " + quoted(t);
              return line;
          }(),
          titles.size()) {}

WindowHost::WindowHost(const std::string& title) : WindowHost(std::initializer_list<std::string>{title}) {}

std::vector<std::string> WindowHost::windows() const {
    std::vector<std::string> titles;
    for (HWND w : topLevelWindows(process_.id(), "WCMain")) titles.push_back(windowText(w));
    return titles;
}

}  // namespace gui
