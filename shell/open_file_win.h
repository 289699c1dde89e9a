// Opening files, the recent-file items of the File menu, second editor
// processes and the file dialogs. openFile and the command owners are
// declared in shell/commands_win.h.
#pragma once

#include <windows.h>

#include <cstdint>

#include "shell/commands_win.h"

// Modes of openFileHandle.
enum FileHandleMode : int { fileRead = 0, fileWrite = 1 };

// The whole file in a new malloc'd buffer with `spare` bytes of room after it
// (the caller frees it); null after the error box. `outSize` receives the
// file size. Files larger than kMaxDocumentSize, or whose size plus `spare`
// passes 0x7FFFFFFF, are refused with ERROR_FILE_TOO_LARGE.
uint8_t* readWholeFile(HWND owner, const char* path, uint32_t spare, uint32_t* outSize);

// CreateFileA in the given mode; null (never INVALID_HANDLE_VALUE) on failure.
HANDLE openFileHandle(const char* name, int mode);

// Starts another editor process with `path` on its command line, after
// putting the path at the head of the recent list and saving the settings so
// that the new process sees it. 1 when started.
int spawnInstance(HWND window, const char* path);

// Moves filePath to the head of the recent list and refreshes the menu items.
void addRecentFile(HWND window);

// Brings the File menu's recent-file items up to date.
void refreshRecentMenu(HWND window);

// The frame title "MOXEL - <path>".
void setFrameTitle(HWND window, const char* path);

// The open (forOpen non-zero) or save dialog; 1 and the chosen path in `out`
// (kPathLength bytes), else 0.
int chooseFileName(HWND owner, char* out, int forOpen, const char* initialName);
