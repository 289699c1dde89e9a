// Files that push the limits: one too large to load, folders whose paths
// leave no room for GetTempFileName, saves the system refuses, every step of
// the replacing write failing in turn (faults the machine cannot make happen
// by itself are made by failing that step of the real write), and a document
// that deletions emptied.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "document/edit.h"
#include "platform/file_replace_win.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "support/gui_harness_win.h"

using namespace gui;

namespace {

std::wstring wide(const std::string& text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, w.data(), n);
    w.resize(static_cast<size_t>(n - 1));
    return w;
}

std::string folderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

// Temporary files of the replacing write left in `folder`.
int temporariesIn(const std::string& folder) {
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((L"\\\\?\\" + wide(folder) + L"\\mox*.tmp").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do ++n;
    while (FindNextFileW(h, &found));
    FindClose(h);
    return n;
}

std::string documentText() {
    const EditorState& s = *editorState;
    return s.documentBytes == nullptr ? std::string()
                                      : std::string(reinterpret_cast<const char*>(s.documentBytes), s.documentSize);
}

// A folder below the temporary directory, made with the long form of its
// path so that its length may pass MAX_PATH - 12; removed with its files.
class Folder {
public:
    explicit Folder(size_t length) {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        path_ = std::string(temp) + "moxel faults";
        create(path_);
        while (path_.size() < length) {
            size_t part = std::min<size_t>(length - path_.size() - 1, 100);
            if (part == 0) part = 1;
            path_ += "\\" + std::string(part, 'd');
            create(path_);
        }
    }
    ~Folder() {
        WIN32_FIND_DATAW found;
        for (std::string dir = path_; dir.size() >= created_.front().size(); dir = folderOf(dir)) {
            HANDLE h = FindFirstFileW((L"\\\\?\\" + wide(dir) + L"\\*").c_str(), &found);
            if (h != INVALID_HANDLE_VALUE) {
                do {
                    std::wstring file = L"\\\\?\\" + wide(dir) + L"\\" + found.cFileName;
                    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
                        DeleteFileW(file.c_str());
                    }
                } while (FindNextFileW(h, &found));
                FindClose(h);
            }
            RemoveDirectoryW((L"\\\\?\\" + wide(dir)).c_str());
            if (dir == created_.front()) break;
        }
    }
    const std::string& path() const { return path_; }

private:
    void create(const std::string& dir) {
        CreateDirectoryW((L"\\\\?\\" + wide(dir)).c_str(), nullptr);
        created_.push_back(dir);
    }
    std::string path_;
    std::vector<std::string> created_;
};

void writeFile(const std::string& path, const std::string& bytes) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
}

// The real Win32 steps, one of which fails with `code` instead of acting.
enum class Step { None, Create, Write, Close, Replace, TargetGone, TargetLost };

class FailingSteps : public WinWriteSteps {
public:
    FailingSteps(const std::string& path, Step step, DWORD code) : WinWriteSteps(path.c_str()), step_(step), code_(code) {}
    uint32_t createTemporary() override { return step_ == Step::Create ? code_ : WinWriteSteps::createTemporary(); }
    uint32_t write(const uint8_t* d, uint32_t n) override { return step_ == Step::Write ? code_ : WinWriteSteps::write(d, n); }
    uint32_t close() override {
        uint32_t closed = WinWriteSteps::close();  // the handle goes in any case
        return step_ == Step::Close ? code_ : closed;
    }
    uint32_t replace() override {
        if (step_ == Step::Replace) return code_;
        // The target vanishes just before the replace, or the replace loses it.
        if (step_ == Step::TargetGone || step_ == Step::TargetLost) DeleteFileW(target().c_str());
        return step_ == Step::TargetLost ? code_ : WinWriteSteps::replace();
    }

private:
    Step step_;
    DWORD code_;
};

uint32_t writeWith(FileWriteSteps& steps, const std::string& bytes) {
    return writeReplacing(steps, reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()));
}

using FileFaultsTest = FrameTest;

}  // namespace

TEST_F(FileFaultsTest, AFileLargerThanTheLimitIsRefusedAndTheDocumentKept) {
    std::string shown = makeTempFile("moxel shown.bin", "shown");
    ASSERT_EQ(openFile(frame(), shown.c_str(), 0), 1);
    std::string large = makeTempFile("moxel too large.bin", "");
    {
        // Sparse: its length costs no disk space.
        HANDLE f = CreateFileA(large.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        LARGE_INTEGER end;
        end.QuadPart = int64_t{kMaxDocumentSize} + 1;
        ASSERT_TRUE(SetFilePointerEx(f, end, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(f));
        CloseHandle(f);
    }
    DialogScript::expect(answerWith(IDOK));
    EXPECT_EQ(openFile(frame(), large.c_str(), 0), 0);
    EXPECT_EQ(lastDialogText(), systemText(ERROR_FILE_TOO_LARGE));
    EXPECT_EQ(documentText(), "shown");
    EXPECT_STREQ(editorState->filePath, shown.c_str());
    EXPECT_EQ(windowText(frame()), "MOXEL - " + shown);
}

TEST_F(FileFaultsTest, FoldersWithLongPathsSaveLikeAnyOther) {
    // 257 characters of folder (GetTempFileName takes at most 246) and a
    // one-letter name: the longest path a file can have.
    Folder folder(257);
    ASSERT_EQ(folder.path().size(), 257u);
    const std::string path = folder.path() + "\\x";
    writeFile(path, "original");
    ASSERT_EQ(openFile(frame(), path.c_str(), 0), 1);
    overwriteText(*editorState, "ORIG");
    EXPECT_EQ(saveCommand(frame()), 1);
    EXPECT_EQ(readFile(path), "ORIGinal");
    EXPECT_EQ(editorState->modified, 0);
    EXPECT_EQ(temporariesIn(folder.path()), 0);
}

TEST_F(FileFaultsTest, RefusedSavesKeepTheDocumentItsChangesAndTheFile) {
    enum class Fault { ReadOnly, Locked, FolderGone };
    for (Fault fault : {Fault::ReadOnly, Fault::Locked, Fault::FolderGone}) {
        SCOPED_TRACE(static_cast<int>(fault));
        Folder folder(40);
        const std::string path = folder.path() + "\\doc.bin";
        writeFile(path, "original");
        ASSERT_EQ(openFile(frame(), path.c_str(), 0), 1);
        overwriteText(*editorState, "ORIG");
        HANDLE holder = INVALID_HANDLE_VALUE;
        DWORD expected = 0;
        switch (fault) {
            case Fault::ReadOnly:
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
                expected = ERROR_ACCESS_DENIED;
                break;
            case Fault::Locked:
                // Another program holds it open and shares it with nobody.
                holder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
                ASSERT_NE(holder, INVALID_HANDLE_VALUE);
                expected = ERROR_SHARING_VIOLATION;
                break;
            case Fault::FolderGone:
                DeleteFileA(path.c_str());
                RemoveDirectoryA(folder.path().c_str());
                expected = ERROR_PATH_NOT_FOUND;
                break;
        }
        const int shownBefore = dialogsShown();
        DialogScript::expect(answerWith(IDOK));
        EXPECT_EQ(saveCommand(frame()), 0);
        EXPECT_EQ(dialogsShown() - shownBefore, 1);
        EXPECT_EQ(lastDialogText(), systemText(expected));
        if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);

        EXPECT_EQ(documentText(), "ORIGinal");
        EXPECT_EQ(editorState->modified, 1);
        EXPECT_EQ(editorState->changeCount, 8);
        std::string onDisk = readFile(path);
        if (fault == Fault::FolderGone) {
            EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
        } else {
            EXPECT_EQ(onDisk, "original");
            EXPECT_EQ(temporariesIn(folder.path()), 0);
        }
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(FileFaultsTest, FailingStepsLeaveTheOriginalAndNoTemporary) {
    // The order of the steps is checked natively; here the Win32 steps clean up.
    Folder folder(40);
    const std::string path = folder.path() + "\\doc.bin";
    for (Step step : {Step::Write, Step::Close, Step::Replace}) {
        SCOPED_TRACE(static_cast<int>(step));
        writeFile(path, "original");
        FailingSteps steps(path, step, ERROR_DISK_FULL);
        EXPECT_EQ(writeWith(steps, "replacement"), static_cast<uint32_t>(ERROR_DISK_FULL));
        EXPECT_EQ(readFile(path), "original");
        EXPECT_EQ(temporariesIn(folder.path()), 0);
    }
    FailingSteps none(path, Step::None, 0);
    EXPECT_EQ(writeWith(none, "replacement"), 0u);
    EXPECT_EQ(readFile(path), "replacement");
    EXPECT_EQ(temporariesIn(folder.path()), 0);

    // The file vanished while the new bytes were written: they take its place.
    FailingSteps gone(path, Step::TargetGone, 0);
    EXPECT_EQ(writeWith(gone, "after vanishing"), 0u);
    EXPECT_EQ(readFile(path), "after vanishing");
    EXPECT_EQ(temporariesIn(folder.path()), 0);
    // The system lost the file while replacing it: the temporary file, now
    // the only copy of the bytes, stays.
    FailingSteps lost(path, Step::TargetLost, ERROR_UNABLE_TO_MOVE_REPLACEMENT);
    EXPECT_EQ(writeWith(lost, "only copy"), static_cast<uint32_t>(ERROR_UNABLE_TO_MOVE_REPLACEMENT));
    EXPECT_EQ(temporariesIn(folder.path()), 1);
    HANDLE kept = CreateFileW(lost.temporaryPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(kept, INVALID_HANDLE_VALUE);
    char bytes[32];
    DWORD got = 0;
    ReadFile(kept, bytes, sizeof bytes, &got, nullptr);
    CloseHandle(kept);
    EXPECT_EQ(std::string(bytes, got), "only copy");
}

TEST_F(FileFaultsTest, AFolderThatRefusesNewFilesGetsTheFileWrittenInPlace) {
    Folder folder(40);
    const std::string path = folder.path() + "\\doc.bin";
    writeFile(path, "the original, longer");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
    FailingSteps refused(path, Step::Create, ERROR_ACCESS_DENIED);
    EXPECT_EQ(writeWith(refused, "short"), 0u);
    EXPECT_EQ(readFile(path), "short");
    EXPECT_EQ(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));

    // The file itself read-only: refused, untouched.
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    FailingSteps readOnly(path, Step::Create, ERROR_ACCESS_DENIED);
    EXPECT_EQ(writeWith(readOnly, "other bytes"), static_cast<uint32_t>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(readFile(path), "short");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    // A new name there: nothing to write in place.
    const std::string fresh = folder.path() + "\\new.bin";
    FailingSteps newName(fresh, Step::Create, ERROR_ACCESS_DENIED);
    EXPECT_EQ(writeWith(newName, "bytes"), static_cast<uint32_t>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(GetFileAttributesA(fresh.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileFaultsTest, AnEmptiedDocumentSavesAsAnEmptyFileAndTakesAnInsertion) {
    auto run = [this](int id, const char* entry = nullptr) {  // a command, its value dialog given `entry`
        if (entry != nullptr) DialogScript::expect([entry](HWND d) {
            SetDlgItemTextA(d, IDC_VE_EDIT, entry);
            PostMessageA(d, WM_COMMAND, IDOK, 0);
        });
        SendMessageA(frame(), WM_COMMAND, id, 0);
        pumpMessages();
    };
    auto greyed = [](int id) {
        SendMessageA(mainWindow, WM_INITMENU, reinterpret_cast<WPARAM>(GetMenu(mainWindow)), 0);
        return (GetMenuState(GetMenu(mainWindow), static_cast<UINT>(id), MF_BYCOMMAND) & MF_GRAYED) != 0;
    };
    const std::string path = makeTempFile("moxel emptied.bin", "0123456789");
    const std::string other = tempPath("moxel emptied other.bin");
    ASSERT_EQ(openFile(frame(), path.c_str(), 0), 1);
    editorState->hexInput = 0;
    run(IDM_DELETE_RANGE, "9");
    ASSERT_EQ(editorState->documentSize, 0u);
    for (int id : {IDM_SAVE, IDM_SAVE_AS, IDM_INSERT}) EXPECT_FALSE(greyed(id)) << id;
    for (int id : {IDM_PRINT, IDM_SELECT_ALL, IDM_FIND, IDM_DELETE, IDM_ASCII_EDIT}) EXPECT_TRUE(greyed(id)) << id;
    EXPECT_EQ(buttonState(IDM_SAVE), TBSTATE_ENABLED);
    EXPECT_EQ(buttonState(IDM_PRINT), TBSTATE_INDETERMINATE);

    run(IDM_SAVE);
    EXPECT_EQ(readFile(path), "");
    DialogScript::expect(chooseInFileDialog(other));
    run(IDM_SAVE_AS);
    bool written = false;
    EXPECT_EQ(readFile(other, &written), "");
    EXPECT_TRUE(written);

    run(IDM_INSERT, "65");  // the inserted byte becomes the document
    run(IDM_INSERT, "66");
    run(IDM_SAVE);
    EXPECT_EQ(readFile(other), "BA");
    run(IDM_DELETE_RANGE, "1");
    HWND window = frame();
    DialogScript::expect(answerWith(IDYES));  // the close prompt
    PostMessageA(window, WM_CLOSE, 0, 0);
    pumpMessages();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(readFile(other), "");
}
