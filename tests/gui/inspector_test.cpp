// The data inspector pane in the real frame: shown beside the view, a value
// typed into it written at the caret and recorded as typed digits would be,
// and values it must refuse.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "document/record_list.h"
#include "platform/gdi_win.h"
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

    static std::wstring windowTextW(HWND window) {
        wchar_t text[128] = {};
        GetWindowTextW(window, text, 128);
        return text;
    }

    std::string bytes(uint32_t from, uint32_t n) const {
        return std::string(reinterpret_cast<const char*>(s().documentBytes) + from, n);
    }

    // What the pane shows of each row's values: the pixels of its line right of the names.
    std::vector<std::string> shownLines() const {
        RECT client{};
        GetClientRect(pane(), &client);
        const InspectorGeometry g = inspectorGeometry(s().charWidth, s().lineHeight);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = client.right;
        info.bmiHeader.biHeight = -client.bottom;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        WindowDc window(pane());
        MemoryDc dc(window.get());
        void* bits = nullptr;
        GdiObject<HBITMAP> bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        std::vector<std::string> lines;
        if (!bitmap || client.bottom < (kInspectRowCount + 1) * g.rowHeight) return lines;
        SelectedObject use(dc.get(), bitmap.get());
        BitBlt(dc.get(), 0, 0, client.right, client.bottom, window.get(), 0, 0, SRCCOPY);
        GdiFlush();
        const auto* pixels = static_cast<const uint32_t*>(bits);
        for (int line = 1; line <= kInspectRowCount; ++line) {
            std::string shown;
            for (int y = line * g.rowHeight; y < (line + 1) * g.rowHeight; ++y) {
                const uint32_t* from = pixels + static_cast<size_t>(y) * client.right + g.littleLeft;
                shown.append(reinterpret_cast<const char*>(from), sizeof(uint32_t) * (client.right - g.littleLeft));
            }
            lines.push_back(shown);
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

TEST_F(InspectorTest, EnterOnAnUnchangedValueWritesNothingAndAWriteShowsOnEveryRow) {
    // Values that once lost bytes on their way back: 100 ns of a FILETIME, an
    // OLE date below a second, a NaN's payload, a palette colour, a character
    // that two codes share, a space; and rows with no value.
    const std::string original("\x01\x00\x00\x00\x00\x00\x00\x00\x7F\xC0\x00\x01\x30\x28\x13\x13"
                               "\xED\x40\x20\x41\x5C\x64\x5D\x58\x00\x00\x00\x00\x00\x00\xFF\xFF", 32);
    loadDocument(original, "C:\\data\\unchanged.bin");
    SendMessageA(frame(), WM_COMMAND, IDM_INSPECTOR, 0);
    pumpMessages();
    ASSERT_NE(pane(), nullptr);
    for (int32_t caret : {0, 8, 12, 16, 18, 30}) {
        s().caretOffset = caret;
        inspectorFollow();
        for (int r = 0; r < kInspectRowCount; ++r) {
            const auto row = static_cast<InspectRow>(r);
            for (bool big : {false, true}) {
                if (big && !hasBothEndians(row)) continue;
                // Enter as it opened, then on the same value typed with a space after it.
                for (bool retyped : {false, true}) {
                    HWND editor = typeInto(row, big, nullptr);
                    ASSERT_NE(editor, nullptr);
                    const std::wstring text = windowTextW(editor);
                    if (retyped) SetWindowTextW(editor, (text + L" ").c_str());
                    SendMessageA(editor, WM_KEYDOWN, text.empty() && retyped ? VK_ESCAPE : VK_RETURN, 0);
                    pumpMessages();
                    const std::string at = "caret " + std::to_string(caret) + " row " + std::to_string(r) +
                                           (big ? " BE" : " LE") + (retyped ? " typed" : "");
                    EXPECT_EQ(GetDlgItem(pane(), IDC_INSPECTOR_EDIT), nullptr) << at;
                    ASSERT_EQ(s().changeCount, 0) << at;
                    ASSERT_EQ(s().modified, 0) << at;
                    ASSERT_EQ(bytes(0, 32), original) << at;
                }
            }
        }
    }

    // A write shows on every line whose value it changed, at once.
    s().caretOffset = 20;
    inspectorFollow();
    inspectorCatchUp();
    const InspectorGeometry g = inspectorGeometry(s().charWidth, s().lineHeight);
    SendMessageA(pane(), WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM(g.littleLeft + s().charWidth, (static_cast<int>(InspectRow::uint8) + 1) * g.rowHeight + 1));
    pumpMessages();
    InspectorValues before, after;
    inspectCaret(s(), before);
    const std::vector<std::string> linesBefore = shownLines();
    HWND editor = typeInto(InspectRow::uint8, false, L"0x5E");
    ASSERT_NE(editor, nullptr);
    SendMessageA(editor, WM_KEYDOWN, VK_RETURN, 0);
    pumpMessages();
    ASSERT_EQ(bytes(20, 1), "\x5E");
    inspectCaret(s(), after);
    const std::vector<std::string> shown = shownLines();
    InvalidateRect(pane(), nullptr, FALSE);
    UpdateWindow(pane());
    const std::vector<std::string> repainted = shownLines();
    ASSERT_EQ(shown.size(), static_cast<size_t>(kInspectRowCount));
    ASSERT_EQ(linesBefore.size(), shown.size());
    int changed = 0;
    for (int r = 0; r < kInspectRowCount; ++r) {
        const bool differs = std::memcmp(before.at[r], after.at[r], sizeof before.at[r]) != 0;
        changed += differs ? 1 : 0;
        EXPECT_EQ(shown[r] != linesBefore[r], differs) << "row " << r;
        EXPECT_TRUE(shown[r] == repainted[r]) << "row " << r;
    }
    EXPECT_GE(changed, 15);

    // More new records than the list holds: said once, in words, and nothing written.
    for (int32_t at = 100000; s().changeCount < kRecordListSlots - 1; ++at)
        addRecord(s(), RecordList::Change, at, 0, 0);
    const int records = s().changeCount;
    s().caretOffset = 22;
    inspectorFollow();
    editor = typeInto(InspectRow::uint16, false, L"0x1111");
    ASSERT_NE(editor, nullptr);
    const int dialogs = dialogsShown();
    DialogScript::expect(answerWith(IDOK));
    SendMessageA(editor, WM_KEYDOWN, VK_RETURN, 0);
    pumpMessages();
    char expected[512];
    // 5D 58 to 11 11: four nibbles.
    std::snprintf(expected, sizeof expected, stringText(IDS_ERR_TOO_MANY_CHANGES).c_str(), 4LL, kChangeLimitShown);
    EXPECT_EQ(dialogsShown(), dialogs + 1);
    EXPECT_EQ(lastDialogText(), expected);
    EXPECT_EQ(s().changeCount, records);
    EXPECT_EQ(bytes(20, 4), "\x5E\x64\x5D\x58");
    SendMessageA(editor, WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessageA(frame(), WM_COMMAND, IDM_INSPECTOR, 0);
    pumpMessages();
}
