// Dialog 1103 in its two modes: the change history with its revert button,
// and the result of comparing the document with another file.
#pragma once

#include <windows.h>

#include "tools/value_entry.h"

// Undo (1201): with a document and at least one change record, runs the
// dialog in history mode; its result is 1 when the last row was reverted.
int showChangeHistory(HWND owner);

// The compare result for the other file named by request.text, modal over
// `owner` (the compare command asks for the name first).
int runCompareDialog(HWND owner, ValueEntryRequest& request);

// The dialog procedure of both modes: a null parameter means history mode,
// otherwise it is the compare request.
INT_PTR CALLBACK changeListDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
