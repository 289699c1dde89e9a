// The pane host: the panes' windows are children of the client container,
// made when first shown; the one in front fills the area at the right of the
// view, below a tab strip while more than one is shown.
#include "shell/panes_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <vector>

#include "platform/platform.h"
#include "resource_ids.h"
#include "shell/editor_state_win.h"
#include "view/pane_width.h"

extern const PaneHooks inspectorPaneHooks;
extern const PaneHooks structurePaneHooks;

namespace {

// The panes, in the order of their tabs.
const PaneHooks* const kPanes[] = {&inspectorPaneHooks, &structurePaneHooks};

HWND tabStrip = nullptr;
std::vector<size_t> tabPanes;  // the pane of each tab

// Dragging a pane's splitter.
struct Drag {
    HWND window;     // the pane whose splitter is held; null when none is
    int startX;      // screen x of the press
    int startWidth;  // of the pane then
};
Drag drag{};

bool haveWindows() { return editorState != nullptr && editorState->windows != nullptr; }

bool isShown(const PaneHooks& p) { return p.window() != nullptr && p.placement(*editorState).shown != 0; }

size_t shownCount() {
    size_t n = 0;
    for (const PaneHooks* p : kPanes) n += isShown(*p) ? 1 : 0;
    return n;
}

// The shown pane in front: the one the user last chose, else the first shown.
const PaneHooks* frontPane() {
    const PaneHooks* first = nullptr;
    for (const PaneHooks* p : kPanes) {
        if (!isShown(*p)) continue;
        if (p->command == editorState->frontPane) return p;
        if (first == nullptr) first = p;
    }
    return first;
}

void bringToFront(const PaneHooks& p) {
    if (editorState->frontPane == p.command) return;
    editorState->frontPane = p.command;
    editorState->frontPaneChanged = 1;
}

bool holdsFocus(HWND window) {
    HWND focus = GetFocus();
    return window != nullptr && focus != nullptr && (focus == window || IsChild(window, focus));
}

// The focus leaves a pane that goes out of sight for the view.
void focusViewFrom(HWND window) {
    if (holdsFocus(window) && win().viewWindow != nullptr) SetFocus(win().viewWindow);
}

// The tab strip's tabs: one for each shown pane, the front one selected.
void fillTabs(const PaneHooks* front) {
    std::vector<size_t> panes;
    for (size_t i = 0; i < paneCount(); ++i) {
        if (isShown(*kPanes[i])) panes.push_back(i);
    }
    if (panes != tabPanes) {
        SendMessageA(tabStrip, TCM_DELETEALLITEMS, 0, 0);
        for (size_t t = 0; t < panes.size(); ++t) {
            char title[64];
            loadText(kPanes[panes[t]]->titleId, title, sizeof title);
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            item.pszText = title;
            SendMessageA(tabStrip, TCM_INSERTITEMA, t, reinterpret_cast<LPARAM>(&item));
        }
        tabPanes = panes;
    }
    for (size_t t = 0; t < tabPanes.size(); ++t) {
        if (kPanes[tabPanes[t]] == front) SendMessageA(tabStrip, TCM_SETCURSEL, t, 0);
    }
}

// The tab strip above the panes, as high as its tabs; 0 when it is not needed.
int placeTabs(const PaneHooks* front, int left, int width) {
    if (shownCount() < 2) {
        if (tabStrip != nullptr && IsWindowVisible(tabStrip)) ShowWindow(tabStrip, SW_HIDE);
        return 0;
    }
    if (tabStrip == nullptr) {
        tabStrip = CreateWindowExA(0, WC_TABCONTROLA, nullptr, WS_CHILD | WS_CLIPSIBLINGS | TCS_FOCUSNEVER, 0, 0, 0,
                                   0, win().clientWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PANE_TABS)),
                                   appInstance, nullptr);
        if (tabStrip == nullptr) return 0;
        SendMessageA(tabStrip, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        tabPanes.clear();
    }
    fillTabs(front);
    RECT r{0, 0, width, 1000};
    SendMessageA(tabStrip, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    const int height = r.top;
    MoveWindow(tabStrip, left, 0, width, height, TRUE);
    if (!IsWindowVisible(tabStrip)) ShowWindow(tabStrip, SW_SHOWNA);
    return height;
}

void showPane(HWND frame, const PaneHooks& p, bool shown) {
    EditorWindows& w = win();
    HWND& window = p.window();
    if (shown && window == nullptr && w.clientWindow != nullptr) {
        window = CreateWindowExA(0, p.className, nullptr, WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, w.clientWindow,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(p.controlId)), appInstance, nullptr);
    }
    PanePlacement& placement = p.placement(*editorState);
    if (window == nullptr) placement.shown = 0;
    if (HMENU menu = frame != nullptr ? GetMenu(frame) : nullptr) {
        CheckMenuItem(menu, static_cast<UINT>(p.command),
                      MF_BYCOMMAND | (placement.shown != 0 ? MF_CHECKED : MF_UNCHECKED));
    }
    if (window == nullptr) return;
    if (!shown) {
        p.hiding();
        focusViewFrom(window);
        ShowWindow(window, SW_HIDE);
    }
    panePlacementChanged();
    p.follow();
}

}  // namespace

size_t paneCount() { return sizeof kPanes / sizeof kPanes[0]; }

const PaneHooks& paneAt(size_t index) { return *kPanes[index]; }

int registerPaneClasses() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    for (const PaneHooks* p : kPanes) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_HREDRAW | CS_VREDRAW | p->classStyle;
        wc.lpfnWndProc = p->windowProc;
        wc.hInstance = appInstance;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = p->className;
        if (RegisterClassExA(&wc) == 0) return 0;
    }
    return 1;
}

void unregisterPaneClasses() {
    for (const PaneHooks* p : kPanes) UnregisterClassA(p->className, appInstance);
}

void restorePanes(HWND frame) {
    if (!haveWindows()) return;
    for (const PaneHooks* p : kPanes) {
        if (p->placement(*editorState).shown != 0) showPane(frame, *p, true);
    }
}

void destroyPanes() {
    if (!haveWindows()) return;
    for (const PaneHooks* p : kPanes) releaseField(p->window(), DestroyWindow);
    releaseField(tabStrip, DestroyWindow);
    tabPanes.clear();
}

bool paneCommand(HWND frame, int id) {
    for (const PaneHooks* p : kPanes) {
        if (p->command != id) continue;
        if (!haveWindows()) return true;
        EditorState& s = *editorState;
        PanePlacement& placement = p->placement(s);
        if (isShown(*p) && frontPane() != p) {
            HWND before = frontPane()->window();
            bringToFront(*p);
            const bool hadFocus = holdsFocus(before);
            panePlacementChanged();
            p->follow();
            if (hadFocus) SetFocus(p->window());
            return true;
        }
        // A pane shown beside others comes to the front; alone, it needs no choice kept.
        const bool others = shownCount() > (isShown(*p) ? 1 : 0);
        placement.shown = placement.shown != 0 ? 0 : 1;
        p->placementChanged(s) = 1;
        if (placement.shown != 0 && others) bringToFront(*p);
        showPane(frame, *p, placement.shown != 0);
        return true;
    }
    return false;
}

int32_t paneAreaWidth(int32_t containerWidth) {
    if (!haveWindows()) return 0;
    const PaneHooks* front = frontPane();
    return front != nullptr ? front->width(*editorState, containerWidth) : 0;
}

void placePanes(int left, int width, int height) {
    if (!haveWindows()) return;
    const PaneHooks* front = frontPane();
    const int top = front != nullptr && width > 0 ? placeTabs(front, left, width) : 0;
    for (const PaneHooks* p : kPanes) {
        HWND window = p->window();
        if (window == nullptr) continue;
        if (p != front || width <= 0) {
            if (IsWindowVisible(window)) {
                focusViewFrom(window);
                ShowWindow(window, SW_HIDE);
            }
            continue;
        }
        MoveWindow(window, left, top, width, height - top, TRUE);
        // A new font or colours may keep the size: the next paint looks at them.
        InvalidateRect(window, nullptr, FALSE);
        if (!IsWindowVisible(window)) ShowWindow(window, SW_SHOWNA);
    }
}

LRESULT panesNotify(const NMHDR* notification) {
    if (notification == nullptr || tabStrip == nullptr || notification->hwndFrom != tabStrip) return 0;
    if (notification->code != TCN_SELCHANGE || !haveWindows()) return 0;
    const auto tab = static_cast<size_t>(SendMessageA(tabStrip, TCM_GETCURSEL, 0, 0));
    if (tab < tabPanes.size()) paneCommand(mainWindow, kPanes[tabPanes[tab]]->command);
    return 0;
}

bool paneKeepsKey(const MSG& message) {
    if (!haveWindows()) return false;
    for (const PaneHooks* p : kPanes) {
        if (p->window() != nullptr && p->keepsKey(message)) return true;
    }
    return false;
}

int focusedPaneHelp() {
    if (!haveWindows()) return 0;
    for (const PaneHooks* p : kPanes) {
        if (holdsFocus(p->window())) return p->helpId;
    }
    return 0;
}

void panesFollow() {
    // A pane behind another catches up when it comes to the front.
    if (!haveWindows()) return;
    if (const PaneHooks* front = frontPane()) front->follow();
}

namespace {

const PaneHooks* paneOf(HWND window) {
    for (const PaneHooks* p : kPanes) {
        if (window != nullptr && p->window() == window) return p;
    }
    return nullptr;
}

int containerWidth() {
    RECT r{};
    if (win().clientWindow != nullptr) GetClientRect(win().clientWindow, &r);
    return r.right;
}

POINT screenPoint(HWND window, LPARAM lParam) {
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(window, &p);
    return p;
}

}  // namespace

bool paneSplitterMessage(HWND window, UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    result = 0;
    const PaneHooks* pane = haveWindows() ? paneOf(window) : nullptr;
    if (pane == nullptr) return false;
    switch (message) {
        case WM_SETCURSOR: {
            POINT p{};
            GetCursorPos(&p);
            ScreenToClient(window, &p);
            if (LOWORD(lParam) != HTCLIENT || p.x >= kPaneSplitter) return false;
            SetCursor(LoadCursorA(nullptr, IDC_SIZEWE));
            result = TRUE;
            return true;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            if (GET_X_LPARAM(lParam) >= kPaneSplitter) return false;
            SetFocus(window);
            RECT r{};
            GetClientRect(window, &r);
            drag = Drag{window, screenPoint(window, lParam).x, r.right};
            SetCapture(window);
            return true;
        }
        case WM_MOUSEMOVE: {
            if (drag.window != window) return false;
            EditorState& s = *editorState;
            const int dx = screenPoint(window, lParam).x - drag.startX;
            const int32_t width = draggedPaneWidth(drag.startWidth, dx, containerWidth(), s.charWidth);
            PanePlacement& placement = pane->placement(s);
            if (width != placement.width) {
                placement.width = width;
                pane->placementChanged(s) = 1;
                panePlacementChanged();
            }
            return true;
        }
        case WM_LBUTTONUP:
            if (drag.window != window) return false;
            drag.window = nullptr;
            if (GetCapture() == window) ReleaseCapture();
            return true;
        case WM_CAPTURECHANGED:
            if (drag.window == window && reinterpret_cast<HWND>(lParam) != window) drag.window = nullptr;
            return false;
        default: return false;
    }
}

bool paneHasFocus() {
    if (!haveWindows()) return false;
    for (const PaneHooks* p : kPanes) {
        if (holdsFocus(p->window())) return true;
    }
    return false;
}
