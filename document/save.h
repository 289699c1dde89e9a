// Writing the whole document back to a file.
#pragma once

#include "platform/platform.h"
#include "shell/editor_state.h"

// Writes documentSize bytes to `fileName`, replacing the file only once the
// new content is safely on disk. Success: the change list is emptied (marks
// stay), modified is cleared, returns 1. Failure: the system error is shown on
// `owner` and nothing in memory changes; returns 0. A document emptied by
// deletions is written as an empty file; without a document returns 0 silently.
int saveDocument(EditorState& s, WindowRef owner, const char* fileName);
