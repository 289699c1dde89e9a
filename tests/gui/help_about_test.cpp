// Help (the compiled MOXEL.CHM beside the program and the HTML Help window)
// and the about box.
#include <windows.h>
#include <objbase.h>

#include <set>
#include <string>
#include <vector>

#include "resource_ids.h"
#include "shell/editor_state_win.h"
#include "support/gui_harness_win.h"
#include "support/help_windows_win.h"
#include "support/process_win.h"
#include "tools/about_win.h"
#include "tools/help_win.h"

using namespace gui;

// The system's reader of compiled help files (itss.dll). Declared outside the
// anonymous namespace: the compiler would otherwise know that no object of
// this type is made in this file and may turn the calls into nonsense.
struct IITStorage : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR*, IStorage*, DWORD, SNB, DWORD, IStorage**) = 0;
};

namespace {

// ------------------------------------------------- reading the compiled file

const CLSID kItStorageClass = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
const IID kItStorageInterface = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};

std::string helpFilePath() {
    char dir[kPathLength];
    EXPECT_TRUE(programDirectory(dir));
    return std::string(dir) + "\\" + kHelpFileName;
}

// The files inside the compiled help file by name, with their bytes.
class CompiledHelp {
public:
    explicit CompiledHelp(const std::string& path) {
        CoInitialize(nullptr);
        IITStorage* its = nullptr;
        if (FAILED(CoCreateInstance(kItStorageClass, nullptr, CLSCTX_INPROC_SERVER, kItStorageInterface,
                                    reinterpret_cast<void**>(&its)))) {
            return;
        }
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        its->StgOpenStorage(wide, nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, &storage_);
        its->Release();
    }
    ~CompiledHelp() {
        if (storage_ != nullptr) storage_->Release();
        CoUninitialize();
    }
    CompiledHelp(const CompiledHelp&) = delete;
    CompiledHelp& operator=(const CompiledHelp&) = delete;

    bool opened() const { return storage_ != nullptr; }

    // The file's bytes; `found` says whether it is there.
    std::string file(const std::string& name, bool* found = nullptr) const {
        if (found != nullptr) *found = false;
        if (storage_ == nullptr) return {};
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wide, MAX_PATH);
        IStream* stream = nullptr;
        if (FAILED(storage_->OpenStream(wide, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream))) return {};
        std::string bytes;
        char buffer[4096];
        ULONG got = 0;
        while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &got)) && got > 0) bytes.append(buffer, got);
        stream->Release();
        if (found != nullptr) *found = true;
        return bytes;
    }

private:
    IStorage* storage_ = nullptr;
};

struct SitemapEntry {
    std::string name, local;
};

// The entries of a contents or index file: each object's Name and Local.
std::vector<SitemapEntry> sitemap(const std::string& text) {
    auto param = [&](size_t from, size_t to, const std::string& which) {
        std::string key = "name=\"" + which + "\" value=\"";
        size_t at = text.find(key, from);
        if (at == std::string::npos || at > to) return std::string();
        at += key.size();
        return text.substr(at, text.find('"', at) - at);
    };
    std::vector<SitemapEntry> entries;
    for (size_t at = text.find("<object"); at != std::string::npos; at = text.find("<object", at + 1)) {
        size_t end = text.find("</object>", at);
        entries.push_back({param(at, end, "Name"), param(at, end, "Local")});
    }
    return entries;
}

// A menu caption as the index names it: without its access key, dots and key text.
std::string plainCaption(std::string caption) {
    caption = caption.substr(0, caption.find('\t'));
    size_t key = caption.find("(&");
    if (key != std::string::npos) caption.erase(key, caption.find(')', key) - key + 1);
    while (!caption.empty() && caption.back() == '.') caption.pop_back();
    return caption;
}

void menuCommands(HMENU menu, std::vector<std::string>& out) {
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            menuCommands(sub, out);
            continue;
        }
        char text[128] = "";
        if (GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION) > 0) out.push_back(plainCaption(text));
    }
}

// The help file moved away for one test.
class HelpFileAway {
public:
    HelpFileAway() : path_(helpFilePath()), away_(path_ + ".away") {
        moved_ = MoveFileExA(path_.c_str(), away_.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    }
    ~HelpFileAway() {
        if (moved_) MoveFileExA(away_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    HelpFileAway(const HelpFileAway&) = delete;
    HelpFileAway& operator=(const HelpFileAway&) = delete;
    bool moved() const { return moved_; }

private:
    std::string path_, away_;
    bool moved_ = false;
};

using HelpTest = FrameTest;

}  // namespace

TEST(HelpFile, HasATopicForEveryMenuCommand) {
    CompiledHelp help(helpFilePath());
    ASSERT_TRUE(help.opened()) << helpFilePath();

    std::set<std::string> keywords;
    for (const SitemapEntry& e : sitemap(help.file("index.hhk"))) {
        keywords.insert(e.name);
        bool found = false;
        help.file(e.local, &found);
        EXPECT_TRUE(found) << "index entry " << e.name << " leads to the missing " << e.local;
    }
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_MENU));
    ASSERT_NE(menu, nullptr);
    std::vector<std::string> commands;
    menuCommands(menu, commands);
    DestroyMenu(menu);
    ASSERT_GE(commands.size(), 30u);
    for (const std::string& c : commands) EXPECT_TRUE(keywords.count(c)) << "no help topic for " << c;

    std::vector<SitemapEntry> contents = sitemap(help.file("toc.hhc"));
    EXPECT_GE(contents.size(), 13u);
    for (const SitemapEntry& e : contents) {
        bool found = false;
        std::string page = help.file(e.local, &found);
        EXPECT_TRUE(found) << e.local;
        // Topics are Shift-JIS, as the contents and the viewer read them.
        EXPECT_NE(page.find("<title>" + e.name + "</title>"), std::string::npos) << e.local;
    }
}

TEST_F(HelpTest, F1OpensTheHelpWindowOwnedByTheDesktop) {
    closeHelpWindows();
    SendMessageA(frame(), WM_COMMAND, IDM_HELP, 0);
    std::vector<HWND> windows = helpWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windowText(windows[0]), "MOXEL ヘルプ");
    EXPECT_EQ(GetWindow(windows[0], GW_OWNER), nullptr);
    closeHelpWindows();

    // The options topic has its own number; a number the file does not know fails.
    EXPECT_EQ(showHelp(frame(), IDH_OPTIONS), 1);
    EXPECT_EQ(helpWindows().size(), 1u);
    closeHelpWindows();
    DialogScript::expect(answerWith(IDOK));
    EXPECT_EQ(showHelp(frame(), 4242), 0);
    EXPECT_NE(lastDialogText(), systemText(ERROR_SUCCESS));
}

TEST_F(HelpTest, MissingHelpFileShowsTheSystemText) {
    closeHelpWindows();  // the control keeps the file open while it shows it
    HelpFileAway away;
    ASSERT_TRUE(away.moved());
    DialogScript::expect(answerWith(IDOK));
    SendMessageA(frame(), WM_COMMAND, IDM_HELP, 0);
    EXPECT_EQ(dialogsShown(), 1);
    // The control names the missing file or its path, as the system words it.
    EXPECT_TRUE(lastDialogText() == systemText(ERROR_FILE_NOT_FOUND) || lastDialogText() == systemText(ERROR_PATH_NOT_FOUND))
        << lastDialogText();
    EXPECT_TRUE(helpWindows().empty());
}

TEST(ProgramDirectory, IsTheFoldersPathWithoutItsSeparator) {
    char dir[kPathLength];
    ASSERT_TRUE(programDirectory(dir));
    std::string expected = gui::programDirectory();  // with its trailing backslash
    expected.pop_back();
    EXPECT_EQ(dir, expected);
}

// ------------------------------------------------------------- about box

namespace {

struct AboutSeen {
    std::string name, version, description;
    LOGFONTA nameFont{};
    HFONT nameFontHandle = nullptr;
    int nameHeight = 0;
    bool centred = false;
    bool visible = false;
};

DialogAction readAbout(AboutSeen& seen, int closeWith) {
    return [&seen, closeWith](HWND dialog) {
        seen.visible = IsWindowVisible(dialog) != 0;
        seen.name = windowText(GetDlgItem(dialog, IDC_AB_NAME));
        seen.version = windowText(GetDlgItem(dialog, IDC_AB_VERSION));
        seen.description = windowText(GetDlgItem(dialog, IDC_AB_DESCRIPTION));
        seen.nameFontHandle = reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, IDC_AB_NAME, WM_GETFONT, 0, 0));
        GetObjectA(seen.nameFontHandle, sizeof seen.nameFont, &seen.nameFont);
        RECT r{};
        GetClientRect(GetDlgItem(dialog, IDC_AB_NAME), &r);
        seen.nameHeight = r.bottom - r.top;
        RECT d{}, m{};
        GetWindowRect(dialog, &d);
        GetWindowRect(mainWindow, &m);
        int dx = (d.left + d.right) - (m.left + m.right);
        int dy = (d.top + d.bottom) - (m.top + m.bottom);
        seen.centred = dx >= -2 && dx <= 2 && dy >= -2 && dy <= 2;
        PostMessageA(dialog, closeWith == IDOK ? WM_COMMAND : WM_CLOSE, closeWith, 0);
    };
}

using AboutTest = FrameTest;

}  // namespace

TEST_F(AboutTest, ShowsTheBoldNameAndTheVersionAndFreesItsFont) {
    for (int closeWith : {IDOK, IDCANCEL}) {
        AboutSeen seen;
        DialogScript::expect(readAbout(seen, closeWith));
        SendMessageA(frame(), WM_COMMAND, IDM_ABOUT, 0);
        EXPECT_TRUE(seen.visible);
        EXPECT_EQ(seen.name, "MOXEL");
        EXPECT_EQ(seen.version, "Version 0.13");
        EXPECT_EQ(seen.description, "バイナリエディタ");
        EXPECT_EQ(seen.nameFont.lfWeight, FW_BOLD);
        EXPECT_EQ(seen.nameFont.lfHeight, 1 - seen.nameHeight);
        EXPECT_TRUE(seen.centred);
        ASSERT_NE(seen.nameFontHandle, nullptr);
        EXPECT_EQ(GetObjectType(seen.nameFontHandle), 0u) << "the bold font outlived the box";
        EXPECT_EQ(aboutNameFont(), nullptr);
    }
}
