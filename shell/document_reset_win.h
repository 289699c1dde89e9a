// The document reset with its window side. documentReset() itself is
// declared with the other owners in shell/commands_win.h.
#pragma once

#include "shell/commands_win.h"

// The window side alone (status texts, visible rows and scroll bar, repaint
// of the strip and the view, toolbar states), for the commands that call
// resetDocumentModel themselves.
void refreshViewAfterReset();
