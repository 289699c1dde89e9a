// The about box (dialog 1101).
#pragma once

#include <windows.h>

// The dialog procedure: the product name in bold, the version and the
// description, centred on the main window and animated in and out.
INT_PTR CALLBACK aboutDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The bold font of the name while an about box is open; null otherwise.
HFONT aboutNameFont();
