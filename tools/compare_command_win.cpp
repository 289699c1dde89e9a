// The compare command: asks for the other file, then shows the differences;
// and the steps from difference to difference in the view afterwards.
#include <cstring>

#include "document/change_list_dialog_win.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/layout_win.h"
#include "tools/compare_steps.h"
#include "tools/value_entry_win.h"
#include "view/view_input.h"
#include "view/view_win.h"

void compareCommand(HWND owner) {
    if (editorState == nullptr || !isDocumentLoaded(*editorState)) return;
    ValueEntryRequest request;
    std::memset(&request, 0, sizeof request);
    request.mode = CompareFile;
    request.maxLength = kPathLength;
    if (runValueEntry(owner, request) != 1 || request.text[0] == '\0') return;
    runCompareDialog(owner, request);
}

namespace {

void stepDifference(bool forward) {
    if (editorState == nullptr) return;
    EditorState& s = *editorState;
    DifferenceStep step;
    if (!stepToDifference(s, forward, step)) return;
    if (step.wrapped) MessageBeep(0);
    // A step changes no button: the caret's row and texts are all that follow.
    applyViewEffects(bringCaretIntoView(s) & ~static_cast<unsigned>(effectToolbar));
    const auto count = static_cast<unsigned long>(s.compareRows->count());
    showDifferenceStatus(static_cast<unsigned long>(step.index + 1), count);
}

}  // namespace

void nextDifferenceCommand(HWND) { stepDifference(true); }

void previousDifferenceCommand(HWND) { stepDifference(false); }
