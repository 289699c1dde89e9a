#include "tools/help_win.h"

#include <htmlhelp.h>

#include <cstring>

#include "platform/platform.h"
#include "shell/commands_win.h"
#include "shell/editor_state.h"
#include "shell/file_name.h"
#include "resource_ids.h"
#include "shell/panes_win.h"

namespace {

using HtmlHelpProc = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

// HtmlHelpA is ordinal 14 of the control.
constexpr WORD kHtmlHelpOrdinal = 14;
constexpr const char* kHtmlHelpClsidServer = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

// Loaded once per process and kept: the help windows live on it until the
// process ends. A failed load is not tried again; its error code is kept for
// every later report.
HtmlHelpProc htmlHelp = nullptr;
bool loadTried = false;
DWORD loadError = 0;

HtmlHelpProc htmlHelpFunction() {
    if (loadTried) return htmlHelp;
    loadTried = true;
    HMODULE library = nullptr;
    char registered[kPathLength] = "";
    LONG size = sizeof registered;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, kHtmlHelpClsidServer, registered, &size) == ERROR_SUCCESS &&
        registered[0] != '\0') {
        library = LoadLibraryA(registered);
    }
    if (library == nullptr) library = LoadLibraryA("hhctrl.ocx");
    if (library == nullptr) {
        loadError = GetLastError();
        return nullptr;
    }
    htmlHelp = reinterpret_cast<HtmlHelpProc>(
        reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(kHtmlHelpOrdinal))));
    if (htmlHelp == nullptr) loadError = GetLastError();
    return htmlHelp;
}

}  // namespace

bool programDirectory(char* out) {
    if (out == nullptr) return false;
    out[0] = '\0';
    char path[kPathLength];
    DWORD n = GetModuleFileNameA(nullptr, path, kPathLength);
    // A cut path would name another directory.
    if (n == 0 || n >= static_cast<DWORD>(kPathLength)) return false;
    char name[kPathLength];
    const char* namePart = fileNamePart(path, name);
    if (namePart == nullptr) return false;
    size_t length = static_cast<size_t>(namePart - path) - 1;  // without the separator
    std::memcpy(out, path, length);
    out[length] = '\0';
    return true;
}

int showHelp(HWND owner, int context) {
    char directory[kPathLength];
    programDirectory(directory);
    char path[kPathLength + 16];
    wsprintfA(path, "%s\\%s", directory, kHelpFileName);

    HWND window = nullptr;
    SetLastError(0);
    if (HtmlHelpProc help = htmlHelpFunction()) {
        window = context == 0 ? help(GetDesktopWindow(), path, HH_DISPLAY_TOPIC, 0)
                              : help(GetDesktopWindow(), path, HH_HELP_CONTEXT, static_cast<DWORD_PTR>(context));
    } else {
        SetLastError(loadError);
    }
    if (window != nullptr) return 1;
    // The control does not always say why; a box reading "completed
    // successfully" would hide the failure.
    if (GetLastError() == ERROR_SUCCESS && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
        SetLastError(ERROR_NOT_FOUND);
    }
    showError(owner, -1, nullptr);
    return 0;
}

// F1 in a pane beside the view opens its own topic.
void showHelpCommand(HWND owner) { showHelp(owner, focusedPaneHelp()); }
