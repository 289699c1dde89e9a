// The column-header strip (class WCLabel) above the view. Its painting and
// clicks come with the strip's own work; the focus always goes on to the view.
#include <windows.h>

#include "shell/editor_state_win.h"
#include "view/label_win.h"

LRESULT CALLBACK labelWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETFOCUS) {
        if (editorState != nullptr && editorState->windows != nullptr && win().viewWindow != nullptr) {
            SetFocus(win().viewWindow);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
