#include "tools/compare.h"

#include <algorithm>
#include <cstring>
#include <new>

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

// Appends the offsets where two stretches differ, a stretch at a time, so
// that the other file need not be in memory whole.
class DifferenceScan {
public:
    // `total`: the bytes of all stretches together, for the size estimate.
    DifferenceScan(CompareKernel kernel, std::vector<uint32_t>& out, uint32_t total, uint32_t limit)
        : out_(out), scan_(chunkScanner(kernel)), total_(total), limit_(limit) {
        // Room for a sparse result up front; dense results grow geometrically.
        out.reserve(std::min<uint32_t>({total / 64 + 16, 1u << 16, limit}));
    }

    // The `length` bytes at `base` of both. False once the limit is reached
    // (the offsets are then cut to it).
    bool scan(const uint8_t* a, const uint8_t* b, uint32_t base, uint32_t length) {
        const uint32_t whole = length - length % kBlock;  // bytes in whole blocks
        uint32_t i = 0;
        while (i < whole) {
            const uint32_t n = std::min(kChunk, whole - i);
            if (std::memcmp(a + i, b + i, n) != 0) scan_(out_, a + i, b + i, base + i, n);
            i += n;
            if (out_.size() >= limit_) {
                out_.resize(limit_);
                return false;
            }
            if (!estimated_ && base + i >= kSample) estimate(base + i);
        }
        for (; i < length && out_.size() < limit_; ++i) {
            if (a[i] != b[i]) out_.push_back(base + i);
        }
        return out_.size() < limit_;
    }

private:
    // Differences spread evenly are common (a file of another format, a
    // shifted copy): size the list from the first stretch once, rather than
    // copying it over and over while it doubles.
    void estimate(uint32_t scanned) {
        estimated_ = true;
        const uint64_t guess = std::min<uint64_t>(static_cast<uint64_t>(out_.size()) * total_ / scanned, limit_);
        const uint64_t room = std::min<uint64_t>(guess + guess / 16 + 64, limit_);
        if (guess > out_.capacity()) out_.reserve(static_cast<size_t>(room));
    }

    std::vector<uint32_t>& out_;
    ChunkScanner scan_;
    uint32_t total_, limit_;
    bool estimated_ = false;
};

// The other file's bytes at the differences, grown beside the offsets.
class TargetBytes {
public:
    // Room for `count` bytes; false when there is no memory for it.
    bool reserve(size_t count) {
        if (count <= capacity_) return true;
        void* more = std::realloc(bytes_.get(), count);
        if (more == nullptr) return false;
        (void)bytes_.release();
        bytes_.reset(static_cast<uint8_t*>(more));
        capacity_ = count;
        return true;
    }
    uint8_t* data() { return bytes_.get(); }
    // The bytes, without the room to spare (kept whole when giving it back fails).
    MallocBuffer take(size_t count) {
        if (void* fitted = std::realloc(bytes_.get(), count == 0 ? 1 : count)) {
            (void)bytes_.release();
            bytes_.reset(static_cast<uint8_t*>(fitted));
        }
        capacity_ = 0;
        return std::move(bytes_);
    }

private:
    MallocBuffer bytes_;
    size_t capacity_ = 0;
};

}  // namespace

std::vector<uint32_t> differingOffsets(const uint8_t* a, uint32_t na, const uint8_t* b, uint32_t nb, uint32_t limit) {
    return differingOffsetsWith(CompareKernel::Best, a, na, b, nb, limit);
}

std::vector<uint32_t> differingOffsetsWith(CompareKernel kernel, const uint8_t* a, uint32_t na, const uint8_t* b,
                                           uint32_t nb, uint32_t limit) {
    std::vector<uint32_t> out;
    if (a == nullptr || b == nullptr || limit == 0) return out;
    const uint32_t n = std::min(na, nb);
    DifferenceScan(kernel, out, n, limit).scan(a, b, 0, n);
    return out;
}

CompareOutcome collectCompareRows(const uint8_t* document, uint32_t documentSize, CompareSource& other,
                                  uint64_t otherSize, CompareRows& out) noexcept {
    out = CompareRows{};
    const auto n = static_cast<uint32_t>(std::min<uint64_t>(documentSize, otherSize));
    const uint32_t stretch = other.stretchBytes();
    if (document == nullptr || stretch == 0) return CompareOutcome::Done;
    TargetBytes targets;
    try {
        DifferenceScan scan(CompareKernel::Best, out.offsets, n, kCompareRowLimit);
        bool more = true;
        bool memory = true;
        for (uint32_t at = 0; more && memory && at < n; at += std::min(stretch, n - at)) {
            const uint32_t length = std::min(stretch, n - at);
            const size_t before = out.offsets.size();
            const bool read = other.read(at, length, [&](const uint8_t* bytes) {
                more = scan.scan(document + at, bytes, at, length);
                memory = targets.reserve(out.offsets.capacity());
                if (!memory) return;
                for (size_t k = before; k < out.offsets.size(); ++k) targets.data()[k] = bytes[out.offsets[k] - at];
            });
            if (!read) {
                out = CompareRows{};
                return CompareOutcome::ReadFailed;
            }
        }
        if (!memory) throw std::bad_alloc();
    } catch (const std::bad_alloc&) {
        out = CompareRows{};
        return CompareOutcome::OutOfMemory;
    }
    out.targets = targets.take(out.offsets.size());
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
