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
    EditorState& s = *editorState;
    EditorWindows& w = win();
    showFileStatus();
    showCaretStatus();
    if (w.viewWindow != nullptr) {
        RECT view{};
        GetClientRect(w.viewWindow, &view);
        s.visibleRows = s.lineHeight != 0 ? view.bottom / s.lineHeight : 0;
        SCROLLINFO& si = w.viewScrollInfo;
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMin = 0;
        si.nMax = scrollRangeMaximum(s);
        si.nPage = static_cast<UINT>(s.visibleRows);
        si.nPos = 0;
        SetScrollInfo(w.viewWindow, SB_VERT, &si, TRUE);
    }
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
