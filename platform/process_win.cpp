#include "platform/process_win.h"

HINSTANCE appInstance = nullptr;
HWND mainWindow = nullptr;
int anotherInstanceAtStart = 0;
