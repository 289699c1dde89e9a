// Search, find next, find previous and jump: the value-entry prompt, the core's search, and
// the view following the result.
#include <cstring>

#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"
#include "tools/replace_dialog_win.h"
#include "tools/search.h"
#include "tools/value_entry_win.h"
#include "view/view_win.h"

namespace {

bool loaded() { return editorState != nullptr && isDocumentLoaded(*editorState); }

}  // namespace

// A match moves the caret, which the view follows; otherwise the remembered
// match is gone and the frame and Find-next state are redrawn.
void showSearchResult(int found) {
    if (found) {
        bringCaretIntoView();
    } else {
        repaintView();
        updateToolbarStates();
    }
}

void findCommand(HWND owner) {
    if (!loaded()) return;
    EditorState& s = *editorState;
    ValueEntryRequest request;
    std::memset(&request, 0, sizeof request);
    request.mode = SearchText;
    request.maxLength = kFindTextLength - 1;
    lstrcpynA(request.text, s.findText, sizeof request.text);
    if (runValueEntry(owner, request) != 1 || request.text[0] == '\0') return;
    showSearchResult(searchAfterCaret(s, owner, searchAsHex, request.text));
}

// The search to repeat is the one made last: the prompt's, or the search
// and replace dialog's with its options.
void findNextCommand(HWND owner) {
    if (!loaded() || !hasSearchToRepeat(*editorState)) return;
    if (editorState->repeatOptions != 0) return repeatDialogSearch(owner, false);
    showSearchResult(searchNext(*editorState, owner, searchAsHex));
}

void findPreviousCommand(HWND owner) {
    if (!loaded() || !hasSearchToRepeat(*editorState)) return;
    if (editorState->repeatOptions != 0) return repeatDialogSearch(owner, true);
    showSearchResult(searchPrevious(*editorState, owner, searchAsHex));
}

void jumpCommand(HWND owner) {
    if (!loaded()) return;
    ValueEntryRequest request;
    std::memset(&request, 0, sizeof request);
    request.mode = JumpAddress;
    request.maxLength = kAddressEntryLength;
    if (runValueEntry(owner, request) != 1 || request.text[0] == '\0') return;
    if (jumpToAddress(*editorState, request.value)) bringCaretIntoView();
}
