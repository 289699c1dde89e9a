#include "support/later_win.h"

#include <windows.h>

#include <deque>
#include <map>

namespace gui {
namespace {

std::deque<std::function<void()>> pending;

LRESULT CALLBACK laterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_APP) return DefWindowProcA(window, message, wParam, lParam);
    if (!pending.empty()) {
        std::function<void()> work = std::move(pending.front());
        pending.pop_front();
        work();
    }
    return 0;
}

HWND laterWindow() {
    static HWND window = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = laterProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "MoxelTestLater";
        RegisterClassA(&wc);
        return CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }();
    return window;
}

struct VisibleWork {
    HWND window;
    std::function<void()> work;
};
std::map<UINT_PTR, VisibleWork> waiting;

void CALLBACK checkVisible(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto found = waiting.find(id);
    if (found == waiting.end()) return;
    VisibleWork entry = std::move(found->second);
    waiting.erase(found);
    if (IsWindow(entry.window) && !IsWindowVisible(entry.window)) {
        runWhenVisible(entry.window, std::move(entry.work));
        return;
    }
    entry.work();
}

}  // namespace

void runWhenVisible(HWND window, std::function<void()> work) {
    UINT_PTR id = SetTimer(nullptr, 0, 10, checkVisible);
    if (id != 0) waiting[id] = VisibleWork{window, std::move(work)};
}

void runLater(std::function<void()> work) {
    pending.push_back(std::move(work));
    PostMessageA(laterWindow(), WM_APP, 0, 0);
}

}  // namespace gui
