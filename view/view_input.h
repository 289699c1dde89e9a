// The view's caret, keyboard, mouse and scrolling, as operations on the state.
//
// Each operation changes the state and returns what it changed (ViewEffect
// bits); the window side turns those into the scroll bar's thumb, a repaint,
// status texts, button states and the exit command. Everything about rows,
// offsets and nibbles is decided here.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "shell/editor_state.h"

enum ViewEffect : unsigned {
    effectNone = 0,
    effectScrolled = 1u << 0,        // topRow was set: the thumb goes to thumbForTopRow
    effectRepaint = 1u << 1,         // the whole view is painted again
    effectCaretStatus = 1u << 2,     // the caret's line and address in the status bar
    effectSelection = 1u << 3,       // the Copy button and the selection text follow the selection
    effectToolbar = 1u << 4,         // every toolbar button state
    effectPostExit = 1u << 5,        // the Exit command goes to the frame
    effectStopAutoScroll = 1u << 6,  // auto-scroll mode ended: its timer and cursor go
    effectBeep = 1u << 7,            // a typed character was refused
};

// Key codes as the system numbers them.
enum ViewKey : int {
    keyTab = 0x09,
    keyEscape = 0x1B,
    keyPageUp = 0x21,
    keyPageDown = 0x22,
    keyEnd = 0x23,
    keyHome = 0x24,
    keyLeft = 0x25,
    keyUp = 0x26,
    keyRight = 0x27,
    keyDown = 0x28,
};

// Modifiers as one value: Ctrl outranks Shift, except that Ctrl and Shift
// together extend a byte selection (the switch on) as Shift alone does.
enum KeyModifier : int { modifierNone = 0, modifierShift = 1, modifierCtrl = 2, modifierCtrlShift = 3 };

// Scroll-bar request codes as the system numbers them.
enum ScrollCode : int {
    scrollLineUp = 0,
    scrollLineDown = 1,
    scrollPageUp = 2,
    scrollPageDown = 3,
    scrollThumbPosition = 4,
    scrollThumbTrack = 5,
    scrollTop = 6,
    scrollBottom = 7,
};

// a * b / c with a 64-bit intermediate, rounded half away from zero; -1 when c
// is 0 or the result does not fit (the system's MulDiv).
int32_t mulDiv(int32_t a, int32_t b, int32_t c);

// ---- scrolling

// The thumb position that stands for topRow: the thumb has at most 65,536
// positions, so beyond that many rows each stands for several rows.
int32_t thumbForTopRow(const EditorState& s);
int32_t topRowForThumb(const EditorState& s, int32_t thumb);

// A scroll-bar request: moves topRow (kept within 0 .. rowCount - visibleRows).
// Thumb requests are ignored when the document has exactly as many rows as the
// view shows. effectNone when ignored.
unsigned onViewVScroll(EditorState& s, int code, int32_t thumb);

// Moves topRow by a number of rows (exact at any document size, unlike the
// thumb's grid), within 0 .. rowCount - visibleRows. effectNone when it stays.
unsigned scrollByRows(EditorState& s, int64_t rows);

// Scrolls by the whole rows a distance in pixels covers (auto-scroll).
unsigned scrollByPixels(EditorState& s, int32_t pixels);

// One wheel notch: three rows up for a positive delta, else down; while
// auto-scroll mode is on it only ends that mode.
unsigned onViewWheel(EditorState& s, int32_t delta);

// The view now shows `rows` whole rows (its height or the font changed): the
// top row is kept within 0 .. max(0, rowCount - rows). Always effectScrolled,
// as the thumb's position depends on the page too.
unsigned setVisibleRows(EditorState& s, int32_t rows);

// ---- caret and keys

// The value of a hexadecimal digit key (0-9, numeric pad 0-9, A-F), else -1.
int hexDigitKeyValue(int key);

// The row selection after a caret move from `previous` (-1: clear it) to `row`.
unsigned updateRowSelection(EditorState& s, int32_t previous, int32_t row, int modifier);

// Moves the caret for a movement key; effectNone when the key moves nothing.
// In the text column Left, Right, Home and End move by whole bytes. With the
// switch on, Shift selects the bytes from the anchor (the caret's byte when
// the selection began) to the caret's byte, and a move without it ends the
// selection.
// A caret row just outside the view scrolls in by one row, one farther away
// is brought into view as bringCaretIntoView does.
unsigned moveCaretByKey(EditorState& s, int key, int modifier);

// Scrolls so that the caret's row shows, at the top as far as the end allows.
unsigned bringCaretIntoView(EditorState& s);

// Overwrites the caret's nibble with `value` (0..15) and advances the caret;
// a byte selection goes first.
// Records the change first; an already changed position is asked about on
// `owner`. The digit already there is not recorded, but the caret advances as
// well. Nothing at all happens under the edit lock.
unsigned typeHexDigit(EditorState& s, WindowRef owner, int value, bool editLocked);

// A key press in the view: the search frame goes; while the left button is
// held nothing else happens; then Esc, Tab (the caret goes to the other
// column), digits (only in the hex column) and movement keys.
unsigned onViewKeyDown(EditorState& s, WindowRef owner, int key, int modifier, bool editLocked);

// A character typed into the text column: `code` is one byte in the process
// code page, or a double-byte character as lead * 256 + trail (the input
// method's form). A lead byte that comes alone (`leadByte`) waits for the
// trail byte of its character. The bytes overwrite those at the caret, each
// changed nibble recorded as a typed digit would be (asked about once when
// one was changed before), and the caret moves past them. Control
// characters write nothing; a character that would reach past the end of the
// document writes nothing and beeps. Nothing in the hex column.
unsigned onViewChar(EditorState& s, WindowRef owner, uint32_t code, bool leadByte, bool editLocked);

// ---- mouse

// Puts the caret on the nibble (dump column) or byte (character column) at a
// client point; nothing for the address, the blank after a byte's digits or
// a place past the end of the document. A caret put on a nibble types digits
// again; one put on a character stays in the column it typed in.
unsigned placeCaretAtPoint(EditorState& s, int32_t x, int32_t y);

// A left press: places the caret and anchors a row selection at the pressed
// row, which a drag extends; any previous selection goes. Sets `dragging`.
// With the switch on the anchor is the caret's byte; with `extend` (Shift)
// the bytes from the anchor of the selection (or the caret's byte before the
// press) to the pressed byte are selected at once.
unsigned beginMouseSelection(EditorState& s, int32_t x, int32_t y, bool extend = false);

// The pointer moved to `y` while dragging (y as the 16-bit value the message
// carries, so places above the window arrive as large values and are ignored).
unsigned trackMouseSelection(EditorState& s, int32_t y, int32_t clientBottom);
// The same with the pointer's `x`, which a byte selection (the switch on)
// needs: the caret follows the pointer to the nearest byte, and the bytes
// from the anchor to it are selected once it left the anchor's byte.
unsigned trackMouseSelection(EditorState& s, int32_t x, int32_t y, int32_t clientBottom);

// Ends a drag.
unsigned endMouseSelection(EditorState& s);

// Every 50 ms of a drag: near or beyond the top or bottom edge the view
// scrolls a row and the selection follows.
unsigned dragScrollTick(EditorState& s, int32_t y, int32_t clientTop, int32_t clientBottom);

// Starts auto-scroll mode at (x, y); false without a document, while dragging,
// when it is on already or when the whole document fits in the view.
bool startAutoScroll(EditorState& s, int32_t x, int32_t y);
// Ends auto-scroll mode; false when it was off.
bool stopAutoScroll(EditorState& s);

enum AutoScrollCursor : int { cursorIdle = 1, cursorDown = 2, cursorUp = 3 };
struct AutoScrollStep {
    int cursor;        // an AutoScrollCursor
    unsigned effects;
};
// Every 500 ms in auto-scroll mode, for the pointer at client `y`.
AutoScrollStep autoScrollTick(EditorState& s, int32_t y, int32_t clientBottom);

// A left click at `x` in the column-header strip: the caret goes to that
// column of its own row; nibble, selection and scroll position stay.
unsigned onLabelClick(EditorState& s, int32_t x);
