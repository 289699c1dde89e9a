// Owners that the command table already reaches and that later work fills
// in. Each does nothing until its own file takes it over (remove the body
// here in the same change, or the link reports it twice).
#include "document/change_list_dialog_win.h"
#include "shell/commands_win.h"
#include "tools/value_entry_win.h"

void showChangeHistoryCommand(HWND) {}
void copyRowsCommand(HWND) {}
void pasteTextCommand(HWND) {}
void selectAllCommand(HWND) {}
void insertByteCommand(HWND) {}
void deleteByteCommand(HWND) {}
void deleteRangeCommand(HWND) {}
void editAsTextCommand(HWND) {}
void toggleMarkCommand(HWND) {}
void gotoNextMarkCommand(HWND) {}
void jumpCommand(HWND) {}
void findCommand(HWND) {}
void findNextCommand(HWND) {}
void compareCommand(HWND) {}
void numberConversionCommand(HWND) {}

// Interfaces between commands that are built side by side.
int runValueEntry(HWND, ValueEntryRequest&) { return 0; }
int showChangeHistory(HWND) { return 0; }
int runCompareDialog(HWND, ValueEntryRequest&) { return 0; }
