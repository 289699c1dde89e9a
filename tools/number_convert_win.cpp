#include "tools/number_convert_win.h"

#include "platform/platform.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "tools/number_convert.h"

int conversionGuard = 0;

namespace {

constexpr int kFieldLength = 260;  // at most 259 characters of a field are read

void copyHexField(HWND dialog) {
    char text[kFieldLength];
    if (GetDlgItemTextA(dialog, IDC_NC_HEX, text, sizeof text) > 0) putClipboardText(dialog, text);
}

}  // namespace

void syncNumberFields(HWND dialog, int field) {
    if (conversionGuard != 0) return;
    char text[kFieldLength];
    GetDlgItemTextA(dialog, field, text, sizeof text);
    const NumberSync sync = syncNumberText(field, text);
    switch (sync.outcome) {
        case SyncOutcome::Nothing: return;
        case SyncOutcome::Beep: MessageBeep(0); return;
        case SyncOutcome::Write: break;
    }
    conversionGuard = field;
    // The edited field keeps what the user typed.
    if (field != IDC_NC_DECIMAL) SetDlgItemInt(dialog, IDC_NC_DECIMAL, sync.value, FALSE);
    if (field != IDC_NC_HEX) SetDlgItemTextA(dialog, IDC_NC_HEX, sync.hexText);
    if (field != IDC_NC_BINARY) SetDlgItemTextA(dialog, IDC_NC_BINARY, sync.binaryText);
    conversionGuard = 0;
}

INT_PTR CALLBACK numberConversionDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: {
            // Its change notification fills the other two fields.
            char text[16];
            wsprintfA(text, "%ld", static_cast<long>(editorState != nullptr ? editorState->caretOffset : 0));
            SetDlgItemTextA(dialog, IDC_NC_DECIMAL, text);
            return TRUE;
        }
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            switch (id) {
                case IDC_NC_HEX:
                case IDC_NC_DECIMAL:
                case IDC_NC_BINARY:
                    if (HIWORD(wParam) == EN_CHANGE) syncNumberFields(dialog, id);
                    return TRUE;
                case IDOK: copyHexField(dialog); return TRUE;
                case IDCANCEL: EndDialog(dialog, 0); return TRUE;
                default: return FALSE;
            }
        }
        default: return FALSE;
    }
}

void numberConversionCommand(HWND owner) {
    if (DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_NUMBER_CONVERSION), owner, numberConversionDialog, 0) ==
        -1) {
        showError(owner, -1, nullptr);
    }
}
