#include "tools/compare.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "shell/editor_state.h"
#include "tools/value_parse.h"

// MOXEL_SCALAR leaves out the vector scanners (see tools/search.cpp).
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__)) && !defined(MOXEL_SCALAR)
#define MOXEL_COMPARE_X86 1
#include <immintrin.h>
#endif

namespace {

// Equal chunks of this size are passed over with one memcmp.
constexpr uint32_t kChunk = 32768;
constexpr uint32_t kBlock = 64;
// The stretch from which a dense result's final size is estimated.
constexpr uint32_t kSample = 1u << 20;

void appendMask(std::vector<uint32_t>& out, uint32_t base, uint64_t mask) {
    while (mask != 0) {
        out.push_back(base + static_cast<uint32_t>(__builtin_ctzll(mask)));
        mask &= mask - 1;
    }
}

// One bit per differing byte of a 64-byte block, from 8-byte words.
uint64_t blockMaskWords(const uint8_t* a, const uint8_t* b) {
    uint64_t mask = 0;
    for (int w = 0; w < 8; ++w) {
        uint64_t x, y;
        std::memcpy(&x, a + 8 * w, 8);
        std::memcpy(&y, b + 8 * w, 8);
        if (x == y) continue;
        for (int k = 0; k < 8; ++k) {
            if (a[8 * w + k] != b[8 * w + k]) mask |= uint64_t{1} << (8 * w + k);
        }
    }
    return mask;
}

void scanChunkWords(std::vector<uint32_t>& out, const uint8_t* a, const uint8_t* b, uint32_t base, uint32_t length) {
    for (uint32_t k = 0; k < length; k += kBlock) {
        uint64_t mask = blockMaskWords(a + k, b + k);
        if (mask != 0) appendMask(out, base + k, mask);
    }
}

#ifdef MOXEL_COMPARE_X86

__attribute__((target("avx2")))
void scanChunkAvx2(std::vector<uint32_t>& out, const uint8_t* a, const uint8_t* b, uint32_t base, uint32_t length) {
    for (uint32_t k = 0; k < length; k += kBlock) {
        const auto* pa = reinterpret_cast<const __m256i*>(a + k);
        const auto* pb = reinterpret_cast<const __m256i*>(b + k);
        __m256i e0 = _mm256_cmpeq_epi8(_mm256_loadu_si256(pa), _mm256_loadu_si256(pb));
        __m256i e1 = _mm256_cmpeq_epi8(_mm256_loadu_si256(pa + 1), _mm256_loadu_si256(pb + 1));
        uint64_t equal = static_cast<uint32_t>(_mm256_movemask_epi8(e0)) |
                         (uint64_t{static_cast<uint32_t>(_mm256_movemask_epi8(e1))} << 32);
        if (equal != ~uint64_t{0}) appendMask(out, base + k, ~equal);
    }
}

__attribute__((target("sse2")))
void scanChunkSse2(std::vector<uint32_t>& out, const uint8_t* a, const uint8_t* b, uint32_t base, uint32_t length) {
    for (uint32_t k = 0; k < length; k += kBlock) {
        uint64_t equal = 0;
        for (int q = 0; q < 4; ++q) {
            __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + k + 16 * q));
            __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + k + 16 * q));
            equal |= uint64_t{static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, y)))} << (16 * q);
        }
        if (equal != ~uint64_t{0}) appendMask(out, base + k, ~equal);
    }
}

#endif

using ChunkScanner = void (*)(std::vector<uint32_t>&, const uint8_t*, const uint8_t*, uint32_t, uint32_t);

ChunkScanner chunkScanner(CompareKernel kernel) {
#ifdef MOXEL_COMPARE_X86
    static const bool avx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
    static const bool sse2 = __builtin_cpu_supports("sse2");
    if (kernel == CompareKernel::Best) kernel = avx2 ? CompareKernel::Avx2 : CompareKernel::Sse2;
    if (kernel == CompareKernel::Avx2 && avx2) return &scanChunkAvx2;
    if (kernel != CompareKernel::Words && sse2) return &scanChunkSse2;
#else
    (void)kernel;
#endif
    return &scanChunkWords;
}

}  // namespace

std::vector<uint32_t> differingOffsets(const uint8_t* a, uint32_t na, const uint8_t* b, uint32_t nb, uint32_t limit) {
    return differingOffsetsWith(CompareKernel::Best, a, na, b, nb, limit);
}

std::vector<uint32_t> differingOffsetsWith(CompareKernel kernel, const uint8_t* a, uint32_t na, const uint8_t* b,
                                           uint32_t nb, uint32_t limit) {
    std::vector<uint32_t> out;
    if (a == nullptr || b == nullptr || limit == 0) return out;
    const uint32_t n = std::min(na, nb);
    // Room for a sparse result up front; dense results grow geometrically.
    out.reserve(std::min<uint32_t>({n / 64 + 16, 1u << 16, limit}));

    const ChunkScanner scan = chunkScanner(kernel);
    const uint32_t whole = n - n % kBlock;  // bytes in whole blocks
    uint32_t i = 0;
    bool estimated = false;
    while (i < whole) {
        uint32_t length = std::min(kChunk, whole - i);
        if (std::memcmp(a + i, b + i, length) != 0) scan(out, a + i, b + i, i, length);
        i += length;
        if (out.size() >= limit) {
            out.resize(limit);
            return out;
        }
        if (!estimated && i >= kSample) {
            // Differences spread evenly are common (a file of another format, a
            // shifted copy): size the list from the first stretch once, rather
            // than copying it over and over while it doubles.
            estimated = true;
            uint64_t guess = std::min<uint64_t>(static_cast<uint64_t>(out.size()) * n / i, limit);
            uint64_t room = std::min<uint64_t>(guess + guess / 16 + 64, limit);
            if (guess > out.capacity()) out.reserve(static_cast<size_t>(room));
        }
    }
    for (; i < n && out.size() < limit; ++i) {
        if (a[i] != b[i]) out.push_back(i);
    }
    return out;
}

CompareOutcome collectCompareRows(const uint8_t* document, uint32_t documentSize, MallocBuffer other,
                                  uint32_t otherSize, CompareRows& out) noexcept {
    out = CompareRows{};
    try {
        out.offsets = differingOffsets(document, documentSize, other.get(), otherSize, kCompareRowLimit);
    } catch (const std::bad_alloc&) {
        out = CompareRows{};
        return CompareOutcome::OutOfMemory;
    }
    const size_t n = out.offsets.size();
    // In place: offsets[k] >= k and they ascend, so no byte is read after it was overwritten.
    uint8_t* bytes = other.get();
    for (size_t k = 0; k < n; ++k) bytes[k] = bytes[out.offsets[k]];
    // Giving back the rest may fail; the buffer is then kept whole.
    if (void* smaller = std::realloc(bytes, n == 0 ? 1 : n)) {
        other.release();
        other.reset(static_cast<uint8_t*>(smaller));
    }
    out.targets = std::move(other);
    return CompareOutcome::Done;
}

CompareRowText compareRowText(const CompareRows& rows, size_t row, const uint8_t* document) {
    CompareRowText t;
    const uint32_t offset = rows.offsets[row];
    formatCompareRow(offset, document[offset], rows.targets[row], t);
    return t;
}

long findCompareRow(const CompareRows& rows, const char* prefix, long start, bool partial, bool wrap) {
    if (prefix == nullptr || rows.offsets.empty()) return -1;
    // The addresses are eight hexadecimal digits of ascending offsets, so the
    // rows that begin with a prefix are one run of consecutive offsets.
    uint64_t low = 0;
    int digits = 0;
    for (const char* p = prefix; *p != '\0'; ++p, ++digits) {
        const int v = hexDigitValue(*p);
        if (v < 0 || digits == 8) return -1;
        low = (low << 4) | static_cast<uint64_t>(v);
    }
    if (!partial && digits != 8) return -1;
    const int rest = 4 * (8 - digits);
    low <<= rest;
    const uint64_t high = low + (uint64_t{1} << rest);  // past the run
    const auto& o = rows.offsets;
    const auto first = std::lower_bound(o.begin(), o.end(), low);
    if (first == o.end() || *first >= high) return -1;
    const long lo = static_cast<long>(first - o.begin());
    const long hi = static_cast<long>(std::lower_bound(first, o.end(), high) - o.begin());
    if (start < lo) return lo;
    if (start < hi) return start;
    return wrap ? lo : -1;
}

void formatCompareRow(uint32_t offset, uint8_t source, uint8_t target, CompareRowText& out) {
    static const char digits[] = "0123456789ABCDEF";
    for (int k = 7; k >= 0; --k) {
        out.address[k] = digits[offset & 0xF];
        offset >>= 4;
    }
    out.address[8] = '\0';
    out.source[0] = digits[source >> 4];
    out.source[1] = digits[source & 0xF];
    out.source[2] = '\0';
    out.target[0] = digits[target >> 4];
    out.target[1] = digits[target & 0xF];
    out.target[2] = '\0';
}

void dropCompareRows(EditorState& s) {
    delete s.compareRows;
    s.compareRows = nullptr;
}

bool nextDifference(const std::vector<uint32_t>& offsets, uint32_t caret, bool forward, DifferenceStep& out) {
    if (offsets.empty()) return false;
    if (forward) {
        const auto next = std::upper_bound(offsets.begin(), offsets.end(), caret);
        out.wrapped = next == offsets.end();
        out.index = out.wrapped ? 0 : static_cast<size_t>(next - offsets.begin());
    } else {
        const auto at = std::lower_bound(offsets.begin(), offsets.end(), caret);
        out.wrapped = at == offsets.begin();
        out.index = out.wrapped ? offsets.size() - 1 : static_cast<size_t>(at - offsets.begin()) - 1;
    }
    return true;
}

bool stepToDifference(EditorState& s, bool forward, DifferenceStep& out) {
    if (!isDocumentLoaded(s) || s.compareRows == nullptr || s.caretOffset < 0) return false;
    const std::vector<uint32_t>& offsets = s.compareRows->offsets;
    if (!nextDifference(offsets, static_cast<uint32_t>(s.caretOffset), forward, out)) return false;
    // Insertions and deletions drop the differences, so they stay inside the document.
    if (offsets[out.index] >= s.documentSize) return false;
    s.caretOffset = static_cast<int32_t>(offsets[out.index]);
    s.caretNibble = 0;
    return true;
}
