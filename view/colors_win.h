// Default colours with the system colours of this moment.
#pragma once

#include "shell/editor_state.h"
#include "view/colors.h"

// The four system colours the defaults take, read now.
SystemColors currentSystemColors();

// Fills slots 0..13 of `table` (the options dialog passes its working copy).
void setDefaultColors(uint32_t (&table)[kColorSlots]);

// Fills slots 0..13 of editorState->colorTable.
void setDefaultColors();
