#include "view/options_dialog_win.h"

#include <commctrl.h>

#include <memory>
#include <new>

#include "platform/gdi_win.h"
#include "platform/platform.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"
#include "tools/error_box_win.h"
#include "tools/help_win.h"
#include "view/colors_win.h"

namespace {

constexpr int kPaletteItemHeight = 20;
constexpr int kColorNameLength = 128;

// Process-wide while the dialog is open; the pages reach it from their procedures.
OptionsWorkingCopy* workingCopy = nullptr;

HWND asWindow(WindowRef ref) { return static_cast<HWND>(ref); }

void fillColorPage(HWND page) {
    HWND list = GetDlgItem(page, IDC_COL_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    // Only the named slots have texts, so list index = slot.
    for (int i = 0; i < kColorSlots; ++i) {
        char name[kColorNameLength];
        if (loadText(IDS_COLOR_FIRST + i, name, sizeof name) > 0) {
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        }
    }
    HWND combo = GetDlgItem(page, IDC_COL_COMBO);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (uint32_t color : basicPalette) {
        LRESULT index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(""));
        if (index >= 0) SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(color));
    }
    EnableWindow(combo, FALSE);  // until a slot is chosen
}

void selectSlotColorInCombo(HWND page) {
    const OptionsWorkingCopy& c = *workingCopy;
    if (c.selectedItem < 0 || c.selectedItem >= kColorSlots) return;
    SendDlgItemMessageA(page, IDC_COL_COMBO, CB_SETCURSEL, static_cast<WPARAM>(paletteIndexOf(c.colors[c.selectedItem])), 0);
}

void onColorListChange(HWND page) {
    LRESULT index = SendDlgItemMessageA(page, IDC_COL_LIST, LB_GETCURSEL, 0, 0);
    workingCopy->selectedItem = static_cast<int32_t>(index);
    if (index == LB_ERR) return;
    selectSlotColorInCombo(page);
    EnableWindow(GetDlgItem(page, IDC_COL_COMBO), TRUE);
    drawColorPreview(page);
}

void onPaletteChange(HWND page) {
    LRESULT index = SendDlgItemMessageA(page, IDC_COL_COMBO, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return;
    if (chooseWorkingColor(*workingCopy, static_cast<int>(index))) drawColorPreview(page);
}

void onResetColors(HWND page) {
    // The defaults take the system colours of this moment; the reserved slots
    // come back from the real table, which itself stays as it is until OK.
    resetWorkingColors(*workingCopy, editorState->colorTable, currentSystemColors());
    drawColorPreview(page);
    selectSlotColorInCombo(page);
}

void showPage(const OptionsWorkingCopy& c) {
    ShowWindow(asWindow(c.currentTab == 0 ? c.miscPage : c.colorPage), SW_HIDE);
    ShowWindow(asWindow(c.currentTab == 0 ? c.colorPage : c.miscPage), SW_SHOW);
}

void insertTab(HWND tab, int index, int textId) {
    char text[64];
    loadText(textId, text, sizeof text);
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    SendMessageA(tab, TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

HWND createPage(HWND dialog, int templateId, DLGPROC proc) {
    HWND page = CreateDialogParamA(appInstance, MAKEINTRESOURCEA(templateId), dialog, proc, 0);
    // Children are created below their older siblings: lift the page above the
    // tab control, which would otherwise paint over it.
    if (page != nullptr) SetWindowPos(page, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return page;
}

BOOL onOptionsInit(HWND dialog) {
    OptionsWorkingCopy& c = *workingCopy;
    c.tabControl = GetDlgItem(dialog, IDC_OPT_TAB);
    c.colorPage = createPage(dialog, IDD_OPTIONS_COLORS, colorPageProc);
    c.miscPage = createPage(dialog, IDD_OPTIONS_MISC, miscPageProc);
    if (c.tabControl == nullptr || c.colorPage == nullptr || c.miscPage == nullptr) {
        EndDialog(dialog, 0);
        return FALSE;
    }
    insertTab(asWindow(c.tabControl), 0, IDS_TAB_COLORS);
    insertTab(asWindow(c.tabControl), 1, IDS_TAB_MISC);
    c.currentTab = 0;
    showPage(c);
    centerWindow(dialog, nullptr, 0, 0);
    return TRUE;
}

void closeOptions(HWND dialog, int result) {
    OptionsWorkingCopy& c = *workingCopy;
    if (result == 1) {
        HWND misc = asWindow(c.miscPage);
        const int boxes[] = {IDC_MISC_START_HEX, IDC_MISC_START_KANJI, IDC_MISC_PRINT_ADDRESS};
        const OptionByte bytes[] = {startHex, startKanji, printAddresses};
        for (int i = 0; i < 3; ++i) c.options[bytes[i]] = IsDlgButtonChecked(misc, boxes[i]) == BST_CHECKED ? 1 : 0;
    }
    DestroyWindow(asWindow(c.colorPage));
    DestroyWindow(asWindow(c.miscPage));
    c.colorPage = nullptr;
    c.miscPage = nullptr;
    EndDialog(dialog, result);
}

// A frame `thickness` pixels wide inside `r`.
void frameRect(HDC dc, RECT r, int thickness, HBRUSH brush) {
    RECT edges[] = {
        {r.left, r.top, r.right, r.top + thickness},
        {r.left, r.bottom - thickness, r.right, r.bottom},
        {r.left, r.top, r.left + thickness, r.bottom},
        {r.right - thickness, r.top, r.right, r.bottom},
    };
    for (const RECT& e : edges) FillRect(dc, &e, brush);
}

void drawLine(HDC dc, int width, uint32_t color, int x0, int y0, int x1, int y1) {
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, width, static_cast<COLORREF>(color)));
    if (!pen) return;
    SelectedObject use(dc, pen.get());
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

}  // namespace

OptionsWorkingCopy* optionsWorkingCopy() { return workingCopy; }

void drawPaletteItem(const DRAWITEMSTRUCT& item) {
    if (static_cast<int>(item.itemID) == -1) return;
    int inset = 2 * LOWORD(GetMenuCheckMarkDimensions()) / 3;
    HDC dc = item.hDC;
    if (item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) {
        RECT r = item.rcItem;
        r.left += inset - 3;
        r.right -= inset - 3;
        HBRUSH brush = static_cast<HBRUSH>(GetStockObject((item.itemState & ODS_SELECTED) ? BLACK_BRUSH : WHITE_BRUSH));
        FrameRect(dc, &r, brush);
    }
    if (item.itemAction & ODA_DRAWENTIRE) {
        RECT r = item.rcItem;
        r.left += inset;
        r.right -= inset;
        r.top += 3;
        r.bottom -= 3;
        GdiObject<HBRUSH> fill(CreateSolidBrush(static_cast<COLORREF>(item.itemData)));
        if (fill) FillRect(dc, &r, fill.get());
        FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
}

void drawColorPreview(HWND page) {
    if (workingCopy == nullptr || editorState == nullptr) return;
    const OptionsWorkingCopy& c = *workingCopy;
    ColorPreview look;
    if (!colorPreviewFor(c.colors, c.selectedItem, look)) return;
    HWND frame = GetDlgItem(page, IDC_COL_PREVIEW);
    if (frame == nullptr) return;

    RECT area{};
    GetClientRect(frame, &area);
    MapWindowPoints(frame, page, reinterpret_cast<POINT*>(&area), 2);
    area.left += 4;
    area.right -= 4;
    area.top += 10;
    area.bottom -= 10;

    WindowDc dc(page);
    if (!dc) return;
    FillRect(dc.get(), &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    const EditorState& s = *editorState;
    SelectedObject font(dc.get(), win().displayFont);
    SetBkMode(dc.get(), OPAQUE);
    SetTextColor(dc.get(), static_cast<COLORREF>(look.text));
    SetBkColor(dc.get(), static_cast<COLORREF>(look.back));
    int x = area.left + 2 * s.charWidth;
    int y = area.top + (area.bottom - area.top - s.lineHeight) / 2;
    TextOutA(dc.get(), x, y, c.sampleText, kSampleTextLength);

    int border = GetSystemMetrics(SM_CXBORDER);
    switch (look.mark) {
        case PreviewMark::caretBar:
            drawLine(dc.get(), 2 * border, look.markColor, x, y + s.lineHeight, x + s.charWidth, y + s.lineHeight);
            break;
        case PreviewMark::underline: {
            SIZE extent{};
            GetTextExtentPoint32A(dc.get(), c.sampleText, kSampleTextLength, &extent);
            drawLine(dc.get(), border, look.markColor, x, y + s.lineHeight, x + extent.cx, y + s.lineHeight);
            break;
        }
        case PreviewMark::frame: {
            GdiObject<HBRUSH> brush(CreateSolidBrush(static_cast<COLORREF>(look.markColor)));
            if (brush) frameRect(dc.get(), RECT{x, y, x + 5 * s.charWidth, y + s.lineHeight}, border, brush.get());
            break;
        }
        case PreviewMark::none: break;
    }
}

INT_PTR CALLBACK miscPageProc(HWND page, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return FALSE;
    const OptionsWorkingCopy& c = *workingCopy;
    CheckDlgButton(page, IDC_MISC_START_HEX, c.options[startHex] ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_MISC_START_KANJI, c.options[startKanji] ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_MISC_PRINT_ADDRESS, c.options[printAddresses] ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

INT_PTR CALLBACK colorPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: fillColorPage(page); return TRUE;
        case WM_MEASUREITEM: reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = kPaletteItemHeight; return TRUE;
        case WM_DRAWITEM: drawPaletteItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam)); return TRUE;
        case WM_PAINT: {
            // The preview is drawn outside the controls' own painting, so it
            // comes back whenever the page is uncovered.
            PAINTSTRUCT ps;
            BeginPaint(page, &ps);
            EndPaint(page, &ps);
            drawColorPreview(page);
            return TRUE;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_COL_LIST:
                    if (HIWORD(wParam) == LBN_SELCHANGE) onColorListChange(page);
                    return TRUE;
                case IDC_COL_COMBO:
                    if (HIWORD(wParam) == CBN_SELCHANGE) onPaletteChange(page);
                    return TRUE;
                case IDC_COL_RESET:
                    if (HIWORD(wParam) == BN_CLICKED) onResetColors(page);
                    return TRUE;
                default: return FALSE;
            }
        default: return FALSE;
    }
}

INT_PTR CALLBACK optionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: return onOptionsInit(dialog);
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            OptionsWorkingCopy& c = *workingCopy;
            if (header->hwndFrom == asWindow(c.tabControl) && header->code == static_cast<UINT>(TCN_SELCHANGE)) {
                c.currentTab = static_cast<int32_t>(SendMessageA(asWindow(c.tabControl), TCM_GETCURSEL, 0, 0));
                showPage(c);
                return TRUE;
            }
            return FALSE;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK: closeOptions(dialog, 1); return TRUE;
                case IDCANCEL: closeOptions(dialog, 0); return TRUE;
                case IDC_OPT_HELP: showHelp(dialog, IDH_OPTIONS); return TRUE;
                default: return FALSE;
            }
        default: return FALSE;
    }
}

int runOptionsDialog(HWND owner) {
    std::unique_ptr<OptionsWorkingCopy> copy(new (std::nothrow) OptionsWorkingCopy{});
    if (copy == nullptr || editorState == nullptr) return 0;
    initWorkingCopy(*copy, *editorState);
    workingCopy = copy.get();
    INT_PTR result = DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_OPTIONS), owner, optionsDialogProc, 0);
    workingCopy = nullptr;
    // -1 is a dialog that could not be made: nothing was confirmed.
    if (result != 1) return 0;
    commitWorkingCopy(*copy, *editorState);
    if (isDocumentLoaded(*editorState) && mainWindow != nullptr) {
        // The frame's children too: the view and the strip take the new colours.
        RedrawWindow(mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
    showSelectionStatus();
    return 1;
}

void runOptionsDialogCommand(HWND owner) { runOptionsDialog(owner); }
