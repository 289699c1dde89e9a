// Dialog 1103 in its two modes: the change history, whose button reverts the
// selected rows, and the compare result, whose button moves the caret to the
// selected difference.
#include "document/change_list_dialog_win.h"

#include <commctrl.h>

#include <new>
#include <utility>
#include <vector>

#include "document/history.h"
#include "document/record_list.h"
#include "platform/platform.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/file_name.h"
#include "shell/layout_win.h"
#include "tools/compare.h"
#include "tools/error_box_win.h"
#include "tools/mapped_file_win.h"
#include "view/view_win.h"

namespace {

constexpr int kCellLength = 16;  // at most 15 characters of a cell are read back
constexpr int kColumnWidths[3] = {100, 70, 70};
constexpr int kHistoryTitles[3] = {IDS_COL_ADDRESS, IDS_COL_NIBBLE, IDS_COL_VALUE};
constexpr int kCompareTitles[3] = {IDS_COL_ADDRESS, IDS_COL_SOURCE, IDS_COL_TARGET};

// The dialog is modal, so one process-wide session serves; it lives from
// WM_INITDIALOG to WM_DESTROY.
struct ChangeListSession {
    const ValueEntryRequest* request = nullptr;  // null: history mode
    bool ownerData = false;  // the history of editing without limits: rows asked for as shown
};
ChangeListSession session;

bool compareMode() { return session.request != nullptr; }

// The compare's rows live in the state, where the view finds the differences.
const CompareRows& compareRows() {
    static const CompareRows none;
    return editorState->compareRows != nullptr ? *editorState->compareRows : none;
}

HWND listOf(HWND dialog) { return GetDlgItem(dialog, IDC_CL_LIST); }

int rowCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

int nextSelected(HWND list, int after) {
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(after), LVNI_SELECTED));
}

void insertColumns(HWND list, const int (&titles)[3]) {
    for (int i = 0; i < 3; ++i) {
        char title[64];
        loadText(titles[i], title, sizeof title);
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = kColumnWidths[i];
        column.pszText = title;
        column.iSubItem = i;
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
}

void setCell(HWND list, int row, int column, char* text) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void readCell(HWND list, int row, int column, char (&out)[kCellLength]) {
    out[0] = '\0';
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = out;
    item.cchTextMax = kCellLength;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// Right edge on the view's right edge, top on the view's top; size and z-order stay.
void placeBesideView(HWND dialog) {
    if (editorState == nullptr || editorState->windows == nullptr || win().viewWindow == nullptr) return;
    RECT d{}, v{};
    GetWindowRect(dialog, &d);
    GetWindowRect(win().viewWindow, &v);
    SetWindowPos(dialog, nullptr, d.left + (v.right - d.right), v.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------- history

void fillHistory(HWND list) {
    const EditorState& s = *editorState;
    if (s.changeList == nullptr) return;
    int row = 0;
    for (int i = 0; i < s.changeCount && i < kRecordListSlots; ++i) {
        const NibbleRecord* record = s.changeList[i];
        if (record == nullptr) continue;
        ChangeRowTexts t = changeRowTexts(*record);
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = t.address;
        if (SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) == -1) break;
        setCell(list, row, 1, t.nibble);
        setCell(list, row, 2, t.value);
        ++row;
    }
}

// Editing without limits keeps any number of records: the list asks for a
// row's texts only when it shows them, so it opens at once with a million.
void fillOwnerDataHistory(HWND list) {
    const int32_t count = recordCount(*editorState, RecordList::Change);
    SendMessageA(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOINVALIDATEALL);
}

void supplyHistoryRow(NMLVDISPINFOA& info) {
    LVITEMA& item = info.item;
    if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) return;
    const NibbleRecord record = recordAt(*editorState, RecordList::Change, item.iItem);
    if (record.offset < 0) {
        item.pszText[0] = '\0';
        return;
    }
    ChangeRowTexts t = changeRowTexts(record);
    const char* text = item.iSubItem == 0 ? t.address : item.iSubItem == 1 ? t.nibble : t.value;
    lstrcpynA(item.pszText, text, item.cchTextMax);
}

// The selected rows' records reverted as one step; the list then shows the
// records that are left, with nothing selected.
void revertSelectedRecords(HWND list) {
    std::vector<RevertRow> named;
    void* cursor = beginWaitCursor();
    for (int row = nextSelected(list, -1); row >= 0; row = nextSelected(list, row)) {
        const NibbleRecord record = recordAt(*editorState, RecordList::Change, row);
        if (record.offset < 0) continue;
        const uint8_t saved = record.nibble == 1 ? (record.byteValue & 0x0F) : (record.byteValue >> 4);
        named.push_back(RevertRow{record.offset, record.nibble, saved});
    }
    if (!named.empty()) revertChanges(*editorState, named);
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    SendMessageA(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(recordCount(*editorState, RecordList::Change)), 0);
    InvalidateRect(list, nullptr, TRUE);
    updateToolbarStates();
    repaintView();
    endWaitCursor(cursor);
}

bool isSelected(HWND list, int row) {
    return (SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

// Any number of rows in one pass over the records, and the list redrawn once
// (a deletion with its redraw per row takes seconds for a full list).
void revertSelectedRows(HWND list) {
    const int first = nextSelected(list, -1);
    const int selected = static_cast<int>(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
    if (first < 0 || selected <= 0) return;
    std::vector<int> rows;
    std::vector<RevertRow> named;
    rows.reserve(static_cast<size_t>(selected));
    named.reserve(static_cast<size_t>(selected));
    void* cursor = beginWaitCursor();
    const int count = rowCount(list);
    for (int row = first; row < count && static_cast<int>(rows.size()) < selected; ++row) {
        if (!isSelected(list, row)) continue;
        char address[kCellLength], nibble[kCellLength], value[kCellLength];
        readCell(list, row, 0, address);
        readCell(list, row, 1, nibble);
        readCell(list, row, 2, value);
        rows.push_back(row);
        named.push_back(revertRowFromTexts(address, nibble, value));
    }
    const std::vector<uint8_t> reverted = revertChanges(*editorState, named);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    // Last first, so that the indices still to delete stay valid.
    for (size_t i = rows.size(); i-- > 0;) {
        if (reverted[i]) SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(rows[i]), 0);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    updateToolbarStates();
    repaintView();
    endWaitCursor(cursor);
}

// ---------------------------------------------------------------- compare

// The template's list keeps every row's texts itself; a compare may list
// millions, so it gets an owner-data list of the same look in the same place,
// which asks for a row's texts only when it shows them.
HWND replaceWithOwnerDataList(HWND dialog) {
    HWND old = listOf(dialog);
    RECT r{};
    GetWindowRect(old, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    const DWORD style = static_cast<DWORD>(GetWindowLongA(old, GWL_STYLE)) | LVS_OWNERDATA;
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongA(old, GWL_EXSTYLE));
    HWND list = CreateWindowExA(exStyle, WC_LISTVIEWA, "", style, r.left, r.top, r.right - r.left,
                                r.bottom - r.top, dialog,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_CL_LIST)), appInstance, nullptr);
    if (list == nullptr) return nullptr;
    // Same place in the tab order, same font.
    SetWindowPos(list, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageA(list, WM_SETFONT, static_cast<WPARAM>(SendMessageA(dialog, WM_GETFONT, 0, 0)), FALSE);
    DestroyWindow(old);
    return list;
}

// Opens the other file; false after the error box when it cannot be read
// or is empty.
bool openOtherFile(const char* path, MappedFile& other) {
    if (const DWORD error = other.open(path)) {
        showErrorCode(mainWindow, error);
        return false;
    }
    if (other.size() == 0) {
        showError(mainWindow, IDS_ERR_EMPTY_FILE, nullptr);
        return false;
    }
    return true;
}

// Compares the document with the other file and lists the differences; false
// when the dialog must not open (the error box has been shown).
bool fillCompareList(HWND dialog, HWND list, const char* path) {
    EditorState& s = *editorState;
    void* cursor = beginWaitCursor();
    bool ok = true;
    // The last compare's differences go first, and their memory with them.
    dropCompareRows(s);
    repaintView();
    MappedFile other;
    if (openOtherFile(path, other)) {
        if (other.size() != s.documentSize) {
            char text[256];
            loadText(IDS_COMPARE_SIZE_DIFFERS, text, sizeof text);
            askQuestion(mainWindow, text, noticeOk);
        }
        s.compareRows = new (std::nothrow) CompareRows;
        const CompareOutcome outcome =
            s.compareRows == nullptr
                ? CompareOutcome::OutOfMemory
                : collectCompareRows(s.documentBytes, s.documentSize, other, other.size(), *s.compareRows);
        if (outcome != CompareOutcome::Done) dropCompareRows(s);
        if (outcome == CompareOutcome::OutOfMemory) {
            showErrorCode(mainWindow, ERROR_NOT_ENOUGH_MEMORY);
            ok = false;
        } else if (outcome == CompareOutcome::ReadFailed) {
            // As a file that cannot be read at all: the error box, then an empty list.
            showErrorCode(mainWindow, other.error());
        }
    }
    if (ok) {
        long count = static_cast<long>(compareRows().count());
        // A list that refuses the rows shows none, as a list that refused its first row.
        if (count != 0 && SendMessageA(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), 0) == 0) {
            dropCompareRows(s);
            count = 0;
        }
        char format[64];
        char name[kPathLength];
        loadText(IDS_COMPARE_CAPTION, format, sizeof format);
        fileNamePart(path, name);
        wsprintfA(s.messageText, format, name, count);
        SetWindowTextA(dialog, s.messageText);

        char move[32];
        loadText(IDS_MOVE_BUTTON, move, sizeof move);
        SetDlgItemTextA(dialog, IDOK, move);
        EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
        placeBesideView(dialog);
    }
    endWaitCursor(cursor);
    return ok;
}

void supplyCompareRow(NMLVDISPINFOA& info) {
    LVITEMA& item = info.item;
    if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) return;
    const EditorState& s = *editorState;
    const CompareRows& rows = compareRows();
    const size_t row = static_cast<size_t>(item.iItem);
    if (item.iItem < 0 || row >= rows.count() || rows.targets == nullptr || s.documentBytes == nullptr ||
        rows.offsets[row] >= s.documentSize) {
        item.pszText[0] = '\0';
        return;
    }
    CompareRowText t = compareRowText(rows, row, s.documentBytes);
    const char* text = item.iSubItem == 0 ? t.address : item.iSubItem == 1 ? t.source : t.target;
    lstrcpynA(item.pszText, text, item.cchTextMax);
}

long findRowForTyping(const NMLVFINDITEMA& find) {
    const LVFINDINFOA& f = find.lvfi;
    if ((f.flags & (LVFI_STRING | LVFI_PARTIAL)) == 0) return -1;
    return findCompareRow(compareRows(), f.psz, find.iStart, (f.flags & LVFI_PARTIAL) != 0,
                          (f.flags & LVFI_WRAP) != 0);
}

void moveToSelectedRow(HWND list) {
    const int row = nextSelected(list, -1);
    if (row < 0 || static_cast<size_t>(row) >= compareRows().count()) return;
    EditorState& s = *editorState;
    s.caretOffset = static_cast<int32_t>(compareRows().offsets[static_cast<size_t>(row)]);
    s.caretNibble = 0;
    bringCaretIntoView();
}

// The list closes: its offsets stay for the view, the other file's bytes go.
void keepDifferences() {
    EditorState& s = *editorState;
    if (s.compareRows == nullptr) return;
    s.compareRows->targets.reset();
    if (s.compareRows->offsets.empty()) dropCompareRows(s);
}

// ---------------------------------------------------------------- messages

INT_PTR onInitDialog(HWND dialog, LPARAM parameter) {
    session = ChangeListSession{};
    session.request = reinterpret_cast<const ValueEntryRequest*>(parameter);
    session.ownerData = compareMode() || editorState->unlimitedEdit != nullptr;
    HWND list = session.ownerData ? replaceWithOwnerDataList(dialog) : listOf(dialog);
    if (list == nullptr) {
        showError(mainWindow, -1, nullptr);
        EndDialog(dialog, 0);
        return FALSE;
    }
    const LRESULT extended = SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, extended | LVS_EX_FULLROWSELECT);

    if (compareMode()) {
        insertColumns(list, kCompareTitles);
        if (!fillCompareList(dialog, list, session.request->text)) {
            EndDialog(dialog, 0);
            return FALSE;
        }
        // The control the dialog meant to focus is gone.
        SetFocus(list);
        return FALSE;
    }
    insertColumns(list, kHistoryTitles);
    if (session.ownerData) {
        fillOwnerDataHistory(list);
    } else {
        fillHistory(list);
    }
    EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
    placeBesideView(dialog);
    return TRUE;
}

INT_PTR onNotify(HWND dialog, NMHDR* header) {
    if (header == nullptr || header->idFrom != IDC_CL_LIST) return FALSE;
    switch (header->code) {
        case NM_CLICK:
            if (rowCount(header->hwndFrom) > 0) EnableWindow(GetDlgItem(dialog, IDOK), TRUE);
            return TRUE;
        case NM_DBLCLK:
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            return TRUE;
        case LVN_GETDISPINFOA:
            if (compareMode()) {
                supplyCompareRow(*reinterpret_cast<NMLVDISPINFOA*>(header));
            } else if (session.ownerData) {
                supplyHistoryRow(*reinterpret_cast<NMLVDISPINFOA*>(header));
            }
            return TRUE;
        case LVN_ODFINDITEMA:
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT,
                              compareMode() ? findRowForTyping(*reinterpret_cast<NMLVFINDITEMA*>(header)) : -1);
            return TRUE;
        default: return FALSE;
    }
}

void onOk(HWND dialog) {
    HWND list = listOf(dialog);
    if (compareMode()) {
        moveToSelectedRow(list);
        return;
    }
    if (session.ownerData) {
        revertSelectedRecords(list);
    } else {
        revertSelectedRows(list);
    }
    if (rowCount(list) == 0) {
        noteAllChangesReverted(*editorState);
        EndDialog(dialog, 1);
    }
}

}  // namespace

INT_PTR CALLBACK changeListDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: return onInitDialog(dialog, lParam);
        case WM_NOTIFY: return onNotify(dialog, reinterpret_cast<NMHDR*>(lParam));
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK: onOk(dialog); return TRUE;
                case IDCANCEL: EndDialog(dialog, 0); return TRUE;
                default: return FALSE;
            }
        case WM_DESTROY:
            if (compareMode()) keepDifferences();
            session = ChangeListSession{};
            return FALSE;
        default: return FALSE;
    }
}

int showChangeHistory(HWND owner) {
    if (editorState == nullptr || !isDocumentLoaded(*editorState) || editorState->changeCount == 0) return 0;
    INT_PTR result =
        DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_CHANGE_LIST), owner, changeListDialogProc, 0);
    if (result == -1) {
        showError(owner, -1, nullptr);
        return 0;
    }
    return static_cast<int>(result);
}

int runCompareDialog(HWND owner, ValueEntryRequest& request) {
    if (editorState == nullptr || !isDocumentLoaded(*editorState)) return 0;
    INT_PTR result = DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_CHANGE_LIST), owner, changeListDialogProc,
                                     reinterpret_cast<LPARAM>(&request));
    if (result == -1) {
        showError(owner, -1, nullptr);
        return 0;
    }
    return static_cast<int>(result);
}

void showChangeHistoryCommand(HWND owner) { showChangeHistory(owner); }
