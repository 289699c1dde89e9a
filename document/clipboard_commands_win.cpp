// Select all, copy and paste: the commands over the core's selection and
// paste, on the real clipboard.
#include <windows.h>

#include <cstdint>

#include "document/selection.h"
#include "platform/platform.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"
#include "view/view_win.h"

namespace {

// The copy text of a large selection is several times the document, so it
// is written once, straight into the block the clipboard takes over. The
// clipboard is emptied only once the block is ready, so a copy that fails
// leaves the previous clipboard content alone. 0 on success, else the error.
DWORD copySelectionToClipboard(HWND owner, const EditorState& s, int kanji) {
    const size_t capacity = copyTextCapacity(s);
    // SIZE_MAX: the text would not fit the address space at all.
    HGLOBAL block = capacity == SIZE_MAX ? nullptr : GlobalAlloc(GMEM_MOVEABLE, capacity);
    if (block == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
    auto* text = static_cast<char*>(GlobalLock(block));
    if (text == nullptr) {
        GlobalFree(block);
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    writeCopyText(s, kanji, text);
    GlobalUnlock(block);

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
    void* cursor = beginWaitCursor();
    DWORD error = copySelectionToClipboard(owner, s, isKanjiMode());
    endWaitCursor(cursor);
    if (error != 0) {
        showErrorCode(owner, error);
        return;
    }
    updateToolbarStates();  // the Paste button follows the clipboard
}

void pasteTextCommand(HWND owner) {
    if (editorState == nullptr) return;
    void* cursor = beginWaitCursor();
    int pasted = pasteText(*editorState, owner, isEditLocked());
    endWaitCursor(cursor);
    if (!pasted) return;
    repaintView();
    updateToolbarStates();
}
