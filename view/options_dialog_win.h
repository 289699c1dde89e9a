// The options dialog (1151) with its colour page (1152) and numbers page
// (1153). runOptionsDialogCommand itself is declared in shell/commands_win.h.
#pragma once

#include <windows.h>

#include "view/options_model.h"

// Runs the dialog over `owner` on a working copy; on OK the colours and
// options become the state's and the window repaints. 1 for OK, else 0.
int runOptionsDialog(HWND owner);

// The working copy of the dialog now open; null when none is.
OptionsWorkingCopy* optionsWorkingCopy();

INT_PTR CALLBACK optionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK colorPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK miscPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// One swatch of the owner-drawn palette combo box.
void drawPaletteItem(const DRAWITEMSTRUCT& item);
// The sample text of the slot under edit, in the preview frame of the page.
void drawColorPreview(HWND page);
