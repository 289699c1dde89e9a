// Save (1105) and Save as (1106).
#include <cstring>

#include "document/save.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/frame_win.h"
#include "shell/layout_win.h"
#include "shell/open_file_win.h"
#include "view/view_win.h"

int saveCommand(HWND window) {
    if (editorState == nullptr) return 0;
    if (!saveDocument(*editorState, window, editorState->filePath)) return 0;
    // The change colours go, and with the empty change list the undo button.
    repaintView();
    updateToolbarStates();
    return 1;
}

int saveAsCommand(HWND window) {
    if (editorState == nullptr) return 0;
    EditorState& s = *editorState;
    char name[kPathLength];
    if (!chooseFileName(window, name, 0, s.filePath)) return 0;
    if (!saveDocument(s, window, name)) return 0;
    // The recent list stays as it is: only opening a file moves it.
    std::memcpy(s.filePath, name, sizeof name);
    setFrameTitle(window, s.filePath);
    repaintView();
    showFileStatus();
    updateToolbarStates();
    return 1;
}
