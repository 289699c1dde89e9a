// The value-entry dialog (1102): one line of input for six commands.
#pragma once

#include <windows.h>

#include "tools/value_entry.h"

// Shows dialog 1102 modally over `owner` for `request` and returns 1 when the
// user's OK was accepted (request.text and request.value hold the result), 0
// on Cancel or close.
int runValueEntry(HWND owner, ValueEntryRequest& request);
