#include "document/shift_jis.h"

bool isCharacterStart(const uint8_t* bytes, size_t size, size_t offset) {
    if (offset == 0 || offset == size) return true;
    if (offset > size) return false;
    // Lead bytes right before `offset`: the first of their run begins a
    // character, and each of them takes the next byte, so the parity decides.
    size_t leads = 0;
    while (leads < offset && isShiftJisLead(bytes[offset - 1 - leads])) ++leads;
    return leads % 2 == 0;
}

size_t characterStart(const uint8_t* bytes, size_t size, size_t offset) {
    if (offset == 0 || isCharacterStart(bytes, size, offset)) return offset;
    return offset - 1;
}
