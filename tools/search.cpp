#include "tools/search.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include "resource_ids.h"
#include "tools/search_query.h"
#include "tools/value_parse.h"

// MOXEL_SCALAR leaves out the vector scanners, so that the plain one is what
// every kernel choice runs and the tests reach it on any machine.
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__)) && !defined(MOXEL_SCALAR)
#define MOXEL_SEARCH_X86 1
#include <immintrin.h>
#endif

int readHexPairs(const char* text, int maxDigits, bool stopAtLimit, bool wildcards, uint8_t* value,
                 uint8_t* ignore) {
    if (text == nullptr) return -1;
    // Checked and counted first, so that an invalid text writes nothing.
    int count = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == ' ') continue;
        if (count == maxDigits) {
            if (stopAtLimit) break;
            return -1;
        }
        if (hexDigitValue(*p) < 0 && !(wildcards && *p == '?')) return -1;
        ++count;
    }
    if (count % 2 != 0) return -1;
    if (value == nullptr) return count / 2;
    const char* p = text;
    for (int i = 0; i < count / 2; ++i) {
        uint8_t pair = 0;
        uint8_t wild = 0;
        for (const int shift : {4, 0}) {
            while (*p == ' ') ++p;
            const int digit = hexDigitValue(*p++);
            const uint8_t bits = static_cast<uint8_t>(0x0F << shift);
            if (digit < 0) wild |= bits;  // a '?': its nibble holds the ignored bits
            pair |= digit < 0 ? bits : static_cast<uint8_t>(digit << shift);
        }
        value[i] = pair;
        if (ignore != nullptr) ignore[i] = wild;
    }
    return count / 2;
}

int hexTextToBytes(const char* text, uint8_t* out) {
    if (out == nullptr) return 0;
    int n = readHexPairs(text, 2 * kMaxHexPatternBytes, true, false, out, nullptr);
    if (n < 0) n = 0;
    out[n] = 0;
    return n;
}

bool isHexPatternText(const char* text) {
    return readHexPairs(text, INT_MAX, false, false, nullptr, nullptr) >= 0;
}

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
