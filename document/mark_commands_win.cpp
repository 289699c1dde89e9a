// Setting and clearing a mark at the caret and moving to the next mark.
#include <windows.h>

#include "document/marks.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"
#include "view/view_win.h"

void toggleMarkCommand(HWND) {
    if (editorState == nullptr || !toggleMark(*editorState)) return;
    // Also after a full list refused the mark, which its error box has said.
    repaintView();
    updateToolbarStates();
}

void gotoNextMarkCommand(HWND) {
    if (editorState == nullptr || !gotoNextMark(*editorState)) return;
    bringCaretIntoView();
}
