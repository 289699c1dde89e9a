// The search and replace dialog (modeless, command 1622) and the find-all
// list it opens. The searching and replacing is the core's (tools/replace.h);
// here the fields are read, the results shown and the view follows.
#include "tools/replace_dialog_win.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "document/dump_row.h"
#include "document/shift_jis.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/document_reset_win.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"
#include "tools/error_box_win.h"
#include "tools/help_win.h"
#include "tools/replace.h"
#include "tools/search.h"
#include "tools/value_entry.h"
#include "view/view_win.h"

namespace {

HWND replaceDialog = nullptr;
HWND findAllDialog = nullptr;

// The find-all list keeps offsets only; its rows are formatted when shown.
struct FoundList {
    std::vector<uint32_t> offsets;
    int32_t length = 0;
};
FoundList foundList;

bool loaded() { return editorState != nullptr && isDocumentLoaded(*editorState); }

uint32_t currentOptions(const EditorState& s) {
    if ((s.searchOptions & searchOptionsSet) != 0) return s.searchOptions;
    uint32_t options = defaultSearchOptions(isKanjiMode()) | searchOptionsSet;
    if (searchAsHex != 0 && s.replaceFindText[0] == '\0') options |= searchHex;
    return options;
}

bool checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void showOptions(HWND dialog, uint32_t options) {
    CheckRadioButton(dialog, IDC_RP_TEXT, IDC_RP_HEX, (options & searchHex) != 0 ? IDC_RP_HEX : IDC_RP_TEXT);
    CheckRadioButton(dialog, IDC_RP_UP, IDC_RP_DOWN, (options & searchUp) != 0 ? IDC_RP_UP : IDC_RP_DOWN);
    CheckDlgButton(dialog, IDC_RP_MATCH_CASE, (options & searchMatchCase) != 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_RP_WHOLE_CHARS, (options & searchWholeChars) != 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_RP_IN_SELECTION, (options & searchInSelection) != 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_RP_WRAP, (options & searchWrap) != 0 ? BST_CHECKED : BST_UNCHECKED);
}

// The fields as they stand are what the next run starts with.
void storeFields(HWND dialog) {
    EditorState& s = *editorState;
    GetDlgItemTextA(dialog, IDC_RP_FIND, s.replaceFindText, kFindTextLength);
    GetDlgItemTextA(dialog, IDC_RP_REPLACE, s.replaceText, kFindTextLength);
    uint32_t options = searchOptionsSet;
    if (checked(dialog, IDC_RP_HEX)) options |= searchHex;
    if (checked(dialog, IDC_RP_UP)) options |= searchUp;
    if (checked(dialog, IDC_RP_MATCH_CASE)) options |= searchMatchCase;
    if (checked(dialog, IDC_RP_WHOLE_CHARS)) options |= searchWholeChars;
    if (checked(dialog, IDC_RP_IN_SELECTION)) options |= searchInSelection;
    if (checked(dialog, IDC_RP_WRAP)) options |= searchWrap;
    s.searchOptions = options;
}

bool readQuery(HWND dialog, bool withReplacement, ReplaceQuery& q) {
    storeFields(dialog);
    SetDlgItemTextA(dialog, IDC_RP_STATUS, "");
    const EditorState& s = *editorState;
    return readReplaceQuery(s.replaceFindText, s.replaceText, s.searchOptions, withReplacement, dialog, q) != 0;
}

void closeFindAll() {
    if (findAllDialog != nullptr) DestroyWindow(findAllDialog);
}

void showReplaced(ReplaceOutcome outcome) {
    if (outcome == ReplaceOutcome::Resized) {
        // The listed offsets no longer point at the matches.
        closeFindAll();
        refreshViewAfterReset();
        bringCaretIntoView();
    } else if (outcome == ReplaceOutcome::Written) {
        repaintView();
        updateToolbarStates();
        if (findAllDialog != nullptr) InvalidateRect(GetDlgItem(findAllDialog, IDC_FA_LIST), nullptr, FALSE);
    }
}

// ---------------------------------------------------------------- find all

void formatListCell(int row, int column, char* out, int size) {
    out[0] = '\0';
    const EditorState& s = *editorState;
    if (row < 0 || static_cast<size_t>(row) >= foundList.offsets.size()) return;
    const uint32_t at = foundList.offsets[static_cast<size_t>(row)];
    if (column == 0) {
        std::snprintf(out, static_cast<size_t>(size), "%08X", at);
        return;
    }
    // An edit of the length since the list was made leaves offsets past the end.
    if (!isDocumentLoaded(s) || static_cast<uint64_t>(at) + foundList.length > s.documentSize) return;
    if (column == 1) {
        int n = 0;
        for (int32_t j = 0; j < foundList.length && n + 4 < size; ++j) {
            n += std::snprintf(out + n, static_cast<size_t>(size - n), j == 0 ? "%02X" : " %02X",
                               s.documentBytes[at + static_cast<uint32_t>(j)]);
        }
        return;
    }
    const int32_t rowStart = static_cast<int32_t>(at & ~15u);
    const int kanji = isKanjiMode();
    // A character that the row before began shows as a blank, as in the view.
    uint8_t pending = 0;
    if (kanji && !isCharacterStart(s.documentBytes, s.documentSize, static_cast<size_t>(rowStart))) {
        pending = s.documentBytes[rowStart - 1];
    }
    char text[kRowTextSize];
    formatDumpRow(s, rowStart, kanji, text, &pending);
    lstrcpynA(out, text + kCharColumnStart, size < 18 ? size : 18);
    for (int n = lstrlenA(out); n > 0 && out[n - 1] == ' '; --n) out[n - 1] = '\0';
}

void goToListedMatch(int row) {
    if (!loaded() || row < 0 || static_cast<size_t>(row) >= foundList.offsets.size()) return;
    EditorState& s = *editorState;
    const uint32_t at = foundList.offsets[static_cast<size_t>(row)];
    if (static_cast<uint64_t>(at) + foundList.length > s.documentSize) return;
    takeMatch(s, at, foundList.length);
    bringCaretIntoView();
}

void addListColumns(HWND list) {
    const int titles[3] = {IDS_COL_ADDRESS, IDS_COL_MATCH, IDS_COL_ROW_TEXT};
    const int widths[3] = {80, 200, 150};
    for (int i = 0; i < 3; ++i) {
        char title[64];
        loadText(titles[i], title, sizeof title);
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = title;
        column.cx = widths[i];
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    const LRESULT extended = SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, extended | LVS_EX_FULLROWSELECT);
}

INT_PTR onListNotify(const NMHDR* header) {
    if (header->idFrom != IDC_FA_LIST) return FALSE;
    if (header->code == LVN_GETDISPINFOA) {
        auto* info = reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header));
        if ((info->item.mask & LVIF_TEXT) != 0 && info->item.pszText != nullptr) {
            formatListCell(info->item.iItem, info->item.iSubItem, info->item.pszText, info->item.cchTextMax);
        }
    } else if (header->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
        if ((change->uNewState & LVIS_SELECTED) != 0 && (change->uOldState & LVIS_SELECTED) == 0) {
            goToListedMatch(change->iItem);
        }
    }
    return TRUE;
}

INT_PTR CALLBACK findAllProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: addListColumns(GetDlgItem(dialog, IDC_FA_LIST)); return TRUE;
        case WM_SIZE:
            MoveWindow(GetDlgItem(dialog, IDC_FA_LIST), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            return TRUE;
        case WM_NOTIFY: return onListNotify(reinterpret_cast<const NMHDR*>(lParam));
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) DestroyWindow(dialog);
            return TRUE;
        case WM_CLOSE: DestroyWindow(dialog); return TRUE;
        case WM_DESTROY:
            findAllDialog = nullptr;
            foundList = FoundList{};  // a million offsets are not kept after the list is gone
            return TRUE;
        default: return FALSE;
    }
}

void showFindAll(std::vector<uint32_t>&& offsets, int32_t length, const char* text) {
    foundList.offsets = std::move(offsets);
    foundList.length = length;
    if (findAllDialog == nullptr) {
        findAllDialog = CreateDialogParamA(appInstance, MAKEINTRESOURCEA(IDD_FIND_ALL), mainWindow, findAllProc, 0);
        if (findAllDialog == nullptr) return;
        centerWindow(findAllDialog, mainWindow, 0, 0);
    }
    char format[128], caption[256];
    loadText(IDS_FIND_ALL_CAPTION, format, sizeof format);
    std::snprintf(caption, sizeof caption, format, text, static_cast<long>(foundList.offsets.size()));
    SetWindowTextA(findAllDialog, caption);
    HWND list = GetDlgItem(findAllDialog, IDC_FA_LIST);
    SendMessageA(list, LVM_SETITEMCOUNT, foundList.offsets.size(), 0);
    InvalidateRect(list, nullptr, FALSE);
    ShowWindow(findAllDialog, SW_SHOW);
}

// ---------------------------------------------------------------- the dialog's buttons

void onFindNext(HWND dialog) {
    ReplaceQuery q;
    if (!loaded() || !readQuery(dialog, false, q)) return;
    showSearchResult(findInDirection(*editorState, dialog, q, editorState->replaceFindText));
}

void onReplace(HWND dialog) {
    ReplaceQuery q;
    if (!loaded() || isEditLocked() || !readQuery(dialog, true, q)) return;
    int found = 0;
    const ReplaceOutcome outcome = replaceCurrentAndFind(*editorState, dialog, q, editorState->replaceFindText, found);
    showReplaced(outcome);
    showSearchResult(found);
}

void onReplaceAll(HWND dialog) {
    ReplaceQuery q;
    if (!loaded() || isEditLocked() || !readQuery(dialog, true, q)) return;
    int64_t count = 0;
    const ReplaceOutcome outcome = replaceAll(*editorState, dialog, q, editorState->replaceFindText, count);
    showReplaced(outcome);
    if (outcome == ReplaceOutcome::Refused) return;
    char format[128], text[160];
    loadText(IDS_REPLACED_COUNT, format, sizeof format);
    std::snprintf(text, sizeof text, format, static_cast<long>(count));
    SetDlgItemTextA(dialog, IDC_RP_STATUS, text);
}

void onFindAll(HWND dialog) {
    ReplaceQuery q;
    if (!loaded() || !readQuery(dialog, false, q)) return;
    std::vector<uint32_t> offsets;
    void* previousCursor = beginWaitCursor();
    const int listed = findAllOffsets(*editorState, dialog, q, offsets);
    endWaitCursor(previousCursor);
    if (!listed) return;
    if (offsets.empty()) {
        reportNotFound(dialog, editorState->replaceFindText);
        return;
    }
    showFindAll(std::move(offsets), q.pattern.length, editorState->replaceFindText);
}

void initReplaceDialog(HWND dialog) {
    EditorState& s = *editorState;
    // The first run offers the search prompt's last text, read as it was.
    const uint32_t options = currentOptions(s);
    if (s.replaceFindText[0] == '\0') lstrcpynA(s.replaceFindText, s.findText, kFindTextLength);
    for (int id : {IDC_RP_FIND, IDC_RP_REPLACE}) SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, kFindTextLength - 1, 0);
    SetDlgItemTextA(dialog, IDC_RP_FIND, s.replaceFindText);
    SetDlgItemTextA(dialog, IDC_RP_REPLACE, s.replaceText);
    showOptions(dialog, options);
    centerWindow(dialog, mainWindow, 0, 0);
}

INT_PTR CALLBACK replaceDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: initReplaceDialog(dialog); return TRUE;
        case WM_HELP: showHelp(dialog, IDH_REPLACE); return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_RP_FIND_NEXT: onFindNext(dialog); return TRUE;
                case IDC_RP_REPLACE_ONE: onReplace(dialog); return TRUE;
                case IDC_RP_REPLACE_ALL: onReplaceAll(dialog); return TRUE;
                case IDC_RP_FIND_ALL: onFindAll(dialog); return TRUE;
                case IDCANCEL: DestroyWindow(dialog); return TRUE;
                default: return FALSE;
            }
        case WM_CLOSE: DestroyWindow(dialog); return TRUE;
        case WM_DESTROY:
            if (editorState != nullptr) storeFields(dialog);
            replaceDialog = nullptr;
            return TRUE;
        default: return FALSE;
    }
}

}  // namespace

void replaceCommand(HWND owner) {
    if (!loaded()) return;
    if (replaceDialog == nullptr) {
        replaceDialog = CreateDialogParamA(appInstance, MAKEINTRESOURCEA(IDD_REPLACE), owner, replaceDialogProc, 0);
        if (replaceDialog == nullptr) return;
        ShowWindow(replaceDialog, SW_SHOW);
    }
    SetActiveWindow(replaceDialog);
    HWND field = GetDlgItem(replaceDialog, IDC_RP_FIND);
    SetFocus(field);
    SendMessageA(field, EM_SETSEL, 0, -1);
}

bool isSearchDialogMessage(MSG& message) {
    for (HWND window : {replaceDialog, findAllDialog}) {
        if (window != nullptr && IsDialogMessageA(window, &message)) return true;
    }
    return false;
}

HWND replaceDialogWindow() { return replaceDialog; }
HWND findAllWindow() { return findAllDialog; }
