// The real program as a black box: typed digits reach the file on disk
// through the Save accelerator.
#include <windows.h>

#include <string>

#include "support/gui_harness_win.h"
#include "support/process_win.h"

using namespace gui;

namespace {

HWND viewOf(HWND frame) {
    HWND client = FindWindowExA(frame, nullptr, "WCClient", nullptr);
    return client != nullptr ? FindWindowExA(client, nullptr, "WCView", nullptr) : nullptr;
}

void pressKeys(std::initializer_list<WORD> down) {
    std::vector<INPUT> inputs;
    for (WORD k : down) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = k;
        inputs.push_back(in);
    }
    for (auto it = down.end(); it != down.begin();) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = *--it;
        in.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(in);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace

TEST(Editing, TypedDigitsAreSavedWithCtrlS) {
    clearSettingsKey();
    std::string path = fullPath(makeTempFile("moxel typing.bin", std::string(20, '\0')));
    EditorProcess editor(siblingProgramPath("moxel.exe"), path);
    ASSERT_NE(editor.window(), nullptr);
    HWND view = viewOf(editor.window());
    ASSERT_NE(view, nullptr);

    PostMessageA(view, WM_KEYDOWN, VK_RIGHT, 0);  // the low nibble of byte 0
    PostMessageA(view, WM_KEYDOWN, 'A', 0);
    PostMessageA(view, WM_KEYDOWN, '5', 0);
    SetForegroundWindow(editor.window());
    pumpMessages(200);
    pressKeys({VK_CONTROL, 'S'});

    std::string expected(20, '\0');
    expected[0] = '\x0A';
    expected[1] = '\x50';
    EXPECT_TRUE(pumpUntil([&] { return readFile(path) == expected; }, 5000));
    // Saved: closing asks nothing.
    EXPECT_EQ(editor.close(), 0);
}
