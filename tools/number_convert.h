// The number conversion dialog's rules: one unsigned 32-bit number shown in
// hexadecimal, decimal and binary, converted on every keystroke.
#pragma once

#include <cstdint>

// Every character '0' or '1'; true when empty.
bool isBinaryText(const char* text);

// Writes bits bitCount-1 .. 0 of `value` as '1'/'0' and a terminator (bits
// above 31 are '0'). Writes nothing and returns false for the value 0, a bit
// count below 1 or of 260 and more, or no output; the caller shows "0" then.
bool formatBinary(uint32_t value, int bitCount, char* out);

// FFFFFFFF is the overflow marker of the conversion, so the largest number
// the dialog shows is one below it.
constexpr uint32_t kConversionOverflow = 0xFFFFFFFFu;

enum class SyncOutcome {
    Nothing,  // empty field: the others keep their values
    Beep,     // not digits of the field's radix, or too large: only a beep
    Write     // write the texts of the other two fields
};

struct NumberSync {
    SyncOutcome outcome;
    uint32_t value;
    // The texts of the three fields; the edited field's own entry is left
    // empty, since what the user typed stays as typed.
    char hexText[9];
    char decimalText[11];
    char binaryText[33];
};

// The conversion of field `fieldId` (IDC_NC_HEX, IDC_NC_DECIMAL or
// IDC_NC_BINARY) holding `text`. An unknown field id beeps.
NumberSync syncNumberText(int fieldId, const char* text);
