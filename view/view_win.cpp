// The hex view window (class WCView). Painting the rows, the caret, the
// mouse and the keyboard come with the view's own work.
#include <windows.h>

#include "shell/editor_state_win.h"
#include "shell/startup_win.h"

namespace {

LRESULT onCreate() {
    // Older wheel drivers send this registered message instead of WM_MOUSEWHEEL.
    if (editorState != nullptr && editorState->windows != nullptr) {
        win().wheelMessageId = RegisterWindowMessageA("MSWHEEL_ROLLMSG");
    }
    return 0;
}

void onPaint(HWND window) {
    PAINTSTRUCT ps;
    if (BeginPaint(window, &ps) != nullptr) EndPaint(window, &ps);
}

}  // namespace

LRESULT CALLBACK viewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: return onCreate();
        case WM_PAINT: onPaint(window); return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}
