// Help (the compiled MOXEL.CHM beside the program, the HTML Help window) and
// the about box.
#include <windows.h>
#include <objbase.h>

#include <set>
#include <string>

#include "resource_ids.h"
#include "shell/editor_state.h"
#include "support/gui_harness_win.h"
#include "support/help_windows_win.h"
#include "tools/about_win.h"
#include "tools/help_win.h"

using namespace gui;

// The system's reader of compiled help files (itss.dll). Declared outside an
// anonymous namespace: GCC would otherwise see that no object of the type is
// made in this file and turn the calls into nonsense.
struct IITStorage : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR*, IStorage*, DWORD, SNB, DWORD, IStorage**) = 0;
};

namespace {

std::string helpFile() {
    char dir[kPathLength];
    programDirectory(dir);
    return std::string(dir) + "\\" + kHelpFileName;
}

// Each file of the compiled help by its name; `found` says whether it is there.
std::string fileInHelp(const std::string& name, bool* found = nullptr) {
    const CLSID server = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
    const IID reader = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
    std::string bytes;
    IITStorage* its = nullptr;
    IStorage* storage = nullptr;
    IStream* stream = nullptr;
    WCHAR path[MAX_PATH], file[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, helpFile().c_str(), -1, path, MAX_PATH);
    MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, file, MAX_PATH);
    CoInitialize(nullptr);
    if (SUCCEEDED(CoCreateInstance(server, nullptr, CLSCTX_INPROC_SERVER, reader, reinterpret_cast<void**>(&its))) &&
        SUCCEEDED(its->StgOpenStorage(path, nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, &storage)) &&
        SUCCEEDED(storage->OpenStream(file, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream))) {
        char buffer[4096];
        ULONG got = 0;
        while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &got)) && got > 0) bytes.append(buffer, got);
    }
    if (found != nullptr) *found = stream != nullptr;
    for (IUnknown* object : {static_cast<IUnknown*>(stream), static_cast<IUnknown*>(storage), static_cast<IUnknown*>(its)}) {
        if (object != nullptr) object->Release();
    }
    CoUninitialize();
    return bytes;
}

// A menu caption as the help index names it: no access key, dots or key text.
std::string plainCaption(std::string caption) {
    caption = caption.substr(0, caption.find('\t'));
    size_t key = caption.find("(&");
    if (key != std::string::npos) caption.erase(key, 4);
    return caption.substr(0, caption.find("..."));
}

void collectCommands(HMENU menu, std::set<std::string>& out) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[128] = "";
        if (HMENU sub = GetSubMenu(menu, i)) {
            collectCommands(sub, out);
        } else if (GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION) > 0) {
            out.insert(plainCaption(text));
        }
    }
}

using HelpTest = FrameTest;

}  // namespace

TEST(HelpFile, HasATopicForEveryMenuCommand) {
    std::string index = fileInHelp("index.hhk");
    ASSERT_FALSE(index.empty()) << helpFile();
    std::set<std::string> commands;
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_MENU));
    collectCommands(menu, commands);
    DestroyMenu(menu);
    ASSERT_GE(commands.size(), 30u);
    for (const std::string& command : commands) {
        std::string entry = "<param name=\"Name\" value=\"" + command + "\"><param name=\"Local\" value=\"";
        size_t at = index.find(entry);
        ASSERT_NE(at, std::string::npos) << "no index entry for " << command;
        at += entry.size();
        bool found = false;
        std::string topic = fileInHelp(index.substr(at, index.find('"', at) - at), &found);
        EXPECT_TRUE(found) << command << " leads to a missing topic";
        EXPECT_NE(topic.find("charset=Shift_JIS"), std::string::npos);  // what the viewer reads it as
    }
}

TEST_F(HelpTest, F1ContextsAndAMissingFile) {
    SendMessageA(frame(), WM_COMMAND, IDM_HELP, 0);
    ASSERT_EQ(helpWindows().size(), 1u);
    EXPECT_EQ(windowText(helpWindows()[0]), "MOXEL ヘルプ");
    EXPECT_EQ(GetWindow(helpWindows()[0], GW_OWNER), nullptr) << "owned by the desktop, not the editor";
    closeHelpWindows();
    DialogScript::expect(answerWith(IDOK));
    EXPECT_EQ(showHelp(frame(), 4242), 0);  // a context the file does not map
    EXPECT_NE(lastDialogText(), systemText(ERROR_SUCCESS));

    std::string path = helpFile(), away = path + ".away";
    ASSERT_TRUE(MoveFileA(path.c_str(), away.c_str()));
    DialogScript::expect(answerWith(IDOK));
    SendMessageA(frame(), WM_COMMAND, IDM_HELP, 0);
    MoveFileA(away.c_str(), path.c_str());
    EXPECT_TRUE(lastDialogText() == systemText(ERROR_FILE_NOT_FOUND) || lastDialogText() == systemText(ERROR_PATH_NOT_FOUND))
        << lastDialogText();
    EXPECT_TRUE(helpWindows().empty());
}

TEST_F(HelpTest, AboutShowsTheBoldNameAndTheVersionAndFreesItsFont) {
    for (UINT closing : {UINT(WM_COMMAND), UINT(WM_CLOSE)}) {  // OK, and the close box as Cancel
        LOGFONTA name{};
        HFONT font = nullptr;
        int height = 0;
        std::string texts;
        DialogScript::expect([&, closing](HWND dialog) {
            HWND control = GetDlgItem(dialog, IDC_AB_NAME);
            font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
            GetObjectA(font, sizeof name, &name);
            RECT r{};
            GetClientRect(control, &r);
            height = r.bottom;
            texts = windowText(control) + "|" + windowText(GetDlgItem(dialog, IDC_AB_VERSION)) + "|" +
                    windowText(GetDlgItem(dialog, IDC_AB_DESCRIPTION));
            PostMessageA(dialog, closing, IDOK, 0);
        });
        SendMessageA(frame(), WM_COMMAND, IDM_ABOUT, 0);
        EXPECT_EQ(texts, "MOXEL|Version 0.13|バイナリエディタ");
        EXPECT_EQ(name.lfWeight, FW_BOLD);
        EXPECT_EQ(name.lfHeight, 1 - height);
        EXPECT_EQ(GetObjectType(font), 0u) << "the bold font outlived the box";
        EXPECT_EQ(aboutNameFont(), nullptr);
    }
}
