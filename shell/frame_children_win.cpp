#include "shell/frame_children_win.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <cstring>

#include "platform/process_win.h"
#include "resource_ids.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"
#include "shell/panes_win.h"
#include "shell/product.h"

namespace {

HWND createChild(DWORD exStyle, const char* className, HWND parent) {
    return CreateWindowExA(exStyle, className, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(-1)), appInstance, nullptr);
}

// The print setup starts empty: the system's default printer until the user chooses one.
void initPrintSetup(HWND owner) {
    PRINTDLGA& p = win().printSetup;
    std::memset(&p, 0, sizeof p);
    p.lStructSize = sizeof p;
    p.Flags = PD_RETURNDC;
    p.hwndOwner = owner;
}

}  // namespace

unsigned comctlVersion(const char* libraryName) {
    HMODULE library = LoadLibraryA(libraryName);
    if (library == nullptr) return 0;
    unsigned version = 0;
    auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(GetProcAddress(library, "DllGetVersion")));
    if (getVersion != nullptr) {
        DLLVERSIONINFO info{};
        info.cbSize = sizeof info;
        if (SUCCEEDED(getVersion(&info))) {
            version = (static_cast<unsigned>(info.dwMajorVersion) << 16) | (info.dwMinorVersion & 0xFFFFu);
        }
    }
    FreeLibrary(library);
    return version;
}

int createFrameChildren(HWND frame) {
    EditorWindows& w = win();
    unsigned version = comctlVersion("COMCTL32.DLL");

    w.toolbarWindow = CreateToolbarEx(frame, WS_CHILD | WS_VISIBLE | WS_BORDER | TBSTYLE_TOOLTIPS, IDC_TOOLBAR,
                                      kToolbarImageCount, appInstance, IDB_TOOLBAR, toolbarButtons,
                                      kToolbarButtonCount, 0, 0, 16, 16, sizeof(TBBUTTON));
    if (w.toolbarWindow == nullptr) return 0;
    if (version >= kFlatToolbarVersion) {
        auto style = static_cast<DWORD>(SendMessageA(w.toolbarWindow, TB_GETSTYLE, 0, 0));
        if ((style & TBSTYLE_FLAT) == 0) {
            SendMessageA(w.toolbarWindow, TB_SETSTYLE, 0, style | TBSTYLE_FLAT);
            InvalidateRect(w.toolbarWindow, nullptr, TRUE);
            UpdateWindow(w.toolbarWindow);
        }
    }

    w.statusWindow = CreateStatusWindowA(WS_CHILD | WS_VISIBLE | WS_BORDER, "", frame, IDC_STATUSBAR);
    if (w.statusWindow == nullptr) return 0;
    setStatusParts();

    w.clientWindow = createChild(WS_EX_CLIENTEDGE, kClientClassName, frame);
    if (w.clientWindow == nullptr) return 0;
    w.labelWindow = createChild(0, kLabelClassName, w.clientWindow);
    if (w.labelWindow == nullptr) return 0;
    w.viewWindow = createChild(0, kViewClassName, w.clientWindow);
    if (w.viewWindow == nullptr) return 0;

    initPrintSetup(frame);
    updateToolbarStates();
    if (editorState->options[startKanji] != 0) {
        if (HMENU menu = GetMenu(frame)) CheckMenuItem(menu, IDM_KANJI, MF_BYCOMMAND | MF_CHECKED);
    }
    editorState->hexInput = editorState->options[startHex];
    restorePanes(frame);
    return 1;
}

LRESULT CALLBACK clientWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETFOCUS && editorState != nullptr && win().viewWindow != nullptr) {
        SetFocus(win().viewWindow);
        return 0;
    }
    if (message == WM_NOTIFY) return panesNotify(reinterpret_cast<const NMHDR*>(lParam));
    return DefWindowProcA(window, message, wParam, lParam);
}
