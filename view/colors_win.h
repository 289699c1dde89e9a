// Default colours with the system colours of this moment.
#pragma once

#include "shell/editor_state.h"

// Fills slots 0..13 of `table` (the options dialog passes its working copy).
void setDefaultColors(uint32_t (&table)[kColorSlots]);

// Fills slots 0..13 of editorState->colorTable.
void setDefaultColors();
