// The Win32 side of the platform seam (the error box is in tools/error_box_win.cpp).
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/file_replace_win.h"
#include "platform/platform.h"
#include "resource_ids.h"
#include "platform/process_win.h"

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

// One WriteFile call writes at most this much; a large document still takes only a few.
constexpr DWORD kWriteChunk = 64u << 20;

// The long form of an ANSI path: full, with "\\?\" (or "\\?\UNC\") before it.
DWORD longPathOf(const char* path, std::wstring& out) {
    int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
    if (n <= 0) return ERROR_INVALID_NAME;
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, wide.data(), n);
    wide.resize(static_cast<size_t>(n - 1));
    // Already in the long form, or a device name: taken as it is.
    if (wide.rfind(L"\\\\?\\", 0) == 0 || wide.rfind(L"\\\\.\\", 0) == 0) {
        out = wide;
        return ERROR_SUCCESS;
    }
    DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (length == 0) return GetLastError();
    std::wstring full(length, L'\0');
    length = GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
    if (length == 0 || length >= full.size()) return ERROR_INVALID_NAME;
    full.resize(length);
    if (full.rfind(L"\\\\", 0) == 0)
        out = L"\\\\?\\UNC\\" + full.substr(2);
    else
        out = L"\\\\?\\" + full;
    return ERROR_SUCCESS;
}

}  // namespace

WinWriteSteps::WinWriteSteps(const char* path) {
    pathError_ = longPathOf(path, target_);
    if (pathError_ != ERROR_SUCCESS) return;
    size_t slash = target_.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 == target_.size()) {
        pathError_ = ERROR_INVALID_NAME;
        return;
    }
    folder_ = target_.substr(0, slash);
}

WinWriteSteps::~WinWriteSteps() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

bool WinWriteSteps::targetExists() { return GetFileAttributesW(target_.c_str()) != INVALID_FILE_ATTRIBUTES; }

uint32_t WinWriteSteps::createTemporary() {
    // A short name of the form GetTempFileName gives, made here because
    // GetTempFileName refuses folders longer than MAX_PATH - 14.
    DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 8);
    for (DWORD k = 0; k < 100; ++k) {
        wchar_t name[16];
        wsprintfW(name, L"\\mox%04X.tmp", static_cast<unsigned>((seed + k * 7919u) & 0xFFFFu));
        temp_ = folder_ + name;
        file_ = CreateFileW(temp_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file_ != INVALID_HANDLE_VALUE) return ERROR_SUCCESS;
        DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            temp_.clear();
            return error;
        }
    }
    temp_.clear();
    return ERROR_FILE_EXISTS;
}

uint32_t WinWriteSteps::openTarget() {
    // Refused by the system anyway, except under emulations running as root.
    DWORD attributes = GetFileAttributesW(target_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) return ERROR_ACCESS_DENIED;
    file_ = CreateFileW(target_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file_ == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
}

uint32_t WinWriteSteps::write(const uint8_t* data, uint32_t size) {
    uint32_t done = 0;
    while (done < size) {
        DWORD want = size - done < kWriteChunk ? size - done : kWriteChunk;
        DWORD written = 0;
        if (!WriteFile(file_, data + done, want, &written, nullptr)) return GetLastError();
        if (written != want) return ERROR_WRITE_FAULT;
        done += written;
    }
    return ERROR_SUCCESS;
}

uint32_t WinWriteSteps::truncate(uint32_t size) {
    LARGE_INTEGER at;
    at.QuadPart = size;
    if (!SetFilePointerEx(file_, at, nullptr, FILE_BEGIN) || !SetEndOfFile(file_)) return GetLastError();
    return ERROR_SUCCESS;
}

uint32_t WinWriteSteps::flush() { return FlushFileBuffers(file_) ? ERROR_SUCCESS : GetLastError(); }

uint32_t WinWriteSteps::close() {
    HANDLE h = file_;
    file_ = INVALID_HANDLE_VALUE;
    if (h == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
    return CloseHandle(h) ? ERROR_SUCCESS : GetLastError();
}

uint32_t WinWriteSteps::replace() {
    // ReplaceFile keeps the original's attributes, security and creation time.
    if (targetExists()) {
        if (ReplaceFileW(target_.c_str(), temp_.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
            return ERROR_SUCCESS;
        DWORD error = GetLastError();
        // Still there: nothing happened to it. Gone (vanished in between, or
        // lost by the replace itself): the temporary file takes its place.
        if (targetExists()) return error;
    }
    if (MoveFileExW(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return ERROR_SUCCESS;
    return GetLastError();
}

void WinWriteSteps::removeTemporary() {
    if (!temp_.empty()) DeleteFileW(temp_.c_str());
}

uint32_t writeFileReplacing(const char* path, const uint8_t* data, uint32_t size) {
    if (path == nullptr || *path == '\0') return ERROR_INVALID_NAME;
    if (data == nullptr && size != 0) return ERROR_INVALID_PARAMETER;
    WinWriteSteps steps(path);
    if (steps.pathError() != ERROR_SUCCESS) return steps.pathError();
    return writeReplacing(steps, data, size);
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
