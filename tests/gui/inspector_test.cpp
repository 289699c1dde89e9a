// The data inspector pane in the real frame: shown beside the view, a value
// typed into it written at the caret and recorded as typed digits would be,
// and values it must refuse.
#include <windows.h>

#include <string>

#include "document/record_list.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/settings_codec.h"
#include "shell/settings_win.h"
#include "support/gui_harness_win.h"
#include "view/inspector_pane.h"
#include "view/inspector_win.h"

using namespace gui;

namespace {

class InspectorTest : public ViewFrameTest {
protected:
    HWND pane() const { return win().inspectorWindow; }

    // Double-clicks the value of `row` (its big-endian side when asked) and types `text` (if any) into the editor.
    HWND typeInto(InspectRow row, bool big, const wchar_t* text) {
        const InspectorGeometry g = inspectorGeometry(s().charWidth, s().lineHeight);
        const int x = (big ? g.bigLeft : g.littleLeft) + s().charWidth;
        const int y = (static_cast<int>(row) + 1) * g.rowHeight + g.rowHeight / 2;
        SendMessageA(pane(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
        HWND editor = GetDlgItem(pane(), IDC_INSPECTOR_EDIT);
        if (editor != nullptr && text != nullptr) SetWindowTextW(editor, text);
        return editor;
    }

    std::string bytes(uint32_t from, uint32_t n) const {
        return std::string(reinterpret_cast<const char*>(s().documentBytes) + from, n);
    }
};

}  // namespace

TEST_F(InspectorTest, TypedValueIsWrittenAtTheCaretAndRecordedAndBadOnesAreRefused) {
    loadDocument(std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F\x10", 16),
                 "C:\\data\\inspect.bin");
    const RECT viewBefore = childRect(view());
    SendMessageA(frame(), WM_COMMAND, IDM_INSPECTOR, 0);
    pumpMessages();
    ASSERT_NE(pane(), nullptr);
    EXPECT_TRUE(IsWindowVisible(pane()));
    EXPECT_TRUE(GetMenuState(GetMenu(frame()), IDM_INSPECTOR, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(childRect(view()).right, childRect(pane()).left) << "the view narrows by the pane";
    EXPECT_EQ(childRect(win().labelWindow).right, childRect(pane()).left);

    // int16 big endian at offset 2: both nibbles of both bytes change, each recorded.
    s().caretOffset = 2;
    HWND editor = typeInto(InspectRow::int16, true, L"-2");
    ASSERT_NE(editor, nullptr);
    SendMessageA(editor, WM_KEYDOWN, VK_RETURN, 0);
    pumpMessages();
    EXPECT_EQ(bytes(0, 5), std::string("\x01\x02\xFF\xFE\x05", 5));
    EXPECT_EQ(s().caretOffset, 2);
    EXPECT_EQ(s().modified, 1);
    ASSERT_EQ(s().changeCount, 4);
    const int expected[4][3] = {{2, 0, 0x03}, {2, 1, 0xF3}, {3, 0, 0x04}, {3, 1, 0xF4}};
    for (const auto& e : expected) {
        const int i = findRecord(s(), RecordList::Change, e[0], e[1]);
        ASSERT_NE(i, -1) << e[0] << "/" << e[1];
        EXPECT_EQ(s().changeList[i]->byteValue, e[2]);
    }
    EXPECT_EQ(GetDlgItem(pane(), IDC_INSPECTOR_EDIT), nullptr) << "the editor closes after a write";

    // Refused: a value outside the type, and one that would need bytes past the end.
    struct Refusal {
        int32_t caret;
        InspectRow row;
        const wchar_t* text;
        int message;
    } refusals[] = {
        {2, InspectRow::int8, L"200", IDS_ERR_INVALID_TEXT},
        {2, InspectRow::utf8, L"ab", IDS_ERR_INVALID_TEXT},
        {14, InspectRow::uint32, L"1", IDS_ERR_PAST_END},
    };
    for (const Refusal& r : refusals) {
        s().caretOffset = r.caret;
        editor = typeInto(r.row, false, r.text);
        ASSERT_NE(editor, nullptr);
        DialogScript::expect(answerWith(IDOK));
        SendMessageA(editor, WM_KEYDOWN, VK_RETURN, 0);
        pumpMessages();
        EXPECT_EQ(lastDialogText(), stringText(r.message));
        EXPECT_EQ(s().changeCount, 4);
        EXPECT_EQ(bytes(0, 16), std::string("\x01\x02\xFF\xFE\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F\x10", 16));
        ASSERT_EQ(GetDlgItem(pane(), IDC_INSPECTOR_EDIT), editor) << "the text stays to be mended";
        SendMessageA(editor, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_EQ(GetDlgItem(pane(), IDC_INSPECTOR_EDIT), nullptr);
    }

    // Under the edit lock the editor does not open.
    SendMessageA(frame(), WM_COMMAND, IDM_EDIT_LOCK, 0);
    EXPECT_EQ(typeInto(InspectRow::int8, false, L"1"), nullptr);
    SendMessageA(frame(), WM_COMMAND, IDM_EDIT_LOCK, 0);

    // Hidden again: the original layout, and the placement stored for the next start.
    SendMessageA(frame(), WM_COMMAND, IDM_INSPECTOR, 0);
    pumpMessages();
    EXPECT_FALSE(IsWindowVisible(pane()));
    EXPECT_EQ(childRect(view()).right, viewBefore.right);
    saveSettings();
    RegistryKey key(kSettingsPath, kSettingsSubkey, 1);
    SettingBytes raw;
    InspectorPlacement stored{9, 9};
    ASSERT_TRUE(key.readRaw("Inspect", raw));
    EXPECT_EQ(decodeInspectorPlacement(raw.data(), raw.size(), stored), 1);
    EXPECT_EQ(stored.shown, 0);
}

TEST_F(InspectorTest, EditorOpensWithTheValueAtTheCaretBeforeThePaneCaughtUp) {
    loadDocument(std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8), "C:\\data\\follow.bin");
    SendMessageA(frame(), WM_COMMAND, IDM_INSPECTOR, 0);
    pumpMessages();
    ASSERT_NE(pane(), nullptr);

    // The caret moves and the pane is told so; its timer has yet to run.
    for (int32_t caret : {5, 2}) {
        s().caretOffset = caret;
        inspectorFollow();
        HWND editor = typeInto(InspectRow::uint8, false, nullptr);
        ASSERT_NE(editor, nullptr);
        wchar_t text[16] = {};
        GetWindowTextW(editor, text, 16);
        EXPECT_EQ(std::wstring(text), std::to_wstring(caret + 1)) << "caret " << caret;
        SendMessageA(editor, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_EQ(GetDlgItem(pane(), IDC_INSPECTOR_EDIT), nullptr);
    }
    SendMessageA(frame(), WM_COMMAND, IDM_INSPECTOR, 0);
    pumpMessages();
}
