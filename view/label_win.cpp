// The column-header strip (class WCLabel) above the view: the column header
// in the label colours, clicks that move the caret within its row, and the
// dump column's context menu. The focus always goes on to the view.
#include "view/label_win.h"

#include "document/dump_row.h"
#include "platform/gdi_win.h"
#include "resource_ids.h"
#include "shell/editor_state_win.h"
#include "shell/context_menu_win.h"
#include "shell/panes_win.h"
#include "view/view_input.h"
#include "view/view_win.h"

namespace {

bool haveDocument() { return editorState != nullptr && isDocumentLoaded(*editorState); }

void paintLabelStrip(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (dc == nullptr) return;
    if (haveDocument()) {
        const EditorState& s = *editorState;
        RECT client{};
        GetClientRect(window, &client);
        SetBkColor(dc, s.colorTable[labelBack]);
        ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);

        SelectedObject font(dc, win().displayFont);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, s.colorTable[labelText]);
        RECT text{0, 0, client.right, client.bottom - 1};
        char header[kColumnHeaderLength + 1];
        lstrcpynA(header, kColumnHeader, sizeof header);
        DrawTextExA(dc, header, kColumnHeaderLength, &text, DT_SINGLELINE | DT_VCENTER, nullptr);

        GdiObject<HPEN> pen(CreatePen(PS_SOLID, GetSystemMetrics(SM_CXBORDER), s.colorTable[labelBorder]));
        SelectedObject usePen(dc, pen.get());
        MoveToEx(dc, 0, client.bottom - 1, nullptr);
        LineTo(dc, client.right, client.bottom - 1);
    }
    EndPaint(window, &ps);
}

}  // namespace

LRESULT CALLBACK labelWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETFOCUS:
            if (editorState != nullptr && editorState->windows != nullptr && win().viewWindow != nullptr) {
                SetFocus(win().viewWindow);
            }
            return 0;
        case WM_PAINT: paintLabelStrip(window); return 0;
        case WM_LBUTTONDOWN:
            if (paneHasFocus() && win().viewWindow != nullptr) SetFocus(win().viewWindow);
            if (haveDocument()) applyViewEffects(onLabelClick(*editorState, LOWORD(lParam)));
            return 0;
        case WM_RBUTTONDOWN:
            if (haveDocument()) showContextMenu(window, IDR_POPUP_DUMP, LOWORD(lParam), HIWORD(lParam));
            return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}
