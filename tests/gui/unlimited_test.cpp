// Editing without limits in the real frame: the switch with its menus, its
// setting and what Ctrl+Z means; a byte selection cut and pasted back, undone
// and redone by the keys.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"
#include "support/dialog_steps_win.h"
#include "support/gui_harness_win.h"

using namespace gui;

namespace {

std::string clipboardText() {
    char* text = getClipboardText(mainWindow, nullptr);
    std::string copy = text != nullptr ? text : "";
    std::free(text);
    return copy;
}

class UnlimitedEditingTest : public ViewFrameTest {
protected:
    void command(int id) {
        SendMessageA(frame(), WM_COMMAND, id, 0);
        pumpMessages();
    }
    // The Edit menu as it opens.
    UINT menuState(int id) {
        HMENU menu = GetMenu(frame());
        SendMessageA(frame(), WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
        return GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND);
    }
    bool grayed(int id) { return (menuState(id) & MF_GRAYED) != 0; }
    std::string menuText(int id) {
        char text[128] = "";
        GetMenuStringA(GetMenu(frame()), static_cast<UINT>(id), text, sizeof text, MF_BYCOMMAND);
        return text;
    }
    std::string document() const {
        return std::string(reinterpret_cast<const char*>(s().documentBytes), s().documentSize);
    }
    void open(const std::string& bytes) {
        path = makeTempFile("unlimited.bin", bytes);
        ASSERT_EQ(openFile(frame(), path.c_str(), 0), 1);
        pumpMessages();
    }
    std::string path;
};

// The switch as the settings key holds it: "Unlimited", a DWORD.
std::string storedSwitch() {
    const std::string values = registrySnapshot(HKEY_CURRENT_USER, "Software\\ORVA\\MOXEL");
    const size_t at = values.find("Unlimited/4=");
    return at == std::string::npos ? "(none)" : values.substr(at + 12, 4);
}

}  // namespace

TEST_F(UnlimitedEditingTest, TheSwitchSetsTheMenusTheSettingAndWhatCtrlZMeans) {
    open("0123456789abcdef0123");

    // Off: the new commands are grey, Ctrl+Z opens the change history.
    EXPECT_EQ(menuState(IDM_UNLIMITED) & MF_CHECKED, 0u);
    for (int id : {IDM_STEP_UNDO, IDM_REDO, IDM_CUT, IDM_FILL}) EXPECT_TRUE(grayed(id)) << id;
    EXPECT_EQ(menuText(IDM_UNDO), stringText(IDS_HISTORY_MENU_KEY));
    pressKey(view(), '4');
    DialogScript::expect(answerWith(IDCANCEL));
    ASSERT_TRUE(pressAccelerator('Z', true, false));
    EXPECT_EQ(lastDialogTitle(), "変更履歴一覧");
    EXPECT_EQ(document().substr(0, 1), "@");

    // On: a run of digits is one step; the history stays on its menu item.
    command(IDM_UNLIMITED);
    EXPECT_NE(menuState(IDM_UNLIMITED) & MF_CHECKED, 0u);
    EXPECT_EQ(menuText(IDM_UNDO), stringText(IDS_HISTORY_MENU_PLAIN));
    EXPECT_TRUE(grayed(IDM_STEP_UNDO));
    pressKey(view(), VK_RIGHT);
    for (int digit : {'7', '7', '7'}) pressKey(view(), digit);
    const std::string typed = document();
    EXPECT_EQ(typed.substr(0, 3), "@wr");
    EXPECT_FALSE(grayed(IDM_STEP_UNDO));
    EXPECT_TRUE(grayed(IDM_REDO));
    ASSERT_TRUE(pressAccelerator('Z', true, false));
    EXPECT_EQ(document().substr(0, 3), "@12");
    EXPECT_EQ(s().caretOffset, 1) << "where the run began";
    EXPECT_EQ(s().caretNibble, 0);
    EXPECT_EQ(s().changeCount, 1) << "the digit typed before the switch keeps its record";
    EXPECT_TRUE(grayed(IDM_STEP_UNDO)) << "the history began with the switch";
    ASSERT_TRUE(pressAccelerator('Y', true, false));
    EXPECT_EQ(document(), typed);
    DialogScript::expect(answerWith(IDCANCEL));
    command(IDM_UNDO);  // the menu item and the toolbar button
    EXPECT_EQ(lastDialogTitle(), "変更履歴一覧");

    // Off again with unsaved changes: No keeps it on; Yes saves first.
    DialogScript::expect(answerWith(IDNO));
    command(IDM_UNLIMITED);
    EXPECT_EQ(s().unlimited, 1);
    EXPECT_EQ(lastDialogText(), stringText(IDS_ASK_SAVE_FOR_LIMITS));
    DialogScript::expect(answerWith(IDYES));
    command(IDM_UNLIMITED);
    EXPECT_EQ(s().unlimited, 0);
    EXPECT_EQ(s().modified, 0);
    EXPECT_EQ(readFile(path), typed);
    EXPECT_TRUE(grayed(IDM_STEP_UNDO));
    EXPECT_EQ(menuText(IDM_UNDO), stringText(IDS_HISTORY_MENU_KEY));

    // The setting: written as a DWORD once the user switched.
    command(IDM_UNLIMITED);
    saveSettings();
    EXPECT_EQ(storedSwitch(), std::string("\1\0\0\0", 4));
    command(IDM_UNLIMITED);  // nothing unsaved: no question
    saveSettings();
    EXPECT_EQ(storedSwitch(), std::string(4, '\0'));
}

TEST_F(UnlimitedEditingTest, ByteSelectionIsCutAndPastedElsewhereThenUndoneAndRedone) {
    open("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    command(IDM_UNLIMITED);
    s().caretOffset = 2;
    s().caretNibble = 0;
    for (int i = 0; i < 8; ++i) pressKey(view(), VK_RIGHT, VK_SHIFT);  // C..G
    pressKey(view(), VK_LEFT, VK_SHIFT);
    pressKey(view(), VK_LEFT, VK_SHIFT);
    EXPECT_EQ(statusText(kStatusFilePart), "00000002-00000005 (4)");
    EXPECT_FALSE(grayed(IDM_CUT));

    ASSERT_TRUE(pressAccelerator('X', true, false));
    EXPECT_EQ(clipboardText(), "43 44 45 46");
    EXPECT_EQ(document(), "ABGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(s().selectionEndByte, -1);

    // Pasted over a selection of two bytes: the document grows by two.
    s().caretOffset = 20;
    s().caretNibble = 0;
    pressKey(view(), VK_END, VK_SHIFT);  // Y and Z
    ASSERT_TRUE(pressAccelerator('V', true, true));
    EXPECT_EQ(document(), "ABGHIJKLMNOPQRSTUVWXCDEF");
    EXPECT_EQ(s().modified, 1);

    // Undone step by step back to the file's bytes, then redone.
    ASSERT_TRUE(pressAccelerator('Z', true, false));
    EXPECT_EQ(document(), "ABGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(s().selectionAnchorByte, 20) << "the selection as it was before the paste";
    ASSERT_TRUE(pressAccelerator('Z', true, false));
    EXPECT_EQ(document(), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(s().modified, 0);
    EXPECT_EQ(s().selectionAnchorByte, 2);
    ASSERT_TRUE(pressAccelerator('Y', true, false));
    ASSERT_TRUE(pressAccelerator('Y', true, false));
    EXPECT_EQ(document(), "ABGHIJKLMNOPQRSTUVWXCDEF");

    // Under the edit lock nothing of it works.
    command(IDM_EDIT_LOCK);
    EXPECT_TRUE(pressAccelerator('Z', true, false));
    EXPECT_EQ(document(), "ABGHIJKLMNOPQRSTUVWXCDEF");
    command(IDM_EDIT_LOCK);
    s().modified = 0;  // no save question at the close
}
