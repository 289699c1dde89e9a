// Save (1105), Save as (1106) and the unsaved-changes prompt.
#include <cstring>

#include "document/save.h"
#include "platform/platform.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/file_name.h"
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

int askSaveChanges(HWND window) {
    EditorState& s = *editorState;
    if (s.modified == 0) return 1;
    char format[260];
    char name[kPathLength];
    loadText(IDS_ASK_SAVE, format, sizeof format);
    fileNamePart(s.filePath, name);
    wsprintfA(s.messageText, format, name);
    switch (askQuestion(window, s.messageText, questionYesNoCancel)) {
        case answerCancel: return 0;
        case answerYes:
            if (saveDocument(s, window, s.filePath)) {
                repaintView();
                return 1;
            }
            // The save has shown its error box. Going on would throw the
            // changes away, so the window stays.
            return 0;
        default: return 1;
    }
}
