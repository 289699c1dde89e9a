// Checking and converting the texts typed into the editor's input fields.
#pragma once

#include <cstdint>

// 0..9 for '0'..'9', 10..15 for 'A'..'F' and 'a'..'f', -1 otherwise.
int hexDigitValue(char c);

// Every character a hexadecimal digit (or a space when allowed); true when empty.
bool isHexText(const char* text, bool spacesAllowed);

// Every character '0'..'9'; true when empty.
bool isDecimalText(const char* text);

// Hexadecimal digits from the start up to the first non-digit (a space ends
// it too), kept modulo 2^32 and read as signed; 0 when there is no digit.
int32_t parseHexNumber(const char* text);

// Digits of `radix` (2, 10 or 16) from the start up to the first character
// that is not one; 0 when there is none. Values above FFFFFFFF stay at
// FFFFFFFF, so an overlong number can never wrap into a small one.
uint32_t parseUnsignedSaturating(const char* text, int radix);
