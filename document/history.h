// Reverting change records from the change-history list.
#pragma once

#include <cstdint>

#include "shell/editor_state.h"

// The three texts of a change record's row: address "%08X", "H" or "L", and
// "%X" of the nibble value the record saved.
struct ChangeRowTexts {
    char address[16];
    char nibble[4];
    char value[4];
};
ChangeRowTexts changeRowTexts(const NibbleRecord& record);

// Reverts the change record named by a row's texts: writes the saved nibble
// back and removes the record. 1 on success; 0 when no such record exists.
int revertChange(EditorState& s, const char* addressText, const char* nibbleText, const char* valueText);

// The list has no rows left: the document is unmodified again unless bytes
// were inserted or deleted since the last save, or a record forgot the value a
// nibble had before an earlier change; no record shows either.
void noteAllChangesReverted(EditorState& s);
