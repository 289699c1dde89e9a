// Process start-up and shutdown: the state record, the window classes, the
// frame with its children, the command-line file and the message loop.
#pragma once

#include <windows.h>

#include "shell/product.h"

// Allocates the state record with its Win32 part, loads the settings, the
// view's icon and cursors. 0 on failure.
int initEditorState();

// Frees the state record and its Win32 part and clears the pointer.
void freeEditorStateRecord();

// Registers WCMain, WCView, WCClient, WCLabel in that order, then the
// classes of the panes beside the view; 0 at the first failure.
int registerWindowClasses();

// Unregisters the classes and frees the class icon loaded for them.
void unregisterWindowClasses();

// Creates, decorates and shows the frame placed from the stored rectangle. 0 on failure.
int createMainWindow(int anotherInstance, int showCommand);

// Takes the command-line tail as one file name and posts MSG_OPEN_PENDING.
void queueCommandLineFile(const char* commandLine);

// Runs until WM_QUIT; returns its wParam.
int runMessageLoop(HACCEL accelerators);
