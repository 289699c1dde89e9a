#include "tools/error_box_win.h"

#include <cstdio>
#include <cstring>

#include "resource_ids.h"
#include "shell/editor_state.h"

namespace {

// Copies at most kErrorTextLength bytes of `text`, never ending on half of a
// double-byte character.
void copyCut(const char* text, char* out) {
    int n = 0;
    while (text[n] != '\0' && n < kErrorTextLength) {
        int step = IsDBCSLeadByte(static_cast<BYTE>(text[n])) && text[n + 1] != '\0' ? 2 : 1;
        if (n + step > kErrorTextLength) break;
        n += step;
    }
    std::memcpy(out, text, static_cast<size_t>(n));
    out[n] = '\0';
}

}  // namespace

void systemErrorText(DWORD code, char* buffer, int size) {
    if (buffer == nullptr || size <= 0) return;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                             buffer, static_cast<DWORD>(size), nullptr);
    if (n != 0) return;
    // Not every system has a text for every code (Wine lacks some that this
    // program raises itself): an error box must never be empty.
    char format[260];
    unsigned long value = code;
    if (code == ERROR_FILE_TOO_LARGE) {
        loadText(IDS_ERR_FILE_TOO_LARGE, format, sizeof format);
        value = kMaxDocumentSize;
    } else {
        loadText(IDS_ERR_SYSTEM_CODE, format, sizeof format);
    }
    std::snprintf(buffer, static_cast<size_t>(size), format, value);
}

int showError(WindowRef owner, int messageId, const char* text) {
    // Read first: anything below may change the last error.
    DWORD lastError = GetLastError();
    char shown[kErrorTextLength + 1];
    if (text != nullptr && *text != '\0') {
        copyCut(text, shown);
    } else if (messageId == -1) {
        systemErrorText(lastError, shown, sizeof shown);
    } else {
        loadText(messageId, shown, 260);
    }
    MessageBeep(0);
    // No caption: the system's default error caption.
    MessageBoxA(static_cast<HWND>(owner), shown, nullptr, MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
    return 0;
}

void showErrorCode(WindowRef owner, uint32_t code) {
    SetLastError(code);
    showError(owner, -1, nullptr);
}

void centerWindow(HWND window, HWND reference, int xOffset, int yOffset) {
    if (window == nullptr) return;
    if (reference == nullptr) reference = GetDesktopWindow();
    RECT own{}, ref{};
    GetWindowRect(window, &own);
    GetWindowRect(reference, &ref);
    int w = own.right - own.left;
    int h = own.bottom - own.top;

    int screenW = 0, screenH = 0;
    if (HDC dc = GetDC(window)) {
        screenW = GetDeviceCaps(dc, HORZRES);
        screenH = GetDeviceCaps(dc, VERTRES);
        ReleaseDC(window, dc);
    }

    int x = ref.left + (xOffset != 0 ? xOffset : (ref.right - ref.left - w) / 2);
    if (x < 0) {
        x = 0;
    } else if (x + w > screenW) {
        x = screenW - w;
    }
    int y = ref.top + (yOffset != 0 ? yOffset : (ref.bottom - ref.top - h) / 2);
    if (y < 0) {
        y = 0;
    } else if (y + h > screenH) {
        y = screenH - h;
    }
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int animateDialog(HWND window, int show) {
    using AnimateWindowProc = BOOL(WINAPI*)(HWND, DWORD, DWORD);
    HMODULE user = LoadLibraryA("USER32.DLL");
    if (user == nullptr) return 0;
    int result = 0;
    auto animate = reinterpret_cast<AnimateWindowProc>(
        reinterpret_cast<void*>(GetProcAddress(user, "AnimateWindow")));
    if (animate != nullptr) {
        result = animate(window, 250, AW_CENTER | (show ? AW_ACTIVATE : AW_HIDE)) ? 1 : 0;
    }
    FreeLibrary(user);
    return result;
}
