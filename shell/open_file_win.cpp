#include "shell/open_file_win.h"

#include <commdlg.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "resource_ids.h"
#include "platform/platform.h"
#include "shell/editor_state_win.h"
#include "shell/file_name.h"
#include "shell/recent_files.h"
#include "shell/product.h"

namespace {

// Owns one file handle and closes it once.
class FileHandle {
public:
    explicit FileHandle(HANDLE h) : handle_(h) {}
    ~FileHandle() {
        if (handle_ != nullptr) CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

HMENU fileMenuOf(HWND window) {
    HMENU menu = window != nullptr ? GetMenu(window) : nullptr;
    return menu != nullptr ? GetSubMenu(menu, 0) : nullptr;
}

// Loads `path` into this window. The current document, its path and the
// title stay as they are until the new file has been read whole, so a failed
// close-and-open leaves the window showing what it showed.
int loadIntoThisWindow(HWND window, const char* path) {
    EditorState& s = *editorState;
    if (std::strlen(path) >= static_cast<size_t>(kPathLength)) {
        // A cut path would name another file.
        showErrorCode(window, ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    char newPath[kPathLength];
    std::strcpy(newPath, path);  // `path` may point into the state (recent list, filePath)

    void* previousCursor = beginWaitCursor();
    uint32_t size = 0;
    uint8_t* bytes = readWholeFile(window, newPath, kSpareBytes, &size);
    endWaitCursor(previousCursor);
    if (bytes == nullptr) return 0;

    std::free(s.documentBytes);
    s.documentBytes = bytes;
    s.documentSize = size;
    s.spareCapacity = kSpareBytes;
    s.lengthChanged = 0;
    std::memcpy(s.filePath, newPath, sizeof newPath);
    documentReset();
    addRecentFile(window);
    setFrameTitle(window, s.filePath);
    return 1;
}

// The command line of a new editor process: the program and the file, each
// quoted. 0 when it does not fit `size`.
int formatSpawnCommandLine(char* out, size_t size, const char* program, const char* path) {
    if (out == nullptr || size == 0 || program == nullptr || path == nullptr) return 0;
    int n = std::snprintf(out, size, "\"%s\" \"%s\"", program, path);
    if (n < 0 || static_cast<size_t>(n) >= size) {
        out[0] = '\0';
        return 0;
    }
    return 1;
}

}  // namespace

// ---------------------------------------------------------------- files

HANDLE openFileHandle(const char* name, int mode) {
    if (name == nullptr || *name == '\0') return nullptr;
    HANDLE h;
    switch (mode) {
    case fileRead:
        h = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        break;
    case fileWrite:
        h = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        break;
    default:
        return nullptr;
    }
    return h == INVALID_HANDLE_VALUE ? nullptr : h;
}

uint8_t* readWholeFile(HWND owner, const char* path, uint32_t spare, uint32_t* outSize) {
    if (path == nullptr || *path == '\0') return nullptr;
    FileHandle file(openFileHandle(path, fileRead));
    if (file.get() == nullptr) {
        showError(owner, -1, nullptr);
        return nullptr;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) {
        showError(owner, -1, nullptr);
        return nullptr;
    }
    if (size.QuadPart == 0) {
        showError(owner, IDS_ERR_EMPTY_FILE, nullptr);
        return nullptr;
    }
    // Offsets are signed 32-bit: the file and its spare room must fit below 2 GiB.
    if (static_cast<uint64_t>(size.QuadPart) > kMaxDocumentSize ||
        static_cast<uint64_t>(size.QuadPart) + spare > uint64_t{kMaxDocumentSize} + kSpareBytes) {
        showErrorCode(owner, ERROR_FILE_TOO_LARGE);
        return nullptr;
    }
    const auto length = static_cast<uint32_t>(size.QuadPart);
    auto* buffer = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(length) + spare));
    if (buffer == nullptr) {
        showErrorCode(owner, ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (outSize != nullptr) *outSize = length;
    // One read straight into the document's buffer: no second copy.
    DWORD got = 0;
    BOOL ok = ReadFile(file.get(), buffer, length, &got, nullptr);
    if (!ok || got != length) {
        if (ok) SetLastError(ERROR_HANDLE_EOF);  // the file shrank under us
        showError(owner, -1, nullptr);
        std::free(buffer);
        return nullptr;
    }
    return buffer;
}

// ---------------------------------------------------------------- opening

int openFile(HWND window, const char* path, int preferNewInstance) {
    if (editorState == nullptr || path == nullptr) return 0;
    EditorState& s = *editorState;
    // A name relative to the current folder (a bare name on the command line)
    // is made full here, once: the title that other editors read, the recent
    // list, saving and every file-name part then see the same whole path.
    char full[kPathLength];
    const DWORD length = *path != '\0' ? GetFullPathNameA(path, sizeof full, full, nullptr) : 0;
    if (length >= sizeof full) {
        showErrorCode(window, ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    if (length > 0) path = full;
    if (preferNewInstance != 0 && s.documentBytes != nullptr) {
        if (HWND other = findInstanceWindow(path)) {
            char name[kPathLength];
            fileNamePart(path, name);
            char format[kPathLength];
            loadText(IDS_ASK_ALREADY_OPEN, format, sizeof format);
            wsprintfA(s.messageText, format, name);
            if (askQuestion(window, s.messageText, questionYesNo) != answerYes) {
                return SetForegroundWindow(other) ? 1 : 0;
            }
        }
        return spawnInstance(window, path);
    }
    return loadIntoThisWindow(window, path);
}

int spawnInstance(HWND window, const char* path) {
    if (editorState == nullptr || path == nullptr || *path == '\0') return 0;
    // The new process loads the settings at its start: let it find the file
    // at the head of the recent list as this one does.
    addRecentPath(*editorState, path);
    refreshRecentMenu(window);
    saveSettings();

    char program[kPathLength];
    DWORD n = GetModuleFileNameA(nullptr, program, sizeof program);
    if (n == 0 || n >= sizeof program) {
        if (n != 0) SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return showError(window, -1, nullptr);
    }
    // Both parts quoted, so that spaces in either reach the new process whole.
    char commandLine[2 * kPathLength + 8];
    if (!formatSpawnCommandLine(commandLine, sizeof commandLine, program, path)) {
        showErrorCode(window, ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION process;
    std::memset(&process, 0, sizeof process);
    if (!CreateProcessA(program, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return showError(window, -1, nullptr);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1;
}

// ---------------------------------------------------------------- recent files

void addRecentFile(HWND window) {
    if (editorState == nullptr) return;
    addRecentPath(*editorState, editorState->filePath);
    refreshRecentMenu(window);
}

void refreshRecentMenu(HWND window) {
    if (editorState == nullptr) return;
    HMENU file = fileMenuOf(window);
    if (file == nullptr) return;
    EditorState& s = *editorState;
    char caption[kRecentCaptionSize];
    for (int i = 0; i < kRecentFileCount; ++i) {
        if (s.recentFiles[i][0] == '\0') continue;
        formatRecentCaption(caption, sizeof caption, i, s.recentFiles[i]);
        const UINT id = IDM_RECENT_FIRST + i;
        if (i < s.recentMenuCount) {
            ModifyMenuA(file, id, MF_BYCOMMAND | MF_STRING, id, caption);
        } else {
            if (s.recentMenuCount == 0) AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
            AppendMenuA(file, MF_STRING, id, caption);
            ++s.recentMenuCount;
        }
    }
}

void appendRecentMenu(HWND window) {
    if (editorState == nullptr) return;
    HMENU file = fileMenuOf(window);
    if (file == nullptr) return;
    EditorState& s = *editorState;
    s.recentMenuCount = 0;
    char caption[kRecentCaptionSize];
    for (int i = 0; i < kRecentFileCount; ++i) {
        if (s.recentFiles[i][0] == '\0') continue;
        if (s.recentMenuCount == 0) AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
        formatRecentCaption(caption, sizeof caption, s.recentMenuCount, s.recentFiles[i]);
        AppendMenuA(file, MF_STRING, IDM_RECENT_FIRST + s.recentMenuCount, caption);
        ++s.recentMenuCount;
    }
}

// ---------------------------------------------------------------- title and dialogs

void setFrameTitle(HWND window, const char* path) {
    char title[kPathLength + 16];
    wsprintfA(title, kTitleFormat, kProductName, path != nullptr ? path : "");
    SetWindowTextA(window, title);
}

int chooseFileName(HWND owner, char* out, int forOpen, const char* initialName) {
    if (out == nullptr) return 0;
    out[0] = '\0';
    char file[kPathLength] = {};
    if (initialName != nullptr && *initialName != '\0') lstrcpynA(file, initialName, sizeof file);
    // One name/pattern pair followed by the empty string that ends the list.
    char filter[80] = {};
    int nameLength = loadText(IDS_FILTER_ALL_FILES, filter, sizeof filter - 8);
    lstrcpyA(filter + nameLength + 1, "*.*");
    OPENFILENAMEA ofn;
    std::memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    BOOL chosen;
    if (forOpen != 0) {
        ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_SHOWHELP | OFN_HIDEREADONLY;
        chosen = GetOpenFileNameA(&ofn);
    } else {
        ofn.Flags = OFN_PATHMUSTEXIST | OFN_SHOWHELP | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
        chosen = GetSaveFileNameA(&ofn);
    }
    if (!chosen || file[0] == '\0') return 0;
    lstrcpynA(out, file, kPathLength);
    return 1;
}

// ---------------------------------------------------------------- commands

void openCommand(HWND window) {
    if (editorState == nullptr) return;
    char name[kPathLength];
    if (chooseFileName(window, name, 1, editorState->filePath)) openFile(window, name, 1);
}

void closeAndOpenCommand(HWND window) {
    if (editorState == nullptr) return;
    char name[kPathLength];
    if (!chooseFileName(window, name, 1, editorState->filePath)) return;
    if (!askSaveChanges(window)) return;
    openFile(window, name, 0);
}

void openRecentCommand(HWND window, int index) {
    if (editorState == nullptr || index < 0 || index >= kRecentFileCount) return;
    if (editorState->recentFiles[index][0] == '\0') return;
    char path[kPathLength];
    std::memcpy(path, editorState->recentFiles[index], sizeof path);
    openFile(window, path, 1);
}
