// What the Windows benchmarks share: a clock, the message pump, memory
// figures, the random file they measure on, and the frame they measure in.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/startup_win.h"

namespace bench {

// Seconds on the performance counter.
inline double now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double best(const std::vector<double>& times) { return *std::min_element(times.begin(), times.end()); }

inline double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times.empty() ? 0 : times[times.size() / 2];
}

inline double mean(const std::vector<double>& times) {
    return times.empty() ? 0 : std::accumulate(times.begin(), times.end(), 0.0) / static_cast<double>(times.size());
}

inline double mib(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

// Dispatches what is queued; a WM_QUIT on the way is dropped.
inline void pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) continue;
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

inline PROCESS_MEMORY_COUNTERS memory() {
    PROCESS_MEMORY_COUNTERS pmc;
    std::memset(&pmc, 0, sizeof pmc);
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc;
}

// A file of `size` pseudo-random bytes (xorshift), written a MiB at a time so
// that making it leaves no mark on the working set. Bytes equal to `avoid`
// (when it is 0..255) are replaced by `avoid` + 1. False when it cannot be written.
inline bool writeRandomFile(const std::string& path, DWORD size, int avoid = -1) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    std::vector<uint8_t> chunk(1u << 20);
    uint32_t x = 2463534242u;
    bool ok = true;
    for (DWORD done = 0; ok && done < size; done += static_cast<DWORD>(chunk.size())) {
        for (size_t i = 0; i < chunk.size(); i += 4) {
            x ^= x << 13, x ^= x >> 17, x ^= x << 5;
            std::memcpy(&chunk[i], &x, 4);
        }
        if (avoid >= 0) std::replace(chunk.begin(), chunk.end(), static_cast<uint8_t>(avoid), static_cast<uint8_t>(avoid + 1));
        const DWORD n = std::min<DWORD>(static_cast<DWORD>(chunk.size()), size - done);
        DWORD written = 0;
        ok = WriteFile(h, chunk.data(), n, &written, nullptr) && written == n;
    }
    CloseHandle(h);
    return ok;
}

// Milliseconds of `step` followed by the paint it asked for in `window`
// (and then in `alsoWindow`, when given).
template <typename Step>
double untilPainted(Step step, HWND window, HWND alsoWindow = nullptr) {
    const double t0 = now();
    step();
    UpdateWindow(window);
    if (alsoWindow != nullptr) UpdateWindow(alsoWindow);
    return (now() - t0) * 1000.0;
}

// A real frame, created as start-up creates it, with no file in it. Says so
// and returns false when it cannot be created.
inline bool openFrame(int showCommand = SW_SHOWNORMAL) {
    appInstance = GetModuleHandleA(nullptr);
    if (!initEditorState() || !registerWindowClasses() || !createMainWindow(0, showCommand)) {
        std::printf("cannot create the frame\n");
        return false;
    }
    pump();
    return true;
}

// A real frame as openFrame makes it, with the file at `path` opened in it.
// Says why and returns false when either fails.
inline bool openInFrame(const char* path) {
    if (!openFrame()) return false;
    if (!openFile(mainWindow, path, 0)) {
        std::printf("cannot open %s\n", path);
        return false;
    }
    pump();
    return true;
}

// The frame gone again, and what start-up set up for it.
inline void closeFrame() {
    DestroyWindow(mainWindow);
    pump();
    freeEditorStateRecord();
    unregisterWindowClasses();
}

// While it lives, `onActivate` is called with each dialog of this thread as
// it becomes active, before it is first shown. One at a time.
class DialogHook {
public:
    explicit DialogHook(void (*onActivate)(HWND dialog)) {
        onActivate_ = onActivate;
        hook_ = SetWindowsHookExA(WH_CBT, activated, nullptr, GetCurrentThreadId());
    }
    ~DialogHook() {
        if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
        onActivate_ = nullptr;
    }
    DialogHook(const DialogHook&) = delete;
    DialogHook& operator=(const DialogHook&) = delete;

private:
    static LRESULT CALLBACK activated(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE && onActivate_ != nullptr) {
            HWND window = reinterpret_cast<HWND>(wParam);
            char name[16] = "";
            GetClassNameA(window, name, sizeof name);
            if (std::strcmp(name, "#32770") == 0) onActivate_(window);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline void (*onActivate_)(HWND) = nullptr;
    HHOOK hook_ = nullptr;
};

// The benchmarks build real frames, which write their settings when they are
// destroyed: while this object lives, HKEY_CURRENT_USER of the process is a
// key of its own (HKCU\Software\MoxelBench\<pid>), deleted at the end, so
// the settings of whoever runs a benchmark stay as they were.
class PrivateSettings {
public:
    PrivateSettings() {
        // Wine reads its own settings below HKEY_CURRENT_USER when the display
        // and the fonts start: let them start first.
        if (HDC screen = GetDC(nullptr)) ReleaseDC(nullptr, screen);
        path_ = "Software\\MoxelBench\\" + std::to_string(GetCurrentProcessId());
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr) ==
            ERROR_SUCCESS) {
            RegOverridePredefKey(HKEY_CURRENT_USER, key_);
        }
    }
    ~PrivateSettings() {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        if (key_ != nullptr) RegCloseKey(key_);
        RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\MoxelBench");
    }
    PrivateSettings(const PrivateSettings&) = delete;
    PrivateSettings& operator=(const PrivateSettings&) = delete;

private:
    std::string path_;
    HKEY key_ = nullptr;
};

}  // namespace bench
