// Byte-by-byte comparison of the document with another file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

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

enum class CompareOutcome { Done, OutOfMemory, ReadFailed };

// The other file of a compare, read a stretch at a time (the Win32 side maps
// windows of the file, so the file is never copied whole into memory).
class CompareSource {
public:
    virtual ~CompareSource() = default;
    // The most bytes one read covers: a multiple of 64.
    virtual uint32_t stretchBytes() const = 0;
    // Calls `use` with the bytes [offset, offset + length) of the file,
    // length at most stretchBytes(); they stay readable during the call only.
    // False, the reason kept by the source, when they cannot be read; `use`
    // may then have been cut short, so what it collected is not to be trusted.
    virtual bool read(uint64_t offset, uint32_t length, const std::function<void(const uint8_t*)>& use) = 0;
};

// Compares the document with the other file (of `otherSize` bytes) stretch by
// stretch, keeping the other file's bytes at the differences. Anything but
// Done leaves `out` empty.
CompareOutcome collectCompareRows(const uint8_t* document, uint32_t documentSize, CompareSource& other,
                                  uint64_t otherSize, CompareRows& out) noexcept;

// The three texts of row `row` (which must be below count()).
CompareRowText compareRowText(const CompareRows& rows, size_t row, const uint8_t* document);

// The list's type-ahead: the first row at or after `start` whose address text
// begins with `prefix` (hexadecimal digits in either case), or the first one
// from the top when `wrap` is set; -1 when no row matches. Without `partial`
// the whole address must match.
long findCompareRow(const CompareRows& rows, const char* prefix, long start, bool partial, bool wrap);

// ---- stepping through the differences kept in the view (tools/compare_steps.h)

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
