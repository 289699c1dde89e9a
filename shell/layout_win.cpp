#include "shell/layout_win.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "document/document.h"
#include "document/selection.h"
#include "document/undo.h"
#include "platform/platform.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/file_name.h"
#include "shell/panes_win.h"
#include "view/view_input.h"
#include "view/view_win.h"

namespace {

constexpr TBBUTTON button(int image, int command) {
    return TBBUTTON{image, command, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0};
}
constexpr TBBUTTON separator() { return TBBUTTON{0, 0, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0}; }

constexpr const char* kLineStatusFormat = " %ld/%ld";
constexpr const char* kAddressStatusFormat = " %08X %s";

// Minimum widths of status parts 1 and 2, and the texts that must fit in them.
constexpr int kLinePartMinimum = 156;
constexpr int kAddressPartMinimum = 119;
constexpr const char* kLinePartSample = "9999999/99999999";
constexpr const char* kAddressPartSample = "DDDDDDDD L";

bool haveState() { return editorState != nullptr && editorState->windows != nullptr; }

HMENU frameMenu() { return mainWindow != nullptr ? GetMenu(mainWindow) : nullptr; }

// Asked after every typed digit; the answer only changes with the clipboard's
// contents, which the sequence number counts.
bool clipboardHasText() {
    static DWORD askedAt = 0;
    static bool hasText = false;
    const DWORD sequence = GetClipboardSequenceNumber();
    if (sequence == 0 || sequence != askedAt) {
        hasText = IsClipboardFormatAvailable(CF_TEXT) != 0;
        askedAt = sequence;
    }
    return hasText;
}

bool pasteAvailable(const EditorState& s) {
    return isDocumentLoaded(s) && !isEditLocked() && clipboardHasText();
}

void setStatusText(int part, const char* text) {
    SendMessageA(win().statusWindow, SB_SETTEXTA, part, reinterpret_cast<LPARAM>(text));
}

// Texts waiting to be set, one for each part, and whether any does: a moved
// caret changes two parts, and the status bar draws a part at once on every
// setting (under some systems only turning its redrawing off and on, which
// costs more, avoids that), which a held arrow key would pay for each press.
// They are set together once the messages of the moment are handled.
std::string waitingStatus[kStatusAddressPart + 1];
bool statusWaiting[kStatusAddressPart + 1] = {};

std::string shownStatusText(HWND status, int part) {
    char shown[1024] = "";
    // The length counts UTF-16 units; a Shift-JIS text takes at most two bytes for each.
    const auto units = LOWORD(SendMessageA(status, SB_GETTEXTLENGTHA, part, 0));
    if (units * 2 >= static_cast<int>(sizeof shown)) return {};
    SendMessageA(status, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(shown));
    return shown;
}

// The same, unless the part shows (or is about to show) that text already.
void changeStatusText(int part, const char* text) {
    HWND status = win().statusWindow;
    const bool waiting = statusWaiting[part];
    if ((waiting ? waitingStatus[part] : shownStatusText(status, part)) == text) return;
    if (!IsWindowVisible(status) || mainWindow == nullptr) {
        statusWaiting[part] = false;
        setStatusText(part, text);
        return;
    }
    waitingStatus[part] = text;
    statusWaiting[part] = true;
    if (!waiting) SetTimer(mainWindow, kStatusTimerId, USER_TIMER_MINIMUM, nullptr);
}

}  // namespace

void showWaitingStatus() {
    if (mainWindow != nullptr) KillTimer(mainWindow, kStatusTimerId);
    if (!haveState() || win().statusWindow == nullptr) return;
    for (int part = 0; part <= kStatusAddressPart; ++part) {
        if (!statusWaiting[part]) continue;
        statusWaiting[part] = false;
        setStatusText(part, waitingStatus[part].c_str());
    }
}

namespace {

int windowHeight(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r.bottom - r.top;
}

int textWidth(HDC dc, const char* text, int minimum) {
    SIZE size{};
    if (dc != nullptr && GetTextExtentPointA(dc, text, lstrlenA(text), &size)) return std::max(minimum, int(size.cx));
    return minimum;
}

}  // namespace

void postButtonState(int command, bool enabled) {
    if (!haveState() || win().toolbarWindow == nullptr) return;
    // Every typed digit asks for all the states again, and each posting goes
    // through the system: a state already posted to this toolbar is not posted again.
    static HWND postedTo = nullptr;
    static std::string posted;  // per command id: 0 not posted, 1 greyed, 2 enabled
    if (postedTo != win().toolbarWindow) {
        postedTo = win().toolbarWindow;
        posted.clear();
    }
    const auto index = static_cast<size_t>(command);
    if (posted.size() <= index) posted.resize(index + 1, 0);
    const char state = enabled ? 2 : 1;
    if (posted[index] == state) return;
    posted[index] = state;
    PostMessageA(win().toolbarWindow, TB_SETSTATE, command,
                 MAKELONG(enabled ? TBSTATE_ENABLED : TBSTATE_INDETERMINATE, 0));
}

const TBBUTTON toolbarButtons[kToolbarButtonCount] = {
    button(0, IDM_OPEN),  button(1, IDM_SAVE),       separator(),
    button(2, IDM_PRINT), separator(),               button(3, IDM_COPY),
    button(4, IDM_PASTE), button(5, IDM_UNDO),       separator(),
    button(6, IDM_MARK),  button(7, IDM_NEXT_MARK),  separator(),
    button(8, IDM_FIND),  button(9, IDM_FIND_NEXT),  separator(),
    button(10, IDM_JUMP), button(11, IDM_NUMBER_CONVERSION),
};

int isMenuChecked(int id) {
    HMENU menu = frameMenu();
    if (menu == nullptr) return 0;
    UINT state = GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND);
    // A missing item reads as -1, which would look checked.
    if (state == static_cast<UINT>(-1)) return 0;
    return (state & MF_CHECKED) != 0 ? 1 : 0;
}

int isKanjiMode() { return isMenuChecked(IDM_KANJI); }

int isEditLocked() { return isMenuChecked(IDM_EDIT_LOCK); }

void toggleMenuCheck(int id) {
    HMENU menu = frameMenu();
    if (menu == nullptr) return;
    bool nowChecked = isMenuChecked(id) == 0;
    CheckMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (nowChecked ? MF_CHECKED : MF_UNCHECKED));
    if (!haveState()) return;
    HWND bar = id == IDM_TOOLBAR ? win().toolbarWindow : id == IDM_STATUSBAR ? win().statusWindow : nullptr;
    if (bar != nullptr) {
        SetWindowPos(bar, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                         (nowChecked ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    }
}

void layoutFrame() {
    if (!haveState() || mainWindow == nullptr) return;
    EditorState& s = *editorState;
    EditorWindows& w = win();
    if (w.toolbarWindow == nullptr || w.statusWindow == nullptr || w.clientWindow == nullptr) return;

    RECT frame{};
    GetClientRect(mainWindow, &frame);
    int top = isMenuChecked(IDM_TOOLBAR) ? windowHeight(w.toolbarWindow) : 0;
    int height = frame.bottom - top;
    if (isMenuChecked(IDM_STATUSBAR)) height -= windowHeight(w.statusWindow);
    MoveWindow(w.clientWindow, 0, top, frame.right, height, TRUE);

    RECT inner{};
    GetClientRect(w.clientWindow, &inner);
    int stripHeight = s.lineHeight + 5;
    // The panes, while one is shown, stand at the right beside the strip and the view.
    const int paneWidth = paneAreaWidth(inner.right);
    const int width = inner.right - paneWidth;
    if (w.labelWindow != nullptr) MoveWindow(w.labelWindow, 0, 0, width, stripHeight, TRUE);
    if (w.viewWindow == nullptr) return;
    MoveWindow(w.viewWindow, 0, stripHeight, width, inner.bottom - stripHeight, TRUE);
    placePanes(width, paneWidth, inner.bottom);

    if (s.documentBytes != nullptr && s.lineHeight != 0) fitViewToHeight();
}

// A pane's splitter moved the view's edge.
void panePlacementChanged() { layoutFrame(); }

void fitViewToHeight() {
    if (!haveState() || win().viewWindow == nullptr) return;
    EditorState& s = *editorState;
    EditorWindows& w = win();
    RECT view{};
    GetClientRect(w.viewWindow, &view);
    // A taller view must not show empty rows below the end, nor hide the
    // first rows of a document that now fits: the top row follows the height.
    const unsigned effects = setVisibleRows(s, s.lineHeight != 0 ? view.bottom / s.lineHeight : 0);
    SCROLLINFO& si = w.viewScrollInfo;
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = scrollRangeMaximum(s);
    si.nPage = static_cast<UINT>(s.visibleRows);
    si.nPos = thumbForTopRow(s);
    SetScrollInfo(w.viewWindow, SB_VERT, &si, TRUE);
    if ((effects & effectRepaint) != 0) repaintView();
}

void setStatusParts() {
    if (!haveState() || win().statusWindow == nullptr) return;
    HWND status = win().statusWindow;
    RECT parent{};
    GetClientRect(GetParent(status), &parent);
    HDC dc = GetDC(status);
    int w1 = textWidth(dc, kLinePartSample, kLinePartMinimum);
    int w2 = textWidth(dc, kAddressPartSample, kAddressPartMinimum);
    if (dc != nullptr) ReleaseDC(status, dc);

    int W = parent.right;
    int edges[3] = {W - w2 - w1, W - w2, W};
    SendMessageA(status, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
    // Writing each text back redraws it in its new place.
    showWaitingStatus();
    for (int part = 0; part < 3; ++part) setStatusText(part, shownStatusText(status, part).c_str());
}

void showFileStatus() {
    if (!haveState() || win().statusWindow == nullptr) return;
    const EditorState& s = *editorState;
    char name[kPathLength];
    fileNamePart(s.filePath, name);
    char format[64];
    loadText(IDS_FMT_FILE_STATUS, format, sizeof format);
    char text[kPathLength + 64];
    wsprintfA(text, format, static_cast<unsigned long>(s.documentSize), name);
    changeStatusText(kStatusFilePart, text);
}

void showSelectionStatus() {
    if (!haveState() || win().statusWindow == nullptr) return;
    const std::string text = selectionStatusText(*editorState);
    if (text.empty()) {
        showFileStatus();
        return;
    }
    changeStatusText(kStatusFilePart, text.c_str());
}

void showCaretStatus() {
    if (!haveState() || win().statusWindow == nullptr) return;
    const EditorState& s = *editorState;
    char text[64];
    wsprintfA(text, kLineStatusFormat, static_cast<long>(s.caretOffset / 16 + 1), static_cast<long>(s.rowCount));
    changeStatusText(kStatusLinePart, text);
    const char* where = s.caretInText != 0 ? "T" : s.caretNibble != 0 ? "L" : "H";
    wsprintfA(text, kAddressStatusFormat, static_cast<unsigned>(s.caretOffset), where);
    changeStatusText(kStatusAddressPart, text);
    panesFollow();
}

void showDifferenceStatus(unsigned long number, unsigned long count) {
    if (!haveState() || win().statusWindow == nullptr) return;
    char format[64], text[96];
    loadText(IDS_FMT_DIFFERENCE_STATUS, format, sizeof format);
    wsprintfA(text, format, number, count);
    changeStatusText(kStatusFilePart, text);
}

void updateToolbarStates() {
    if (!haveState() || win().toolbarWindow == nullptr) return;
    const EditorState& s = *editorState;
    bool loaded = isDocumentLoaded(s);
    postButtonState(IDM_SAVE, hasDocumentBuffer(s));
    postButtonState(IDM_PRINT, loaded);
    postButtonState(IDM_MARK, loaded);
    postButtonState(IDM_JUMP, loaded);
    postButtonState(IDM_FIND, loaded);
    postButtonState(IDM_UNDO, s.changeCount != 0);
    postButtonState(IDM_COPY, loaded && s.selectionEndRow >= 0);
    postButtonState(IDM_PASTE, pasteAvailable(s));
    postButtonState(IDM_NEXT_MARK, loaded && s.markCount != 0);
    postButtonState(IDM_FIND_NEXT, loaded && hasSearchToRepeat(s));
}

void updatePasteButton() {
    if (!haveState() || win().toolbarWindow == nullptr) return;
    postButtonState(IDM_PASTE, pasteAvailable(*editorState));
}

void enableMenuItems(HMENU menu) {
    if (menu == nullptr || editorState == nullptr) return;
    const EditorState& s = *editorState;
    bool loaded = isDocumentLoaded(s);
    bool editable = loaded && !isEditLocked();
    auto enable = [menu](int id, bool on) {
        EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    // An emptied document can still be saved and take an insertion.
    const bool buffer = hasDocumentBuffer(s);
    for (int id : {IDM_SAVE, IDM_SAVE_AS}) enable(id, buffer);
    for (int id : {IDM_PRINT, IDM_SELECT_ALL, IDM_MARK, IDM_JUMP, IDM_COMPARE, IDM_FIND, IDM_HEX_COPY, IDM_CHECKSUMS}) {
        enable(id, loaded);
    }
    for (int id : {IDM_DELETE, IDM_DELETE_RANGE, IDM_ASCII_EDIT}) enable(id, editable);
    for (int id : {IDM_PASTE, IDM_HEX_PASTE}) enable(id, editable && clipboardHasText());
    // Editing without limits grows the room as needed.
    enable(IDM_INSERT, buffer && !isEditLocked() && (s.spareCapacity != 0 || s.unlimited != 0));
    enable(IDM_FIND_NEXT, loaded && hasSearchToRepeat(s));
    enable(IDM_FIND_PREVIOUS, loaded && hasSearchToRepeat(s));
    enable(IDM_REPLACE, loaded);
    for (int id : {IDM_NEXT_DIFFERENCE, IDM_PREVIOUS_DIFFERENCE}) enable(id, loaded && s.compareRows != nullptr);
    enable(IDM_COPY, loaded && s.selectionEndRow >= 0);
    enable(IDM_UNDO, loaded && s.changeCount != 0);
    enable(IDM_NEXT_MARK, loaded && s.markCount != 0);
    const bool unlimited = s.unlimited != 0 && buffer && !isEditLocked();
    enable(IDM_STEP_UNDO, unlimited && canUndo(s));
    enable(IDM_REDO, unlimited && canRedo(s));
    const bool bytesChosen = s.selectionAnchorByte >= 0 && s.selectionEndByte >= 0;
    for (int id : {IDM_CUT, IDM_FILL}) enable(id, unlimited && loaded && bytesChosen);
    showUnlimitedMenuState(menu);
}

void showMenuHelp(WPARAM itemAndFlags, HMENU menu) {
    if (!haveState() || win().statusWindow == nullptr) return;
    HWND status = win().statusWindow;
    UINT flags = HIWORD(itemAndFlags);
    if (flags == 0xFFFF && menu == nullptr) {
        // The menu closed: back to the three parts with their texts.
        SendMessageA(status, SB_SIMPLE, FALSE, 0);
        return;
    }
    UINT id = LOWORD(itemAndFlags);
    if ((flags & MF_SEPARATOR) != 0 || ((flags & MF_POPUP) != 0 && (flags & MF_SYSMENU) == 0)) id = 0;
    SendMessageA(status, SB_SIMPLE, TRUE, 0);
    char text[260] = "";
    if (id != 0) {
        // Every recent-file item shares one help text.
        if (id >= IDM_RECENT_FIRST && id <= IDM_RECENT_LAST) id = IDM_RECENT_FIRST;
        if (LoadStringA(appInstance, id, text, sizeof text) <= 0) text[0] = '\0';
    }
    setStatusText(kStatusSimplePart, text);
}

LRESULT supplyTooltip(NMHDR* notification) {
    if (notification != nullptr && notification->code == TTN_NEEDTEXTA) {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(notification);
        info->lpszText = MAKEINTRESOURCEA(notification->idFrom + IDS_TIP_OFFSET);
        info->hinst = appInstance;
    }
    return 0;
}
