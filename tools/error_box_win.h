// The error box and the placement and animation of dialogs.
//
// showError and showErrorCode are the platform seam's (platform/platform.h):
// an HWND converts to WindowRef, so Win32 callers pass their window directly.
#pragma once

#include <windows.h>

#include "platform/platform.h"

// Longest text the error box shows, terminator excluded.
constexpr int kErrorTextLength = 519;

// The system's text for `code` (FormatMessageA, language 0) into `buffer`;
// when the system has none, the program's own text for it (or for any code,
// with the code's number).
void systemErrorText(DWORD code, char* buffer, int size);

// Places `window` centred on `reference` (the desktop when null), or at the
// given offsets from its top-left corner when they are non-zero, kept on the
// screen. Size and z-order stay.
void centerWindow(HWND window, HWND reference, int xOffset, int yOffset);

// The opening (show non-zero) or closing animation of a dialog; 0 when the
// system lacks AnimateWindow or the call failed.
int animateDialog(HWND window, int show);
