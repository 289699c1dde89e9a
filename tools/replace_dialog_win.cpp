// The search and replace dialog (modeless, command 1622) and the find-all
// list it opens. The searching and replacing is the core's (tools/replace.h);
// here the fields are read, the results shown and the view follows.
#include "tools/replace_dialog_win.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
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
#include "tools/progress_win.h"
#include "tools/replace.h"
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

// The check boxes and the radio buttons that stand for one option bit each.
struct OptionButton {
    int id;
    uint32_t bit;
};
constexpr OptionButton kOptionButtons[] = {
    {IDC_RP_HEX, searchHex},
    {IDC_RP_BY_KIND, searchByKind},
    {IDC_RP_BIG_ENDIAN, searchBigEndian},
    {IDC_RP_UP, searchUp},
    {IDC_RP_MATCH_CASE, searchMatchCase},
    {IDC_RP_WHOLE_CHARS, searchWholeChars},
    {IDC_RP_IN_SELECTION, searchInSelection},
    {IDC_RP_WRAP, searchWrap},
};

// The names of the kinds in the combo box, in SearchKind order.
constexpr int kKindNames[kSearchKindCount] = {
    IDS_INSPECT_INT8,  IDS_INSPECT_UINT8,   IDS_INSPECT_INT16,   IDS_INSPECT_UINT16,  IDS_INSPECT_INT32,
    IDS_INSPECT_UINT32, IDS_INSPECT_INT64,  IDS_INSPECT_UINT64,  IDS_INSPECT_FLOAT32, IDS_INSPECT_FLOAT64,
    IDS_KIND_UTF16LE,  IDS_KIND_UTF16BE,    IDS_KIND_UTF8};

uint32_t optionsShown(HWND dialog) {
    uint32_t options = searchOptionsSet;
    for (const OptionButton& b : kOptionButtons) {
        if (checked(dialog, b.id)) options |= b.bit;
    }
    const LRESULT kind = SendDlgItemMessageA(dialog, IDC_RP_KIND, CB_GETCURSEL, 0, 0);
    return withSearchKind(options, static_cast<SearchKind>(kind > 0 ? kind : 0));
}

// The options that do nothing for the chosen kind are greyed.
void showApplicableOptions(HWND dialog) {
    const uint32_t options = optionsShown(dialog);
    EnableWindow(GetDlgItem(dialog, IDC_RP_BIG_ENDIAN), searchesMultiByteValue(options));
    EnableWindow(GetDlgItem(dialog, IDC_RP_MATCH_CASE), searchesText(options));
    EnableWindow(GetDlgItem(dialog, IDC_RP_WHOLE_CHARS), searchesBytes(options));
}

void showOptions(HWND dialog, uint32_t options) {
    for (const OptionButton& b : kOptionButtons) {
        CheckDlgButton(dialog, b.id, (options & b.bit) != 0 ? BST_CHECKED : BST_UNCHECKED);
    }
    // One of each group: hexadecimal and a kind take the place of text, up that of down.
    if ((options & searchByKind) != 0) CheckDlgButton(dialog, IDC_RP_HEX, BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_RP_TEXT, (options & (searchHex | searchByKind)) == 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_RP_DOWN, (options & searchUp) == 0 ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageA(dialog, IDC_RP_KIND, CB_SETCURSEL, static_cast<WPARAM>(searchKind(options)), 0);
    showApplicableOptions(dialog);
}

// Choosing a kind in the list searches by kind.
void onKindChosen(HWND dialog) {
    CheckDlgButton(dialog, IDC_RP_TEXT, BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_RP_HEX, BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_RP_BY_KIND, BST_CHECKED);
    showApplicableOptions(dialog);
}

// The fields as they stand are what the next run starts with.
void storeFields(HWND dialog) {
    EditorState& s = *editorState;
    GetDlgItemTextA(dialog, IDC_RP_FIND, s.replaceFindText, kFindTextLength);
    GetDlgItemTextA(dialog, IDC_RP_REPLACE, s.replaceText, kFindTextLength);
    s.searchOptions = optionsShown(dialog);
}

// A text as the core reads it: the UTF kinds take UTF-8, and the fields hold
// the system code page.
std::string coreText(const char* typed, uint32_t options) {
    if (!searchesUnicodeText(options)) return typed;
    wchar_t wide[kFindTextLength];
    char utf8[4 * kFindTextLength];
    if (MultiByteToWideChar(CP_ACP, 0, typed, -1, wide, kFindTextLength) == 0 ||
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr) == 0) {
        return std::string();
    }
    return utf8;
}

bool buildQuery(HWND owner, const char* find, const char* replace, uint32_t options, bool withReplacement,
                ReplaceQuery& q) {
    return readReplaceQuery(coreText(find, options).c_str(), coreText(replace, options).c_str(), options,
                            withReplacement, owner, q) != 0;
}

bool readQuery(HWND dialog, bool withReplacement, ReplaceQuery& q) {
    storeFields(dialog);
    SetDlgItemTextA(dialog, IDC_RP_STATUS, "");
    const EditorState& s = *editorState;
    return buildQuery(dialog, s.replaceFindText, s.replaceText, s.searchOptions, withReplacement, q);
}

// The dialog searched: find next and find previous repeat this search now.
void rememberSearch() {
    EditorState& s = *editorState;
    lstrcpynA(s.repeatFindText, s.replaceFindText, kFindTextLength);
    s.repeatOptions = s.searchOptions;
    updateToolbarStates();
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

// A search under the progress window. Its match is taken (or its absence
// reported) once the window is gone; false when it was cancelled.
bool searchWithProgress(HWND owner, const ReplaceQuery& q, const char* text,
                        const std::function<int64_t(const ProgressStep&)>& search) {
    int64_t hit;
    {
        ProgressRun run(owner, IDS_PROGRESS_SEARCH);
        hit = search(run.callback());
    }
    if (hit == kSearchCancelled) return false;
    showSearchResult(settleSearch(*editorState, owner, text, hit, q.pattern.length));
    return true;
}

void onFindNext(HWND dialog) {
    ReplaceQuery q;
    if (!loaded() || !readQuery(dialog, false, q)) return;
    const auto next = [&](const ProgressStep& step) { return nextMatchInDirection(*editorState, q, step); };
    if (searchWithProgress(dialog, q, editorState->replaceFindText, next)) rememberSearch();
}

// Replace writes first and then looks for the next match: that search
// cannot be undone by a Cancel, so it runs without one.
void onReplace(HWND dialog) {
    ReplaceQuery q;
    if (!loaded() || isEditLocked() || !readQuery(dialog, true, q)) return;
    int found = 0;
    const ReplaceOutcome outcome = replaceCurrentAndFind(*editorState, dialog, q, editorState->replaceFindText, found);
    rememberSearch();
    showReplaced(outcome);
    showSearchResult(found);
}

// Every match is found first, which a Cancel may stop before anything is
// written; the writing itself is quick.
void onReplaceAll(HWND dialog) {
    ReplaceQuery q;
    if (!loaded() || isEditLocked() || !readQuery(dialog, true, q)) return;
    std::vector<uint32_t> offsets;
    {
        ProgressRun run(dialog, IDS_PROGRESS_REPLACE_ALL);
        if (!findAllOffsets(*editorState, dialog, q, offsets, run.callback())) return;
    }
    rememberSearch();
    int64_t count = 0;
    const ReplaceOutcome outcome = replaceListed(*editorState, dialog, q, editorState->replaceFindText, offsets, count);
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
    {
        ProgressRun run(dialog, IDS_PROGRESS_FIND_ALL);
        if (!findAllOffsets(*editorState, dialog, q, offsets, run.callback())) return;
    }
    rememberSearch();
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
    for (int name : kKindNames) {
        char text[64];
        loadText(name, text, sizeof text);
        SendDlgItemMessageA(dialog, IDC_RP_KIND, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
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
                case IDC_RP_TEXT:
                case IDC_RP_HEX:
                case IDC_RP_BY_KIND: showApplicableOptions(dialog); return TRUE;
                case IDC_RP_KIND:
                    if (HIWORD(wParam) == CBN_SELCHANGE) onKindChosen(dialog);
                    return TRUE;
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

void repeatDialogSearch(HWND owner, bool backward) {
    if (!loaded() || editorState->repeatOptions == 0) return;
    EditorState& s = *editorState;
    ReplaceQuery q;
    if (!buildQuery(owner, s.repeatFindText, "", s.repeatOptions, false, q)) return;
    searchWithProgress(owner, q, s.repeatFindText,
                       [&](const ProgressStep& step) { return repeatedMatch(s, q, backward, step); });
}

HWND replaceDialogWindow() { return replaceDialog; }
HWND findAllWindow() { return findAllDialog; }
