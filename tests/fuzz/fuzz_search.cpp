// findBytes (every scanner) against the plain Boyer-Moore on random data and
// patterns, and hexTextToBytes on random texts. Any disagreement aborts.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tools/search.h"

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
