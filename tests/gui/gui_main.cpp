// The GUI test program. With "--window-host TITLE..." it instead plays
// another editor process: one top-level WCMain window per title, each
// destroyed when it receives WM_CLOSE; it ends when all are gone (or after
// 15 s). With "--put-clipboard TEXT" it puts TEXT on the clipboard and ends.
#include <windows.h>

#include <cstring>

#include "support/gui_harness_win.h"

namespace {

LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static int alive = 0;
    switch (message) {
        case WM_CREATE: ++alive; return 0;
        case WM_CLOSE: DestroyWindow(window); return 0;
        case WM_DESTROY:
            if (--alive == 0) PostQuitMessage(0);
            return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

int runWindowHost(int count, char** titles) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = hostWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "WCMain";
    if (RegisterClassExA(&wc) == 0) return 2;
    for (int i = 0; i < count; ++i) {
        CreateWindowExA(0, "WCMain", titles[i], WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                        wc.hInstance, nullptr);
    }
    SetTimer(nullptr, 0, 15000, nullptr);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        if (m.message == WM_TIMER && m.hwnd == nullptr) break;
        DispatchMessageA(&m);
    }
    return 0;
}

// Another program putting text on the clipboard, then ending.
int putClipboard(const char* text) {
    if (!OpenClipboard(nullptr)) return 2;
    EmptyClipboard();
    size_t n = std::strlen(text) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, n);
    int result = 3;
    if (void* p = block != nullptr ? GlobalLock(block) : nullptr) {
        std::memcpy(p, text, n);
        GlobalUnlock(block);
        result = SetClipboardData(CF_TEXT, block) != nullptr ? 0 : 4;
    }
    if (result != 0 && block != nullptr) GlobalFree(block);
    CloseClipboard();
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--window-host") == 0) return runWindowHost(argc - 2, argv + 2);
    if (argc == 3 && std::strcmp(argv[1], "--put-clipboard") == 0) return putClipboard(argv[2]);
    ::testing::InitGoogleTest(&argc, argv);
    gui::installTestSupport(true);
    return RUN_ALL_TESTS();
}
