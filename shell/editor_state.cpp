#include "shell/editor_state.h"

#include <cstdlib>

#include "document/undo.h"
#include "shell/settings_codec.h"
#include "tools/compare.h"

EditorState* editorState = nullptr;

EditorState* allocateEditorState() {
    auto* state = static_cast<EditorState*>(std::calloc(1, sizeof(EditorState)));
    if (state == nullptr) return nullptr;
    state->selectionAnchorRow = -1;
    state->selectionEndRow = -1;
    state->selectionAnchorByte = -1;
    state->selectionEndByte = -1;
    return state;
}

void dropCompareRows(EditorState& s) {
    delete s.compareRows;
    s.compareRows = nullptr;
    s.differencesOutlined = 0;
}

void freeEditorState(EditorState* state) {
    if (state == nullptr) return;
    delete state->settingsSnapshot;
    freeUnlimitedEditing(*state);
    dropCompareRows(*state);
    std::free(state);
}
