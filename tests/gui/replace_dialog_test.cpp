// Find previous, and the modeless search and replace dialog (1621) with its
// find-all list (1622), driven through their real windows.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>

#include "resource_ids.h"
#include "shell/editor_state_win.h"
#include "shell/settings_win.h"
#include "support/gui_harness_win.h"
#include "tools/progress_win.h"
#include "tools/replace_dialog_win.h"
#include "tools/search_query.h"
#include "tools/value_entry.h"

using namespace gui;

namespace {

void click(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    pumpMessages();
}

}  // namespace

using ReplaceDialogTest = ViewFrameTest;

TEST_F(ReplaceDialogTest, FindPreviousThenEveryButtonOfTheDialog) {
    loadDocument("xxabcabcxxABCxx", tempPath("replace.bin"));
    EditorState& st = s();
    searchAsHex = 0;
    std::strcpy(st.findText, "abc");

    // Find previous steps back from the caret, then reports that nothing is left.
    st.caretOffset = 10;
    for (int expected : {5, 2}) {
        SendMessageA(frame(), WM_COMMAND, IDM_FIND_PREVIOUS, 0);
        EXPECT_EQ(st.foundOffset, expected);
        EXPECT_EQ(st.caretOffset, expected);
    }
    DialogScript::expect(answerWith(IDOK));
    SendMessageA(frame(), WM_COMMAND, IDM_FIND_PREVIOUS, 0);
    EXPECT_EQ(lastDialogText(), "'abc' は見つかりませんでした。");
    EXPECT_EQ(st.foundOffset, -1);
    EXPECT_EQ(st.caretOffset, 2);

    // The dialog opens with the last search text, letter case mattering.
    DialogScript::expect([](HWND) {});
    SendMessageA(frame(), WM_COMMAND, IDM_REPLACE, 0);
    HWND dialog = replaceDialogWindow();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(windowText(GetDlgItem(dialog, IDC_RP_FIND)), "abc");
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_RP_MATCH_CASE), UINT{BST_CHECKED});
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_RP_DOWN), UINT{BST_CHECKED});

    SetDlgItemTextA(dialog, IDC_RP_REPLACE, "XYZ");
    CheckDlgButton(dialog, IDC_RP_MATCH_CASE, BST_UNCHECKED);
    st.caretOffset = 0;
    click(dialog, IDC_RP_FIND_NEXT);
    EXPECT_EQ(st.foundOffset, 2);
    click(dialog, IDC_RP_REPLACE_ONE);  // replaces the framed match, goes on to the next
    EXPECT_EQ(std::string(reinterpret_cast<char*>(st.documentBytes), st.documentSize), "xxXYZabcxxABCxx");
    EXPECT_EQ(st.changeCount, 6);
    EXPECT_EQ(st.foundOffset, 5);
    click(dialog, IDC_RP_REPLACE_ALL);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(st.documentBytes), st.documentSize), "xxXYZXYZxxXYZxx");
    EXPECT_EQ(st.changeCount, 18);
    EXPECT_EQ(st.modified, 1);
    EXPECT_EQ(windowText(GetDlgItem(dialog, IDC_RP_STATUS)), "2 箇所を置換しました。");

    // Find all lists every match; choosing a row frames it.
    SetDlgItemTextA(dialog, IDC_RP_FIND, "xyz");
    DialogScript::expect([](HWND) {});
    click(dialog, IDC_RP_FIND_ALL);
    HWND found = findAllWindow();
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(windowText(found), "検索結果 - 'xyz' (3 件)");
    HWND list = GetDlgItem(found, IDC_FA_LIST);
    ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(listCell(list, 2, 0), "0000000A");
    EXPECT_EQ(listCell(list, 2, 1), "58 59 5A");
    EXPECT_EQ(listCell(list, 2, 2), "xxXYZXYZxxXYZxx");
    LVITEMA select{};
    select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    select.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&select));
    pumpMessages();
    EXPECT_EQ(st.caretOffset, 10);
    EXPECT_EQ(st.foundOffset, 10);
    EXPECT_EQ(st.foundLength, 3);

    // Closing keeps the texts and options for the next run.
    click(dialog, IDCANCEL);
    EXPECT_EQ(replaceDialogWindow(), nullptr);
    EXPECT_STREQ(st.replaceFindText, "xyz");
    EXPECT_STREQ(st.replaceText, "XYZ");
    EXPECT_EQ(st.searchOptions & (searchMatchCase | searchOptionsSet), searchOptionsSet);
    saveSettings();
    RegistryKey key(kSettingsPath, kSettingsSubkey, 1);
    char stored[kFindTextLength] = "";
    uint32_t options = 0;
    EXPECT_GT(key.readString("Replace", stored, sizeof stored), 0);
    EXPECT_STREQ(stored, "XYZ");
    EXPECT_EQ(key.readBinary("FindOpt", &options, sizeof options), 1);
    EXPECT_EQ(options, st.searchOptions);
    DestroyWindow(found);
    EXPECT_EQ(findAllWindow(), nullptr);
}

namespace {

// Chooses a kind in the dialog's list as a user does.
void chooseKind(HWND dialog, SearchKind kind) {
    SendDlgItemMessageA(dialog, IDC_RP_KIND, CB_SETCURSEL, static_cast<WPARAM>(kind), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_RP_KIND, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_RP_KIND)));
}

}  // namespace

// F3 and Shift+F3 repeat whichever searched last: the dialog, with its
// options, or the search prompt.
TEST_F(ReplaceDialogTest, FindNextRepeatsTheLastSearchOfDialogOrPrompt) {
    loadDocument(std::string("a\0B\0.ab.A\0b\0", 12), tempPath("repeat.bin"));
    EditorState& st = s();
    searchAsHex = 0;
    EXPECT_EQ(buttonState(IDM_FIND_NEXT) & TBSTATE_ENABLED, 0);
    DialogScript::expect([](HWND) {});
    SendMessageA(frame(), WM_COMMAND, IDM_REPLACE, 0);
    HWND dialog = replaceDialogWindow();
    SetDlgItemTextA(dialog, IDC_RP_FIND, "ab");
    chooseKind(dialog, SearchKind::utf16le);
    CheckDlgButton(dialog, IDC_RP_MATCH_CASE, BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_RP_BY_KIND), UINT{BST_CHECKED});
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_RP_WHOLE_CHARS)));
    click(dialog, IDC_RP_FIND_NEXT);
    EXPECT_EQ(st.foundOffset, 0);
    EXPECT_EQ(buttonState(IDM_FIND_NEXT) & TBSTATE_ENABLED, TBSTATE_ENABLED);
    click(dialog, IDCANCEL);

    SendMessageA(frame(), WM_COMMAND, IDM_FIND_NEXT, 0);
    EXPECT_EQ(st.foundOffset, 8);
    EXPECT_EQ(st.foundLength, 4);
    SendMessageA(frame(), WM_COMMAND, IDM_FIND_PREVIOUS, 0);
    EXPECT_EQ(st.foundOffset, 0);
    EXPECT_STREQ(st.findText, "");  // the prompt's text is its own

    // The prompt searches its text as bytes; F3 follows it from then on.
    DialogScript::expect([](HWND d) {
        SetDlgItemTextA(d, IDC_VE_EDIT, "ab");
        PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    SendMessageA(frame(), WM_COMMAND, IDM_FIND, 0);
    pumpMessages();
    EXPECT_EQ(st.foundOffset, 5);
    DialogScript::expect(answerWith(IDOK));
    SendMessageA(frame(), WM_COMMAND, IDM_FIND_NEXT, 0);
    EXPECT_EQ(lastDialogText(), "'ab' は見つかりませんでした。");
}

// Cancel in the progress window of a long replace all or find all leaves the
// document and the lists as they were. The window's delay is set to nothing,
// so that it shows at the first report, a few MiB into the search.
TEST_F(ReplaceDialogTest, CancelledLongCommandsChangeNothing) {
    std::string bytes(12 << 20, '.');
    for (size_t at : {size_t{0}, size_t{5} << 20, bytes.size() - 2}) bytes.replace(at, 2, "ab");
    loadDocument(bytes, tempPath("long.bin"));
    EditorState& st = s();
    struct Delay {
        Delay() { setProgressDelayForTests(0); }
        ~Delay() { setProgressDelayForTests(kProgressDelayMs); }
    } noDelay;
    DialogScript::expect([](HWND) {});
    SendMessageA(frame(), WM_COMMAND, IDM_REPLACE, 0);
    HWND dialog = replaceDialogWindow();
    SetDlgItemTextA(dialog, IDC_RP_FIND, "ab");
    SetDlgItemTextA(dialog, IDC_RP_REPLACE, "cd");
    std::string caption;
    for (int button : {IDC_RP_REPLACE_ALL, IDC_RP_FIND_ALL}) {
        DialogScript::expect([&](HWND progress) {
            caption = windowText(progress);
            EXPECT_FALSE(IsWindowEnabled(frame()));
            EXPECT_FALSE(IsWindowEnabled(dialog));
            PostMessageA(progress, WM_COMMAND, IDCANCEL, 0);
        });
        click(dialog, button);
        EXPECT_EQ(DialogScript::pending(), 0u);
        EXPECT_EQ(caption, stringText(button == IDC_RP_FIND_ALL ? IDS_PROGRESS_FIND_ALL : IDS_PROGRESS_REPLACE_ALL));
        EXPECT_TRUE(IsWindowEnabled(frame()));
        EXPECT_TRUE(IsWindowEnabled(dialog));
    }
    EXPECT_EQ(std::memcmp(st.documentBytes, bytes.data(), bytes.size()), 0);
    EXPECT_EQ(st.changeCount, 0);
    EXPECT_EQ(findAllWindow(), nullptr);
    EXPECT_EQ(st.repeatOptions, 0u);
    EXPECT_EQ(windowText(GetDlgItem(dialog, IDC_RP_STATUS)), "");
    click(dialog, IDCANCEL);
}
