// Printing the document or the selected rows as a hex listing.
// printCommand and printerSetupCommand are declared in shell/commands_win.h.
#pragma once

#include <windows.h>

#include "tools/print_layout.h"

// One job on the print-setup record's device context, which is deleted
// afterwards whatever happened. The arrow-with-hourglass cursor shows meanwhile.
bool printDocument(HWND owner, bool selectionOnly);

// One job of `copies` copies on `dc` (left to the caller): the spooler
// document "MOXEL", the progress dialog over `owner`, which is disabled
// meanwhile, and EndDoc on every path once the document started. True when
// every copy was printed.
bool printJob(HWND owner, HDC dc, bool selectionOnly, int copies);

// One copy, page by page, on `dc`; true also when cancelled. False when no
// printer font could be made. Given `failure` (a copy inside a started job),
// also false when the spooler refused to start or end a page, whose error
// code `failure` then receives; without it the page calls' answers are not
// looked at (a picture has no pages).
bool printCopy(HDC dc, const char* title, int kanji, bool selectionOnly, DWORD* failure = nullptr);

// Draws a page's title and, when the page has one, the column header with
// its rule. Returns the lines it takes (2 or 3).
int printPageHeader(HDC dc, const PrintPage& page);

// The display font at the same point size on `dc`; null when none can be made.
HFONT createPrinterFont(HDC dc);

// Keeps the progress dialog responsive; FALSE once Cancel was pressed.
BOOL CALLBACK printAbortProc(HDC dc, int code);

