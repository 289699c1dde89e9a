// Byte-by-byte comparison of the document with another file.
#pragma once

#include <cstdint>
#include <vector>

// The offsets below min(na, nb) where the two buffers differ, in ascending
// order. Equal stretches are skipped a block at a time; bytes are looked at
// one by one only inside blocks that differ. Only offsets are kept, so the
// list can show millions of differences and format each row when asked.
std::vector<uint32_t> differingOffsets(const uint8_t* a, uint32_t na, const uint8_t* b, uint32_t nb);

// The block scanners chosen by processor, reachable one by one so that each
// is checked on every machine; an unsupported one falls back to 8-byte words.
enum class CompareKernel { Best, Avx2, Sse2, Words };
std::vector<uint32_t> differingOffsetsWith(CompareKernel kernel, const uint8_t* a, uint32_t na, const uint8_t* b,
                                           uint32_t nb);

// The three texts of one row of the compare list.
struct CompareRowText {
    char address[9];  // "%08X"
    char source[3];   // the document's byte, "%02X"
    char target[3];   // the other file's byte, "%02X"
};

void formatCompareRow(uint32_t offset, uint8_t source, uint8_t target, CompareRowText& out);
