// Opening files in the real frame: loads, failures and their error boxes,
// dropped files, the already-open question, close-and-open, the recent list
// with its menu items, and save / save as.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "resource_ids.h"
#include "shell/editor_state_win.h"
#include "shell/open_file_win.h"
#include "shell/startup_win.h"
#include "support/gui_harness_win.h"
#include "support/process_win.h"

using namespace gui;

namespace {

// When the code under test starts "another editor", the program started is
// this test program with a file name as its only argument. It must not run
// the suite again: it stands in for the editor with a WCMain window titled
// after the file it received, so a test can see what was started, and it
// ends on WM_CLOSE or after 10 s.
LRESULT CALLBACK standInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

[[maybe_unused]] const bool startedAsSpawnedEditor = [] {
    const char* p = GetCommandLineA();
    if (*p == '"') {
        p = std::strchr(p + 1, '"');
        p = p != nullptr ? p + 1 : "";
    } else {
        while (*p != '\0' && *p != ' ') ++p;
    }
    while (*p == ' ') ++p;
    if (*p == '\0' || *p == '-') return false;
    std::string file = p;
    if (file.size() >= 2 && file.front() == '"' && file.back() == '"') file = file.substr(1, file.size() - 2);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = standInProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "WCMain";
    RegisterClassExA(&wc);
    CreateWindowExA(0, "WCMain", ("MOXEL - " + file).c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                    nullptr, wc.hInstance, nullptr);
    SetTimer(nullptr, 0, 10000, nullptr);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        if (m.message == WM_TIMER && m.hwnd == nullptr) break;
        DispatchMessageA(&m);
    }
    ExitProcess(0);
    return true;
}();

// Top-level WCMain windows of other processes with exactly this title.
std::vector<HWND> otherEditorsTitled(const std::string& title) {
    std::vector<HWND> found = topLevelWindowsTitled(kAnyProcess, "WCMain", title);
    found.erase(std::remove_if(found.begin(), found.end(),
                               [](HWND w) { return processOf(w) == GetCurrentProcessId(); }),
                found.end());
    return found;
}

std::string title(const std::string& path) { return "MOXEL - " + path; }

std::string documentBytes() {
    const EditorState& s = *editorState;
    if (s.documentBytes == nullptr) return {};
    return std::string(reinterpret_cast<const char*>(s.documentBytes), s.documentSize);
}

std::string upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}
std::string lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

struct MenuItem {
    UINT id;
    bool separator;
    std::string text;
};

std::vector<MenuItem> fileMenuItems() {
    std::vector<MenuItem> items;
    HMENU file = GetSubMenu(GetMenu(mainWindow), 0);
    for (int i = 0; i < GetMenuItemCount(file); ++i) {
        char text[512] = "";
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        GetMenuItemInfoA(file, static_cast<UINT>(i), TRUE, &info);
        items.push_back({info.wID, (info.fType & MFT_SEPARATOR) != 0, text});
    }
    return items;
}

// The recent-file items at the end of the File menu, after their separator
// (which must follow "全終了(&Q)").
std::vector<std::string> recentMenuCaptions() {
    std::vector<MenuItem> items = fileMenuItems();
    std::vector<std::string> captions;
    size_t i = items.size();
    while (i > 0 && items[i - 1].id >= IDM_RECENT_FIRST && items[i - 1].id <= IDM_RECENT_LAST && !items[i - 1].separator) {
        --i;
    }
    for (size_t k = i; k < items.size(); ++k) {
        EXPECT_EQ(items[k].id, IDM_RECENT_FIRST + (k - i));
        captions.push_back(items[k].text);
    }
    if (!captions.empty()) {
        EXPECT_GE(i, 2u);
        if (i >= 2) {
            EXPECT_TRUE(items[i - 1].separator);
            EXPECT_EQ(items[i - 2].id, static_cast<UINT>(IDM_QUIT_ALL));
        }
    }
    return captions;
}

class OpenFileTest : public FrameTest {};

}  // namespace

TEST_F(OpenFileTest, LoadsIntoAWindowWithoutDocument) {
    std::string bytes("\x00\x01\x02hello\xFF", 9);
    std::string path = makeTempFile("moxel open one.bin", bytes);
    EXPECT_EQ(openFile(frame(), path.c_str(), 1), 1);
    const EditorState& s = *editorState;
    EXPECT_EQ(documentBytes(), bytes);
    EXPECT_EQ(s.spareCapacity, kSpareBytes);
    EXPECT_EQ(s.filePath, path);
    EXPECT_EQ(s.modified, 0);
    EXPECT_EQ(windowText(frame()), title(path));
    EXPECT_EQ(s.recentFiles[0], path);
    EXPECT_EQ(recentMenuCaptions(), std::vector<std::string>{"&0 " + path});
    EXPECT_EQ(dialogsShown(), 0);
}

TEST_F(OpenFileTest, FailedLoadsShowTheirErrorAndLeaveNoDocument) {
    struct Case {
        std::string path;
        std::string message;
    };
    std::string empty = makeTempFile("moxel empty.bin", "");
    std::string missing = tempPath("moxel no such file.bin");
    // 4 GiB and one byte, sparse: sizes do not fit 32 bits and must not be read cut.
    std::string huge = tempPath("moxel huge.bin");
    {
        HANDLE f = CreateFileA(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        LARGE_INTEGER end;
        end.QuadPart = (1LL << 32) + 1;
        EXPECT_TRUE(SetFilePointerEx(f, end, nullptr, FILE_BEGIN));
        EXPECT_TRUE(SetEndOfFile(f));
        CloseHandle(f);
    }
    const Case cases[] = {
        {empty, "ファイルサイズがゼロです"},
        {missing, systemText(ERROR_FILE_NOT_FOUND)},
        {huge, systemText(ERROR_FILE_TOO_LARGE)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        DialogScript::expect(answerWith(IDOK));
        EXPECT_EQ(openFile(frame(), c.path.c_str(), 1), 0);
        EXPECT_EQ(lastDialogText(), c.message);
        EXPECT_EQ(editorState->documentBytes, nullptr);
        EXPECT_FALSE(isDocumentLoaded(*editorState));
        EXPECT_EQ(windowText(frame()), "MOXEL");
        EXPECT_EQ(editorState->recentFiles[0], std::string());
    }
    EXPECT_EQ(stringText(IDS_ERR_EMPTY_FILE), "ファイルサイズがゼロです");
    EXPECT_TRUE(recentMenuCaptions().empty());
}

TEST_F(OpenFileTest, DroppedFileLoadsHereEvenWhenAnotherEditorShowsIt) {
    std::string bytes = "dropped bytes";
    std::string path = makeTempFile("moxel dropped.bin", bytes);
    std::string second = makeTempFile("moxel dropped second.bin", "second");
    WindowHost other(title(path));
    ASSERT_TRUE(other.started());
    ASSERT_EQ(otherEditorsTitled(title(path)).size(), 1u);

    // An HDROP as the shell builds it: two files, only the first counts.
    std::string names = path + '\0' + second + '\0' + '\0';
    HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
    ASSERT_NE(drop, nullptr);
    auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(drop);
    SendMessageA(frame(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);  // the frame frees it

    EXPECT_EQ(documentBytes(), bytes);
    EXPECT_EQ(windowText(frame()), title(path));
    EXPECT_EQ(dialogsShown(), 0);
}

TEST_F(OpenFileTest, OpeningTheFileThisWindowShowsAsksAndNoBringsItToTheFront) {
    std::string path = makeTempFile("moxel shown here.bin", "shown");
    ASSERT_EQ(openFile(frame(), path.c_str(), 0), 1);
    HWND elsewhere = CreateWindowExA(0, "STATIC", "elsewhere", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                     nullptr, nullptr);
    SetForegroundWindow(elsewhere);
    pumpMessages();

    DialogScript::expect(answerWith(IDNO));
    // The same file in other letters is the same file.
    EXPECT_EQ(openFile(frame(), upper(path).c_str(), 1), 1);
    char expected[1024];
    wsprintfA(expected, stringText(IDS_ASK_ALREADY_OPEN).c_str(), "MOXEL SHOWN HERE.BIN");
    EXPECT_EQ(lastDialogText(), expected);
    EXPECT_EQ(lastDialogTitle(), "処理の確認");
    EXPECT_EQ(GetForegroundWindow(), frame());
    DestroyWindow(elsewhere);
    EXPECT_EQ(windowText(frame()), title(path));
    EXPECT_EQ(editorState->recentFiles[0], path);
    EXPECT_EQ(editorState->recentFiles[1], std::string());
    // No second editor was started.
    pumpMessages(1500);
    EXPECT_TRUE(otherEditorsTitled(title(upper(path))).empty());
}

TEST_F(OpenFileTest, CloseAndOpenKeepsTheDocumentWhenTheNewFileFails) {
    std::string first = makeTempFile("moxel kept.bin", "kept document");
    std::string empty = makeTempFile("moxel close-open empty.bin", "");
    std::string next = makeTempFile("moxel replacement.bin", "replacement");
    ASSERT_EQ(openFile(frame(), first.c_str(), 0), 1);

    DialogScript::expect(chooseInFileDialog(empty));
    DialogScript::expect(answerWith(IDOK));
    SendMessageA(frame(), WM_COMMAND, IDM_CLOSE_AND_OPEN, 0);
    EXPECT_EQ(lastDialogText(), "ファイルサイズがゼロです");
    EXPECT_EQ(documentBytes(), "kept document");
    EXPECT_TRUE(isDocumentLoaded(*editorState));
    EXPECT_EQ(editorState->filePath, first);
    EXPECT_EQ(windowText(frame()), title(first));

    // A file that can be read replaces the document in this same window.
    DialogScript::expect(chooseInFileDialog(next));
    SendMessageA(frame(), WM_COMMAND, IDM_CLOSE_AND_OPEN, 0);
    EXPECT_EQ(documentBytes(), "replacement");
    EXPECT_EQ(editorState->filePath, next);
    EXPECT_EQ(windowText(frame()), title(next));
    EXPECT_EQ(recentMenuCaptions(), (std::vector<std::string>{"&0 " + next, "&1 " + first}));
}

TEST_F(OpenFileTest, RecentListTakesTheNewestLetterCaseAndKeepsTen) {
    std::string path = makeTempFile("moxel Case.bin", "case");
    ASSERT_EQ(openFile(frame(), upper(path).c_str(), 0), 1);
    ASSERT_EQ(openFile(frame(), lower(path).c_str(), 0), 1);
    EXPECT_EQ(editorState->recentFiles[0], lower(path));
    EXPECT_EQ(editorState->recentFiles[1], std::string());
    EXPECT_EQ(recentMenuCaptions(), std::vector<std::string>{"&0 " + lower(path)});

    std::vector<std::string> files;
    for (int i = 0; i < 11; ++i) {
        files.push_back(makeTempFile("moxel recent " + std::to_string(i) + ".bin", "r" + std::to_string(i)));
        ASSERT_EQ(openFile(frame(), files.back().c_str(), 0), 1);
    }
    std::vector<std::string> expected;
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(editorState->recentFiles[i], files[10 - i]);
        expected.push_back("&" + std::to_string(i) + " " + files[10 - i]);
    }
    EXPECT_EQ(editorState->recentMenuCount, 10);
    EXPECT_EQ(recentMenuCaptions(), expected);
}

TEST_F(OpenFileTest, RecentItemsShowAnAmpersandInThePathAsItIs) {
    std::string first = makeTempFile("moxel R&D.bin", "rd");
    std::string second = makeTempFile("moxel a&&b.bin", "ab");
    ASSERT_EQ(openFile(frame(), first.c_str(), 0), 1);
    ASSERT_EQ(openFile(frame(), second.c_str(), 0), 1);
    auto doubled = [](std::string text) {
        for (size_t at = text.find('&'); at != std::string::npos; at = text.find('&', at + 2)) text.insert(at, "&");
        return text;
    };
    // Doubled for the menu, which shows "&&" as "&"; kept as it is everywhere else.
    EXPECT_EQ(recentMenuCaptions(), (std::vector<std::string>{"&0 " + doubled(second), "&1 " + doubled(first)}));
    EXPECT_EQ(editorState->recentFiles[0], second);
    saveSettings();
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\ORVA\\MOXEL", 0, KEY_READ, &key), ERROR_SUCCESS);
    char stored[kPathLength] = "";
    DWORD size = sizeof stored;
    RegQueryValueExA(key, "Hist01", nullptr, nullptr, reinterpret_cast<BYTE*>(stored), &size);
    RegCloseKey(key);
    EXPECT_EQ(stored, first);
}

TEST_F(OpenFileTest, RecentItemOpensItsEntryInAWindowWithoutDocument) {
    std::string a = makeTempFile("moxel recent a.bin", "entry a");
    std::string b = makeTempFile("moxel recent b.bin", "entry b");
    std::strcpy(editorState->recentFiles[0], a.c_str());
    std::strcpy(editorState->recentFiles[1], b.c_str());
    SendMessageA(frame(), WM_COMMAND, IDM_RECENT_FIRST + 1, 0);
    EXPECT_EQ(documentBytes(), "entry b");
    EXPECT_EQ(editorState->recentFiles[0], b);
    EXPECT_EQ(editorState->recentFiles[1], a);
    // An empty entry does nothing.
    SendMessageA(frame(), WM_COMMAND, IDM_RECENT_FIRST + 5, 0);
    EXPECT_EQ(editorState->filePath, b);
    EXPECT_EQ(dialogsShown(), 0);
}

TEST_F(OpenFileTest, SaveWritesTheFileAndSaveAsRenamesTheDocument) {
    std::string path = makeTempFile("moxel save.bin", "0123456789");
    ASSERT_EQ(openFile(frame(), path.c_str(), 0), 1);
    editorState->documentBytes[0] = 'X';
    editorState->modified = 1;
    SendMessageA(frame(), WM_COMMAND, IDM_SAVE, 0);
    EXPECT_EQ(readFile(path), "X123456789");
    EXPECT_EQ(editorState->modified, 0);

    // Cancelled: nothing changes.
    DialogScript::expect(answerWith(IDCANCEL));
    SendMessageA(frame(), WM_COMMAND, IDM_SAVE_AS, 0);
    EXPECT_EQ(editorState->filePath, path);
    EXPECT_EQ(windowText(frame()), title(path));

    std::string other = tempPath("moxel saved as.bin");
    editorState->documentBytes[1] = 'Y';
    editorState->modified = 1;
    DialogScript::expect(chooseInFileDialog(other));
    SendMessageA(frame(), WM_COMMAND, IDM_SAVE_AS, 0);
    EXPECT_EQ(readFile(other), "XY23456789");
    EXPECT_EQ(readFile(path), "X123456789");
    EXPECT_EQ(editorState->filePath, other);
    EXPECT_EQ(windowText(frame()), title(other));
    EXPECT_EQ(editorState->modified, 0);
    // Only opening moves a file into the recent list.
    EXPECT_EQ(editorState->recentFiles[0], path);
    EXPECT_EQ(editorState->recentFiles[1], std::string());
}
