// The data inspector pane in the real frame: shown beside the view, a value
// typed into it written at the caret and recorded as typed digits would be,
// and values it must refuse.
#include <windows.h>

#include <string>
#include <vector>

#include "document/record_list.h"
#include "platform/gdi_win.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
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

    // What the pane shows of each row's values: the pixels of its line right of the names.
    std::vector<std::string> shownLines() const {
        RECT c{};
        GetClientRect(pane(), &c);
        const InspectorGeometry g = inspectorGeometry(s().charWidth, s().lineHeight);
        WindowDc window(pane());
        MemoryDc dc(window.get());
        GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(window.get(), c.right, c.bottom));
        {
            SelectedObject use(dc.get(), bitmap.get());
            BitBlt(dc.get(), 0, 0, c.right, c.bottom, window.get(), 0, 0, SRCCOPY);
        }
        BITMAPINFO info{{sizeof(BITMAPINFOHEADER), c.right, -c.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
        std::vector<uint32_t> pixels(static_cast<size_t>(c.right) * c.bottom);
        GetDIBits(dc.get(), bitmap.get(), 0, c.bottom, pixels.data(), &info, DIB_RGB_COLORS);
        std::vector<std::string> lines;
        for (int line = 1; line <= kInspectRowCount && (line + 1) * g.rowHeight <= c.bottom; ++line) {
            const auto* from = reinterpret_cast<const char*>(pixels.data() + line * g.rowHeight * c.right);
            lines.emplace_back(from, sizeof(uint32_t) * g.rowHeight * c.right);
        }
        return lines;
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
    InspectorPlacement stored{9, 9};
    ASSERT_TRUE(storedPanePlacement("Inspect", stored));
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

TEST_F(InspectorTest, EnterOnAnUnchangedValueWritesNothingAndAWriteShowsOnEveryRow) {
    // Values that once lost bytes on their way back: 100 ns of a FILETIME, an
    // OLE date below a second, a NaN's payload, a palette colour, a character
    // that two codes share, a space; and rows with no value.
    const std::string original("\x01\x00\x00\x00\x00\x00\x00\x00\x7F\xC0\x00\x01\x30\x28\x13\x13"
                               "\xED\x40\x20\x41\x5C\x64\x5D\x58\x00\x00\x00\x00\x00\x00\xFF\xFF", 32);
    loadDocument(original, "C:\\data\\unchanged.bin");
    SendMessageA(frame(), WM_COMMAND, IDM_INSPECTOR, 0);
    pumpMessages();
    for (int32_t caret : {0, 8, 12, 16, 18, 30}) {
        s().caretOffset = caret;
        inspectorFollow();
        for (int cell = 0; cell < 4 * kInspectRowCount; ++cell) {
            // Each value's sides, Enter as it opened and on it typed again with a space after it.
            const auto row = static_cast<InspectRow>(cell / 4);
            const bool big = cell % 2 != 0, retyped = cell % 4 >= 2;
            if (big && !hasBothEndians(row)) continue;
            HWND editor = typeInto(row, big, nullptr);
            ASSERT_NE(editor, nullptr);
            wchar_t text[64] = {};
            if (retyped && GetWindowTextW(editor, text, 60) > 0)
                SetWindowTextW(editor, (std::wstring(text) + L" ").c_str());
            SendMessageA(editor, WM_KEYDOWN, retyped && text[0] == 0 ? VK_ESCAPE : VK_RETURN, 0);
            pumpMessages();
            const std::string at = "caret " + std::to_string(caret) + " cell " + std::to_string(cell);
            EXPECT_EQ(GetDlgItem(pane(), IDC_INSPECTOR_EDIT), nullptr) << at;
            ASSERT_EQ(s().changeCount + s().modified, 0) << at;
            ASSERT_EQ(bytes(0, 32), original) << at;
        }
    }

    // A write shows at once on every line, as a whole new paint shows them.
    s().caretOffset = 20;
    inspectorFollow();
    inspectorCatchUp();
    const std::vector<std::string> before = shownLines();
    HWND editor = typeInto(InspectRow::uint8, false, L"0x5A");
    ASSERT_NE(editor, nullptr);
    SendMessageA(editor, WM_KEYDOWN, VK_RETURN, 0);
    pumpMessages();
    const std::vector<std::string> shown = shownLines();
    InvalidateRect(pane(), nullptr, FALSE);
    UpdateWindow(pane());
    EXPECT_TRUE(shown == shownLines());
    ASSERT_EQ(shown.size(), before.size());
    int changed = 0;
    for (size_t line = 0; line < shown.size(); ++line) changed += shown[line] != before[line] ? 1 : 0;
    EXPECT_EQ(changed, kInspectRowCount - 1);  // all but the GUID, which would reach past the end
}
