// Select all, copy and paste, as dump text and as hex: the commands over
// the core's selection and paste, on the real clipboard.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "document/hex_text.h"
#include "document/selection.h"
#include "platform/platform.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"
#include "view/view_win.h"

namespace {

// A large copy text is several times its bytes, so it is written once,
// straight into the block the clipboard takes over: `write` fills at most the
// `capacity` bytes given to it and returns the text's length. The block then
// ends at the text's terminator: what lay behind it would reach other
// programs' pastes. The clipboard is emptied only once the block is ready, so
// a copy that fails leaves the previous clipboard content alone.
// 0 on success, else the error.
template <typename Write>
DWORD putTextBlock(HWND owner, size_t capacity, Write&& write) {
    // SIZE_MAX: the text would not fit the address space at all.
    HGLOBAL block = capacity == SIZE_MAX ? nullptr : GlobalAlloc(GMEM_MOVEABLE, capacity);
    if (block == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
    auto* text = static_cast<char*>(GlobalLock(block));
    if (text == nullptr) {
        GlobalFree(block);
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    const size_t used = write(text) + 1;
    // Cleared too, in case the block cannot shrink in place.
    std::memset(text + used, 0, capacity - used);
    GlobalUnlock(block);
    if (HGLOBAL exact = GlobalReAlloc(block, used, 0)) block = exact;

    if (!OpenClipboard(owner)) {
        DWORD error = GetLastError();
        GlobalFree(block);
        return error != 0 ? error : ERROR_ACCESS_DENIED;
    }
    EmptyClipboard();
    DWORD error = 0;
    // On success the clipboard owns the block.
    if (SetClipboardData(CF_TEXT, block) == nullptr) {
        error = GetLastError() != 0 ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY;
        GlobalFree(block);
    }
    CloseClipboard();
    return error;
}

// Runs a copy under the wait cursor; its failure shows the system's text.
template <typename Copy>
void copyWithWaitCursor(HWND owner, Copy&& copy) {
    void* cursor = beginWaitCursor();
    DWORD error = copy();
    endWaitCursor(cursor);
    if (error != 0) {
        showErrorCode(owner, error);
        return;
    }
    updateToolbarStates();  // the Paste button follows the clipboard
}

// Runs one of the core's pastes under the wait cursor; repaints when it wrote.
void pasteWithWaitCursor(HWND owner, int (*paste)(EditorState&, WindowRef, int)) {
    if (editorState == nullptr) return;
    void* cursor = beginWaitCursor();
    const int pasted = paste(*editorState, owner, isEditLocked());
    endWaitCursor(cursor);
    if (!pasted) return;
    repaintView();
    updateToolbarStates();
}

}  // namespace

void selectAllCommand(HWND) {
    if (editorState == nullptr || !selectAll(*editorState)) return;
    updateToolbarStates();
    repaintView();
    // As a selection made with the mouse or the keys shows it.
    showSelectionStatus();
}

void copyRowsCommand(HWND owner) {
    if (editorState == nullptr) return;
    const EditorState& s = *editorState;
    if (!isDocumentLoaded(s) || s.selectionEndRow < 0) return;
    const int kanji = isKanjiMode();
    copyWithWaitCursor(owner, [&] {
        return putTextBlock(owner, copyTextCapacity(s), [&](char* text) { return writeCopyText(s, kanji, text); });
    });
}

void pasteTextCommand(HWND owner) { pasteWithWaitCursor(owner, pasteText); }

void copyHexCommand(HWND owner) {
    if (editorState == nullptr) return;
    const EditorState& s = *editorState;
    int64_t start = 0, end = 0;
    if (!hexCopyBytes(s, &start, &end)) return;
    const size_t count = static_cast<size_t>(end - start);
    copyWithWaitCursor(owner, [&] {
        return putTextBlock(owner, hexTextCapacity(count),
                            [&](char* text) { return writeHexText(s.documentBytes + start, count, text); });
    });
}

void pasteHexCommand(HWND owner) {
    // Editing without limits replaces the selection, or appends past the end.
    if (pasteHexReplacingCommand(owner)) return;
    pasteWithWaitCursor(owner, pasteHexText);
}
