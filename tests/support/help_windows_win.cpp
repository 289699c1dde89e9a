#include "support/help_windows_win.h"

#include "support/gui_harness_win.h"
#include "support/process_win.h"

namespace gui {

std::vector<HWND> helpWindows() { return topLevelWindows(GetCurrentProcessId(), "HH Parent"); }

void closeHelpWindows() {
    using HtmlHelpProc = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
    constexpr UINT kCloseAll = 0x0012;  // HH_CLOSE_ALL
    if (HMODULE control = GetModuleHandleA("hhctrl.ocx")) {
        auto help = reinterpret_cast<HtmlHelpProc>(reinterpret_cast<void*>(GetProcAddress(control, MAKEINTRESOURCEA(14))));
        if (help != nullptr) help(nullptr, nullptr, kCloseAll, 0);
    }
    pumpUntil([] { return helpWindows().empty(); }, 2000);
}

}  // namespace gui
