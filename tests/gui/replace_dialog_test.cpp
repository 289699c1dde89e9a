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
