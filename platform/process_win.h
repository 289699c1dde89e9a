// The process-wide handles every Win32 part of the program uses: the module
// instance (for every resource), the frame window (owner of reports that
// have no other owner) and whether another editor ran when this one started.
#pragma once

#include <windows.h>

extern HINSTANCE appInstance;
extern HWND mainWindow;
extern int anotherInstanceAtStart;
