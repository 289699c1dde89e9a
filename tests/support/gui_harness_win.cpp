#include "support/gui_harness_win.h"

#include <commctrl.h>
#include <dlgs.h>
#include <sddl.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <set>

#include "resource_ids.h"
#include "support/dialog_steps_win.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"
#include "shell/settings_codec.h"
#include "shell/settings_win.h"
#include "shell/shutdown_win.h"
#include "shell/startup_win.h"
#include "support/help_windows_win.h"
#include "tools/error_box_win.h"

namespace gui {
namespace {

std::deque<DialogAction> queuedAnswers;
std::set<HWND> dialogsSeen;  // a dialog is answered on its first activation only
std::string lastTitle;
std::string lastText;
int shownCount = 0;
std::vector<std::string> tempFiles;

// ---- watchdog
constexpr DWORD kTestTimeLimitMs = 20000;
std::atomic<DWORD> testTimeLimitMs{kTestTimeLimitMs};
std::mutex watchdogMutex;
std::string runningTest;
std::atomic<DWORD> testStartedAt{0};
std::atomic<bool> testRunning{false};

DWORD WINAPI watchdogThread(void*) {
    for (;;) {
        Sleep(250);
        if (!testRunning.load()) continue;
        if (GetTickCount() - testStartedAt.load() < testTimeLimitMs.load()) continue;
        std::string name;
        {
            std::lock_guard<std::mutex> lock(watchdogMutex);
            name = runningTest;
        }
        std::fprintf(stdout, "\n[  FAILED  ] %s (watchdog: still running after %lu ms)\n", name.c_str(),
                     static_cast<unsigned long>(testTimeLimitMs.load()));
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 3);
    }
}

class SupportListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo& info) override {
        {
            std::lock_guard<std::mutex> lock(watchdogMutex);
            runningTest = std::string(info.test_suite_name()) + "." + info.name();
        }
        testStartedAt = GetTickCount();
        testTimeLimitMs = kTestTimeLimitMs;
        testRunning = true;
        shownCount = 0;
        lastTitle.clear();
        lastText.clear();
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        testRunning = false;
        for (const std::string& f : tempFiles) {
            SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(f.c_str());
        }
        tempFiles.clear();
    }
};

bool isDialogWindow(HWND window) {
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    return std::strcmp(name, "#32770") == 0;
}

void recordDialog(HWND dialog) {
    lastTitle = windowText(dialog);
    lastText = dialogText(dialog);
}

LRESULT CALLBACK dialogHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_DESTROYWND) {
        dialogsSeen.erase(reinterpret_cast<HWND>(wParam));
    } else if (code == HCBT_ACTIVATE) {
        HWND dialog = reinterpret_cast<HWND>(wParam);
        if (isDialogWindow(dialog) && dialogsSeen.insert(dialog).second) {
            ++shownCount;
            if (!queuedAnswers.empty()) {
                DialogAction action = std::move(queuedAnswers.front());
                queuedAnswers.pop_front();
                action(dialog);
            } else {
                recordDialog(dialog);
                ADD_FAILURE() << "unexpected dialog \"" << lastTitle << "\": " << lastText;
                int button = IDCANCEL;
                for (int id : {IDCANCEL, IDNO, IDOK}) {
                    if (GetDlgItem(dialog, id) != nullptr) {
                        button = id;
                        break;
                    }
                }
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL CALLBACK collectStatic(HWND child, LPARAM param) {
    char name[16] = "";
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Static") == 0) {
        std::string text = windowText(child);
        if (!text.empty()) {
            auto* out = reinterpret_cast<std::string*>(param);
            if (!out->empty()) *out += '\n';
            *out += text;
        }
    }
    return TRUE;
}

std::string tempDirectory() {
    char dir[MAX_PATH];
    DWORD n = GetTempPathA(sizeof dir, dir);
    return n > 0 && n < sizeof dir ? std::string(dir, n) : std::string(".\\");
}

}  // namespace

void allowTestTime(DWORD milliseconds) { testTimeLimitMs = milliseconds; }

void DialogScript::expect(DialogAction action) { queuedAnswers.push_back(std::move(action)); }
size_t DialogScript::pending() { return queuedAnswers.size(); }
void DialogScript::clear() { queuedAnswers.clear(); }

DialogAction answerWith(int buttonId) {
    return [buttonId](HWND dialog) {
        recordDialog(dialog);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
    };
}

DialogAction chooseInFileDialog(const std::string& path) {
    return [path](HWND dialog) {
        for (int id : {edt1, cmb13}) {
            if (GetDlgItem(dialog, id) != nullptr) SetDlgItemTextA(dialog, id, path.c_str());
        }
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
}

const std::string& lastDialogTitle() { return lastTitle; }
const std::string& lastDialogText() { return lastText; }
int dialogsShown() { return shownCount; }

std::string dialogText(HWND dialog) {
    std::string text;
    EnumChildWindows(dialog, collectStatic, reinterpret_cast<LPARAM>(&text));
    return text;
}

std::string windowText(HWND window) {
    char buffer[2048] = "";
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

std::string listCell(HWND list, int row, int column) {
    char text[256] = "";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

void pumpMessages(DWORD milliseconds) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) continue;
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    }
}

void pressKey(HWND window, int vk, int modifier) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = modifier == VK_SHIFT ? 0x80 : 0;
    keys[VK_CONTROL] = modifier == VK_CONTROL ? 0x80 : 0;
    SetKeyboardState(keys);
    SendMessageA(window, WM_KEYDOWN, static_cast<WPARAM>(vk), 0);
    keys[VK_SHIFT] = keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    pumpMessages();
}

bool pressAccelerator(int vk, bool ctrl, bool shift) {
    HACCEL table = acceleratorsNow(LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ACCELERATORS)));
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    MSG m{win().viewWindow, WM_KEYDOWN, static_cast<WPARAM>(vk), 1, 0, {}};
    const bool taken = TranslateAcceleratorA(mainWindow, table, &m) != 0;
    keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    pumpMessages();
    return taken;
}

bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMs) return done();
        pumpMessages(20);
    }
    return true;
}

std::string tempPath(const std::string& name) {
    std::string path = tempDirectory() + name;
    tempFiles.push_back(path);
    return path;
}

std::string makeTempFile(const std::string& name, const std::string& bytes) {
    std::string path = tempPath(name);
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(f, INVALID_HANDLE_VALUE) << "cannot create " << path;
    if (f != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        if (!bytes.empty()) WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        EXPECT_EQ(written, bytes.size());
        CloseHandle(f);
    }
    return path;
}

std::string readFile(const std::string& path, bool* ok) {
    if (ok != nullptr) *ok = false;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return {};
    std::string data;
    char buffer[65536];
    DWORD got = 0;
    bool good = true;
    while ((good = ReadFile(f, buffer, sizeof buffer, &got, nullptr) != 0) && got > 0) data.append(buffer, got);
    CloseHandle(f);
    if (ok != nullptr) *ok = good;
    return data;
}

std::string systemText(DWORD code) {
    char buffer[kErrorTextLength + 1] = "";
    systemErrorText(code, buffer, sizeof buffer);
    return buffer;
}

std::string stringText(int id) {
    char buffer[520] = "";
    LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(id), buffer, sizeof buffer);
    return buffer;
}

namespace {

constexpr const char* kPrivateRootParent = "Software\\MoxelTests";
std::string rootName;
HKEY rootKey = nullptr;

// Gives HKEY_CURRENT_USER back and deletes the run's key when the tests end.
class PrivateSettingsRoot : public ::testing::Environment {
public:
    void TearDown() override {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        if (rootKey != nullptr) RegCloseKey(rootKey);
        rootKey = nullptr;
        RegDeleteTreeA(HKEY_CURRENT_USER, (std::string(kPrivateRootParent) + "\\" + rootName).c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, kPrivateRootParent);  // only once no other run's key is left
    }
};

void usePrivateSettingsRoot() {
    // Wine reads its own settings below HKEY_CURRENT_USER when the display
    // driver and the fonts start: let them start before the key moves.
    if (HDC screen = GetDC(nullptr)) {
        TEXTMETRICA tm;
        SelectObject(screen, GetStockObject(SYSTEM_FONT));
        GetTextMetricsA(screen, &tm);
        ReleaseDC(nullptr, screen);
    }
    rootName = "run-" + std::to_string(GetCurrentProcessId());
    const std::string path = std::string(kPrivateRootParent) + "\\" + rootName;
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());  // left by an earlier run of the same id
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &rootKey, nullptr) !=
            ERROR_SUCCESS ||
        RegOverridePredefKey(HKEY_CURRENT_USER, rootKey) != ERROR_SUCCESS) {
        std::fprintf(stderr, "cannot move HKEY_CURRENT_USER to %s: the tests would touch real settings\n", path.c_str());
        std::exit(2);
    }
    SetEnvironmentVariableA("MOXEL_TEST_SETTINGS_ROOT", rootName.c_str());
    ::testing::AddGlobalTestEnvironment(new PrivateSettingsRoot);
}

}  // namespace

const std::string& privateSettingsRootName() { return rootName; }

void suspendPrivateSettingsRoot() { RegOverridePredefKey(HKEY_CURRENT_USER, nullptr); }

void resumePrivateSettingsRoot() {
    if (rootKey != nullptr) RegOverridePredefKey(HKEY_CURRENT_USER, rootKey);
}

std::string realUserKeyPath(const std::string& subkey) {
    std::string sid;
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        std::vector<BYTE> buffer(size);
        char* text = nullptr;
        if (size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
            ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
            sid = text;
            LocalFree(text);
        }
        CloseHandle(token);
    }
    return sid + "\\" + subkey;
}

std::string registrySnapshot(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "(no key)";
    std::string text;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name;
        DWORD type = 0;
        BYTE data[2048];
        DWORD dataSize = sizeof data;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
        text += std::string(name, nameSize) + "/" + std::to_string(type) + "=" +
                std::string(reinterpret_cast<char*>(data), dataSize) + "\n";
    }
    RegCloseKey(key);
    return text;
}

void installTestSupport(bool dialogGuard) {
    usePrivateSettingsRoot();
    ::testing::UnitTest::GetInstance()->listeners().Append(new SupportListener);
    if (HANDLE t = CreateThread(nullptr, 0, watchdogThread, nullptr, 0, nullptr)) CloseHandle(t);
    if (dialogGuard) SetWindowsHookExA(WH_CBT, dialogHook, nullptr, GetCurrentThreadId());
}

void clearSettingsKey() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\ORVA\\MOXEL"); }

bool storedPanePlacement(const char* name, PanePlacement& out) {
    RegistryKey key(kSettingsPath, kSettingsSubkey, 1);
    SettingBytes raw;
    return key.readRaw(name, raw) && decodeInspectorPlacement(raw.data(), raw.size(), out) == 1;
}

// ---------------------------------------------------------------- fixtures

void EditorTest::SetUp() {
    clearSettingsKey();
    DialogScript::clear();
    appInstance = GetModuleHandleA(nullptr);
    mainWindow = nullptr;
    anotherInstanceAtStart = 0;
    ASSERT_EQ(initEditorState(), 1);
    ASSERT_EQ(registerWindowClasses(), 1) << "error " << GetLastError();
}

void EditorTest::TearDown() {
    EXPECT_EQ(DialogScript::pending(), 0u) << "answers queued for dialogs that never came";
    EXPECT_EQ(stepsNeverRun(), 0u) << "steps for a dialog that closed before them";
    stopSteps();
    DialogScript::clear();
    // A help window a command opened would outlive the test and keep the help file open.
    closeHelpWindows();
    if (mainWindow != nullptr && IsWindow(mainWindow)) DestroyWindow(mainWindow);
    // The frame's WM_DESTROY posts WM_QUIT, which would end the next test's modal loops.
    pumpMessages();
    MSG m;
    while (PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    releaseResources(0);
    freeEditorStateRecord();
    mainWindow = nullptr;
    anotherInstanceAtStart = 0;
    unregisterWindowClasses();
}

void FrameTest::SetUp() {
    EditorTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_EQ(createMainWindow(0, SW_SHOWNORMAL), 1);
    pumpMessages();
}

HWND FrameTest::frame() const { return mainWindow; }

std::string FrameTest::statusText(int part) const {
    showWaitingStatus();
    char buffer[1024] = "";
    HWND status = win().statusWindow;
    if (LOWORD(SendMessageA(status, SB_GETTEXTLENGTHA, part, 0)) * 2 >= sizeof buffer) return "(too long)";
    SendMessageA(status, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

bool FrameTest::statusIsSimple() const { return SendMessageA(win().statusWindow, SB_ISSIMPLE, 0, 0) != 0; }

int FrameTest::buttonState(int command) const {
    pumpMessages();
    return static_cast<int>(SendMessageA(win().toolbarWindow, TB_GETSTATE, command, 0));
}

RECT FrameTest::childRect(HWND child) const {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, mainWindow, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void FrameTest::loadDocument(const std::string& bytes, const std::string& path) {
    EditorState& s = *editorState;
    std::free(s.documentBytes);
    s.documentBytes = static_cast<uint8_t*>(std::malloc(bytes.size() + kSpareBytes));
    ASSERT_NE(s.documentBytes, nullptr);
    std::memcpy(s.documentBytes, bytes.data(), bytes.size());
    s.documentSize = static_cast<uint32_t>(bytes.size());
    s.spareCapacity = kSpareBytes;
    ASSERT_LT(path.size(), sizeof s.filePath);
    std::strcpy(s.filePath, path.c_str());
    ASSERT_EQ(documentReset(), 1);
    pumpMessages();
}

void ViewFrameTest::SetUp() {
    FrameTest::SetUp();
    if (HasFatalFailure()) return;
    MoveWindow(mainWindow, 0, 0, 1000, 600, TRUE);
    pumpMessages();
}

EditorState& ViewFrameTest::s() const { return *editorState; }

HWND ViewFrameTest::view() const { return win().viewWindow; }

}  // namespace gui
