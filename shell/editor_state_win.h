// The Win32 part of the state record: window handles and GDI objects, and
// the process-wide values kept outside the record.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include "shell/editor_state.h"

struct EditorWindows {
    HWND toolbarWindow;
    HWND statusWindow;
    HWND clientWindow;
    HWND labelWindow;
    HWND viewWindow;
    HWND progressDialog;
    HFONT displayFont;
    SCROLLINFO viewScrollInfo;
    UINT wheelMessageId;
    HICON viewIcon;
    HCURSOR viewCursor1;
    HCURSOR viewCursor2;
    HCURSOR viewCursor3;
    PRINTDLGA printSetup;
    HWND inspectorWindow;  // the data inspector pane; made when first shown
};

#include "platform/process_win.h"

// The Win32 part of the one state record (valid while editorState exists).
inline EditorWindows& win() { return *editorState->windows; }

// Releases a handle field once and clears it, so a second release finds nothing.
template <typename T, typename Release>
void releaseField(T& field, Release release) {
    if (field != nullptr) {
        release(field);
        field = nullptr;
    }
}
