// The checksums dialog (1604) with the system's digests and its copy buttons.
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "resource_ids.h"
#include "shell/editor_state_win.h"
#include "support/gui_harness_win.h"
#include "tools/progress_win.h"

using namespace gui;

using ChecksumTest = FrameTest;

TEST_F(ChecksumTest, ShowsTheDigestsOfTheSelectionOrTheDocumentAndCopiesOne) {
    struct Case {
        std::string document;
        int anchorRow, endRow;  // -1: no selection
        std::vector<std::string> shown;  // range, CRC-32, MD5, SHA-1, SHA-256
    };
    const Case cases[] = {
        {"123456789", -1, -1,
         {"範囲 00000000 - 00000008 (9ﾊﾞｲﾄ)", "CBF43926", "25F9E794323B453885F5181F1B624D0B",
          "F7C3BC1D808E04732ADF679965CCC34CA7AE3441",
          "15E2B0D3C33891EBB0F1EF609EC419420C20E320CE94C65FBC8C3312448EB225"}},
        // Rows 1 and 2 of 20 bytes: cut at the end of the document.
        {"ABCDEFGHIJKLMNOPQRST", 2, 1,
         {"範囲 00000010 - 00000013 (4ﾊﾞｲﾄ)", "C05DD67F", "E02B0A86075B2B1828478F8471E53B26",
          "B85973E6EA41CCE261B74E5D85415DD49CD01D65",
          "3205EC026521F6EEF80FA45778082D83E4DE532C57F0861677CB30C394C11400"}},
    };
    const int fields[] = {IDC_CS_RANGE, IDC_CS_CRC32, IDC_CS_MD5, IDC_CS_SHA1, IDC_CS_SHA256};
    for (const Case& c : cases) {
        loadDocument(c.document, "C:\\data\\c.bin");
        editorState->selectionAnchorRow = c.anchorRow;
        editorState->selectionEndRow = c.endRow;
        std::vector<std::string> shown;
        DialogScript::expect([&](HWND dialog) {
            for (int field : fields) shown.push_back(windowText(GetDlgItem(dialog, field)));
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CS_COPY_SHA256, BN_CLICKED), 0);
            EXPECT_TRUE(IsWindow(dialog)) << "copying keeps the dialog open";
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
        SendMessageA(frame(), WM_COMMAND, IDM_CHECKSUMS, 0);
        EXPECT_EQ(shown, c.shown);
        char* text = getClipboardText(frame(), nullptr);
        EXPECT_EQ(std::string(text != nullptr ? text : ""), c.shown.back());
        std::free(text);
    }
}

TEST_F(ChecksumTest, CancelledWhileTheyRunTheyShowNothingAndLeaveTheEditorAsItWas) {
    // The progress window shows at the first look at the threads (after about
    // 30 ms) instead of after half a second, while the digests of 48 MiB
    // still run; they take well over 100 ms on any machine.
    struct ShowAtOnce {
        ShowAtOnce() { setProgressDelayForTests(0); }
        ~ShowAtOnce() { setProgressDelayForTests(kProgressDelayMs); }
    } atOnce;
    struct Case {
        const char* how;
        std::function<void(HWND)> cancel;
    };
    const Case cases[] = {
        {"Esc", [](HWND w) { PostMessageA(w, WM_KEYDOWN, VK_ESCAPE, 0); }},
        {"Cancel", [](HWND w) { PostMessageA(GetDlgItem(w, IDCANCEL), BM_CLICK, 0, 0); }},
    };
    const std::string bytes(48u << 20, '\x5A');
    loadDocument(bytes, "C:\\data\\long.bin");
    HCURSOR before = GetCursor();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        HWND progress = nullptr;
        std::string caption;
        DialogScript::expect([&](HWND w) {
            progress = w;
            caption = windowText(w);
            c.cancel(w);
        });
        // No checksums dialog and no error box follow: the guard would fail on either.
        SendMessageA(frame(), WM_COMMAND, IDM_CHECKSUMS, 0);
        EXPECT_EQ(caption, "チェックサム");
        EXPECT_NE(progress, nullptr);
        EXPECT_FALSE(IsWindow(progress));
        EXPECT_TRUE(IsWindowEnabled(frame()));
        EXPECT_EQ(GetCursor(), before);
        EXPECT_EQ(editorState->modified, 0);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(editorState->documentBytes), editorState->documentSize), bytes);
    }
    EXPECT_EQ(dialogsShown(), 2);
}
