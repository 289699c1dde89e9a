// The owners that the frame's command table and messages call.
#pragma once

#include <windows.h>

#include <cstdint>

// ---- Opening files, recent files, saving (shell/open_file_win.cpp, shell/save_commands_win.cpp)
int openFile(HWND window, const char* path, int preferNewInstance);
void openCommand(HWND window);                   // 1101
void closeAndOpenCommand(HWND window);           // 1102 (the save prompt is asked inside)
void openRecentCommand(HWND window, int index);  // 1131..1140, index 0..9
void appendRecentMenu(HWND window);              // start-up: recent items into the File menu
int saveCommand(HWND window);                    // 1105; 1 when saved
int saveAsCommand(HWND window);                  // 1106; 1 when saved
int askSaveChanges(HWND window);                 // the unsaved-changes prompt; 0 when cancelled, else 1

// ---- Settings (shell/settings_win.cpp)
void loadSettings();
void saveSettings();

// ---- Instances (tools/instance_list_win.cpp)
HWND findInstanceWindow(const char* path);
void closeOtherInstances();
void instanceListCommand(HWND owner);            // 1304

// ---- The document reset with its window side (shell/document_reset_win.cpp)
int documentReset();

// ---- Printing (tools/print_win.cpp), font (tools/font_win.cpp), launching (tools/launch_win.cpp)
void printCommand(HWND owner);                   // 1111
void printerSetupCommand(HWND owner);            // 1113
void changeFontCommand(HWND owner);              // 1117
void runProgramCommand(HWND owner);              // 1119
void homePageCommand(HWND owner);                // 1502

// ---- History and compare (document/change_list_dialog_win.cpp), clipboard
// (document/clipboard_commands_win.cpp), marks (document/mark_commands_win.cpp)
void showChangeHistoryCommand(HWND owner);       // 1201
void copyRowsCommand(HWND owner);                // 1202
void pasteTextCommand(HWND owner);               // 1203
void selectAllCommand(HWND owner);               // 1205
void toggleMarkCommand(HWND owner);              // 1215
void gotoNextMarkCommand(HWND owner);            // 1216
void copyHexCommand(HWND owner);                 // 1602
void pasteHexCommand(HWND owner);                // 1603

// ---- Editing through the value entry (document/edit_commands_win.cpp,
// tools/search_commands_win.cpp, tools/compare_command_win.cpp)
void insertByteCommand(HWND owner);              // 1206
void deleteByteCommand(HWND owner);              // 1207
void deleteRangeCommand(HWND owner);             // 1208
void editAsTextCommand(HWND owner);              // 1209
void jumpCommand(HWND owner);                    // 1218
void findCommand(HWND owner);                    // 1225
void findNextCommand(HWND owner);                // 1226
void compareCommand(HWND owner);                 // 1311

// ---- Find previous (tools/search_commands_win.cpp), search and replace (tools/replace_dialog_win.cpp)
void findPreviousCommand(HWND owner);            // 1621
void showSearchResult(int found);                // the view follows a search: to the match, or the frame gone
void replaceCommand(HWND owner);                 // 1622

// ---- Stepping through the last compare's differences (tools/compare_command_win.cpp)
void nextDifferenceCommand(HWND owner);          // 1623
void previousDifferenceCommand(HWND owner);      // 1624

// ---- Number conversion (tools/number_convert_win.cpp), options
// (view/options_dialog_win.cpp), help and about (tools/help_win.cpp, tools/about_win.cpp)
void numberConversionCommand(HWND owner);        // 1312
void runOptionsDialogCommand(HWND owner);        // 1315
void showHelpCommand(HWND owner);                // 1501
void aboutCommand(HWND owner);                   // 1503

// ---- Checksums (tools/checksum_win.cpp)
void checksumsCommand(HWND owner);               // 1604

// ---- Editing without limits (document/unlimited_commands_win.cpp)
void toggleUnlimitedCommand(HWND owner);         // 1661
void stepUndoCommand(HWND owner);                // 1662, and Ctrl+Z while the switch is on
void redoCommand(HWND owner);                    // 1663
void cutCommand(HWND owner);                     // 1664
void fillCommand(HWND owner);                    // 1665
// Del and Ctrl+Shift+V while the switch is on; false when the Parts' command applies.
bool deleteSelectionCommand(HWND owner);
bool pasteHexReplacingCommand(HWND owner);
// The switch's check mark and the history item's accelerator text in `menu`.
void showUnlimitedMenuState(HMENU menu);
// The keys the message loop translates: `parts` (the program's table), or
// while editing without limits a copy of it whose Ctrl+Z undoes a step (the
// history stays on its menu item and toolbar button). The copy is made once
// and released by releaseUnlimitedAccelerators.
HACCEL acceleratorsNow(HACCEL parts);
void releaseUnlimitedAccelerators();
// The windows follow a step (done, undone or redone) that began at `sizeBefore` bytes.
void afterEditStep(uint32_t sizeBefore);
