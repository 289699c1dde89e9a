// Toolbar, status bar, layout of the frame's children and command states.
#pragma once

#include <windows.h>
#include <commctrl.h>

constexpr int kToolbarButtonCount = 17;
constexpr int kToolbarImageCount = 12;
extern const TBBUTTON toolbarButtons[kToolbarButtonCount];

// Status-bar parts.
constexpr int kStatusFilePart = 0;
constexpr int kStatusLinePart = 1;
constexpr int kStatusAddressPart = 2;
constexpr int kStatusSimplePart = 255;

// The four toggles live only as check marks of the frame menu.
int isMenuChecked(int id);
int isKanjiMode();
int isEditLocked();
void toggleMenuCheck(int id);

void layoutFrame();
// The rows the view has room for and its scroll bar, after a change of the
// view's height or of the document; the top row is kept within the rows.
void fitViewToHeight();
void setStatusParts();
void showFileStatus();
void showSelectionStatus();
void showCaretStatus();
// The status texts are set a moment after they change (the frame's timer
// kStatusTimerId), once the paints of the moment are done: this sets the
// waiting ones at once.
constexpr UINT_PTR kStatusTimerId = 3;
void showWaitingStatus();
// Which difference of the last compare the caret stands on (1-based), of how
// many, in the selection's part until the selection text is written again.
void showDifferenceStatus(unsigned long number, unsigned long count);

// Posts (never sends) one button's state: enabled, or greyed.
void postButtonState(int command, bool enabled);
// Posts (never sends) the state of every toolbar button.
void updateToolbarStates();
void updatePasteButton();

// WM_INITMENU: enables and greys the items of `menu` (frame or context menu).
void enableMenuItems(HMENU menu);
// WM_MENUSELECT: the highlighted item's help in the status bar.
void showMenuHelp(WPARAM itemAndFlags, HMENU menu);
// WM_NOTIFY: tooltip texts of the toolbar. Always 0.
LRESULT supplyTooltip(NMHDR* notification);
