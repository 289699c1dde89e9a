// Process start-up and shutdown: the state record, the window classes, the
// frame with its children, the command-line file and the message loop.
#pragma once

#include <windows.h>

#include "shell/product.h"

// The frame's timer that keeps the Paste button in step with the clipboard.
constexpr UINT_PTR kPasteTimerId = 2;
constexpr UINT kPasteTimerPeriod = 700;

// Common controls from this version on draw flat toolbars.
constexpr unsigned kFlatToolbarVersion = (4u << 16) | 71u;

// Allocates the state record with its Win32 part, loads the settings, the
// view's icon and cursors. 0 on failure.
int initEditorState();

// Frees the state record and its Win32 part and clears the pointer.
void freeEditorStateRecord();

// Registers WCMain, WCView, WCClient, WCLabel in that order, then the
// inspector pane's class; 0 at the first failure.
int registerWindowClasses();

// Unregisters the classes and frees the class icon loaded for them.
void unregisterWindowClasses();

// Creates, decorates and shows the frame placed from the stored rectangle. 0 on failure.
int createMainWindow(int anotherInstance, int showCommand);

// The frame's WM_CREATE work: toolbar, status bar, container, strip, view. 0 on failure.
int createFrameChildren(HWND frame);

// Takes the command-line tail as one file name and posts MSG_OPEN_PENDING.
void queueCommandLineFile(const char* commandLine);

// The common-controls version, major << 16 | minor; 0 when unknown.
unsigned comctlVersion(const char* libraryName);

void initPrintSetup(HWND owner);

// Saves the settings (when asked) and releases every handle, buffer and list.
void releaseResources(int storeSettings);

// Runs until WM_QUIT; returns its wParam.
int runMessageLoop(HACCEL accelerators);

LRESULT CALLBACK clientWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
