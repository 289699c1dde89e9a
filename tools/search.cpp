#include "tools/search.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "document/shift_jis.h"
#include "resource_ids.h"

// MOXEL_SCALAR leaves out the vector scanners, so that the plain one is what
// every kernel choice runs and the tests reach it on any machine.
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__)) && !defined(MOXEL_SCALAR)
#define MOXEL_SEARCH_X86 1
#include <immintrin.h>
#endif

int32_t findBytesPlain(const uint8_t* data, int32_t n, const uint8_t* pattern, int32_t m) {
    if (data == nullptr || pattern == nullptr || m <= 0 || m > n) return -1;
    int32_t table[256];
    for (int32_t& t : table) t = m;
    for (int32_t j = 0; j <= m - 2; ++j) table[pattern[j]] = m - 1 - j;
    int64_t i = m - 1;  // wide, so a shift near the end of a huge buffer cannot overflow
    while (i < n) {
        int32_t j = m - 1;
        while (data[i] == pattern[j]) {
            if (j == 0) return static_cast<int32_t>(i);
            --i;
            --j;
        }
        int32_t skip = table[data[i]];
        i += skip > m - j ? skip : m - j;
    }
    return -1;
}

namespace {

// Knuth-Morris-Pratt from `from`: linear whatever the data, for inputs where
// the vector filter lets through a candidate at nearly every position.
int64_t findLinear(const uint8_t* data, int64_t n, const uint8_t* pattern, int32_t m, int64_t from) {
    std::vector<int32_t> border(static_cast<size_t>(m));
    border[0] = 0;
    for (int32_t q = 1, k = 0; q < m; ++q) {
        while (k > 0 && pattern[k] != pattern[q]) k = border[static_cast<size_t>(k - 1)];
        if (pattern[k] == pattern[q]) ++k;
        border[static_cast<size_t>(q)] = k;
    }
    int32_t q = 0;
    for (int64_t t = from; t < n; ++t) {
        while (q > 0 && pattern[q] != data[t]) q = border[static_cast<size_t>(q - 1)];
        if (pattern[q] == data[t]) ++q;
        if (q == m) return t - m + 1;
    }
    return -1;
}

// The filter compares pattern[0] and pattern[second] at every start; the
// second byte is the last one that differs from the first, so that runs of
// one value do not pass the filter everywhere.
[[maybe_unused]] int32_t secondAnchor(const uint8_t* pattern, int32_t m) {
    for (int32_t k = m - 1; k > 0; --k) {
        if (pattern[k] != pattern[0]) return k;
    }
    return m - 1;
}

// Candidates checked before the scan gives up on the filter: a few per
// block on average is fine, one at nearly every byte is not.
bool filterTooWeak(int64_t candidates, int64_t scanned) {
    return candidates > 256 && candidates > scanned / 8;
}

enum class ScanEnd { Found, None, TooWeak };

struct ScanResult {
    ScanEnd end;
    int64_t position;  // the match, or where the scan stopped
};

// The first byte by memchr, the rest by memcmp: the scanner without vectors,
// and the tail after the vector blocks.
ScanResult scanPlain(const uint8_t* data, int64_t n, const uint8_t* pattern, int32_t m, int64_t from = 0) {
    const int64_t last = n - m;
    int64_t candidates = 0;
    for (int64_t i = from; i <= last; ++i) {
        const void* hit = std::memchr(data + i, pattern[0], static_cast<size_t>(last - i + 1));
        if (hit == nullptr) break;
        i = static_cast<const uint8_t*>(hit) - data;
        if (std::memcmp(data + i, pattern, static_cast<size_t>(m)) == 0) return {ScanEnd::Found, i};
        if (filterTooWeak(++candidates, i + 1 - from)) return {ScanEnd::TooWeak, i + 1};
    }
    return {ScanEnd::None, -1};
}

#ifdef MOXEL_SEARCH_X86

// Each scanner is compiled for its own instruction set and chosen at run
// time, so the program still runs on processors without AVX2.
#define MOXEL_TARGET(x) __attribute__((target(x)))

MOXEL_TARGET("avx2")
ScanResult scanAvx2(const uint8_t* data, int64_t n, const uint8_t* pattern, int32_t m) {
    const int32_t k = secondAnchor(pattern, m);
    const __m256i first = _mm256_set1_epi8(static_cast<char>(pattern[0]));
    const __m256i second = _mm256_set1_epi8(static_cast<char>(pattern[k]));
    const int64_t last = n - m;  // the last possible start
    int64_t candidates = 0;
    int64_t i = 0;
    for (; i + 63 <= last; i += 64) {
        const uint8_t* p = data + i;
        __m256i a0 = _mm256_cmpeq_epi8(first, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
        __m256i b0 = _mm256_cmpeq_epi8(second, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + k)));
        __m256i a1 = _mm256_cmpeq_epi8(first, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32)));
        __m256i b1 = _mm256_cmpeq_epi8(second, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 + k)));
        uint64_t lo = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_and_si256(a0, b0)));
        uint64_t hi = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_and_si256(a1, b1)));
        uint64_t mask = lo | (hi << 32);
        if (mask == 0) continue;
        do {
            int bit = __builtin_ctzll(mask);
            if (std::memcmp(p + bit, pattern, static_cast<size_t>(m)) == 0) return {ScanEnd::Found, i + bit};
            ++candidates;
            mask &= mask - 1;
        } while (mask != 0);
        if (filterTooWeak(candidates, i + 64)) return {ScanEnd::TooWeak, i + 64};
    }
    return scanPlain(data, n, pattern, m, i);
}

MOXEL_TARGET("sse2")
ScanResult scanSse2(const uint8_t* data, int64_t n, const uint8_t* pattern, int32_t m) {
    const int32_t k = secondAnchor(pattern, m);
    const __m128i first = _mm_set1_epi8(static_cast<char>(pattern[0]));
    const __m128i second = _mm_set1_epi8(static_cast<char>(pattern[k]));
    const int64_t last = n - m;
    int64_t candidates = 0;
    int64_t i = 0;
    for (; i + 31 <= last; i += 32) {
        const uint8_t* p = data + i;
        __m128i a0 = _mm_cmpeq_epi8(first, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
        __m128i b0 = _mm_cmpeq_epi8(second, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k)));
        __m128i a1 = _mm_cmpeq_epi8(first, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)));
        __m128i b1 = _mm_cmpeq_epi8(second, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 + k)));
        uint32_t lo = static_cast<uint32_t>(_mm_movemask_epi8(_mm_and_si128(a0, b0)));
        uint32_t hi = static_cast<uint32_t>(_mm_movemask_epi8(_mm_and_si128(a1, b1)));
        uint32_t mask = lo | (hi << 16);
        if (mask == 0) continue;
        do {
            int bit = __builtin_ctz(mask);
            if (std::memcmp(p + bit, pattern, static_cast<size_t>(m)) == 0) return {ScanEnd::Found, i + bit};
            ++candidates;
            mask &= mask - 1;
        } while (mask != 0);
        if (filterTooWeak(candidates, i + 32)) return {ScanEnd::TooWeak, i + 32};
    }
    return scanPlain(data, n, pattern, m, i);
}

enum class Vector { None, Sse2, Avx2 };

Vector vectorLevel() {
    static const Vector level = [] {
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx2")) return Vector::Avx2;
        if (__builtin_cpu_supports("sse2")) return Vector::Sse2;
        return Vector::None;
    }();
    return level;
}

#endif  // MOXEL_SEARCH_X86

}  // namespace

ScanKernel supportedScanKernel() {
#ifdef MOXEL_SEARCH_X86
    switch (vectorLevel()) {
        case Vector::Avx2: return ScanKernel::Avx2;
        case Vector::Sse2: return ScanKernel::Sse2;
        case Vector::None: break;
    }
#endif
    return ScanKernel::Plain;
}

int64_t findBytes(const uint8_t* data, int64_t n, const uint8_t* pattern, int32_t m) {
    return findBytesWith(ScanKernel::Best, data, n, pattern, m);
}

int64_t findBytesWith(ScanKernel kernel, const uint8_t* data, int64_t n, const uint8_t* pattern, int32_t m) {
    if (data == nullptr || pattern == nullptr || m <= 0 || n < m) return -1;
    if (m == 1) {
        const void* hit = std::memchr(data, pattern[0], static_cast<size_t>(n));
        return hit == nullptr ? -1 : static_cast<const uint8_t*>(hit) - data;
    }
    ScanResult r;
#ifdef MOXEL_SEARCH_X86
    const Vector level = vectorLevel();
    if (kernel == ScanKernel::Best) kernel = level == Vector::Avx2 ? ScanKernel::Avx2 : ScanKernel::Sse2;
    if (kernel == ScanKernel::Avx2 && level == Vector::Avx2) {
        r = scanAvx2(data, n, pattern, m);
    } else if (kernel != ScanKernel::Plain && level != Vector::None) {
        r = scanSse2(data, n, pattern, m);
    } else {
        r = scanPlain(data, n, pattern, m);
    }
#else
    (void)kernel;
    r = scanPlain(data, n, pattern, m);
#endif
    switch (r.end) {
        case ScanEnd::Found: return r.position;
        case ScanEnd::None: return -1;
        case ScanEnd::TooWeak: break;
    }
    return findLinear(data, n, pattern, m, r.position);
}

// ---------------------------------------------------------------- searches with options

namespace {

// Where characters begin, for offsets asked in rising or falling order: the
// run of lead bytes last looked at is kept, so each byte is looked at a
// bounded number of times however long the runs of lead bytes are.
class CharacterStarts {
public:
    CharacterStarts(const uint8_t* bytes, int64_t size) : bytes_(bytes), size_(size) {}

    bool at(int64_t offset) {
        if (offset <= 0 || offset >= size_) return offset == 0 || offset == size_;
        const int64_t last = offset - 1;
        if (!isShiftJisLead(bytes_[last])) return true;
        if (last >= runEnd_ && runEnd_ > runStart_) {
            // Extend the known run forward while it stays unbroken.
            int64_t q = runEnd_;
            while (q <= last && isShiftJisLead(bytes_[q])) ++q;
            if (q > last) runEnd_ = last + 1;
            else startRunAt(last);
        } else if (last < runStart_ || last >= runEnd_) {
            startRunAt(last);  // another run: the byte before the known one is not a lead
        }
        // Each lead byte takes the next one with it, from the first of the run.
        return (offset - runStart_) % 2 == 0;
    }

private:
    // A new run ending with the lead byte at `last`: back to its first byte.
    void startRunAt(int64_t last) {
        int64_t s = last;
        while (s > 0 && isShiftJisLead(bytes_[s - 1])) --s;
        runStart_ = s;
        runEnd_ = last + 1;
    }

    const uint8_t* bytes_;
    int64_t size_;
    int64_t runStart_ = 0;  // [runStart_, runEnd_): lead bytes, the first after a non-lead or at 0
    int64_t runEnd_ = 0;
};

// Two pattern positions compared for every start before the whole pattern is.
struct Anchors {
    int32_t a, b;
    uint8_t ignoreA, valueA, ignoreB, valueB;
    bool single;  // a == b: one compare a start
};

bool anyBytePosition(const SearchPattern& p, int32_t j) { return p.ignore[j] == 0xFF; }

// The first position that compares anything, and the last one that differs
// from it (runs of one value would let the filter pass everywhere). False
// when the pattern is wildcards only.
bool chooseAnchors(const SearchPattern& p, Anchors& k) {
    int32_t a = 0;
    while (a < p.length && anyBytePosition(p, a)) ++a;
    if (a == p.length) return false;
    int32_t b = a;
    for (int32_t j = p.length - 1; j > a; --j) {
        if (anyBytePosition(p, j)) continue;
        if (b == a) b = j;
        if (p.value[j] != p.value[a] || p.ignore[j] != p.ignore[a]) {
            b = j;
            break;
        }
    }
    k = {a, b, p.ignore[a], p.value[a], p.ignore[b], p.value[b], false};
    k.single = a == b;
    return true;
}

bool anchorsMatch(const uint8_t* p, const Anchors& k) {
    return (p[k.a] | k.ignoreA) == k.valueA && (p[k.b] | k.ignoreB) == k.valueB;
}

// Candidate scanners: the first (next) or last (prev) start in [lo, hi]
// whose anchors match, -1 when none. Starts up to hi may read hi + b.
int64_t nextPlain(const uint8_t* d, int64_t lo, int64_t hi, const Anchors& k) {
    for (int64_t i = lo; i <= hi; ++i) {
        if (anchorsMatch(d + i, k)) return i;
    }
    return -1;
}

int64_t prevPlain(const uint8_t* d, int64_t lo, int64_t hi, const Anchors& k) {
    for (int64_t i = hi; i >= lo; --i) {
        if (anchorsMatch(d + i, k)) return i;
    }
    return -1;
}

#ifdef MOXEL_SEARCH_X86

// 64 starts from p: bit i set when start p + i passes both anchors.
MOXEL_TARGET("avx2") inline __m256i passAvx2(const uint8_t* q, __m256i ignore, __m256i value) {
    return _mm256_cmpeq_epi8(_mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(q)), ignore), value);
}

MOXEL_TARGET("avx2") inline uint64_t blockAvx2(const uint8_t* p, const Anchors& k) {
    const __m256i ia = _mm256_set1_epi8(static_cast<char>(k.ignoreA));
    const __m256i va = _mm256_set1_epi8(static_cast<char>(k.valueA));
    __m256i h0 = passAvx2(p + k.a, ia, va);
    __m256i h1 = passAvx2(p + k.a + 32, ia, va);
    if (!k.single) {
        const __m256i ib = _mm256_set1_epi8(static_cast<char>(k.ignoreB));
        const __m256i vb = _mm256_set1_epi8(static_cast<char>(k.valueB));
        h0 = _mm256_and_si256(h0, passAvx2(p + k.b, ib, vb));
        h1 = _mm256_and_si256(h1, passAvx2(p + k.b + 32, ib, vb));
    }
    const __m256i any = _mm256_or_si256(h0, h1);
    if (_mm256_testz_si256(any, any)) return 0;  // the common case: no candidate in 64 starts
    return static_cast<uint32_t>(_mm256_movemask_epi8(h0)) |
           static_cast<uint64_t>(static_cast<uint32_t>(_mm256_movemask_epi8(h1))) << 32;
}

MOXEL_TARGET("sse2") inline uint64_t blockSse2(const uint8_t* p, const Anchors& k) {
    const __m128i ia = _mm_set1_epi8(static_cast<char>(k.ignoreA));
    const __m128i va = _mm_set1_epi8(static_cast<char>(k.valueA));
    const __m128i ib = _mm_set1_epi8(static_cast<char>(k.ignoreB));
    const __m128i vb = _mm_set1_epi8(static_cast<char>(k.valueB));
    uint64_t mask = 0;
    for (int part = 0; part < 4; ++part) {
        const uint8_t* q = p + 16 * part;
        __m128i x = _mm_cmpeq_epi8(_mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q + k.a)), ia), va);
        __m128i y = _mm_cmpeq_epi8(_mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q + k.b)), ib), vb);
        mask |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_and_si128(x, y)))) << (16 * part);
    }
    return mask;
}

// The block loops live inside each target so the block compare inlines.
#define MOXEL_SCAN_PAIR(name, block, target)                                              \
    MOXEL_TARGET(target) int64_t next##name(const uint8_t* d, int64_t lo, int64_t hi, const Anchors& k) { \
        int64_t i = lo;                                                                   \
        for (; i + 63 <= hi; i += 64) {                                                   \
            if (uint64_t m = block(d + i, k)) return i + __builtin_ctzll(m);              \
        }                                                                                 \
        return nextPlain(d, i, hi, k);                                                    \
    }                                                                                     \
    MOXEL_TARGET(target) int64_t prev##name(const uint8_t* d, int64_t lo, int64_t hi, const Anchors& k) { \
        int64_t j = hi;                                                                   \
        for (; j - 63 >= lo; j -= 64) {                                                   \
            if (uint64_t m = block(d + j - 63, k)) return j - __builtin_clzll(m);         \
        }                                                                                 \
        return prevPlain(d, lo, j, k);                                                    \
    }

MOXEL_SCAN_PAIR(Avx2, blockAvx2, "avx2")
MOXEL_SCAN_PAIR(Sse2, blockSse2, "sse2")

#endif  // MOXEL_SEARCH_X86

ScanKernel chosenKernel = ScanKernel::Best;

using Scanner = int64_t (*)(const uint8_t*, int64_t, int64_t, const Anchors&);

struct Scanners {
    Scanner next, prev;
};

Scanners scanners() {
#ifdef MOXEL_SEARCH_X86
    const ScanKernel best = supportedScanKernel();
    const ScanKernel k = chosenKernel == ScanKernel::Best ? best : chosenKernel;
    if (k == ScanKernel::Avx2 && best == ScanKernel::Avx2) return {nextAvx2, prevAvx2};
    if (k != ScanKernel::Plain && best != ScanKernel::Plain) return {nextSse2, prevSse2};
#endif
    return {nextPlain, prevPlain};
}

bool isExact(const SearchPattern& p) {
    for (int32_t j = 0; j < p.length; ++j) {
        if (p.ignore[j] != 0) return false;
    }
    return true;
}

// The matches of one search over the starts [lo, hi], in the order it asks
// for them, filtered by the character rule. The step hears how far the
// search got each time it passes another kProgressBytes of starts.
class MatchWalker {
public:
    MatchWalker(const SearchScope& scope, const SearchPattern& pattern, const ProgressStep& step, int64_t lo,
                int64_t hi)
        : scope_(scope), pattern_(pattern), starts_(scope.bytes, scope.size), scan_(scanners()), step_(step),
          lo_(lo), hi_(hi), nextUp_(lo + kProgressBytes), nextDown_(hi - kProgressBytes) {
        exact_ = isExact(pattern);
        wildOnly_ = !chooseAnchors(pattern, anchors_);
    }

    // The first acceptable match starting in [lo, hi], -1 when none, or kSearchCancelled.
    int64_t first(int64_t lo, int64_t hi) {
        while (lo <= hi) {
            if (lo >= nextUp_) {
                if (!keepGoing(step_, static_cast<uint64_t>(lo - lo_), total())) return kSearchCancelled;
                nextUp_ = lo + kProgressBytes;
            }
            const int64_t stop = std::min(hi, nextUp_ - 1);
            const int64_t i = firstIn(lo, stop);
            if (i >= 0) return i;
            lo = stop + 1;
        }
        return -1;
    }

    // The last acceptable match starting in [lo, hi], -1 when none, or kSearchCancelled.
    int64_t last(int64_t lo, int64_t hi) {
        while (lo <= hi) {
            if (hi <= nextDown_) {
                if (!keepGoing(step_, static_cast<uint64_t>(hi_ - hi), total())) return kSearchCancelled;
                nextDown_ = hi - kProgressBytes;
            }
            const int64_t start = std::max(lo, nextDown_ + 1);
            const int64_t i = lastIn(start, hi);
            if (i >= 0) return i;
            hi = start - 1;
        }
        return -1;
    }

private:
    uint64_t total() const { return static_cast<uint64_t>(hi_ - lo_ + 1); }

    int64_t firstIn(int64_t lo, int64_t hi) {
        while (lo <= hi) {
            int64_t i = rawFirst(lo, hi);
            if (i < 0 || accepted(i)) return i;
            lo = i + 1;
        }
        return -1;
    }

    int64_t lastIn(int64_t lo, int64_t hi) {
        while (lo <= hi) {
            int64_t i = rawLast(lo, hi);
            if (i < 0 || accepted(i)) return i;
            hi = i - 1;
        }
        return -1;
    }

    bool accepted(int64_t i) {
        return !scope_.wholeChars || (starts_.at(i) && starts_.at(i + pattern_.length));
    }

    int64_t rawFirst(int64_t lo, int64_t hi) {
        const uint8_t* d = scope_.bytes;
        if (exact_) {
            int64_t hit = findBytes(d + lo, hi - lo + pattern_.length, pattern_.value, pattern_.length);
            return hit < 0 ? -1 : lo + hit;
        }
        if (wildOnly_) return lo;
        for (;;) {
            int64_t i = scan_.next(d, lo, hi, anchors_);
            if (i < 0 || patternMatchesAt(d + i, pattern_)) return i;
            lo = i + 1;
        }
    }

    int64_t rawLast(int64_t lo, int64_t hi) {
        const uint8_t* d = scope_.bytes;
        if (wildOnly_) return hi;
        for (;;) {
            int64_t i = scan_.prev(d, lo, hi, anchors_);
            if (i < 0 || patternMatchesAt(d + i, pattern_)) return i;
            hi = i - 1;
        }
    }

    const SearchScope& scope_;
    const SearchPattern& pattern_;
    CharacterStarts starts_;
    Scanners scan_;
    Anchors anchors_{};
    bool exact_ = false;
    bool wildOnly_ = false;
    const ProgressStep& step_;
    int64_t lo_, hi_;           // the starts of the whole search
    int64_t nextUp_, nextDown_; // where the step hears of it next, going down or up the document
};

// The starts a match may have within the scope: [lo, hi]; false when none.
bool startRange(const SearchScope& scope, const SearchPattern& pattern, int64_t& lo, int64_t& hi) {
    if (scope.bytes == nullptr || pattern.length <= 0) return false;
    lo = scope.begin < 0 ? 0 : scope.begin;
    const int64_t end = scope.end > scope.size ? scope.size : scope.end;
    hi = end - pattern.length;
    return lo <= hi;
}

}  // namespace

bool patternMatchesAt(const uint8_t* p, const SearchPattern& pattern) {
    for (int32_t j = 0; j < pattern.length; ++j) {
        if ((p[j] | pattern.ignore[j]) != pattern.value[j]) return false;
    }
    return true;
}

SearchScope wholeDocument(const uint8_t* bytes, int64_t size, bool wholeChars) {
    return SearchScope{bytes, size, 0, size, wholeChars};
}

int64_t findForward(const SearchScope& scope, const SearchPattern& pattern, int64_t from, const ProgressStep& step) {
    int64_t lo, hi;
    if (!startRange(scope, pattern, lo, hi)) return -1;
    if (from > lo) lo = from;
    if (lo > hi) return -1;
    return MatchWalker(scope, pattern, step, lo, hi).first(lo, hi);
}

int64_t findBackward(const SearchScope& scope, const SearchPattern& pattern, int64_t before,
                     const ProgressStep& step) {
    int64_t lo, hi;
    if (!startRange(scope, pattern, lo, hi)) return -1;
    if (before - 1 < hi) hi = before - 1;
    if (lo > hi) return -1;
    return MatchWalker(scope, pattern, step, lo, hi).last(lo, hi);
}

bool findAllMatches(const SearchScope& scope, const SearchPattern& pattern, std::vector<uint32_t>& out,
                    const ProgressStep& step) {
    int64_t lo, hi;
    if (!startRange(scope, pattern, lo, hi)) return true;
    const size_t had = out.size();
    MatchWalker walker(scope, pattern, step, lo, hi);
    int64_t i = walker.first(lo, hi);
    for (; i >= 0; i = walker.first(i + pattern.length, hi)) out.push_back(static_cast<uint32_t>(i));
    if (i != kSearchCancelled) return true;
    out.resize(had);
    return false;
}

void setQueryKernel(ScanKernel kernel) { chosenKernel = kernel; }

// ---------------------------------------------------------------- the commands

void reportNotFound(WindowRef owner, const char* text) {
    char format[kMessageTextLength];
    char message[kMessageTextLength + kFindTextLength];
    loadText(IDS_ERR_NOT_FOUND, format, sizeof format);
    std::snprintf(message, sizeof message, format, text != nullptr ? text : "");
    showError(owner, IDS_ERR_NOT_FOUND, message);
}

void takeMatch(EditorState& s, int64_t at, int32_t length) {
    s.foundOffset = static_cast<int32_t>(at);
    s.foundLength = length;
    s.caretOffset = s.foundOffset;
    s.caretNibble = 0;
}

int settleSearch(EditorState& s, WindowRef owner, const char* text, int64_t hit, int32_t length) {
    s.foundLength = length;
    if (hit < 0) {
        reportNotFound(owner, text);
        s.foundOffset = -1;
        return 0;
    }
    takeMatch(s, hit, length);
    return 1;
}

int searchFrom(EditorState& s, WindowRef owner, int searchAsHex, int32_t start) {
    if (!isDocumentLoaded(s)) return 0;
    if (static_cast<uint32_t>(start) > s.documentSize - 1) start = 0;
    if (searchAsHex && !isHexPatternText(s.findText)) {
        // Searching for what such a text decodes to would report a plain
        // "not found" for a string that was never a pattern at all.
        showError(owner, IDS_ERR_INVALID_TEXT, nullptr);
        return 0;
    }

    void* previousCursor = beginWaitCursor();
    uint8_t hexPattern[kHexPatternBufferSize];
    const uint8_t* pattern;
    int32_t length;
    if (searchAsHex) {
        length = hexTextToBytes(s.findText, hexPattern);
        pattern = hexPattern;
    } else {
        length = static_cast<int32_t>(strnlen(s.findText, sizeof s.findText));
        pattern = reinterpret_cast<const uint8_t*>(s.findText);
    }
    int64_t hit = -1;
    if (length > 0) {
        hit = findBytes(s.documentBytes + start, static_cast<int64_t>(s.documentSize) - start, pattern, length);
        if (hit >= 0) hit += start;
    }
    endWaitCursor(previousCursor);
    return settleSearch(s, owner, s.findText, hit, length);
}

int searchPrevious(EditorState& s, WindowRef owner, int searchAsHex) {
    if (!isDocumentLoaded(s) || s.findText[0] == '\0') return 0;
    if (searchAsHex && !isHexPatternText(s.findText)) {
        showError(owner, IDS_ERR_INVALID_TEXT, nullptr);
        return 0;
    }
    // A checked hexadecimal findText has no wildcard and at most 64 digits:
    // the same bytes as find next reads from it.
    SearchPattern pattern;
    parseSearchPattern(s.findText, searchAsHex != 0, true, pattern);
    // Nothing before the first byte: from the end, as find next starts again at 0.
    const int64_t before = s.caretOffset > 0 ? int64_t{s.caretOffset} : int64_t{s.documentSize};
    void* previousCursor = beginWaitCursor();
    const int64_t hit = pattern.length > 0
                            ? findBackward(wholeDocument(s.documentBytes, s.documentSize, false), pattern, before)
                            : -1;
    endWaitCursor(previousCursor);
    return settleSearch(s, owner, s.findText, hit, pattern.length);
}

int searchAfterCaret(EditorState& s, WindowRef owner, int searchAsHex, const char* text) {
    if (text == nullptr || *text == '\0') return 0;
    std::snprintf(s.findText, sizeof s.findText, "%s", text);
    s.repeatOptions = 0;
    return searchFrom(s, owner, searchAsHex, static_cast<int32_t>(static_cast<uint32_t>(s.caretOffset) + 1));
}

int searchNext(EditorState& s, WindowRef owner, int searchAsHex) {
    if (s.findText[0] == '\0') return 0;
    return searchFrom(s, owner, searchAsHex, static_cast<int32_t>(static_cast<uint32_t>(s.foundOffset) + 1));
}

int jumpToAddress(EditorState& s, int32_t value) {
    if (value == s.caretOffset) return 0;
    int32_t last = static_cast<int32_t>(s.documentSize) - 1;
    if (value > last) value = last;
    if (value < 0) value = 0;
    s.caretOffset = value;
    s.caretNibble = 0;
    return 1;
}
