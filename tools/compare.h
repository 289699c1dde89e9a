// Byte-by-byte comparison of the document with another file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

struct EditorState;

// The offsets below min(na, nb) where the two buffers differ, in ascending
// order. Equal stretches are skipped a block at a time; bytes are looked at
// one by one only inside blocks that differ. Only offsets are kept, so the
// list can show millions of differences and format each row when asked.
// At most `limit` offsets are collected: the scan stops at the limit.
std::vector<uint32_t> differingOffsets(const uint8_t* a, uint32_t na, const uint8_t* b, uint32_t nb,
                                       uint32_t limit = UINT32_MAX);

// The block scanners chosen by processor, reachable one by one so that each
// is checked on every machine; an unsupported one falls back to 8-byte words.
enum class CompareKernel { Best, Avx2, Sse2, Words };
std::vector<uint32_t> differingOffsetsWith(CompareKernel kernel, const uint8_t* a, uint32_t na, const uint8_t* b,
                                           uint32_t nb, uint32_t limit = UINT32_MAX);

// The three texts of one row of the compare list.
struct CompareRowText {
    char address[9];  // "%08X"
    char source[3];   // the document's byte, "%02X"
    char target[3];   // the other file's byte, "%02X"
};

void formatCompareRow(uint32_t offset, uint8_t source, uint8_t target, CompareRowText& out);

struct MallocFree {
    void operator()(void* p) const { std::free(p); }
};
using MallocBuffer = std::unique_ptr<uint8_t[], MallocFree>;

// The most rows a compare list holds. The comparison stops there, as it does
// when the list refuses a row; it also bounds the memory kept (5 bytes a row).
constexpr uint32_t kCompareRowLimit = 100000000;

// What the compare list keeps while it shows: the differing offsets and the
// other file's byte at each (the document's byte is read from the document,
// which cannot change while the list is open). The offsets outlive the list.
struct CompareRows {
    std::vector<uint32_t> offsets;
    MallocBuffer targets;  // targets[k]: the other file's byte at offsets[k]; null once the list closed
    size_t count() const { return offsets.size(); }
};

enum class CompareOutcome { Done, OutOfMemory };

// Compares the document with the other file's bytes, a malloc'd buffer that is
// taken over: its bytes at the differences are moved to its front and the rest
// is given back. OutOfMemory leaves `out` empty and has freed the buffer.
CompareOutcome collectCompareRows(const uint8_t* document, uint32_t documentSize, MallocBuffer other,
                                  uint32_t otherSize, CompareRows& out) noexcept;

// The three texts of row `row` (which must be below count()).
CompareRowText compareRowText(const CompareRows& rows, size_t row, const uint8_t* document);

// The list's type-ahead: the first row at or after `start` whose address text
// begins with `prefix` (hexadecimal digits in either case), or the first one
// from the top when `wrap` is set; -1 when no row matches. Without `partial`
// the whole address must match.
long findCompareRow(const CompareRows& rows, const char* prefix, long start, bool partial, bool wrap);

// ---- the differences kept in the view

// After its list closes, a compare leaves its offsets in the state
// (EditorState::compareRows, the other file's bytes given back), so that the
// view outlines the differing bytes and the caret can step through them,
// until the next compare or the next load, insertion or deletion.
void dropCompareRows(EditorState& s);

// Where a step through the differences lands: the index of the difference
// the caret goes to, and whether it went round from one end to the other.
struct DifferenceStep {
    size_t index = 0;
    bool wrapped = false;
};

// The first difference after `caret` (forward), or the last one before it;
// past the last one the first, before the first one the last (wrapped).
// False when there is none.
bool nextDifference(const std::vector<uint32_t>& offsets, uint32_t caret, bool forward, DifferenceStep& out);

// Puts the caret on the high nibble of the next or previous difference.
// False, with nothing changed, without a document or differences.
bool stepToDifference(EditorState& s, bool forward, DifferenceStep& out);
