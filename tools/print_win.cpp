#include "tools/print_win.h"

#include <cstring>

#include "document/dump_row.h"
#include "document/selection.h"
#include "platform/gdi_win.h"
#include "platform/platform.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/file_name.h"
#include "shell/layout_win.h"
#include "shell/product.h"
#include "tools/error_box_win.h"
#include "view/colors.h"

namespace {

// What arrived for the program while a job ran and must wait for its end:
// a close of the frame (another editor's quit-all, the instance list) would
// free the document under the page loop, and a quit taken off the queue by
// the abort procedure would otherwise be lost. Either also cancels the job.
struct HeldBack {
    HWND closeWindow = nullptr;
    bool quit = false;
    WPARAM quitCode = 0;
};
HeldBack heldBack;

bool holdBack(const MSG& m) {
    if (m.message == WM_QUIT) {
        heldBack.quit = true;
        heldBack.quitCode = m.wParam;
    } else if (m.message == WM_CLOSE && m.hwnd != nullptr && m.hwnd == mainWindow) {
        heldBack.closeWindow = m.hwnd;
    } else {
        return false;
    }
    editorState->printCancelled = 1;
    return true;
}

void releaseHeldBack() {
    HeldBack held = heldBack;
    heldBack = HeldBack{};
    if (held.closeWindow != nullptr && IsWindow(held.closeWindow)) PostMessageA(held.closeWindow, WM_CLOSE, 0, 0);
    if (held.quit) PostQuitMessage(static_cast<int>(held.quitCode));
}

// The last error of a failed call, or `fallback` when the call left none (a
// box saying the operation succeeded would hide the failure).
DWORD lastErrorOr(DWORD fallback) {
    const DWORD code = GetLastError();
    return code != ERROR_SUCCESS ? code : fallback;
}

// The error box with the system text for the last error, or for `fallback`.
void reportLastError(HWND owner, DWORD fallback) { showErrorCode(owner, lastErrorOr(fallback)); }

// StartPage, EndPage or EndDoc: ERROR_SUCCESS when the spooler took the call,
// else the system's code for why not.
DWORD spool(int(WINAPI* call)(HDC), HDC dc) {
    SetLastError(ERROR_SUCCESS);
    return call(dc) > 0 ? ERROR_SUCCESS : lastErrorOr(ERROR_GEN_FAILURE);
}

INT_PTR CALLBACK progressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetDlgItemTextA(dialog, IDC_PR_TITLE, reinterpret_cast<const char*>(lParam));
            // Placed before the focus moves: focusing activates the dialog.
            centerWindow(dialog, GetParent(dialog), 0, 0);
            SetFocus(GetDlgItem(dialog, IDCANCEL));
            return FALSE;  // the focus is set
        case WM_COMMAND:
            // The dialog stays until the job ends and destroys it.
            if (LOWORD(wParam) == IDCANCEL && editorState != nullptr) editorState->printCancelled = 1;
            return TRUE;
        default: return FALSE;
    }
}

}  // namespace

HFONT createPrinterFont(HDC dc) {
    if (editorState == nullptr || win().displayFont == nullptr || dc == nullptr) return nullptr;
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    if (GetObjectA(win().displayFont, sizeof lf, &lf) == 0) return nullptr;
    // The same point size as on the screen.
    lf.lfHeight = MulDiv(lf.lfHeight, GetDeviceCaps(dc, LOGPIXELSY), screenPixelsPerInchY());
    return CreateFontIndirectA(&lf);
}

BOOL CALLBACK printAbortProc(HDC, int) {
    if (editorState == nullptr || editorState->windows == nullptr) return TRUE;
    HWND progress = win().progressDialog;
    if (progress == nullptr) return TRUE;
    EditorState& s = *editorState;
    MSG m;
    while (s.printCancelled == 0 && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (holdBack(m)) continue;
        if (!IsDialogMessageA(progress, &m)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    return s.printCancelled == 0 ? TRUE : FALSE;
}

int printPageHeader(HDC dc, const PrintPage& page) {
    TextOutA(dc, 0, 0, page.title.c_str(), static_cast<int>(page.title.size()));
    if (!page.hasHeader) return 2;
    SIZE extent{};
    GetTextExtentPoint32A(dc, kColumnHeader, kColumnHeaderLength, &extent);
    TextOutA(dc, 0, page.headerY, kColumnHeader, kColumnHeaderLength);
    SelectedObject pen(dc, GetStockObject(BLACK_PEN));
    SetBkMode(dc, TRANSPARENT);
    MoveToEx(dc, 0, page.ruleY, nullptr);
    LineTo(dc, extent.cx, page.ruleY);
    return 3;
}

bool printCopy(HDC dc, const char* title, int kanji, bool selectionOnly, DWORD* failure) {
    if (editorState == nullptr) return false;
    EditorState& s = *editorState;
    GdiObject<HFONT> font(createPrinterFont(dc));
    if (!font) return false;

    // In a job a page the spooler refuses to start or end stops the copy, and
    // the job reports it once it has ended. A picture drawn without a job has
    // no pages: there the answers of the page calls mean nothing.
    auto refused = [failure](DWORD code) { return failure != nullptr && code != ERROR_SUCCESS; };
    DWORD refusal = spool(StartPage, dc);
    if (refused(refusal)) {
        *failure = refusal;
        return false;
    }
    HGDIOBJ previousFont = SelectObject(dc, font.get());
    SIZE line{};
    SIZE header{};
    GetTextExtentPoint32A(dc, "CC", 2, &line);
    GetTextExtentPoint32A(dc, kColumnHeader, kColumnHeaderLength, &header);
    PrintRequest request{line.cy, header.cy, GetDeviceCaps(dc, VERTRES), isOptionSet(s, printAddresses),
                         s.documentSize, selectionOnly, s.selectionAnchorRow, s.selectionEndRow, 1};
    PrintLayout layout = layoutPrint(request);

    // A double-byte character split by a row end runs on into the next line,
    // on the next page too, as the view shows it; one that began above the
    // selection's first row is paired as it is there.
    uint8_t lead = firstLinePendingLead(layout, s.documentBytes, kanji);
    bool cancelled = false;
    bool pageOpen = true;
    for (int32_t index = 0; index < layout.pageCount && !cancelled; ++index) {
        if (index > 0) {
            pageOpen = false;
            refusal = spool(EndPage, dc);
            if (!refused(refusal)) refusal = spool(StartPage, dc);
            if (refused(refusal)) break;
            pageOpen = true;
            SelectObject(dc, font.get());
        }
        PrintPage page = printPage(layout, index, title);
        printPageHeader(dc, page);
        for (const PrintLine& l : page.lines) {
            char text[kRowTextSize];
            formatDumpRow(s, static_cast<int32_t>(l.offset), kanji, text, &lead);
            // Selected bytes print alone in the rows they touch.
            if (selectionOnly && hasByteSelection(s)) {
                blankByteColumns(text, std::strlen(text), 0xFFFFu & ~selectedColumns(s, l.offset), kanji);
            }
            TextOutA(dc, 0, l.y, text, lstrlenA(text));
            // Not every spooler calls the abort procedure while pages are
            // written; calling it here keeps Cancel working line by line.
            printAbortProc(dc, 0);
            if (s.printCancelled != 0) {
                cancelled = true;
                break;
            }
        }
    }
    if (pageOpen) refusal = spool(EndPage, dc);
    SelectObject(dc, previousFont);
    // After a cancel the spooler may refuse the pages it was told to drop.
    if (!refused(refusal) || s.printCancelled != 0) return true;
    *failure = refusal;
    return false;
}

bool printJob(HWND owner, HDC dc, bool selectionOnly, int copies) {
    if (editorState == nullptr || dc == nullptr) return false;
    EditorState& s = *editorState;
    char title[kPathLength];
    fileNamePart(s.filePath, title);
    int kanji = isKanjiMode();

    DOCINFOA info{};
    info.cbSize = sizeof info;
    info.lpszDocName = kProductName;
    SetLastError(0);
    // StartDocA reports a failure as any value up to 0, not only SP_ERROR.
    if (SetAbortProc(dc, printAbortProc) == SP_ERROR || StartDocA(dc, &info) <= 0) {
        reportLastError(owner, ERROR_NOT_SUPPORTED);
        return false;
    }

    s.printCancelled = 0;
    HWND progress = CreateDialogParamA(appInstance, MAKEINTRESOURCEA(IDD_PRINTING), owner, progressDialogProc,
                                       reinterpret_cast<LPARAM>(title));
    if (progress == nullptr) {
        reportLastError(owner, ERROR_NOT_ENOUGH_MEMORY);
        EndDoc(dc);
        return false;
    }
    win().progressDialog = progress;
    ShowWindow(progress, SW_SHOW);
    UpdateWindow(progress);
    if (owner != nullptr) EnableWindow(owner, FALSE);

    int printed = 0;
    DWORD failure = ERROR_SUCCESS;
    while (printed < copies && s.printCancelled == 0 && printCopy(dc, title, kanji, selectionOnly, &failure)) {
        ++printed;
    }

    // Ended, never aborted: what was printed up to a cancel comes out. A job
    // the system could not finish is reported, not passed over in silence;
    // one the user cancelled is not.
    const DWORD ending = spool(EndDoc, dc);
    if (failure == ERROR_SUCCESS) failure = ending;
    const bool cancelled = s.printCancelled != 0;
    bool result = printed == copies && !cancelled && failure == ERROR_SUCCESS;
    if (owner != nullptr) EnableWindow(owner, TRUE);
    DestroyWindow(progress);
    win().progressDialog = nullptr;
    if (failure != ERROR_SUCCESS && !cancelled) showErrorCode(owner, failure);
    releaseHeldBack();
    return result;
}

bool printDocument(HWND owner, bool selectionOnly) {
    if (editorState == nullptr) return false;
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_APPSTARTING));
    PRINTDLGA& setup = win().printSetup;
    bool result = setup.hDC != nullptr && printJob(owner, setup.hDC, selectionOnly, setup.nCopies);
    if (setup.hDC != nullptr) {
        DeleteDC(setup.hDC);
        setup.hDC = nullptr;
    }
    SetCursor(previous);
    return result;
}

void printCommand(HWND owner) {
    if (editorState == nullptr || !isDocumentLoaded(*editorState)) return;
    const EditorState& s = *editorState;
    PRINTDLGA& setup = win().printSetup;
    // The dialog proposes the selection when there is one.
    setup.Flags = PD_RETURNDC | PD_SHOWHELP | PD_DISABLEPRINTTOFILE | (s.selectionEndRow >= 0 ? PD_SELECTION : 0);
    setup.nCopies = 1;
    setup.nFromPage = setup.nToPage = setup.nMinPage = setup.nMaxPage = 1;
    if (!PrintDlgA(&setup)) return;

    // The page range offered by the dialog is not used: all of it or all of the selection.
    bool selectionOnly = (setup.Flags & PD_SELECTION) != 0;
    if (selectionOnly && s.selectionEndRow < 0) {
        if (setup.hDC != nullptr) DeleteDC(setup.hDC);
        setup.hDC = nullptr;
        showError(owner, IDS_ERR_NO_SELECTION, nullptr);
        return;
    }
    printDocument(owner, selectionOnly);
}

void printerSetupCommand(HWND) {
    if (editorState == nullptr) return;
    PRINTDLGA& setup = win().printSetup;
    setup.Flags |= PD_PRINTSETUP;
    PrintDlgA(&setup);
    setup.Flags &= ~static_cast<DWORD>(PD_PRINTSETUP);
    // Only the printer choice is kept; each print gets a fresh device context.
    if (setup.hDC != nullptr) {
        DeleteDC(setup.hDC);
        setup.hDC = nullptr;
    }
}
