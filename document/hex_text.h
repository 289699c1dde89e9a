// Bytes as hexadecimal text and back: the text that copying bytes as hex
// puts on the clipboard, and the reading of such text for pasting it.
#pragma once

#include <cstddef>
#include <cstdint>

// The hex text of bytes: two upper-case digits per byte, a blank between
// the bytes of a line, 16 bytes to a line and CR LF between lines. The text
// ends with its last pair (no blank and no line break after it), so one copied
// byte is just its two digits.

// Bytes writeHexText may touch for `count` bytes, terminator included (the
// writer stores a few bytes ahead of its position). SIZE_MAX when that would
// not fit the address space.
size_t hexTextCapacity(uint64_t count);

// Writes the hex text of `count` bytes and its terminator into `out` (at
// least hexTextCapacity(count) bytes); returns the length of the text.
size_t writeHexText(const uint8_t* bytes, size_t count, char* out);

// What reading a hex text found.
struct HexTextRead {
    bool valid;    // only hex pairs and separators, and at least one pair
    size_t count;  // bytes the whole text holds
    size_t stored; // of them, the first ones written to `out` (at most `room`)
};

// Reads a hex text: pairs of hex digits (either case), which may run
// together ("4142"); blanks, tabs, line breaks and commas separate them, and a
// "0x" or "0X" before a group of digits is allowed. Any other character, or a
// group with an odd number of digits, makes the text invalid. The whole text
// is checked; only the first `room` bytes are stored.
HexTextRead readHexText(const char* text, uint8_t* out, size_t room);
