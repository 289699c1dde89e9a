// Shift-JIS characters as the text column pairs them: scanning from the start
// of the document, a lead byte takes the byte after it with it (a trail byte
// or not), every other byte stands alone. The inspector, the character-exact
// search and typing in the text column all ask where characters begin.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr bool isShiftJisLead(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
constexpr bool isShiftJisTrail(uint8_t b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Whether a character begins at `offset` (0 <= offset <= size; the end counts
// as a beginning). Looks back only over the run of lead bytes before it: the
// byte after any other byte always begins a character.
bool isCharacterStart(const uint8_t* bytes, size_t size, size_t offset);

// The offset where the character holding the byte at `offset` begins
// (offset < size).
size_t characterStart(const uint8_t* bytes, size_t size, size_t offset);

// The lead byte that the rows above hand on to a row starting at `offset`
// (0 < offset < size): the byte before it when that byte begins a character,
// so that the character's second byte is the row's first; 0 otherwise. The
// same pending lead that formatting every row from the start would carry.
uint8_t leadRunningInto(const uint8_t* bytes, size_t size, size_t offset);
