#include "shell/document_reset_win.h"

#include "document/document.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"

int documentReset() {
    if (editorState == nullptr || editorState->windows == nullptr) return 0;
    if (win().labelWindow == nullptr || win().viewWindow == nullptr) return 0;
    if (!resetDocumentModel(*editorState)) return 0;
    refreshViewAfterReset();
    return 1;
}

void refreshViewAfterReset() {
    if (editorState == nullptr || editorState->windows == nullptr) return;
    EditorWindows& w = win();
    showFileStatus();
    showCaretStatus();
    fitViewToHeight();
    // The strip first, then the view, each painted at once.
    if (w.labelWindow != nullptr) {
        InvalidateRect(w.labelWindow, nullptr, TRUE);
        UpdateWindow(w.labelWindow);
    }
    if (w.viewWindow != nullptr) {
        InvalidateRect(w.viewWindow, nullptr, FALSE);
        UpdateWindow(w.viewWindow);
    }
    updateToolbarStates();
}
