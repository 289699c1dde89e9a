// The error box, dialog placement and animation.
#include <string>

#include "resource_ids.h"
#include "tools/error_box_win.h"
#include "support/gui_harness_win.h"

using namespace gui;

using ErrorBoxTest = FrameTest;

TEST_F(ErrorBoxTest, GivenTextWinsOverTheId) {
    DialogScript::expect(answerWith(IDOK));
    EXPECT_EQ(showError(frame(), IDS_ERR_EMPTY_FILE, "disk on fire"), 0);
    EXPECT_EQ(lastDialogText(), "disk on fire");
    // No caption given: the system's error caption, never a program text.
    EXPECT_FALSE(lastDialogTitle().empty());
    EXPECT_NE(lastDialogTitle(), stringText(IDS_CONFIRM_CAPTION));
}

TEST_F(ErrorBoxTest, EmptyTextTakesTheStringOrTheSystemText) {
    DialogScript::expect(answerWith(IDOK));
    showError(frame(), IDS_ERR_EMPTY_FILE, "");
    EXPECT_EQ(lastDialogText(), "ファイルサイズがゼロです");

    DialogScript::expect(answerWith(IDOK));
    showError(frame(), IDS_ERR_SAME_FILE, nullptr);
    EXPECT_EQ(lastDialogText(), "同じファイル名です。");

    SetLastError(ERROR_FILE_NOT_FOUND);
    DialogScript::expect(answerWith(IDOK));
    showError(frame(), -1, "");
    EXPECT_EQ(lastDialogText(), systemText(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(lastDialogText().empty());
}

TEST_F(ErrorBoxTest, ErrorCodeShowsItsSystemText) {
    DialogScript::expect(answerWith(IDOK));
    showErrorCode(frame(), ERROR_OUTOFMEMORY);
    EXPECT_EQ(lastDialogText(), systemText(14));
    EXPECT_FALSE(lastDialogText().empty());
    DialogScript::expect(answerWith(IDOK));
    showErrorCode(frame(), ERROR_FILE_TOO_LARGE);  // a code the system may have no text for
    EXPECT_FALSE(lastDialogText().empty());
}

TEST_F(ErrorBoxTest, LongTextIsCutWithoutSplittingACharacter) {
    DialogScript::expect(answerWith(IDOK));
    showError(frame(), -1, std::string(600, 'a').c_str());
    EXPECT_EQ(lastDialogText(), std::string(kErrorTextLength, 'a'));

    // The double-byte character would end one byte past the limit: it goes whole.
    DialogScript::expect(answerWith(IDOK));
    showError(frame(), -1, (std::string(kErrorTextLength - 1, 'a') + "あ").c_str());
    EXPECT_EQ(lastDialogText(), std::string(kErrorTextLength - 1, 'a'));
}

// ------------------------------------------------------------ placement

namespace {

// A plain top-level window of the given size, destroyed with its owner object.
struct PopupWindow {
    HWND handle;
    PopupWindow(int x, int y, int w, int h)
        : handle(CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP, x, y, w, h, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr)) {}
    ~PopupWindow() { DestroyWindow(handle); }
    PopupWindow(const PopupWindow&) = delete;
    PopupWindow& operator=(const PopupWindow&) = delete;
    RECT rect() const {
        RECT r{};
        GetWindowRect(handle, &r);
        return r;
    }
};

int screenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int screenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

}  // namespace

TEST(CenterWindow, CentresOnTheReference) {
    PopupWindow reference(100, 50, 1000, 400);
    PopupWindow box(0, 0, 300, 100);
    centerWindow(box.handle, reference.handle, 0, 0);
    EXPECT_EQ(box.rect().left, 450);
    EXPECT_EQ(box.rect().top, 200);
    EXPECT_EQ(box.rect().right - box.rect().left, 300);
}

TEST(CenterWindow, WindowLargerThanTheScreenStartsAtItsEdge) {
    PopupWindow box(10, 10, screenWidth() + 400, screenHeight() + 300);
    centerWindow(box.handle, nullptr, 0, 0);
    EXPECT_EQ(box.rect().left, 0);
    EXPECT_EQ(box.rect().top, 0);
}

TEST(CenterWindow, LargeOffsetsReachTheTopRightCorner) {
    PopupWindow box(10, 10, 200, 150);
    centerWindow(box.handle, nullptr, 5000, -5000);
    EXPECT_EQ(box.rect().right, screenWidth());
    EXPECT_EQ(box.rect().top, 0);
}

TEST(AnimateDialog, ShowsAndHides) {
    PopupWindow box(10, 10, 200, 150);
    EXPECT_EQ(animateDialog(box.handle, 1), 1);
    EXPECT_TRUE(IsWindowVisible(box.handle));
    EXPECT_EQ(animateDialog(box.handle, 0), 1);
    EXPECT_FALSE(IsWindowVisible(box.handle));
}
