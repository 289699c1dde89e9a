// Editing without limits: the switch, step undo and redo, cut and fill,
// and the editing keys that mean something else while the switch is on.
#include <windows.h>

#include <cstring>
#include <vector>

#include "document/selection.h"
#include "document/undo.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/document_reset_win.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"
#include "tools/value_entry_win.h"
#include "view/view_win.h"

namespace {

bool unlimitedEditable() {
    return editorState != nullptr && editorState->unlimited != 0 && hasDocumentBuffer(*editorState) &&
           !isEditLocked();
}

// The history's menu items (the main menu's and the dump popup's) show
// Ctrl+Z only while it opens the history.
void showHistoryAccelerator(HMENU menu, bool keyed) {
    if (menu == nullptr || GetMenuState(menu, IDM_UNDO, MF_BYCOMMAND) == 0xFFFFFFFFu) return;
    char text[64];
    loadText(keyed ? IDS_HISTORY_MENU_KEY : IDS_HISTORY_MENU_PLAIN, text, sizeof text);
    const UINT state = GetMenuState(menu, IDM_UNDO, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED);
    ModifyMenuA(menu, IDM_UNDO, MF_BYCOMMAND | MF_STRING | state, IDM_UNDO, text);
}

HACCEL unlimitedTable = nullptr;

}  // namespace

HACCEL acceleratorsNow(HACCEL parts) {
    if (editorState == nullptr || editorState->unlimited == 0 || parts == nullptr) return parts;
    if (unlimitedTable != nullptr) return unlimitedTable;
    const int count = CopyAcceleratorTableA(parts, nullptr, 0);
    std::vector<ACCEL> keys(static_cast<size_t>(count));
    if (count <= 0 || CopyAcceleratorTableA(parts, keys.data(), count) != count) return parts;
    for (ACCEL& key : keys) {
        if (key.cmd == IDM_UNDO) key.cmd = IDM_STEP_UNDO;
    }
    unlimitedTable = CreateAcceleratorTableA(keys.data(), count);
    return unlimitedTable != nullptr ? unlimitedTable : parts;
}

void releaseUnlimitedAccelerators() {
    if (unlimitedTable != nullptr) DestroyAcceleratorTable(unlimitedTable);
    unlimitedTable = nullptr;
}

void afterEditStep(uint32_t sizeBefore) {
    if (editorState == nullptr) return;
    EditorState& s = *editorState;
    if (s.documentSize != sizeBefore) {
        refreshViewAfterReset();
    } else {
        repaintView();
    }
    bringCaretIntoView();
    showSelectionStatus();
    showCaretStatus();
    updateToolbarStates();
}

void showUnlimitedMenuState(HMENU menu) {
    if (menu == nullptr || editorState == nullptr) return;
    const bool on = editorState->unlimited != 0;
    CheckMenuItem(menu, IDM_UNLIMITED, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    showHistoryAccelerator(menu, !on);
}

void toggleUnlimitedCommand(HWND owner) {
    if (editorState == nullptr) return;
    EditorState& s = *editorState;
    const bool on = s.unlimited == 0;
    if (!on && s.modified != 0) {
        // What is in memory may be past the fixed limits: it goes to the file first.
        char question[kMessageTextLength];
        loadText(IDS_ASK_SAVE_FOR_LIMITS, question, sizeof question);
        if (askQuestion(owner, question, questionYesNo) != answerYes) return;
        if (!saveCommand(owner)) return;
    }
    if (!setUnlimitedEditing(s, on)) {
        reportOutOfMemory(owner);
        return;
    }
    s.unlimited = on ? 1 : 0;
    s.unlimitedChanged = 1;
    showUnlimitedMenuState(GetMenu(owner));
    showSelectionStatus();
    repaintView();
    updateToolbarStates();
}

void stepUndoCommand(HWND owner) {
    if (!unlimitedEditable()) return;
    const uint32_t before = editorState->documentSize;
    if (undoStep(*editorState, owner)) afterEditStep(before);
}

void redoCommand(HWND owner) {
    if (!unlimitedEditable()) return;
    const uint32_t before = editorState->documentSize;
    if (redoStep(*editorState, owner)) afterEditStep(before);
}

void cutCommand(HWND owner) {
    if (!unlimitedEditable() || !hasByteSelection(*editorState)) return;
    const uint32_t before = editorState->documentSize;
    if (cutSelection(*editorState, owner)) afterEditStep(before);
}

void fillCommand(HWND owner) {
    if (!unlimitedEditable() || !hasByteSelection(*editorState)) return;
    ValueEntryRequest request;
    std::memset(&request, 0, sizeof request);
    request.mode = FillPattern;
    request.maxLength = kPathLength - 1;
    if (runValueEntry(owner, request) != 1 || request.text[0] == '\0') return;
    const uint32_t before = editorState->documentSize;
    if (fillSelection(*editorState, owner, request.text)) afterEditStep(before);
}

bool deleteSelectionCommand(HWND owner) {
    if (editorState == nullptr || editorState->unlimited == 0 || !hasByteSelection(*editorState)) return false;
    if (!unlimitedEditable()) return true;  // the edit lock: nothing, and no dialog either
    const uint32_t before = editorState->documentSize;
    if (deleteSelection(*editorState, owner)) afterEditStep(before);
    return true;
}

bool pasteHexReplacingCommand(HWND owner) {
    if (editorState == nullptr || editorState->unlimited == 0) return false;
    if (!unlimitedEditable()) return true;
    const uint32_t before = editorState->documentSize;
    void* cursor = beginWaitCursor();
    const int pasted = pasteHexReplacing(*editorState, owner, isEditLocked());
    endWaitCursor(cursor);
    if (pasted) afterEditStep(before);
    return true;
}
