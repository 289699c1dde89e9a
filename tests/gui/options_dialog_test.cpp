// The options dialog: palette, preview, initialise with OK and Cancel, the
// numbers page, and what reaches the registry and the next start.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <functional>

#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"
#include "shell/shutdown_win.h"
#include "shell/startup_win.h"
#include "support/gui_harness_win.h"
#include "support/help_windows_win.h"
#include "support/later_win.h"
#include "view/colors.h"
#include "view/options_dialog_win.h"

using namespace gui;

namespace {

HWND page() { return static_cast<HWND>(optionsWorkingCopy()->colorPage); }
HWND misc() { return static_cast<HWND>(optionsWorkingCopy()->miscPage); }

// Selects item `index` of control `id` of the colour page (or presses the
// initialise button) as a click would.
void pick(int id, int index) {
    HWND control = GetDlgItem(page(), id);
    if (id != IDC_COL_RESET) SendMessageA(control, id == IDC_COL_LIST ? LB_SETCURSEL : CB_SETCURSEL, index, 0);
    int code = id == IDC_COL_LIST ? LBN_SELCHANGE : id == IDC_COL_COMBO ? CBN_SELCHANGE : BN_CLICKED;
    SendMessageA(page(), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

// Runs `steps` in the open, painted dialog, then closes it with `button`.
void runOptions(std::function<void(HWND)> steps, int button) {
    DialogScript::expect([steps, button](HWND dialog) {
        runWhenVisible(dialog, [=] {
            RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            if (steps) steps(dialog);
            PostMessageA(dialog, WM_COMMAND, button, 0);
        });
    });
    SendMessageA(mainWindow, WM_COMMAND, IDM_OPTIONS, 0);
}

// Pixels of `color` in the preview frame, as the screen shows them.
int previewPixels(COLORREF color) {
    RECT r{};
    GetWindowRect(GetDlgItem(page(), IDC_COL_PREVIEW), &r);
    MapWindowPoints(nullptr, page(), reinterpret_cast<POINT*>(&r), 2);
    HDC dc = GetDC(page());
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) n += GetPixel(dc, x, y) == color;
    }
    ReleaseDC(page(), dc);
    return n;
}

using OptionsDialogTest = FrameTest;

}  // namespace

TEST_F(OptionsDialogTest, InitialiseChangesTheTableOnlyOnOk) {
    uint32_t* table = editorState->colorTable;
    for (int i = 0; i < kColorSlots; ++i) table[i] = rgbColor(1, 2, uint8_t(3 + i));
    uint32_t before[kColorSlots], expected[kColorSlots];
    std::memcpy(before, table, sizeof before);
    std::memcpy(expected, table, sizeof expected);
    fillDefaultColors(expected, SystemColors{GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_HIGHLIGHTTEXT),
                                             GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)});

    runOptions([](HWND) { pick(IDC_COL_RESET, 0); }, IDCANCEL);
    EXPECT_EQ(std::memcmp(table, before, sizeof before), 0);
    runOptions([](HWND) { pick(IDC_COL_RESET, 0); }, IDOK);
    for (int i = 0; i < kColorSlots; ++i) EXPECT_EQ(table[i], expected[i]) << "slot " << i;  // 14..23 kept
}

TEST_F(OptionsDialogTest, PaletteChoicesAreWhatTheProgramStores) {
    const uint32_t system = rgbColor(0xD4, 0xD0, 0xC8);  // not a palette colour
    editorState->colorTable[selectionBack] = system;
    LRESULT shown = -1;
    bool disabledAtFirst = false;
    runOptions([&](HWND) {
        disabledAtFirst = !IsWindowEnabled(GetDlgItem(page(), IDC_COL_COMBO));
        pick(IDC_COL_LIST, selectionBack);
        shown = SendDlgItemMessageA(page(), IDC_COL_COMBO, CB_GETCURSEL, 0, 0);
        pick(IDC_COL_LIST, changedText);
        pick(IDC_COL_COMBO, 12);  // blue
    }, IDOK);
    EXPECT_TRUE(disabledAtFirst);
    EXPECT_EQ(shown, 0) << "black stands for a colour outside the palette";
    EXPECT_EQ(editorState->colorTable[selectionBack], system) << "a slot only looked at keeps its colour";

    saveSettings();  // as at exit
    HKEY key;
    uint32_t stored[kColorSlots] = {};
    DWORD size = sizeof stored;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\ORVA\\MOXEL", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegQueryValueExA(key, "Color", nullptr, nullptr, reinterpret_cast<BYTE*>(stored), &size);
    RegCloseKey(key);
    EXPECT_EQ(stored[changedText], rgbColor(0, 0, 255));
    EXPECT_EQ(stored[selectionBack], system);
}

TEST_F(OptionsDialogTest, PreviewTabsAndHelp) {
    int before = -1, chosen = -1, repainted = -1;
    bool miscShown = false, colorHidden = false;
    runOptions([&](HWND dialog) {
        pick(IDC_COL_LIST, markBack);
        before = previewPixels(RGB(255, 0, 0));
        pick(IDC_COL_COMBO, 9);  // red
        chosen = previewPixels(RGB(255, 0, 0));
        RedrawWindow(page(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        repainted = previewPixels(RGB(255, 0, 0));

        HWND tab = GetDlgItem(dialog, IDC_OPT_TAB);
        SendMessageA(tab, TCM_SETCURSEL, 1, 0);
        NMHDR change{tab, IDC_OPT_TAB, static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageA(dialog, WM_NOTIFY, IDC_OPT_TAB, reinterpret_cast<LPARAM>(&change));
        miscShown = IsWindowVisible(misc());
        colorHidden = !IsWindowVisible(page());
        SendMessageA(dialog, WM_COMMAND, IDC_OPT_HELP, 0);
    }, IDCANCEL);
    EXPECT_EQ(before, 0);
    EXPECT_GT(chosen, 0) << "the mark background is not shown in red";
    EXPECT_EQ(repainted, chosen) << "the preview is lost when the page repaints";
    EXPECT_TRUE(miscShown && colorHidden);
    EXPECT_EQ(helpWindows().size(), 1u) << "context 1011 opened no help";
    EXPECT_NE(editorState->colorTable[markBack], rgbColor(255, 0, 0));
}

TEST_F(OptionsDialogTest, OkRepaintsWithADocumentAndStartOptionsWaitForTheNextStart) {
    pumpMessages();
    runOptions(nullptr, IDOK);
    EXPECT_FALSE(GetUpdateRect(win().viewWindow, nullptr, FALSE)) << "nothing to repaint without a document";
    char status[64];
    wsprintfA(status, stringText(IDS_FMT_FILE_STATUS).c_str(), 0UL, "");
    EXPECT_EQ(statusText(kStatusFilePart), status);

    loadDocument("some bytes", "C:\\data\\o.bin");
    pumpMessages();
    editorState->options[25] = 9;  // reserved bytes are kept
    runOptions([](HWND) {
        CheckDlgButton(misc(), IDC_MISC_START_KANJI, BST_CHECKED);
        CheckDlgButton(misc(), IDC_MISC_PRINT_ADDRESS, BST_CHECKED);
    }, IDOK);
    EXPECT_TRUE(GetUpdateRect(win().viewWindow, nullptr, FALSE) && GetUpdateRect(win().labelWindow, nullptr, FALSE));
    const uint8_t* o = editorState->options;
    EXPECT_TRUE(o[startHex] == 0 && o[startKanji] == 1 && o[printAddresses] == 1 && o[25] == 9);
    EXPECT_EQ(isKanjiMode(), 0) << "kanji mode must not change now";

    // The frame closes as the user closes it (writing the settings) and
    // start-up runs again. (Another process's menu cannot be read under Wine.)
    SendMessageA(frame(), WM_CLOSE, 0, 0);
    pumpMessages();
    releaseResources(0);
    freeEditorStateRecord();
    ASSERT_EQ(initEditorState(), 1);
    ASSERT_EQ(createMainWindow(0, SW_SHOWNORMAL), 1);
    EXPECT_EQ(isKanjiMode(), 1);
    EXPECT_EQ(editorState->options[printAddresses], 1);
}
