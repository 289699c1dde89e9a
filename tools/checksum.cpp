#include "tools/checksum.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

// MOXEL_SCALAR leaves out the carry-less multiply path (see tools/search.cpp).
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__)) && !defined(MOXEL_SCALAR)
#define MOXEL_CRC_CLMUL 1
#include <immintrin.h>
#endif

namespace {

constexpr uint32_t kPolynomial = 0xEDB88320u;

// Slicing by eight: table k gives the CRC of a byte followed by k zero bytes,
// so eight bytes take eight lookups and no dependency between them.
struct CrcTables {
    uint32_t t[8][256];
};

constexpr CrcTables makeCrcTables() {
    CrcTables tables{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) != 0 ? (c >> 1) ^ kPolynomial : c >> 1;
        tables.t[0][i] = c;
    }
    for (int k = 1; k < 8; ++k)
        for (int i = 0; i < 256; ++i) {
            const uint32_t previous = tables.t[k - 1][i];
            tables.t[k][i] = (previous >> 8) ^ tables.t[0][previous & 0xFF];
        }
    return tables;
}

constexpr CrcTables kCrc = makeCrcTables();

inline uint32_t load32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

// `c` is the running register (the CRC inverted).
uint32_t crcTables(uint32_t c, const uint8_t* p, size_t n) {
    const auto& t = kCrc.t;
    for (; n >= 8; n -= 8, p += 8) {
        const uint32_t a = load32(p) ^ c;
        const uint32_t b = load32(p + 4);
        c = t[7][a & 0xFF] ^ t[6][(a >> 8) & 0xFF] ^ t[5][(a >> 16) & 0xFF] ^ t[4][a >> 24] ^ t[3][b & 0xFF] ^
            t[2][(b >> 8) & 0xFF] ^ t[1][(b >> 16) & 0xFF] ^ t[0][b >> 24];
    }
    for (; n > 0; --n, ++p) c = (c >> 8) ^ t[0][(c ^ *p) & 0xFF];
    return c;
}

#ifdef MOXEL_CRC_CLMUL

// Folding with carry-less multiplication (Intel's "Fast CRC computation for
// generic polynomials using PCLMULQDQ"): four 128-bit lanes are folded 64
// bytes ahead at a time, then into one lane, then reduced to 32 bits with a
// Barrett step. The constants are powers of x modulo the polynomial, bit-reflected.
#define MOXEL_CLMUL __attribute__((target("pclmul,sse2")))

MOXEL_CLMUL inline __m128i load128(const uint8_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }

// x times the two constants of k, folded onto the next 128 bits.
MOXEL_CLMUL inline __m128i fold(__m128i x, __m128i k, __m128i next) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)), next);
}

// `n` is at least 64 and a multiple of 16.
MOXEL_CLMUL uint32_t crcFolded(uint32_t c, const uint8_t* p, size_t n) {
    const __m128i k1k2 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);
    const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
    const __m128i k5 = _mm_set_epi64x(0, 0x0163cd6124);
    const __m128i poly = _mm_set_epi64x(0x01f7011641, 0x01db710641);
    const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);

    __m128i x1 = _mm_xor_si128(load128(p), _mm_cvtsi32_si128(static_cast<int>(c)));
    __m128i x2 = load128(p + 16);
    __m128i x3 = load128(p + 32);
    __m128i x4 = load128(p + 48);
    p += 64;
    n -= 64;
    for (; n >= 64; n -= 64, p += 64) {
        x1 = fold(x1, k1k2, load128(p));
        x2 = fold(x2, k1k2, load128(p + 16));
        x3 = fold(x3, k1k2, load128(p + 32));
        x4 = fold(x4, k1k2, load128(p + 48));
    }
    x1 = fold(x1, k3k4, x2);
    x1 = fold(x1, k3k4, x3);
    x1 = fold(x1, k3k4, x4);
    for (; n >= 16; n -= 16, p += 16) x1 = fold(x1, k3k4, load128(p));

    // 128 bits to 64, then to 32 with the Barrett reduction.
    __m128i x2r = _mm_clmulepi64_si128(x1, k3k4, 0x10);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2r);
    x2r = _mm_srli_si128(x1, 4);
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low32), k5, 0x00), x2r);
    __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), poly, 0x10);
    t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), poly, 0x00);
    x1 = _mm_xor_si128(x1, t);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(x1, 4)));
}

bool haveClmul() {
    static const bool have = (__builtin_cpu_init(), __builtin_cpu_supports("pclmul"));
    return have;
}

#endif  // MOXEL_CRC_CLMUL

}  // namespace

uint32_t crc32Update(uint32_t crc, const uint8_t* data, size_t count) {
    uint32_t c = ~crc;
    if (data == nullptr) return crc;
#ifdef MOXEL_CRC_CLMUL
    if (count >= 64 && haveClmul()) {
        const size_t folded = count & ~static_cast<size_t>(15);
        c = crcFolded(c, data, folded);
        data += folded;
        count -= folded;
    }
#endif
    return ~crcTables(c, data, count);
}

void crc32Digest(uint32_t crc, uint8_t* out) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
}

void digestText(const uint8_t* digest, int length, char* out) {
    static const char digits[] = "0123456789ABCDEF";
    for (int i = 0; i < length; ++i) {
        *out++ = digits[digest[i] >> 4];
        *out++ = digits[digest[i] & 15];
    }
    *out = '\0';
}

namespace {

// Time per byte of each digest, relative, as measured under Wine (whose
// system digests are plain C): the CRC-32 with carry-less multiplication is
// next to free, SHA-256 takes longer than MD5 and SHA-1 together.
constexpr unsigned kDigestCost[kDigestCount] = {1, 19, 19, 63};

}  // namespace

std::vector<unsigned> shareDigests(unsigned which, unsigned threads) {
    int order[kDigestCount];
    int count = 0;
    for (int d = 0; d < kDigestCount; ++d) {
        if ((which & (1u << d)) != 0) order[count++] = d;
    }
    std::stable_sort(order, order + count, [](int a, int b) { return kDigestCost[a] > kDigestCost[b]; });
    const size_t shares = std::min<size_t>(std::max(threads, 1u), static_cast<size_t>(count));
    std::vector<unsigned> bits(shares, 0), cost(shares, 0);
    // The slowest first, each to the share that is shortest so far.
    for (int i = 0; i < count; ++i) {
        const size_t to = static_cast<size_t>(std::min_element(cost.begin(), cost.end()) - cost.begin());
        bits[to] |= 1u << order[i];
        cost[to] += kDigestCost[order[i]];
    }
    return bits;
}

PassOutcome feedInParallel(const uint8_t* data, size_t count, const std::vector<PieceSink>& sinks,
                           const ProgressStep& step, size_t pieceBytes, unsigned stepMs) {
    std::atomic<bool> stop{false}, failed{false};
    std::atomic<uint64_t> done{0};
    std::mutex mutex;
    std::condition_variable finishedOne;
    size_t finished = 0;
    auto work = [&](const PieceSink& sink) {
        for (size_t at = 0; at < count && !stop.load(std::memory_order_relaxed);) {
            const size_t n = std::min(pieceBytes, count - at);
            if (!sink(data + at, n)) {
                failed = true;
                stop = true;
            }
            at += n;
            done.fetch_add(n, std::memory_order_relaxed);
        }
        const std::lock_guard<std::mutex> lock(mutex);
        ++finished;
        finishedOne.notify_one();
    };

    std::vector<std::thread> threads;
    threads.reserve(sinks.size());
    for (const PieceSink& sink : sinks) {
        try {
            threads.emplace_back(work, std::cref(sink));
        } catch (const std::system_error&) {
            failed = true;
            stop = true;
            break;
        }
    }
    const uint64_t total = static_cast<uint64_t>(count) * sinks.size();
    bool cancelled = false;
    std::unique_lock<std::mutex> lock(mutex);
    while (finished < threads.size()) {
        finishedOne.wait_for(lock, std::chrono::milliseconds(stepMs));
        if (finished == threads.size() || stop) continue;
        // Not under the lock: the step handles the window's messages.
        lock.unlock();
        if (!keepGoing(step, done.load(std::memory_order_relaxed), total)) {
            cancelled = true;
            stop = true;
        }
        lock.lock();
    }
    lock.unlock();
    for (std::thread& t : threads) t.join();
    if (failed) return PassOutcome::Failed;
    return cancelled ? PassOutcome::Cancelled : PassOutcome::Done;
}
