// The number conversion dialog (1107): one number in hexadecimal, decimal
// and binary, converted on every keystroke.
#pragma once

#include <windows.h>

// While a conversion rewrites the other fields this holds the id of the field
// being converted, so the change notifications of those rewrites are ignored.
extern int conversionGuard;

// Converts field `field` (IDC_NC_HEX, IDC_NC_DECIMAL or IDC_NC_BINARY) and
// rewrites the other two; beeps at text that is not a number it can show.
void syncNumberFields(HWND dialog, int field);

INT_PTR CALLBACK numberConversionDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
