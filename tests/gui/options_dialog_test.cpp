// The options dialog: the colour page with its palette and preview, the
// initialise button, OK and Cancel, the numbers page, and what reaches the
// registry and the next start.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <functional>
#include <string>

#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"
#include "shell/startup_win.h"
#include "support/gui_harness_win.h"
#include "support/help_windows_win.h"
#include "support/later_win.h"
#include "view/colors.h"
#include "view/options_dialog_win.h"

using namespace gui;

namespace {

HWND colorPage() { return static_cast<HWND>(optionsWorkingCopy()->colorPage); }
HWND miscPage() { return static_cast<HWND>(optionsWorkingCopy()->miscPage); }

void chooseSlot(int slot) {
    HWND list = GetDlgItem(colorPage(), IDC_COL_LIST);
    SendMessageA(list, LB_SETCURSEL, slot, 0);
    SendMessageA(colorPage(), WM_COMMAND, MAKEWPARAM(IDC_COL_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void choosePaletteEntry(int index) {
    HWND combo = GetDlgItem(colorPage(), IDC_COL_COMBO);
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    SendMessageA(colorPage(), WM_COMMAND, MAKEWPARAM(IDC_COL_COMBO, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void pressInitialise() {
    HWND button = GetDlgItem(colorPage(), IDC_COL_RESET);
    SendMessageA(colorPage(), WM_COMMAND, MAKEWPARAM(IDC_COL_RESET, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

// Runs `steps` in the open, painted dialog, then closes it with `button`.
void runOptions(HWND owner, std::function<void(HWND)> steps, int button) {
    DialogScript::expect([steps, button](HWND dialog) {
        runWhenVisible(dialog, [dialog, steps, button] {
            RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            if (steps) steps(dialog);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        });
    });
    SendMessageA(owner, WM_COMMAND, IDM_OPTIONS, 0);
}

// Pixels of `color` in the preview frame of the colour page, as the screen shows them.
int previewPixels(uint32_t color) {
    HWND page = colorPage();
    HWND frame = GetDlgItem(page, IDC_COL_PREVIEW);
    RECT r{};
    GetClientRect(frame, &r);
    MapWindowPoints(frame, page, reinterpret_cast<POINT*>(&r), 2);
    HDC dc = GetDC(page);
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) n += GetPixel(dc, x, y) == color ? 1 : 0;
    }
    ReleaseDC(page, dc);
    return n;
}

void fillTable(uint32_t (&table)[kColorSlots]) {
    for (int i = 0; i < kColorSlots; ++i) table[i] = rgbColor(1, 2, static_cast<uint8_t>(3 + i));
}

using OptionsDialogTest = FrameTest;

}  // namespace

TEST_F(OptionsDialogTest, InitialiseThenCancelLeavesTheTable) {
    uint32_t before[kColorSlots];
    fillTable(editorState->colorTable);
    std::memcpy(before, editorState->colorTable, sizeof before);
    uint32_t workingAfterReset = 0;
    runOptions(frame(), [&](HWND) {
        pressInitialise();
        workingAfterReset = optionsWorkingCopy()->colors[caretDump];
    }, IDCANCEL);
    EXPECT_EQ(workingAfterReset, rgbColor(0, 0, 255)) << "the copy took the defaults";
    EXPECT_EQ(std::memcmp(editorState->colorTable, before, sizeof before), 0);
    EXPECT_EQ(optionsWorkingCopy(), nullptr);
}

TEST_F(OptionsDialogTest, InitialiseThenOkSetsTheNamedSlotsAndKeepsTheReservedOnes) {
    fillTable(editorState->colorTable);
    uint32_t before[kColorSlots];
    std::memcpy(before, editorState->colorTable, sizeof before);
    runOptions(frame(), [](HWND) { pressInitialise(); }, IDOK);

    uint32_t expected[kColorSlots];
    std::memcpy(expected, before, sizeof expected);
    fillDefaultColors(expected, SystemColors{GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_HIGHLIGHTTEXT),
                                             GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)});
    for (int i = 0; i < kColorSlots; ++i) EXPECT_EQ(editorState->colorTable[i], expected[i]) << "slot " << i;
}

TEST_F(OptionsDialogTest, PaletteShowsBlackForForeignColoursAndChangesOnlyChosenSlots) {
    const uint32_t foreign = rgbColor(0xD4, 0xD0, 0xC8);  // a system colour, not in the palette
    editorState->colorTable[selectionBack] = foreign;
    editorState->colorTable[changedText] = rgbColor(255, 0, 0);
    bool comboDisabledAtFirst = false;
    LRESULT shownForForeign = -1, shownForRed = -1;
    runOptions(frame(), [&](HWND) {
        HWND combo = GetDlgItem(colorPage(), IDC_COL_COMBO);
        comboDisabledAtFirst = !IsWindowEnabled(combo);
        EXPECT_EQ(SendDlgItemMessageA(colorPage(), IDC_COL_LIST, LB_GETCOUNT, 0, 0), kNamedColorCount);
        EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 16);
        chooseSlot(selectionBack);
        shownForForeign = SendMessageA(combo, CB_GETCURSEL, 0, 0);
        EXPECT_TRUE(IsWindowEnabled(combo));
        chooseSlot(changedText);
        shownForRed = SendMessageA(combo, CB_GETCURSEL, 0, 0);
        choosePaletteEntry(12);  // blue
    }, IDOK);
    EXPECT_TRUE(comboDisabledAtFirst);
    EXPECT_EQ(shownForForeign, 0) << "black stands for a colour outside the palette";
    EXPECT_EQ(shownForRed, 9);
    EXPECT_EQ(editorState->colorTable[selectionBack], foreign) << "a slot only looked at keeps its colour";
    EXPECT_EQ(editorState->colorTable[changedText], rgbColor(0, 0, 255));

    // What the program writes at exit is the chosen table.
    saveSettings();
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\ORVA\\MOXEL", 0, KEY_READ, &key), ERROR_SUCCESS);
    uint32_t stored[kColorSlots] = {};
    DWORD size = sizeof stored;
    EXPECT_EQ(RegQueryValueExA(key, "Color", nullptr, nullptr, reinterpret_cast<BYTE*>(stored), &size), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(stored[changedText], rgbColor(0, 0, 255));
    EXPECT_EQ(stored[selectionBack], foreign);
}

TEST_F(OptionsDialogTest, PreviewShowsTheWorkingColourAndComesBackAfterARepaint) {
    int before = -1, chosen = -1, repainted = -1;
    runOptions(frame(), [&](HWND) {
        chooseSlot(markBack);
        before = previewPixels(rgbColor(255, 0, 0));
        choosePaletteEntry(9);  // red
        chosen = previewPixels(rgbColor(255, 0, 0));
        InvalidateRect(colorPage(), nullptr, TRUE);
        UpdateWindow(colorPage());
        repainted = previewPixels(rgbColor(255, 0, 0));
    }, IDCANCEL);
    EXPECT_EQ(before, 0);
    EXPECT_GT(chosen, 0) << "the mark background is not shown in red";
    EXPECT_EQ(repainted, chosen);
    EXPECT_NE(editorState->colorTable[markBack], rgbColor(255, 0, 0)) << "Cancel keeps the table";
}

TEST_F(OptionsDialogTest, TabsShowOnePageAtATime) {
    bool colorFirst = false, miscAfter = false, colorHiddenAfter = false;
    runOptions(frame(), [&](HWND dialog) {
        colorFirst = IsWindowVisible(colorPage()) && !IsWindowVisible(miscPage());
        HWND tab = GetDlgItem(dialog, IDC_OPT_TAB);
        EXPECT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 2);
        char text[32] = "";
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(tab, TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(text, "数値等");
        SendMessageA(tab, TCM_SETCURSEL, 1, 0);
        NMHDR change{tab, IDC_OPT_TAB, static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageA(dialog, WM_NOTIFY, IDC_OPT_TAB, reinterpret_cast<LPARAM>(&change));
        miscAfter = IsWindowVisible(miscPage()) != 0;
        colorHiddenAfter = !IsWindowVisible(colorPage());
    }, IDCANCEL);
    EXPECT_TRUE(colorFirst);
    EXPECT_TRUE(miscAfter);
    EXPECT_TRUE(colorHiddenAfter);
}

TEST_F(OptionsDialogTest, OkRepaintsOnlyWithADocumentAndShowsTheFileStatus) {
    pumpMessages();
    runOptions(frame(), nullptr, IDOK);
    EXPECT_FALSE(GetUpdateRect(win().viewWindow, nullptr, FALSE)) << "nothing to repaint without a document";
    char expected[64];
    wsprintfA(expected, stringText(IDS_FMT_FILE_STATUS).c_str(), 0UL, "");
    EXPECT_EQ(statusText(kStatusFilePart), expected);

    loadDocument("some bytes", "C:\\data\\o.bin");
    pumpMessages();
    runOptions(frame(), nullptr, IDOK);
    EXPECT_TRUE(GetUpdateRect(win().viewWindow, nullptr, FALSE)) << "the view keeps its old colours";
    EXPECT_TRUE(GetUpdateRect(win().labelWindow, nullptr, FALSE));
}

TEST_F(OptionsDialogTest, StartInKanjiActsAtTheNextStart) {
    editorState->options[25] = 9;  // reserved bytes are kept
    runOptions(frame(), [](HWND) {
        CheckDlgButton(miscPage(), IDC_MISC_START_KANJI, BST_CHECKED);
        CheckDlgButton(miscPage(), IDC_MISC_PRINT_ADDRESS, BST_CHECKED);
    }, IDOK);
    EXPECT_EQ(editorState->options[startHex], 0);
    EXPECT_EQ(editorState->options[startKanji], 1);
    EXPECT_EQ(editorState->options[printAddresses], 1);
    EXPECT_EQ(editorState->options[25], 9);
    EXPECT_EQ(isKanjiMode(), 0) << "kanji mode must not change now";
    EXPECT_EQ(editorState->hexInput, 0);

    // The settings reach the registry at exit, and the next start reads
    // them: the frame closes as the user closes it, and start-up runs again.
    // (Another process would show the same, but its menu cannot be read
    // from here under Wine.)
    SendMessageA(frame(), WM_CLOSE, 0, 0);
    pumpMessages();
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    releaseResources(0);
    freeEditorStateRecord();
    ASSERT_EQ(initEditorState(), 1);
    ASSERT_EQ(createMainWindow(0, SW_SHOWNORMAL), 1);
    EXPECT_EQ(isKanjiMode(), 1);
    EXPECT_EQ(editorState->options[printAddresses], 1);
    EXPECT_EQ(editorState->hexInput, 0);
}

TEST_F(OptionsDialogTest, HelpButtonOpensTheOptionsTopic) {
    HWND help = nullptr;
    runOptions(frame(), [&](HWND dialog) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_OPT_HELP, BN_CLICKED), 0);
        help = FindWindowA("HH Parent", nullptr);
    }, IDCANCEL);
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(IsWindow(mainWindow));
    closeHelpWindows();
}
