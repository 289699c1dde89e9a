// The platform seam: the few things the portable core needs from the system.
//
// The Win32 build links the real implementations (message boxes, the string
// table, files, the clipboard, cursors); the native build links
// platform_native.cpp, which answers questions from a script, records what
// was shown, reads strings from resources/moxel.rc and does real POSIX file I/O.
// A link-time seam: plain free functions, no interfaces.
#pragma once

#include <cstddef>
#include <cstdint>

// A window handle as the core sees it (an HWND in the Win32 build).
using WindowRef = void*;

// Answers, equal to the Win32 dialog result codes.
enum Answer : int { answerOk = 1, answerCancel = 2, answerYes = 6, answerNo = 7 };

// Kinds of question box. All carry the caption string 7011.
enum QuestionStyle : int {
    questionYesNo,        // MB_YESNO | MB_ICONWARNING: destructive steps
    questionOkCancel,     // MB_OKCANCEL | MB_ICONQUESTION: whether to go on
    questionYesNoCancel,  // MB_YESNOCANCEL | MB_ICONWARNING: the save prompt
    noticeOk              // MB_OK | MB_ICONWARNING: a notice
};

// The frame window, owner of reports that have no other owner (0 when none).
WindowRef mainWindowRef();

// Ask the user; returns one of Answer.
int askQuestion(WindowRef owner, const char* text, QuestionStyle style);

// The error box: a beep, then a message box with the error icon. The text is
// `text` when present and not empty, else the system text for the last error
// code when messageId is -1, else string `messageId`. Always returns 0.
int showError(WindowRef owner, int messageId, const char* text);

// Sets the last error code and shows its system text.
void showErrorCode(WindowRef owner, uint32_t code);

// Loads string `id` of the string table into `out` (at most size - 1 bytes and
// a terminator, in the process code page); returns the length, 0 when missing.
int loadText(int id, char* out, int size);

// Writes `size` bytes to `path` so that the file on disk is never lost: a
// temporary file beside it is written and flushed, then it replaces the
// original (keeping its attributes). Returns 0 on success or the system error
// code; on failure the original file is untouched and no temporary remains.
// Where the folder refuses a new file but the file exists, the file is
// written in place instead (whole, cut to size, flushed): see
// platform/file_replace.h for what that way can and cannot keep.
uint32_t writeFileReplacing(const char* path, const uint8_t* data, uint32_t size);

// Clipboard text (CF_TEXT). putClipboardText returns 1 on success.
// getClipboardText returns a malloc'd copy the caller frees, or null; sizeOut
// receives the size of the clipboard's block.
int putClipboardText(WindowRef owner, const char* text);
char* getClipboardText(WindowRef owner, size_t* sizeOut);

// The wait cursor for a long operation; endWaitCursor restores what
// beginWaitCursor returned.
void* beginWaitCursor();
void endWaitCursor(void* previous);
