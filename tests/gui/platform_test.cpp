// The Win32 side of the platform seam: questions, texts, the replacing file
// write, the clipboard and the wait cursor.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "resource_ids.h"
#include "support/gui_harness_win.h"

using namespace gui;

namespace {

// Files in the temporary directory whose names start with the write's prefix.
int leftoverTemporaries() {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((std::string(dir) + "mox*.tmp").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do ++n;
    while (FindNextFileA(h, &found));
    FindClose(h);
    return n;
}

uint32_t write(const std::string& path, const std::string& bytes) {
    return writeFileReplacing(path.c_str(), reinterpret_cast<const uint8_t*>(bytes.data()),
                              static_cast<uint32_t>(bytes.size()));
}

}  // namespace

using SeamTest = FrameTest;

TEST_F(SeamTest, QuestionsCarryTheConfirmCaptionAndTheirButtons) {
    struct Case {
        QuestionStyle style;
        std::vector<int> buttons;
        int answer;
    };
    for (const Case& c : {Case{questionYesNo, {IDYES, IDNO}, IDNO},
                          Case{questionOkCancel, {IDOK, IDCANCEL}, IDOK},
                          Case{questionYesNoCancel, {IDYES, IDNO, IDCANCEL}, IDYES},
                          Case{noticeOk, {IDOK}, IDOK}}) {
        std::vector<int> present;
        DialogScript::expect([&](HWND dialog) {
            for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
                if (GetDlgItem(dialog, id) != nullptr) present.push_back(id);
            }
            answerWith(c.answer)(dialog);
        });
        EXPECT_EQ(askQuestion(frame(), "question?", c.style), c.answer);
        EXPECT_EQ(lastDialogTitle(), "処理の確認");
        EXPECT_EQ(lastDialogText(), "question?");
        std::sort(present.begin(), present.end());
        std::vector<int> expected = c.buttons;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(present, expected) << "style " << c.style;
    }
}

TEST_F(SeamTest, LoadTextCutsAndReportsMissingIds) {
    char text[8] = "junk";
    EXPECT_EQ(loadText(99, text, sizeof text), 0);
    EXPECT_STREQ(text, "");
    char full[64];
    int n = loadText(IDS_CONFIRM_CAPTION, full, sizeof full);
    EXPECT_EQ(std::string(full), "処理の確認");
    EXPECT_EQ(n, 10);
    char shortBuffer[5];
    loadText(IDS_HOMEPAGE_URL, shortBuffer, sizeof shortBuffer);
    EXPECT_EQ(std::string(shortBuffer), "http");
}

TEST_F(SeamTest, WriteReplacesTheContent) {
    std::string path = makeTempFile("moxel replace.bin", std::string(5000, 'o'));
    int before = leftoverTemporaries();
    EXPECT_EQ(write(path, "new bytes"), 0u);
    EXPECT_EQ(readFile(path), "new bytes");
    EXPECT_EQ(leftoverTemporaries(), before);

    EXPECT_EQ(write(path, ""), 0u);
    bool ok = false;
    EXPECT_EQ(readFile(path, &ok), "");
    EXPECT_TRUE(ok);
}

TEST_F(SeamTest, WriteCreatesAMissingFile) {
    std::string path = tempPath("moxel created.bin");
    DeleteFileA(path.c_str());
    std::string bytes(3 * 1024 * 1024 + 7, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    EXPECT_EQ(write(path, bytes), 0u);
    EXPECT_EQ(readFile(path), bytes);
}

TEST_F(SeamTest, FailedWriteLeavesTheOriginalAndNoTemporary) {
    std::string path = makeTempFile("moxel locked.bin", "original");
    int before = leftoverTemporaries();
    // Another program holds the file open without sharing it.
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_NE(write(path, "replacement"), 0u);
    CloseHandle(holder);
    EXPECT_EQ(readFile(path), "original");
    EXPECT_EQ(leftoverTemporaries(), before);

    // A read-only file stays as it is.
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(write(path, "replacement"), static_cast<uint32_t>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(readFile(path), "original");
    EXPECT_EQ(leftoverTemporaries(), before);

    std::string nowhere = "Z:\\no such directory\\x.bin";
    EXPECT_NE(write(nowhere, "abc"), 0u);
    EXPECT_EQ(GetFileAttributesA(nowhere.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(write("", "abc"), 0u);
}

TEST_F(SeamTest, ClipboardTextRoundTrips) {
    ASSERT_EQ(putClipboardText(frame(), "0123 abc\r\n"), 1);
    size_t size = 0;
    char* text = getClipboardText(frame(), &size);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "0123 abc\r\n");
    EXPECT_GE(size, 11u);
    std::free(text);
    EXPECT_EQ(putClipboardText(frame(), ""), 0);
    EXPECT_EQ(putClipboardText(frame(), nullptr), 0);
}

TEST_F(SeamTest, WaitCursorIsRestored) {
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    SetCursor(arrow);
    void* previous = beginWaitCursor();
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_WAIT));
    endWaitCursor(previous);
    EXPECT_EQ(GetCursor(), arrow);
}
