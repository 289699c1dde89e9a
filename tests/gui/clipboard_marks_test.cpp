// Select all, copy and paste, as dump text and as hex, on the real clipboard,
// and the mark commands, through the frame's command table and keys.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "document/dump_row.h"
#include "document/selection.h"
#include "platform/platform.h"
#include "resource_ids.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"
#include "support/gui_harness_win.h"

using namespace gui;

namespace {

void command(int id) { SendMessageA(mainWindow, WM_COMMAND, id, 0); }

std::string clipboardText() {
    char* text = getClipboardText(mainWindow, nullptr);
    std::string copy = text != nullptr ? text : "";
    std::free(text);
    return copy;
}

std::string documentText() {
    const EditorState& s = *editorState;
    return std::string(reinterpret_cast<const char*>(s.documentBytes), s.documentSize);
}

bool ctrlShiftKey(int vk) { return pressAccelerator(vk, true, true); }

}  // namespace

using ClipboardCommandTest = FrameTest;

TEST_F(ClipboardCommandTest, CopyOfAllRowsGivesThreeLinesAndPastingThemWritesTheHeader) {
    const std::string bytes = "ABCDEFGHIJKLMNOPQRST";
    loadDocument(bytes, "C:\\data\\t.bin");
    ASSERT_EQ(putClipboardText(frame(), "before"), 1);
    command(IDM_COPY);  // nothing selected yet
    EXPECT_EQ(clipboardText(), "before");

    command(IDM_SELECT_ALL);
    EditorState& s = *editorState;
    EXPECT_EQ(s.selectionAnchorRow, 0);
    EXPECT_EQ(s.selectionEndRow, 2);
    EXPECT_EQ(statusText(kStatusFilePart), " 1 - 2 (2)");  // the rows that exist
    EXPECT_EQ(buttonState(IDM_COPY), TBSTATE_ENABLED);

    command(IDM_COPY);
    const std::string text = clipboardText();
    size_t blockSize = 0;  // what other programs receive: nothing after the terminator
    std::free(getClipboardText(mainWindow, &blockSize));
    EXPECT_EQ(blockSize, text.size() + 1);
    std::string expected;
    buildCopyText(s, 0, expected);
    EXPECT_EQ(text, expected);
    // Three lines, each ended by CR LF: the header and the two rows.
    EXPECT_EQ(text.rfind(std::string(kColumnHeader) + "\r\n", 0), 0u);
    size_t lines = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++lines;
    EXPECT_EQ(lines, 3u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_NE(text.find("\r\n 00000010  51 52 53 54 "), std::string::npos);

    // Paste parses nothing: the header's characters go over the bytes at the caret.
    s.caretOffset = 0;
    command(IDM_PASTE);
    EXPECT_EQ(documentText(), text.substr(0, bytes.size()));
    EXPECT_EQ(s.caretOffset, 0);
    EXPECT_EQ(s.changeCount, 2 * static_cast<int>(bytes.size()));
    EXPECT_EQ(s.modified, 1);
}

TEST_F(ClipboardCommandTest, PasteNeedsTwoFreeChangeRecordsPerCharacter) {
    struct Case {
        size_t length;
        bool locked;
        bool written;
    };
    for (const Case& c : {Case{1000, false, true}, Case{1001, false, false}, Case{10, true, false}}) {
        SCOPED_TRACE(c.length);
        const std::string bytes(1200, 'x');
        loadDocument(bytes, "C:\\data\\p.bin");
        if (c.locked) toggleMenuCheck(IDM_EDIT_LOCK);
        ASSERT_EQ(putClipboardText(frame(), std::string(c.length, 'y').c_str()), 1);
        const bool refused = !c.written && !c.locked;
        if (refused) DialogScript::expect(answerWith(IDOK));
        command(IDM_PASTE);
        if (refused) {
            EXPECT_EQ(lastDialogText(), systemText(14));
        }
        EXPECT_EQ(documentText(), c.written ? std::string(c.length, 'y') + bytes.substr(c.length) : bytes);
        EXPECT_EQ(editorState->changeCount, c.written ? 2 * static_cast<int>(c.length) : 0);
        EXPECT_EQ(editorState->modified, c.written ? 1 : 0);
        if (c.locked) toggleMenuCheck(IDM_EDIT_LOCK);
    }
}

TEST_F(ClipboardCommandTest, HexCopyAndPasteByTheirKeysCarryTheBytesOver) {
    std::string source(40, '\0');
    for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<char>(i * 37 + 5);
    loadDocument(source, "C:\\data\\h.bin");
    EditorState& s = *editorState;
    s.caretOffset = 1;
    ASSERT_TRUE(ctrlShiftKey('C'));
    EXPECT_EQ(clipboardText(), "2A");  // no selection: the caret's byte
    s.selectionAnchorRow = 2;
    s.selectionEndRow = 0;  // rows 0..2, cut at the end of the document
    ASSERT_TRUE(ctrlShiftKey('C'));
    const std::string text = clipboardText();
    EXPECT_EQ(text.size(), 40u * 3 - 1 + 2);
    EXPECT_EQ(text.substr(0, 9), "05 2A 4F ");
    EXPECT_EQ(text.substr(45, 6), "30\r\n55");
    EXPECT_EQ(text.substr(text.size() - 3), " A8");

    // Pasted into another document at its caret: the same bytes, each changed digit recorded.
    loadDocument(std::string(50, '\0'), "C:\\data\\z.bin");
    s.caretOffset = 4;
    ASSERT_TRUE(ctrlShiftKey('V'));
    EXPECT_EQ(documentText(), std::string(4, '\0') + source + std::string(6, '\0'));
    int digits = 0;
    for (char c : source) digits += ((c & 0xF0) != 0) + ((c & 0x0F) != 0);
    EXPECT_EQ(s.changeCount, digits);
    EXPECT_EQ(buttonState(IDM_UNDO), TBSTATE_ENABLED);

    // Text that is not hex pairs shows its message; under the edit lock the key does nothing.
    const std::string pasted = documentText();
    ASSERT_EQ(putClipboardText(frame(), "12 3"), 1);
    DialogScript::expect(answerWith(IDOK));
    ASSERT_TRUE(ctrlShiftKey('V'));
    EXPECT_EQ(lastDialogText(), stringText(IDS_ERR_INVALID_TEXT));
    ASSERT_EQ(putClipboardText(frame(), "FF FF"), 1);
    toggleMenuCheck(IDM_EDIT_LOCK);
    EXPECT_TRUE(ctrlShiftKey('V')) << "the greyed command's key is taken, not passed on";
    EXPECT_NE(GetMenuState(GetMenu(frame()), IDM_HEX_PASTE, MF_BYCOMMAND) & MF_GRAYED, 0u);
    toggleMenuCheck(IDM_EDIT_LOCK);
    EXPECT_EQ(documentText(), pasted);

    // More bytes than lie before the end: asked first; Cancel writes nothing, OK what fits.
    ASSERT_EQ(putClipboardText(frame(), "31 32 33 34"), 1);
    for (int answer : {IDCANCEL, IDOK}) {
        s.caretOffset = 48;
        DialogScript::expect(answerWith(answer));
        ASSERT_TRUE(ctrlShiftKey('V'));
        const std::string asked = lastDialogText();  // the clipboard's bytes and those that fit
        EXPECT_TRUE(asked.find(" 4 ") != std::string::npos && asked.find(" 2 ") != std::string::npos) << asked;
        EXPECT_EQ(documentText().substr(48), answer == IDOK ? "12" : std::string(2, '\0'));
    }
}

using MarkCommandTest = FrameTest;

TEST_F(MarkCommandTest, TogglingTwiceLeavesNoneAndNextMarkWalksInOrderAndWraps) {
    loadDocument(std::string(0x40, 'm'), "C:\\data\\k.bin");
    EditorState& s = *editorState;
    s.caretOffset = 0x10;
    command(IDM_MARK);
    EXPECT_EQ(s.markCount, 1);
    EXPECT_EQ(buttonState(IDM_NEXT_MARK), TBSTATE_ENABLED);
    command(IDM_MARK);
    EXPECT_EQ(s.markCount, 0);
    EXPECT_EQ(buttonState(IDM_NEXT_MARK), TBSTATE_INDETERMINATE);
    command(IDM_NEXT_MARK);  // no marks: the caret stays
    EXPECT_EQ(s.caretOffset, 0x10);

    // Set in another order than their addresses, with editing locked.
    toggleMenuCheck(IDM_EDIT_LOCK);
    for (auto [offset, nibble] : std::vector<std::pair<int, int>>{{0x30, 0}, {0x10, 1}, {0x10, 0}}) {
        s.caretOffset = offset;
        s.caretNibble = nibble;
        command(IDM_MARK);
    }
    ASSERT_EQ(s.markCount, 3);
    s.caretOffset = 0x10;
    s.caretNibble = 0;
    std::vector<std::string> visited;
    for (int i = 0; i < 3; ++i) {
        command(IDM_NEXT_MARK);
        visited.push_back(statusText(kStatusAddressPart));
    }
    EXPECT_EQ(visited, (std::vector<std::string>{" 00000030 H", " 00000010 H", " 00000030 H"}));
}
