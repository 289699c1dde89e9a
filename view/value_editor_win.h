// An edit box over a value in a pane: Enter hands its text on, Esc closes
// it, and so does the focus going elsewhere (unless a write is under way,
// whose error boxes take the focus for a while).
#pragma once

#include <windows.h>

#include <string>

// An edit box's text.
std::wstring editorWindowText(HWND editor);
// A text in `codePage`; `representable` false when a character has no form there.
std::string narrowText(const std::wstring& wide, UINT codePage, bool& representable);
std::wstring wideText(const std::string& narrow, UINT codePage);

class ValueEditor {
public:
    using Commit = void (*)();

    ValueEditor() = default;
    ValueEditor(const ValueEditor&) = delete;
    ValueEditor& operator=(const ValueEditor&) = delete;

    // Opens the box as child `id` of `parent` over `place`, holding `text`
    // all selected, with the keyboard focus; Enter calls `commit`. False when
    // it cannot be made.
    bool open(HWND parent, int id, const RECT& place, const std::wstring& text, HFONT font, Commit commit);

    // Closes the box; the focus it held goes back to its parent.
    void close();

    HWND window() const { return window_; }

    // The typed text in `codePage`; `representable` false when a character
    // has no form there.
    std::string text(UINT codePage, bool& representable) const;

    // While a write runs, its boxes may take the focus without closing the editor.
    void setCommitting(bool on) { committing_ = on; }

private:
    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    WNDPROC original_ = nullptr;
    Commit commit_ = nullptr;
    bool committing_ = false;
};
