#include "tools/instance_list_win.h"

#include <cstring>

#include "resource_ids.h"
#include "platform/platform.h"
#include "shell/editor_state_win.h"
#include "shell/product.h"
#include "tools/error_box_win.h"

namespace {

constexpr int kTitleLength = 276;      // at most 275 characters of a title are read
constexpr int kTitlePrefixLength = 8;  // "MOXEL - "
constexpr int kClassNameLength = 260;

struct Walk {
    int mode;
    HWND listBox;
    const char* path;
    HWND found;
    int added;
};

bool isEditorWindow(HWND window) {
    char className[kClassNameLength];
    if (GetClassNameA(window, className, sizeof className) == 0) return false;
    return std::strcmp(className, kMainClassName) == 0;  // case matters
}

BOOL CALLBACK visitWindow(HWND window, LPARAM context) {
    auto& walk = *reinterpret_cast<Walk*>(context);
    if (!isEditorWindow(window)) return TRUE;
    char file[kPathLength];
    switch (walk.mode) {
    case walkFind:
        if (instanceFileName(window, file) && lstrcmpiA(file, walk.path) == 0) {
            walk.found = window;
            return FALSE;
        }
        break;
    case walkCloseOthers:
        if (window != mainWindow && instanceFileName(window, file)) PostMessageA(window, WM_CLOSE, 0, 0);
        break;
    case walkFillList:
        if (window != mainWindow && instanceFileName(window, file)) {
            LRESULT index = SendMessageA(walk.listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(file));
            if (index != LB_ERR && index != LB_ERRSPACE) {
                SendMessageA(walk.listBox, LB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(window));
                ++walk.added;
            }
        }
        break;
    default:
        return FALSE;
    }
    return TRUE;
}

// The window of the selected entry; null when none is selected.
HWND selectedWindow(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_IL_LIST);
    LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return nullptr;
    LRESULT data = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    if (data == LB_ERR) return nullptr;
    return reinterpret_cast<HWND>(data);
}

void updateButtons(HWND dialog) {
    BOOL selected = SendDlgItemMessageA(dialog, IDC_IL_LIST, LB_GETCURSEL, 0, 0) != LB_ERR;
    EnableWindow(GetDlgItem(dialog, IDOK), selected);
    EnableWindow(GetDlgItem(dialog, IDC_IL_KILL), selected);
}

void activateSelected(HWND dialog) {
    HWND target = selectedWindow(dialog);
    if (target == nullptr) return;
    if (!SetForegroundWindow(target)) showError(dialog, -1, nullptr);
}

void closeSelected(HWND dialog) {
    HWND target = selectedWindow(dialog);
    if (target == nullptr || editorState == nullptr) return;
    HWND list = GetDlgItem(dialog, IDC_IL_LIST);
    LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || length >= kTitleLength) return;
    char path[kTitleLength];
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(path));

    char format[kPathLength];
    loadText(IDS_ASK_CLOSE_INSTANCE, format, sizeof format);
    wsprintfA(editorState->messageText, format, path);
    if (askQuestion(dialog, editorState->messageText, questionYesNo) != answerYes) return;

    // The handle may have gone and been reused since the list was filled:
    // only an editor window is told to close.
    if (isEditorWindow(target)) PostMessageA(target, WM_CLOSE, 0, 0);
    SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    updateButtons(dialog);
    if (SendMessageA(list, LB_GETCOUNT, 0, 0) == 0) EndDialog(dialog, 1);
}

}  // namespace

bool instanceFileName(HWND window, char* out) {
    if (out == nullptr) return false;
    out[0] = '\0';
    char title[kTitleLength];
    int n = GetWindowTextA(window, title, sizeof title);
    if (n < kTitlePrefixLength) return false;
    lstrcpynA(out, title + kTitlePrefixLength, kPathLength);
    return true;
}

int enumerateInstances(HWND listBox, int mode, const char* path, HWND* found) {
    if (found != nullptr) *found = nullptr;
    if (mode == walkFind && (path == nullptr || *path == '\0')) return 0;
    if (mode == walkFillList && listBox == nullptr) return 0;
    Walk walk{mode, listBox, path, nullptr, 0};
    EnumWindows(visitWindow, reinterpret_cast<LPARAM>(&walk));
    switch (mode) {
    case walkFind:
        if (found != nullptr) *found = walk.found;
        return walk.found != nullptr ? 1 : 0;
    case walkFillList:
        return walk.added;
    default:
        return 0;
    }
}

HWND findInstanceWindow(const char* path) {
    HWND found = nullptr;
    enumerateInstances(nullptr, walkFind, path, &found);
    return found;
}

void closeOtherInstances() { enumerateInstances(nullptr, walkCloseOthers, nullptr); }

int listOtherInstances(HWND listBox) { return enumerateInstances(listBox, walkFillList, nullptr); }

INT_PTR CALLBACK instanceListDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        if (listOtherInstances(GetDlgItem(dialog, IDC_IL_LIST)) == 0) {
            EndDialog(dialog, 0);
            return FALSE;  // no focus for a dialog that never shows
        }
        updateButtons(dialog);
        // Out of the way, in the top-right corner of the screen.
        centerWindow(dialog, GetDesktopWindow(), 5000, -5000);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_IL_LIST:
            if (HIWORD(wParam) == LBN_SELCHANGE) {
                updateButtons(dialog);
            } else if (HIWORD(wParam) == LBN_DBLCLK) {
                PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            }
            return TRUE;
        case IDOK:
            activateSelected(dialog);
            return TRUE;
        case IDC_IL_KILL:
            closeSelected(dialog);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

void instanceListCommand(HWND owner) {
    DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_INSTANCE_LIST), owner, instanceListDialog, 0);
}
