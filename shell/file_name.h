#pragma once

// True for a Shift-JIS (code page 932) lead byte.
inline bool isShiftJisLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Copies the last component of `path` (after its last '\', else its last '/')
// into `out` (at least 260 bytes) and returns a pointer to it within `path`.
// Returns null with `out` empty when the path has no separator, and null when
// either argument is null. A trail byte equal to '\' is not a separator.
const char* fileNamePart(const char* path, char* out);
