// Choosing the display font. changeFontCommand is declared in shell/commands_win.h.
#pragma once

#include <windows.h>

// The font dialog over `owner`, starting from `font` and offering fixed-pitch
// screen and printer fonts (those of `printer`, which may be null). Returns
// the confirmed font, with `font` describing it, or null when cancelled.
HFONT chooseDisplayFont(HWND owner, HDC printer, LOGFONTA& font);
