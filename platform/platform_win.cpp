// The Win32 side of the platform seam (the error box is in tools/error_box_win.cpp).
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "resource_ids.h"
#include "shell/editor_state_win.h"
#include "shell/file_name.h"

WindowRef mainWindowRef() { return mainWindow; }

int askQuestion(WindowRef owner, const char* text, QuestionStyle style) {
    char caption[32];
    loadText(IDS_CONFIRM_CAPTION, caption, sizeof caption);
    UINT flags = 0;
    switch (style) {
        case questionYesNo: flags = MB_YESNO | MB_ICONWARNING; break;
        case questionOkCancel: flags = MB_OKCANCEL | MB_ICONQUESTION; break;
        case questionYesNoCancel: flags = MB_YESNOCANCEL | MB_ICONWARNING; break;
        case noticeOk: flags = MB_OK | MB_ICONWARNING; break;
    }
    return MessageBoxA(static_cast<HWND>(owner), text, caption, flags);
}

int loadText(int id, char* out, int size) {
    if (out == nullptr || size <= 0) return 0;
    int n = LoadStringA(appInstance, static_cast<UINT>(id), out, size);
    if (n <= 0) {
        out[0] = '\0';
        return 0;
    }
    return n;
}

namespace {

// A kernel handle closed once, when its owner goes.
struct FileHandle {
    HANDLE h = INVALID_HANDLE_VALUE;
    FileHandle() = default;
    explicit FileHandle(HANDLE handle) : h(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { close(); }
    bool valid() const { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    BOOL close() {
        BOOL ok = TRUE;
        if (valid()) ok = CloseHandle(h);
        h = INVALID_HANDLE_VALUE;
        return ok;
    }
};

// One WriteFile call writes at most this much; a large document still takes only a few.
constexpr DWORD kWriteChunk = 64u << 20;

DWORD writeAll(HANDLE file, const uint8_t* data, uint32_t size) {
    uint32_t done = 0;
    while (done < size) {
        DWORD want = size - done < kWriteChunk ? size - done : kWriteChunk;
        DWORD written = 0;
        if (!WriteFile(file, data + done, want, &written, nullptr)) return GetLastError();
        if (written != want) return ERROR_WRITE_FAULT;
        done += written;
    }
    return 0;
}

}  // namespace

uint32_t writeFileReplacing(const char* path, const uint8_t* data, uint32_t size) {
    if (path == nullptr || *path == '\0') return ERROR_INVALID_NAME;
    if (data == nullptr && size != 0) return ERROR_INVALID_PARAMETER;

    // The temporary file goes beside the target so that the replace stays on one volume.
    char name[kPathLength];
    const char* namePart = fileNamePart(path, name);
    std::string directory = namePart != nullptr ? std::string(path, namePart) : std::string(".");
    char temp[MAX_PATH];
    if (GetTempFileNameA(directory.c_str(), "mox", 0, temp) == 0) return GetLastError();

    DWORD error = 0;
    {
        FileHandle file(CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) {
            error = GetLastError();
        } else {
            error = writeAll(file.h, data, size);
            if (error == 0 && !FlushFileBuffers(file.h)) error = GetLastError();
            if (!file.close() && error == 0) error = GetLastError();
        }
    }

    if (error == 0) {
        bool targetExists = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
        bool moved = false;
        if (targetExists) {
            // ReplaceFile keeps the original's attributes, security and creation time.
            if (ReplaceFileA(path, temp, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
                moved = true;
            } else {
                error = GetLastError();
                // The target vanished in between: there is nothing left to keep.
                if (error == ERROR_FILE_NOT_FOUND) targetExists = false;
            }
        }
        if (!targetExists) {
            if (MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                moved = true;
                error = 0;
            } else {
                error = GetLastError();
            }
        }
        if (moved) return 0;
        if (error == 0) error = ERROR_WRITE_FAULT;
    }
    DeleteFileA(temp);
    return error;
}

int putClipboardText(WindowRef owner, const char* text) {
    if (text == nullptr || *text == '\0') return 0;
    if (!OpenClipboard(static_cast<HWND>(owner))) return 0;
    int result = 0;
    EmptyClipboard();
    size_t length = std::strlen(text);
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, length + 1)) {
        if (void* p = GlobalLock(block)) {
            std::memcpy(p, text, length + 1);
            GlobalUnlock(block);
            // On success the clipboard owns the block.
            if (SetClipboardData(CF_TEXT, block) != nullptr) result = 1;
        }
        if (result == 0) GlobalFree(block);
    }
    CloseClipboard();
    return result;
}

char* getClipboardText(WindowRef owner, size_t* sizeOut) {
    if (!OpenClipboard(static_cast<HWND>(owner))) return nullptr;
    char* copy = nullptr;
    if (HANDLE block = GetClipboardData(CF_TEXT)) {
        SIZE_T size = GlobalSize(block);
        if (sizeOut != nullptr) *sizeOut = size;
        if (const char* p = static_cast<const char*>(GlobalLock(block))) {
            copy = static_cast<char*>(std::malloc(size + 1));
            if (copy != nullptr) {
                // Up to the text's terminator, never past the block.
                size_t n = 0;
                while (n < size && p[n] != '\0') ++n;
                std::memcpy(copy, p, n);
                copy[n] = '\0';
            }
            GlobalUnlock(block);
        }
    }
    CloseClipboard();
    return copy;
}

void* beginWaitCursor() { return SetCursor(LoadCursorA(nullptr, IDC_WAIT)); }

void endWaitCursor(void* previous) { SetCursor(static_cast<HCURSOR>(previous)); }
