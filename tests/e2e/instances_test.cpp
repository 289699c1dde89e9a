// Editor processes meeting each other, all real: a window with a document
// hands a further file to a new process (quoted paths with spaces included),
// the already-open question starts another process on Yes, a second
// process writes back the window position it loaded, and what one editor
// stored survives another closing later.
#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "resource_ids.h"
#include "support/gui_harness_win.h"
#include "support/process_win.h"

using namespace gui;

namespace {

const char* const kKey = "Software\\ORVA\\MOXEL";

void storeString(const char* name, const std::string& text) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
}

void storeBinary(const char* name, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

std::string storedValue(const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return "(no key)";
    char data[600];
    DWORD size = sizeof data;
    std::string value = "(missing)";
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS) {
        value.assign(data, size);
    }
    RegCloseKey(key);
    return value;
}

struct EditorWindow {
    HWND window;
    DWORD pid;
};

// Every top-level WCMain window with exactly this title.
std::vector<EditorWindow> editorsTitled(const std::string& title) {
    std::vector<EditorWindow> found;
    for (HWND w : topLevelWindowsTitled(kAnyProcess, "WCMain", title)) found.push_back({w, processOf(w)});
    return found;
}

// Waits until `count` editor windows show this title.
std::vector<EditorWindow> waitForEditors(const std::string& title, size_t count, DWORD timeoutMs) {
    std::vector<EditorWindow> found;
    pumpUntil(
        [&] {
            found = editorsTitled(title);
            return found.size() >= count;
        },
        timeoutMs);
    return found;
}

// An editor process, started here or found by its window; asked to close and,
// failing that, ended when the object goes.
class Editor : public EditorProcess {
public:
    using EditorProcess::EditorProcess;
    explicit Editor(const EditorWindow& found) : EditorProcess(found.window) {}

    std::string imagePath() const {
        char path[MAX_PATH] = "";
        DWORD size = sizeof path;
        if (!QueryFullProcessImageNameA(process().handle(), 0, path, &size)) return "(unknown)";
        return std::string(path, size);
    }
};

RECT windowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

// Ends every editor process the tests leave behind.
class StrayEditors : public ::testing::Environment {
public:
    void TearDown() override {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return;
        PROCESSENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
            if (lstrcmpiA(entry.szExeFile, "moxel.exe") != 0) continue;
            if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
                TerminateProcess(p, 1);
                WaitForSingleObject(p, 3000);
                CloseHandle(p);
            }
        }
        CloseHandle(snapshot);
    }
};

[[maybe_unused]] ::testing::Environment* const strayEditors =
    ::testing::AddGlobalTestEnvironment(new StrayEditors);

}  // namespace

TEST(Instances, ADocumentWindowHandsAnotherFileToANewEditor) {
    clearSettingsKey();
    std::string first = fullPath(makeTempFile("moxel spawn first.bin", "first"));
    std::string second = fullPath(makeTempFile("moxel spawn second.bin", "second"));
    storeString("Hist00", second);
    Editor editor(programDirectory() + "moxel.exe", first);
    ASSERT_NE(editor.window(), nullptr);

    // The recent list is now first, second: item 1 opens the second file.
    PostMessageA(editor.window(), WM_COMMAND, IDM_RECENT_FIRST + 1, 0);
    std::vector<EditorWindow> spawned = waitForEditors("MOXEL - " + second, 1, 10000);
    ASSERT_EQ(spawned.size(), 1u);
    Editor other(spawned[0]);
    EXPECT_NE(other.pid(), editor.pid());
    EXPECT_EQ(windowText(editor.window()), "MOXEL - " + first);
    // The settings were saved before the start, with the new file at the head.
    EXPECT_EQ(storedValue("Hist00"), second + '\0');
    EXPECT_EQ(storedValue("Hist01"), first + '\0');
    EXPECT_EQ(other.close(), 0);
    EXPECT_EQ(editor.close(), 0);
}

TEST(Instances, SpawnedCommandLineCarriesSpacesInProgramAndFilePaths) {
    clearSettingsKey();
    std::string dir = fullPath(tempPath("moxel spaced dir"));
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    std::string program = dir + "\\moxel copy.exe";
    ASSERT_TRUE(CopyFileA((programDirectory() + "moxel.exe").c_str(), program.c_str(), FALSE));
    std::string first = dir + "\\first file.bin";
    std::string second = dir + "\\second file with  two spaces.bin";
    {
        HANDLE f = CreateFileA(first.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD n = 0;
        WriteFile(f, "1", 1, &n, nullptr);
        CloseHandle(f);
        f = CreateFileA(second.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        WriteFile(f, "2", 1, &n, nullptr);
        CloseHandle(f);
    }
    storeString("Hist00", second);
    {
        Editor editor(program, first);
        ASSERT_NE(editor.window(), nullptr);
        PostMessageA(editor.window(), WM_COMMAND, IDM_RECENT_FIRST + 1, 0);
        std::vector<EditorWindow> spawned = waitForEditors("MOXEL - " + second, 1, 10000);
        ASSERT_EQ(spawned.size(), 1u) << "no editor for " << second;
        Editor other(spawned[0]);
        EXPECT_EQ(lstrcmpiA(other.imagePath().c_str(), program.c_str()), 0) << other.imagePath();
        EXPECT_EQ(other.close(), 0);
        EXPECT_EQ(editor.close(), 0);
    }
    DeleteFileA(program.c_str());
    DeleteFileA(first.c_str());
    DeleteFileA(second.c_str());
    RemoveDirectoryA(dir.c_str());
}

TEST(Instances, OpeningTheShownFileAsksAndYesStartsAnotherEditorOnIt) {
    clearSettingsKey();
    std::string path = fullPath(makeTempFile("moxel asked.bin", "asked"));
    Editor editor(programDirectory() + "moxel.exe", path);
    ASSERT_NE(editor.window(), nullptr);

    PostMessageA(editor.window(), WM_COMMAND, IDM_RECENT_FIRST, 0);  // entry 0 is this very file
    HWND box = editor.waitForDialog(5000);
    ASSERT_NE(box, nullptr) << "no question";
    EXPECT_EQ(windowText(box), "処理の確認");
    EXPECT_EQ(dialogText(box), "'moxel asked.bin' は既に開かれています。実行しますか？");
    PostMessageA(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);

    std::vector<EditorWindow> both = waitForEditors("MOXEL - " + path, 2, 10000);
    ASSERT_EQ(both.size(), 2u);
    const EditorWindow& started = both[0].pid == editor.pid() ? both[1] : both[0];
    Editor other(started);
    EXPECT_NE(other.pid(), editor.pid());
    EXPECT_EQ(other.close(), 0);
    EXPECT_EQ(editor.close(), 0);
}

TEST(Instances, ASecondEditorWritesBackThePositionItLoaded) {
    clearSettingsKey();
    const int32_t stored[4] = {100, 100, 900, 700};
    storeBinary("Pos", stored, sizeof stored);
    Editor first(programDirectory() + "moxel.exe", "");
    ASSERT_NE(first.window(), nullptr);
    Editor second(programDirectory() + "moxel.exe", "");
    ASSERT_NE(second.window(), nullptr);

    RECT r = windowRect(first.window());
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 100);
    EXPECT_EQ(r.right, 900);
    EXPECT_EQ(r.bottom, 700);
    r = windowRect(second.window());
    EXPECT_EQ(r.right - r.left, 800);
    EXPECT_EQ(r.bottom - r.top, 600);

    SetWindowPos(second.window(), nullptr, 300, 250, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Sleep(200);
    EXPECT_EQ(second.close(), 0);
    EXPECT_EQ(storedValue("Pos"), std::string(reinterpret_cast<const char*>(stored), sizeof stored));

    SetWindowPos(first.window(), nullptr, 50, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Sleep(200);
    EXPECT_EQ(first.close(), 0);
    const int32_t moved[4] = {50, 60, 850, 660};
    EXPECT_EQ(storedValue("Pos"), std::string(reinterpret_cast<const char*>(moved), sizeof moved));
}

TEST(Instances, WhatOneEditorStoredSurvivesAnotherClosingLaterAndTheRecentListsMerge) {
    clearSettingsKey();
    const std::string older = fullPath(makeTempFile("moxel merge older.bin", "o"));
    const std::string a = fullPath(makeTempFile("moxel merge a.bin", "a"));
    const std::string b = fullPath(makeTempFile("moxel merge b.bin", "b"));
    storeString("Hist00", older);
    Editor first(programDirectory() + "moxel.exe", a);
    ASSERT_NE(first.window(), nullptr);
    Editor second(programDirectory() + "moxel.exe", b);
    ASSERT_NE(second.window(), nullptr);

    ASSERT_TRUE(tickStartInKanji(first));
    EXPECT_EQ(first.close(), 0);
    const std::string options = storedValue("Ope");
    ASSERT_EQ(options.size(), 32u);
    EXPECT_EQ(options[1], 1);

    EXPECT_EQ(second.close(), 0);
    EXPECT_EQ(storedValue("Ope"), options) << "the option stored by the first editor was lost";
    EXPECT_EQ(storedValue("Hist00"), b + '\0');
    EXPECT_EQ(storedValue("Hist01"), a + '\0');
    EXPECT_EQ(storedValue("Hist02"), older + '\0');
    EXPECT_EQ(storedValue("Hist03"), "(missing)");
}
