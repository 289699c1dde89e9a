#include "tools/about_win.h"

#include "platform/platform.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/product.h"
#include "tools/error_box_win.h"

namespace {

// One process-wide font, made when the box opens and deleted when it closes.
HFONT nameFont = nullptr;

void deleteNameFont() {
    if (nameFont != nullptr) {
        DeleteObject(nameFont);
        nameFont = nullptr;
    }
}

void makeNameFont(HWND dialog) {
    auto dialogFont = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    LOGFONTA lf;
    if (dialogFont == nullptr || GetObjectA(dialogFont, sizeof lf, &lf) == 0) return;
    HWND name = GetDlgItem(dialog, IDC_AB_NAME);
    RECT r{};
    GetClientRect(name, &r);
    lf.lfWeight = FW_BOLD;
    lf.lfHeight = r.top - r.bottom + 1;  // character height one pixel less than the control's
    deleteNameFont();
    nameFont = CreateFontIndirectA(&lf);
    if (nameFont != nullptr) SendMessageA(name, WM_SETFONT, reinterpret_cast<WPARAM>(nameFont), FALSE);
}

void onInit(HWND dialog) {
    makeNameFont(dialog);
    SetDlgItemTextA(dialog, IDC_AB_NAME, kProductName);
    char format[64];
    char version[64];
    loadText(IDS_FMT_VERSION, format, sizeof format);
    wsprintfA(version, format, kProductVersion);
    SetDlgItemTextA(dialog, IDC_AB_VERSION, version);
    char description[260];
    loadText(IDS_DESCRIPTION, description, sizeof description);
    SetDlgItemTextA(dialog, IDC_AB_DESCRIPTION, description);
    centerWindow(dialog, mainWindow, 0, 0);
    animateDialog(dialog, 1);
}

}  // namespace

HFONT aboutNameFont() { return nameFont; }

INT_PTR CALLBACK aboutDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: onInit(dialog); return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                deleteNameFont();
                animateDialog(dialog, 0);
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        case WM_DESTROY:
            // However the box ends, the font goes with it.
            deleteNameFont();
            return FALSE;
        default: return FALSE;
    }
}

void aboutCommand(HWND owner) {
    DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_ABOUT), owner, aboutDialog, 0);
}
