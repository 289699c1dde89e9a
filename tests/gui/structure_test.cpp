// The structure pane in the real frame: a template opened by hand and then
// chosen by its match lines, a chosen field putting the caret on its bytes,
// the caret choosing its field, a typed value written as typed digits are, a
// template that does not parse, and the pane sharing its place with the
// data inspector.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "document/record_list.h"
#include "resource_ids.h"
#include "shell/editor_state_win.h"
#include "shell/settings_win.h"
#include "shell/startup_win.h"
#include "support/gui_harness_win.h"
#include "view/structure_win.h"

using namespace gui;

namespace {

class StructureTest : public ViewFrameTest {
protected:
    HWND pane() const { return structurePaneWindow(); }
    HWND tree() const { return GetDlgItem(pane(), IDC_STRUCTURE_TREE); }

    std::string itemText(HTREEITEM item) const {
        char text[256] = "";
        TVITEMA it{};
        it.mask = TVIF_TEXT;
        it.hItem = item;
        it.pszText = text;
        it.cchTextMax = sizeof text;
        SendMessageA(tree(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
        return text;
    }
    std::string chosenText() const { return itemText(TreeView_GetSelection(tree())); }

    void openTemplate(const std::string& path) {
        DialogScript::expect(chooseInFileDialog(path));
        SendDlgItemMessageA(pane(), IDC_STRUCTURE_OPEN, BM_CLICK, 0, 0);
        pumpMessages();
    }

    std::string bytes(uint32_t from, uint32_t n) const {
        return std::string(reinterpret_cast<const char*>(s().documentBytes) + from, n);
    }
};

const char kDocument[] = "MXL1\0\0\0\x03\x01\x00\x02\x00\x03\x00";

}  // namespace

TEST_F(StructureTest, FieldsFollowTheCaretAndTakeTypedValuesAndBadTemplatesChangeNothing) {
    const std::string good = makeTempFile("pane.mxt",
                                          "match \"*.dat\";\n"
                                          "struct Head { char magic[4]; be u32 count; };\n"
                                          "Head head;\n"
                                          "u16 values[head.count];\n");
    const std::string bad = makeTempFile("broken.mxt", "Head head;\nu16 values[;\n");
    loadDocument(std::string(kDocument, sizeof kDocument - 1), "C:\\data\\sample.dat");
    const RECT viewBefore = childRect(view());
    SendMessageA(frame(), WM_COMMAND, IDM_STRUCTURE, 0);
    pumpMessages();
    ASSERT_NE(pane(), nullptr);
    EXPECT_TRUE(IsWindowVisible(pane()));
    EXPECT_TRUE(GetMenuState(GetMenu(frame()), IDM_STRUCTURE, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(childRect(view()).right, childRect(pane()).left);

    openTemplate(good);
    HTREEITEM head = TreeView_GetRoot(tree());
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(itemText(head), "00000000  head : Head");
    EXPECT_EQ(itemText(TreeView_GetNextSibling(tree(), head)), "00000008  values : u16[3]");

    // A field chosen in the tree (End: the last item) puts the caret on its
    // first byte and highlights its bytes.
    EXPECT_EQ(TreeView_GetSelection(tree()), nullptr) << "the top level only, until the caret moves";
    TreeView_SelectItem(tree(), head);
    SendMessageA(tree(), WM_KEYDOWN, VK_END, 0);
    pumpMessages();
    EXPECT_EQ(s().caretOffset, 8);
    EXPECT_EQ(s().highlight.offset, 8);
    EXPECT_EQ(s().highlight.length, 6);

    // The caret in the view: the innermost field holding it, its parents opened.
    s().caretOffset = 11;
    structureCatchUp();
    EXPECT_EQ(chosenText(), "0000000A  [1] : u16 = 2");

    // F2 edits the value; Enter writes it as typed digits would. The text it
    // opened with writes nothing; a value out of the type's range is refused.
    // A new value keeps the items, which take their new texts.
    HTREEITEM chosen = TreeView_GetSelection(tree());
    struct Edit {
        const wchar_t* text;
        const char* expected;  // bytes 10 and 11 afterwards
        int changes;
        bool refused;
    } edits[] = {{L"2", "\x02\x00", 0, false}, {L"70000", "\x02\x00", 0, true}, {L"513", "\x01\x02", 2, false}};
    for (const Edit& e : edits) {
        SendMessageA(tree(), WM_KEYDOWN, VK_F2, 0);
        HWND editor = GetDlgItem(tree(), IDC_STRUCTURE_EDIT);
        ASSERT_NE(editor, nullptr) << e.expected;
        SetWindowTextW(editor, e.text);
        if (e.refused) DialogScript::expect(answerWith(IDOK));
        SendMessageA(editor, WM_KEYDOWN, VK_RETURN, 0);
        pumpMessages();
        structureCatchUp();
        EXPECT_EQ(bytes(10, 2), std::string(e.expected, 2));
        EXPECT_EQ(s().changeCount, e.changes);
        if (e.refused) {
            EXPECT_EQ(lastDialogText(), stringText(IDS_TEMPLATE_BAD_VALUE));
            ASSERT_EQ(GetDlgItem(tree(), IDC_STRUCTURE_EDIT), editor) << "the text stays to be mended";
            SendMessageA(editor, WM_KEYDOWN, VK_ESCAPE, 0);
        }
        EXPECT_EQ(GetDlgItem(tree(), IDC_STRUCTURE_EDIT), nullptr);
    }
    for (int offset : {10, 11}) EXPECT_NE(findRecord(s(), RecordList::Change, offset, 1), -1) << offset;
    EXPECT_EQ(chosenText(), "0000000A  [1] : u16 = 513") << "the tree reads the new bytes, the field stays chosen";
    EXPECT_EQ(TreeView_GetSelection(tree()), chosen);

    // A new count: the tree made anew, with what was open opened again.
    s().caretOffset = 7;
    structureCatchUp();
    SendMessageA(tree(), WM_KEYDOWN, VK_F2, 0);
    SetWindowTextW(GetDlgItem(tree(), IDC_STRUCTURE_EDIT), L"2");
    SendMessageA(GetDlgItem(tree(), IDC_STRUCTURE_EDIT), WM_KEYDOWN, VK_RETURN, 0);
    structureCatchUp();
    EXPECT_EQ(chosenText(), "00000004  count : be u32 = 2");
    HTREEITEM values = TreeView_GetNextSibling(tree(), TreeView_GetRoot(tree()));
    EXPECT_EQ(itemText(values), "00000008  values : u16[2]");
    EXPECT_TRUE(TreeView_GetItemState(tree(), values, TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_EQ(itemText(TreeView_GetNextSibling(tree(), TreeView_GetChild(tree(), values))), "0000000A  [1] : u16 = 513");

    // A template that does not parse: its line and column, and nothing else changes.
    openTemplate(bad);
    HWND message = GetDlgItem(pane(), IDC_STRUCTURE_MESSAGE);
    EXPECT_TRUE(IsWindowVisible(message));
    EXPECT_EQ(windowText(message).rfind("broken.mxt: " + std::string("行 2, 列 12: "), 0), 0u) << windowText(message);
    EXPECT_EQ(chosenText(), "00000004  count : be u32 = 2");
    EXPECT_EQ(SendDlgItemMessageA(pane(), IDC_STRUCTURE_LIST, CB_GETCOUNT, 0, 0),
              SendDlgItemMessageA(pane(), IDC_STRUCTURE_LIST, CB_FINDSTRINGEXACT, -1,
                                  reinterpret_cast<LPARAM>("pane.mxt")) + 1);

    // Another document: the template whose match lines hold is chosen by itself.
    loadDocument(std::string(kDocument, sizeof kDocument - 1), "C:\\data\\other.dat");
    structureCatchUp();
    EXPECT_EQ(itemText(TreeView_GetRoot(tree())), "00000000  head : Head");
    EXPECT_FALSE(IsWindowVisible(message));

    // Beside the inspector: a tab for each, the one in front shown; the
    // command of a pane behind brings it to the front.
    HWND tabs = GetDlgItem(win().clientWindow, IDC_PANE_TABS);
    EXPECT_TRUE(tabs == nullptr || !IsWindowVisible(tabs));
    SendMessageA(frame(), WM_COMMAND, IDM_INSPECTOR, 0);
    pumpMessages();
    tabs = GetDlgItem(win().clientWindow, IDC_PANE_TABS);
    ASSERT_NE(tabs, nullptr);
    EXPECT_TRUE(IsWindowVisible(tabs));
    EXPECT_EQ(TabCtrl_GetItemCount(tabs), 2);
    EXPECT_TRUE(IsWindowVisible(win().inspectorWindow));
    EXPECT_FALSE(IsWindowVisible(pane()));
    EXPECT_EQ(s().highlight.length, 0) << "no highlight from a pane out of sight";
    SendMessageA(frame(), WM_COMMAND, IDM_STRUCTURE, 0);
    pumpMessages();
    EXPECT_TRUE(IsWindowVisible(pane()));
    EXPECT_FALSE(IsWindowVisible(win().inspectorWindow));
    EXPECT_TRUE(GetMenuState(GetMenu(frame()), IDM_INSPECTOR, MF_BYCOMMAND) & MF_CHECKED);

    // Both hidden: the view as before, and the pane's placement kept for the next start.
    for (int command : {IDM_STRUCTURE, IDM_INSPECTOR}) SendMessageA(frame(), WM_COMMAND, command, 0);
    pumpMessages();
    EXPECT_FALSE(IsWindowVisible(tabs));
    EXPECT_EQ(childRect(view()).right, viewBefore.right);
    saveSettings();
    PanePlacement stored{9, 9};
    ASSERT_TRUE(storedPanePlacement("Struct", stored));
    EXPECT_EQ(stored.shown, 0);
}

TEST_F(StructureTest, ManyElementsComeInRunsAndPanesComeBackAsTheyWereLeft) {
    const std::string runs = makeTempFile("runs.mxt", "u8 data[250];\n");
    loadDocument(std::string(260, '\x07'), "C:\\data\\runs.bin");
    for (int command : {IDM_INSPECTOR, IDM_STRUCTURE}) SendMessageA(frame(), WM_COMMAND, command, 0);
    pumpMessages();
    openTemplate(runs);

    // 250 elements open onto runs of 100; the caret's element is found in its run.
    s().caretOffset = 150;
    structureCatchUp();
    EXPECT_EQ(chosenText(), "00000096  [150] : u8 = 7");
    EXPECT_EQ(itemText(TreeView_GetParent(tree(), TreeView_GetSelection(tree()))), "00000064  [100..199]");
    EXPECT_EQ(s().highlight.offset, 150);

    // A click on the inspector's tab brings it to the front.
    HWND tabs = GetDlgItem(win().clientWindow, IDC_PANE_TABS);
    ASSERT_NE(tabs, nullptr);
    RECT tab{};
    TabCtrl_GetItemRect(tabs, 0, &tab);
    const LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
    SendMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(tabs, WM_LBUTTONUP, 0, at);
    pumpMessages();
    EXPECT_TRUE(IsWindowVisible(win().inspectorWindow));
    EXPECT_FALSE(IsWindowVisible(pane()));
    EXPECT_EQ(s().highlight.length, 0);

    // Its splitter dragged 40 pixels to the left: the pane 40 wider, the view 40 narrower.
    HWND inspector = win().inspectorWindow;
    const RECT before = childRect(inspector), viewBefore = childRect(view());
    SendMessageA(inspector, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 50));
    SendMessageA(inspector, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(-38), 50));
    SendMessageA(inspector, WM_LBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(-38), 50));
    pumpMessages();
    const RECT after = childRect(inspector);
    EXPECT_EQ(after.right - after.left, before.right - before.left + 40);
    EXPECT_EQ(childRect(view()).right, viewBefore.right - 40);

    // The next start: both panes, the inspector in front at its width.
    DestroyWindow(frame());
    pumpMessages();
    freeEditorStateRecord();
    ASSERT_EQ(initEditorState(), 1);
    ASSERT_EQ(createMainWindow(0, SW_SHOWNORMAL), 1);
    MoveWindow(frame(), 0, 0, 1000, 600, TRUE);
    pumpMessages();
    EXPECT_EQ(s().frontPane, IDM_INSPECTOR);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(win().clientWindow, IDC_PANE_TABS)));
    EXPECT_TRUE(IsWindowVisible(win().inspectorWindow));
    ASSERT_NE(pane(), nullptr);
    EXPECT_FALSE(IsWindowVisible(pane()));
    EXPECT_TRUE(GetMenuState(GetMenu(frame()), IDM_STRUCTURE, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(childRect(win().inspectorWindow).right - childRect(win().inspectorWindow).left,
              after.right - after.left);
}
