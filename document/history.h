// Reverting change records from the change-history list.
#pragma once

#include <cstdint>
#include <vector>

#include "shell/editor_state.h"

// The three texts of a change record's row: address "%08X", "H" or "L", and
// "%X" of the nibble value the record saved.
struct ChangeRowTexts {
    char address[16];
    char nibble[4];
    char value[4];
};
ChangeRowTexts changeRowTexts(const NibbleRecord& record);

// A row of the list as its texts name it: the position and the nibble value
// to write back.
struct RevertRow {
    int32_t offset;
    int32_t nibble;  // 0 high ("H"), 1 low ("L")
    uint8_t value;
};
RevertRow revertRowFromTexts(const char* addressText, const char* nibbleText, const char* valueText);

// Reverts the change record named by a row's texts: writes the saved nibble
// back and removes the record. 1 on success; 0 when no such record exists.
int revertChange(EditorState& s, const char* addressText, const char* nibbleText, const char* valueText);

// Reverts the records named by `rows` in one pass over the change list, with
// the same result as revertChange for each row in turn (so of rows naming
// the same position only the first reverts). Element i is 1 when row i was
// reverted.
std::vector<uint8_t> revertChanges(EditorState& s, const std::vector<RevertRow>& rows);

// The list has no rows left: the document is unmodified again unless bytes
// were inserted or deleted since the last save, or a record forgot the value a
// nibble had before an earlier change; no record shows either.
void noteAllChangesReverted(EditorState& s);
