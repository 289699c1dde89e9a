#include "tools/value_entry_win.h"

#include <string>

#include "document/edit.h"
#include "resource_ids.h"
#include "shell/editor_state_win.h"
#include "shell/open_file_win.h"
#include "tools/error_box_win.h"

namespace {

// One open dialog. The edit box cannot hold every byte string as it is (a
// lead byte without a valid trail byte comes back as another character), so
// the text as the box shows it is kept beside the given one: what the user
// left as it was stays the given bytes, byte for byte.
struct EntryDialog {
    ValueEntryRequest* request;
    std::string given;
    std::string shown;
};

EntryDialog* entryOf(HWND dialog) { return reinterpret_cast<EntryDialog*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

// The control that takes the text: the combo box when a file is asked for.
HWND inputControl(HWND dialog, const ValueEntryRequest& request) {
    return GetDlgItem(dialog, request.mode == CompareFile ? IDC_VE_COMBO : IDC_VE_EDIT);
}

// Focus through the dialog manager, so that the text in the control is selected.
void focusInput(HWND dialog, const ValueEntryRequest& request) {
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(inputControl(dialog, request)), TRUE);
}

// The whole text of a control, whatever its length.
std::string controlText(HWND control) {
    int length = GetWindowTextLengthA(control);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int got = GetWindowTextA(control, text.data(), length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

void show(HWND dialog, int id, bool visible) { ShowWindow(GetDlgItem(dialog, id), visible ? SW_SHOW : SW_HIDE); }

void fillRecentFiles(HWND dialog, const EditorState& s) {
    HWND combo = GetDlgItem(dialog, IDC_VE_COMBO);
    const char* paths[kRecentFileCount];
    int n = compareCandidates(s, paths);
    for (int i = 0; i < n; ++i) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(paths[i]));
    if (n > 0) SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

BOOL onInitDialog(HWND dialog, EntryDialog& entry) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&entry));
    ValueEntryRequest& request = *entry.request;
    const EditorState& s = *editorState;
    const bool compare = request.mode == CompareFile;
    const bool radios = request.mode < kRadioModeLimit;
    show(dialog, IDC_VE_EDIT, !compare);
    show(dialog, IDC_VE_COMBO, compare);
    show(dialog, IDC_VE_BROWSE, compare);
    show(dialog, IDC_VE_DECIMAL, radios);
    show(dialog, IDC_VE_HEX, radios);

    int hex = s.hexInput;
    if (request.mode == SearchText) {
        char label[64];
        loadText(IDS_TEXT_RADIO, label, sizeof label);
        SetDlgItemTextA(dialog, IDC_VE_DECIMAL, label);
        hex = searchAsHex;
    }
    CheckRadioButton(dialog, IDC_VE_DECIMAL, IDC_VE_HEX, hex != 0 ? IDC_VE_HEX : IDC_VE_DECIMAL);

    char prompt[kMessageTextLength];
    valueEntryPrompt(s, request.mode, prompt, sizeof prompt);
    if (compare) fillRecentFiles(dialog, s);
    SetDlgItemTextA(dialog, IDC_VE_PROMPT, prompt);
    request.text[sizeof request.text - 1] = '\0';
    entry.given = request.text;
    SetDlgItemTextA(dialog, IDC_VE_EDIT, request.text);
    entry.shown = controlText(GetDlgItem(dialog, IDC_VE_EDIT));

    centerWindow(dialog, GetWindow(dialog, GW_OWNER), 0, 0);
    focusInput(dialog, request);
    return FALSE;  // the focus is set
}

void onBrowse(HWND dialog) {
    HWND combo = GetDlgItem(dialog, IDC_VE_COMBO);
    std::string current = controlText(combo);
    char chosen[kPathLength];
    // A name longer than a path holds cannot be a starting point.
    const char* initial = current.size() < kPathLength ? current.c_str() : "";
    if (chooseFileName(dialog, chosen, 1, initial)) SetWindowTextA(combo, chosen);
}

void onOk(HWND dialog, const EntryDialog& entry) {
    ValueEntryRequest& request = *entry.request;
    if (request.mode == CompareFile) {
        std::string file = controlText(GetDlgItem(dialog, IDC_VE_COMBO));
        if (!file.empty()) SetDlgItemTextA(dialog, IDC_VE_EDIT, file.c_str());
    }
    const bool hexChecked = IsDlgButtonChecked(dialog, IDC_VE_HEX) == BST_CHECKED;
    const std::string typed =
        textAsEdited(entry.given, entry.shown, controlText(GetDlgItem(dialog, IDC_VE_EDIT)));
    if (confirmValueEntry(*editorState, dialog, request, hexChecked, typed.c_str())) {
        EndDialog(dialog, 1);
    } else {
        focusInput(dialog, request);
    }
}

INT_PTR CALLBACK valueEntryDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return onInitDialog(dialog, *reinterpret_cast<EntryDialog*>(lParam));
        case WM_COMMAND: {
            EntryDialog* entry = entryOf(dialog);
            if (entry == nullptr) break;
            switch (LOWORD(wParam)) {
                case IDOK: onOk(dialog, *entry); return TRUE;
                case IDCANCEL: EndDialog(dialog, 0); return TRUE;
                case IDC_VE_BROWSE:
                    if (entry->request->mode == CompareFile) onBrowse(dialog);
                    return TRUE;
                default: break;
            }
            break;
        }
        default: break;
    }
    return FALSE;
}

}  // namespace

int runValueEntry(HWND owner, ValueEntryRequest& request) {
    if (editorState == nullptr) return 0;
    EntryDialog entry{&request, {}, {}};
    INT_PTR result = DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_VALUE_ENTRY), owner, valueEntryDialog,
                                     reinterpret_cast<LPARAM>(&entry));
    return result == 1 ? 1 : 0;
}
