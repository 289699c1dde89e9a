#include "view/value_editor_win.h"

#include "platform/process_win.h"

namespace {

// Closes the editor once the focus has gone elsewhere and stayed there.
constexpr UINT kCloseIfUnfocused = WM_APP + 1;

}  // namespace

bool ValueEditor::open(HWND parent, int id, const RECT& place, const std::wstring& text, HFONT font, Commit commit) {
    close();
    HWND edit = CreateWindowExW(0, L"EDIT", text.c_str(), WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                                place.left, place.top, place.right - place.left, place.bottom - place.top, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), appInstance, nullptr);
    if (edit == nullptr) return false;
    window_ = edit;
    commit_ = commit;
    committing_ = false;
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowLongPtrW(edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    original_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SetFocus(edit);
    return true;
}

void ValueEditor::close() {
    HWND edit = window_;
    if (edit == nullptr) return;
    window_ = nullptr;
    const bool hadFocus = GetFocus() == edit;
    HWND parent = GetParent(edit);
    DestroyWindow(edit);
    if (hadFocus && parent != nullptr && IsWindowVisible(parent)) SetFocus(parent);
}

std::wstring editorWindowText(HWND editor) {
    const int length = GetWindowTextLengthW(editor);
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(editor, wide.data(), length + 1);
    wide.resize(static_cast<size_t>(length));
    return wide;
}

std::string narrowText(const std::wstring& wide, UINT codePage, bool& representable) {
    representable = true;
    if (wide.empty()) return {};
    const int length = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    BOOL* check = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int n = WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, check);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(codePage, flags, wide.data(), length, out.data(), n, nullptr, check);
    representable = n > 0 && usedDefault == FALSE;
    return out;
}

std::wstring wideText(const std::string& narrow, UINT codePage) {
    if (narrow.empty()) return {};
    const int length = static_cast<int>(narrow.size());
    const int n = MultiByteToWideChar(codePage, 0, narrow.data(), length, nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, narrow.data(), length, out.data(), n);
    return out;
}

std::string ValueEditor::text(UINT codePage, bool& representable) const {
    representable = true;
    return window_ != nullptr ? narrowText(editorWindowText(window_), codePage, representable) : std::string();
}

LRESULT CALLBACK ValueEditor::proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ValueEditor*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    const WNDPROC original = self->original_;
    switch (message) {
        case WM_KEYDOWN:
            if (wParam == VK_RETURN) {
                if (self->commit_ != nullptr) self->commit_();
                return 0;
            }
            if (wParam == VK_ESCAPE) {
                self->close();
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == '\r' || wParam == '\n' || wParam == 0x1B) return 0;  // no beep for Enter and Esc
            break;
        case WM_KILLFOCUS: PostMessageW(window, kCloseIfUnfocused, 0, 0); break;
        case kCloseIfUnfocused:
            if (self->window_ == window && !self->committing_ && GetFocus() != window) self->close();
            return 0;
        case WM_NCDESTROY:
            // Gone with its parent: nothing is left to close.
            if (self->window_ == window) self->window_ = nullptr;
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
            break;
        default: break;
    }
    return CallWindowProcW(original, window, message, wParam, lParam);
}
