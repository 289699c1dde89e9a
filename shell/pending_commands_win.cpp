// Owners that the command table already reaches and that later work fills
// in. Each does nothing until its own file takes it over (remove the body
// here in the same change, or the link reports it twice).
#include "shell/commands_win.h"

void printCommand(HWND) {}
void printerSetupCommand(HWND) {}
void changeFontCommand(HWND) {}
void runProgramCommand(HWND) {}
void runOptionsDialogCommand(HWND) {}
void showHelpCommand(HWND) {}
void homePageCommand(HWND) {}
void aboutCommand(HWND) {}
