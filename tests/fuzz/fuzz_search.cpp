// findBytes (every scanner) against the plain Boyer-Moore on random data and
// patterns, the search modes (wildcards, letters in either case, whole
// characters; forwards, backwards and find all) against a walk over every
// start, and hexTextToBytes on random texts. Any disagreement aborts.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "document/shift_jis.h"
#include "tools/search.h"
#include "tools/search_query.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    // Byte 0: pattern length; byte 1: how the pattern is made; the rest is the data.
    const int32_t m = data[0] % 80;
    const uint8_t how = data[1];
    std::vector<uint8_t> hay(data + 2, data + size);
    const int32_t n = static_cast<int32_t>(hay.size());
    if ((how & 3) == 0) {
        for (auto& b : hay) b &= 3;  // a tiny alphabet: partial matches everywhere
    }

    std::vector<uint8_t> pattern(static_cast<size_t>(m) + 1);
    if (n >= m && (how & 4)) {
        size_t at = (how >> 3) % static_cast<size_t>(n - m + 1);
        std::memcpy(pattern.data(), hay.data() + at, static_cast<size_t>(m));
    } else {
        for (int32_t j = 0; j < m; ++j) pattern[static_cast<size_t>(j)] = hay.empty() ? 0 : hay[static_cast<size_t>(j) % hay.size()];
        if (m > 0) pattern[static_cast<size_t>(m) - 1] ^= how;
    }

    const int32_t expected = findBytesPlain(hay.data(), n, pattern.data(), m);
    for (ScanKernel k : {ScanKernel::Best, ScanKernel::Avx2, ScanKernel::Sse2, ScanKernel::Plain}) {
        if (findBytesWith(k, hay.data(), n, pattern.data(), m) != expected) std::abort();
    }
    if (expected >= 0 && std::memcmp(hay.data() + expected, pattern.data(), static_cast<size_t>(m)) != 0) std::abort();

    // Bits 5..7 of `how`: wildcard positions, letters in either case, whole characters.
    if (m > 0 && m <= kMaxQueryBytes) {
        SearchPattern p{};
        p.length = m;
        for (int32_t j = 0; j < m; ++j) {
            const uint8_t b = pattern[static_cast<size_t>(j)];
            const bool letter = (b | 0x20) >= 'a' && (b | 0x20) <= 'z';
            p.ignore[j] = (how & 0x20) && (b & 7) == 0 ? 0xFF : (how & 0x40) && letter ? 0x20 : 0;
            p.value[j] = static_cast<uint8_t>(b | p.ignore[j]);
        }
        const SearchScope scope = wholeDocument(hay.data(), n, (how & 0x80) != 0);
        std::vector<int64_t> starts;
        for (int64_t i = 0; i + m <= n; ++i) {
            const bool onCharacters = !scope.wholeChars || (isCharacterStart(hay.data(), hay.size(), i) &&
                                                            isCharacterStart(hay.data(), hay.size(), i + m));
            if (onCharacters && patternMatchesAt(hay.data() + i, p)) starts.push_back(i);
        }
        const int64_t from = n == 0 ? 0 : (how * 7919) % (n + 1);
        int64_t first = -1, last = -1;
        for (int64_t i : starts) {
            if (i >= from && first < 0) first = i;
            if (i < from) last = i;
        }
        std::vector<uint32_t> all, found;
        for (int64_t i : starts) if (all.empty() || i >= int64_t{all.back()} + m) all.push_back(static_cast<uint32_t>(i));
        for (ScanKernel k : {ScanKernel::Avx2, ScanKernel::Sse2, ScanKernel::Plain}) {
            setQueryKernel(k);
            if (findForward(scope, p, from) != first || findBackward(scope, p, from) != last) std::abort();
            found.clear();
            findAllMatches(scope, p, found);
            if (found != all) std::abort();
        }
        setQueryKernel(ScanKernel::Best);
    }

    // The same bytes as a search text.
    char text[80];
    size_t t = size - 1 < sizeof text - 1 ? size - 1 : sizeof text - 1;
    std::memcpy(text, data + 1, t);
    text[t] = '\0';
    uint8_t out[kHexPatternBufferSize + 1];
    out[kHexPatternBufferSize] = 0xA5;
    int count = hexTextToBytes(text, out);
    if (count < 0 || count > kMaxHexPatternBytes || out[count] != 0 || out[kHexPatternBufferSize] != 0xA5) std::abort();
    return 0;
}
