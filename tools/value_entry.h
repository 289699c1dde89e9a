// The checks of the value-entry dialog, apart from its window.
//
// Six commands ask for one line of input through one dialog. The dialog
// procedure reads its controls into a ValueEntryRequest and calls
// confirmValueEntry when OK is pressed; every rule about what is accepted
// lives here, so it can be tested without a window.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "shell/editor_state.h"

enum EntryMode : int32_t {
    InsertCode = 0,
    JumpAddress = 1,
    SearchText = 2,
    DeleteRange = 3,
    AsciiText = 11,
    CompareFile = 12,
    FillPattern = 13  // editing without limits: the hex pattern that fills the selection
};

// Modes below this one show the decimal/hexadecimal radio buttons.
constexpr int32_t kRadioModeLimit = 10;

// The limit jump and range delete ask for: every address of the largest
// document in decimal (2147482646 has ten digits). Hexadecimal takes eight,
// as a byte value takes two; the check lowers the limit to that.
constexpr int32_t kAddressEntryLength = 10;
constexpr int32_t kHexAddressEntryLength = 8;

struct ValueEntryRequest {
    char text[kPathLength];  // in: initial text; out: the confirmed text
    int32_t mode;            // an EntryMode
    int32_t maxLength;       // longest accepted text in bytes (hexadecimal takes 2 for a byte, 8 for an address)
    int32_t value;           // out: the number for InsertCode, JumpAddress, DeleteRange
};

// The search prompt's radix, for this process only (never stored): each run
// starts with text search.
extern int searchAsHex;

enum class EntryVerdict {
    Accept,    // close the dialog with OK; `value` holds the number
    Refuse,    // show `messageId` in the error box, keep the dialog open
    AskClamp   // ask IDS_ASK_CLAMP; OK accepts with `clampedValue`, Cancel keeps it open
};

struct EntryCheck {
    EntryVerdict verdict;
    int messageId;          // for Refuse: IDS_ERR_TOO_LONG, IDS_ERR_INVALID_TEXT or IDS_ERR_SAME_FILE
    int32_t value;          // the converted number (0 for the text modes and an empty text)
    int32_t clampedValue;   // for AskClamp: documentSize - 1
    int32_t maxLength;      // the limit after hexadecimal entry lowered it
    int radixChoice;        // -1: nothing to store (no radio buttons); else 0 decimal/text, 1 hex
    bool choiceIsSearch;    // the choice belongs in searchAsHex, not hexInput
};

// The OK checks in their fixed order. `hexChecked` is the state of radio
// button IDC_VE_HEX; `text` is what the edit box holds.
//
// A hexadecimal address of 80000000 or more wraps to a negative 32-bit value;
// it is treated as out of range (the clamp question) rather than as 0, since
// the user plainly meant a place past the end, not the start.
EntryCheck checkValueEntry(int32_t mode, const char* text, bool hexChecked, int32_t maxLength,
                           uint32_t documentSize, const char* filePath);

// Runs the checks for a request whose `text` was read from the dialog: stores
// the radix choice (also when the text is then refused), shows the refusal or
// asks the clamp question through the seam, and fills `value`. Returns 1 when
// the dialog may close with OK, 0 when it stays open. The limit lowered for
// hexadecimal holds for that OK only, so that decimal takes its three (or
// ten) digits again at the next one.
int confirmValueEntry(EditorState& s, WindowRef owner, ValueEntryRequest& request, bool hexChecked);

// The same for a `typed` text of any length (the whole content of the edit
// box, which has no limit of its own). A text longer than request.text can
// hold is refused as too long instead of being cut, so a long path is never
// confirmed as a shorter one. The accepted text is copied into request.text.
int confirmValueEntry(EditorState& s, WindowRef owner, ValueEntryRequest& request, bool hexChecked,
                      const char* typed);

// The prompt of the dialog for `mode` into `out`: the mode's string, for the
// two resetting modes followed by an empty line and the reset warning; the
// range prompt names the caret offset, the compare prompt the open file.
void valueEntryPrompt(const EditorState& s, int32_t mode, char* out, int size);

// The recent files the compare prompt offers, in their stored order: every
// entry of the list but the open file itself (letter case ignored, as the
// same-file refusal does). Fills `out` and returns the count.
int compareCandidates(const EditorState& s, const char* out[kRecentFileCount]);
