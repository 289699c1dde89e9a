// The start-in-kanji option as a user meets it: ticked in the options dialog
// of one editor, it changes nothing there, and the next editor started shows
// Shift-JIS pairs as characters.
#include <windows.h>

#include <string>
#include <vector>

#include "resource_ids.h"
#include "support/gui_harness_win.h"
#include "support/process_win.h"

using namespace gui;

namespace {

HWND viewOf(HWND frame) {
    HWND client = FindWindowExA(frame, nullptr, "WCClient", nullptr);
    return client != nullptr ? FindWindowExA(client, nullptr, "WCView", nullptr) : nullptr;
}

// The view's first row as it stands on the screen, one value a pixel.
std::vector<COLORREF> firstRow(HWND view) {
    RedrawWindow(view, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    pumpMessages(300);
    RECT r{};
    GetWindowRect(view, &r);
    const int width = r.right - r.left, height = 20;
    std::vector<COLORREF> pixels;
    HDC screen = GetDC(nullptr);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(screen, r.left + x, r.top + y));
    ReleaseDC(nullptr, screen);
    return pixels;
}

}  // namespace

TEST(Options, StartInKanjiTakesEffectAtTheNextStart) {
    clearSettingsKey();
    // "あいうえおかきく" twice: pairs in kanji mode, dots and katakana without.
    const std::string text = "\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8\x82\xA9\x82\xAB\x82\xAD";
    const std::string path = fullPath(makeTempFile("moxel kanji.txt", text + text));

    std::vector<COLORREF> before, after;
    {
        EditorProcess first(siblingProgramPath("moxel.exe"), path);
        ASSERT_NE(first.window(), nullptr);
        HWND view = viewOf(first.window());
        ASSERT_NE(view, nullptr);
        before = firstRow(view);

        ASSERT_TRUE(tickStartInKanji(first));

        EXPECT_EQ(firstRow(view), before) << "the option changed the open editor";
        EXPECT_EQ(first.close(), 0);
    }
    {
        EditorProcess second(siblingProgramPath("moxel.exe"), path);
        ASSERT_NE(second.window(), nullptr);
        HWND view = viewOf(second.window());
        ASSERT_NE(view, nullptr);
        after = firstRow(view);
        EXPECT_EQ(second.close(), 0);
    }
    EXPECT_NE(after, before) << "the next editor does not show the pairs as characters";
}
