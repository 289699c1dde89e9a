#include "tools/search_query.h"

#include <cstring>

#include "document/shift_jis.h"
#include "tools/search.h"

// MOXEL_SCALAR leaves out the vector scanners (see search.cpp).
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__)) && !defined(MOXEL_SCALAR)
#define MOXEL_QUERY_X86 1
#include <immintrin.h>
#endif

namespace {

bool isAsciiLetter(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

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

#ifdef MOXEL_QUERY_X86

#define MOXEL_TARGET(x) __attribute__((target(x)))

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

#endif  // MOXEL_QUERY_X86

ScanKernel chosenKernel = ScanKernel::Best;

using Scanner = int64_t (*)(const uint8_t*, int64_t, int64_t, const Anchors&);

struct Scanners {
    Scanner next, prev;
};

Scanners scanners() {
#ifdef MOXEL_QUERY_X86
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

// The matches of one search, in the order it asks for them, filtered by the
// character rule.
class MatchWalker {
public:
    MatchWalker(const SearchScope& scope, const SearchPattern& pattern)
        : scope_(scope), pattern_(pattern), starts_(scope.bytes, scope.size), scan_(scanners()) {
        exact_ = isExact(pattern);
        wildOnly_ = !chooseAnchors(pattern, anchors_);
    }

    // The first acceptable match starting in [lo, hi], or -1.
    int64_t first(int64_t lo, int64_t hi) {
        while (lo <= hi) {
            int64_t i = rawFirst(lo, hi);
            if (i < 0 || accepted(i)) return i;
            lo = i + 1;
        }
        return -1;
    }

    // The last acceptable match starting in [lo, hi], or -1.
    int64_t last(int64_t lo, int64_t hi) {
        while (lo <= hi) {
            int64_t i = rawLast(lo, hi);
            if (i < 0 || accepted(i)) return i;
            hi = i - 1;
        }
        return -1;
    }

private:
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

int parseSearchPattern(const char* text, bool hex, bool matchCase, SearchPattern& out) {
    std::memset(&out, 0, sizeof out);
    if (text == nullptr) return 0;
    if (hex) {
        int n = readHexPairs(text, 2 * kMaxQueryBytes, false, true, out.value, out.ignore);
        out.length = n < 0 ? 0 : n;
        return n;
    }
    const auto* t = reinterpret_cast<const uint8_t*>(text);
    const size_t n = strnlen(text, kMaxQueryBytes + 1);
    if (n > static_cast<size_t>(kMaxQueryBytes)) return -1;
    for (size_t i = 0; i < n; ++i) {
        out.value[i] = t[i];
        if (isShiftJisLead(t[i]) && i + 1 < n) {
            out.value[i + 1] = t[i + 1];  // a trail byte is never folded
            ++i;
        } else if (!matchCase && isAsciiLetter(t[i])) {
            out.ignore[i] = 0x20;
            out.value[i] = static_cast<uint8_t>(t[i] | 0x20);
        }
    }
    out.length = static_cast<int32_t>(n);
    return out.length;
}

int parseReplacement(const char* text, bool hex, uint8_t* out) {
    if (text == nullptr || out == nullptr) return 0;
    if (hex) return readHexPairs(text, 2 * kMaxQueryBytes, false, false, out, nullptr);
    const size_t n = strnlen(text, kMaxQueryBytes + 1);
    if (n > static_cast<size_t>(kMaxQueryBytes)) return -1;
    std::memcpy(out, text, n);
    return static_cast<int>(n);
}

bool patternMatchesAt(const uint8_t* p, const SearchPattern& pattern) {
    for (int32_t j = 0; j < pattern.length; ++j) {
        if ((p[j] | pattern.ignore[j]) != pattern.value[j]) return false;
    }
    return true;
}

SearchScope wholeDocument(const uint8_t* bytes, int64_t size, bool wholeChars) {
    return SearchScope{bytes, size, 0, size, wholeChars};
}

int64_t findForward(const SearchScope& scope, const SearchPattern& pattern, int64_t from) {
    int64_t lo, hi;
    if (!startRange(scope, pattern, lo, hi)) return -1;
    if (from > lo) lo = from;
    if (lo > hi) return -1;
    return MatchWalker(scope, pattern).first(lo, hi);
}

int64_t findBackward(const SearchScope& scope, const SearchPattern& pattern, int64_t before) {
    int64_t lo, hi;
    if (!startRange(scope, pattern, lo, hi)) return -1;
    if (before - 1 < hi) hi = before - 1;
    if (lo > hi) return -1;
    return MatchWalker(scope, pattern).last(lo, hi);
}

void findAllMatches(const SearchScope& scope, const SearchPattern& pattern, std::vector<uint32_t>& out) {
    int64_t lo, hi;
    if (!startRange(scope, pattern, lo, hi)) return;
    MatchWalker walker(scope, pattern);
    for (int64_t i = walker.first(lo, hi); i >= 0; i = walker.first(i + pattern.length, hi)) {
        out.push_back(static_cast<uint32_t>(i));
    }
}

void setQueryKernel(ScanKernel kernel) { chosenKernel = kernel; }
