// The hex view window (class WCView). Painting the rows, the caret, the
// mouse and the keyboard come with the view's own work.
#include "view/view_win.h"

#include "shell/editor_state_win.h"
#include "shell/layout_win.h"

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

void repaintView() {
    if (editorState != nullptr && editorState->windows != nullptr && win().viewWindow != nullptr) {
        InvalidateRect(win().viewWindow, nullptr, FALSE);
    }
}

int bringCaretIntoView() {
    repaintView();
    showCaretStatus();
    updateToolbarStates();
    return 1;
}

void updateCopyButton() { updateToolbarStates(); }

LRESULT CALLBACK viewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: return onCreate();
        case WM_PAINT: onPaint(window); return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}
