// The compare command: asks for the other file, then shows the differences.
#include <cstring>

#include "document/change_list_dialog_win.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "tools/value_entry_win.h"

void compareCommand(HWND owner) {
    if (editorState == nullptr || !isDocumentLoaded(*editorState)) return;
    ValueEntryRequest request;
    std::memset(&request, 0, sizeof request);
    request.mode = CompareFile;
    request.maxLength = kPathLength;
    if (runValueEntry(owner, request) != 1 || request.text[0] == '\0') return;
    runCompareDialog(owner, request);
}
