// The editing commands that ask through dialogs: insert a byte, delete a byte
// or a range, write a typed text over the bytes at the caret.
#include <cstring>

#include "document/edit.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/document_reset_win.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"
#include "tools/value_entry_win.h"
#include "view/view_win.h"

namespace {

// Every command here refuses silently without a document or under the edit lock.
bool editable() { return editorState != nullptr && isDocumentLoaded(*editorState) && !isEditLocked(); }

// An insertion also goes into a document that deletions emptied.
bool insertable() { return editorState != nullptr && hasDocumentBuffer(*editorState) && !isEditLocked(); }

// After an insertion or deletion the core has reset the model and placed the
// caret; the windows follow. Nothing to do when the length did not change.
void afterLengthChange(uint32_t sizeBefore) {
    EditorState& s = *editorState;
    if (s.documentSize == sizeBefore) return;
    refreshViewAfterReset();
    bringCaretIntoView();
    s.modified = 1;
    updateToolbarStates();
}

ValueEntryRequest makeRequest(int32_t mode, int32_t maxLength, const char* text) {
    ValueEntryRequest request;
    std::memset(&request, 0, sizeof request);
    request.mode = mode;
    request.maxLength = maxLength;
    if (text != nullptr) lstrcpynA(request.text, text, sizeof request.text);
    return request;
}

// The dialog was confirmed with a text to act on.
bool confirmed(HWND owner, ValueEntryRequest& request) {
    return runValueEntry(owner, request) == 1 && request.text[0] != '\0';
}

}  // namespace

void insertByteCommand(HWND owner) {
    if (!insertable()) return;
    EditorState& s = *editorState;
    if (!checkInsertRoom(s, owner)) return;
    ValueEntryRequest request = makeRequest(InsertCode, 3, "00");
    if (!confirmed(owner, request)) return;
    const uint32_t before = s.documentSize;
    insertByteAt(s, owner, static_cast<uint8_t>(request.value & 0xFF));
    afterLengthChange(before);
}

void deleteByteCommand(HWND owner) {
    // A byte selection made while editing without limits goes at once.
    if (deleteSelectionCommand(owner)) return;
    if (!editable()) return;
    EditorState& s = *editorState;
    const uint32_t before = s.documentSize;
    deleteByteAtCaret(s, owner);
    afterLengthChange(before);
}

void deleteRangeCommand(HWND owner) {
    if (!editable()) return;
    EditorState& s = *editorState;
    if (s.documentSize < 2) return;  // the last byte stays, and nothing is asked
    ValueEntryRequest request = makeRequest(DeleteRange, kAddressEntryLength, nullptr);
    if (!confirmed(owner, request)) return;
    const uint32_t before = s.documentSize;
    deleteRangeTo(s, request.value);
    afterLengthChange(before);
}

void editAsTextCommand(HWND owner) {
    if (!editable()) return;
    EditorState& s = *editorState;
    const TextEdit edit = beginTextEdit(s);
    ValueEntryRequest request = makeRequest(AsciiText, edit.limit, edit.initial);
    if (!confirmed(owner, request)) return;
    if (finishTextEdit(s, edit, request.text)) {
        repaintView();
        updateToolbarStates();
    }
}
