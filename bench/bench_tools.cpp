// Throughput of the search and compare routines against the C library and
// the cmp command, measured in the same run. Prints figures; asserts nothing
// about time.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tools/compare.h"
#include "tools/search.h"
#include "tools/search_query.h"

namespace {

constexpr size_t kSize = 64u << 20;

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Best of a few runs, in seconds.
template <class F>
double bestOf(int runs, F&& f) {
    double best = 1e9;
    for (int r = 0; r < runs; ++r) {
        auto t0 = std::chrono::steady_clock::now();
        f();
        double s = seconds(std::chrono::steady_clock::now() - t0);
        if (s < best) best = s;
    }
    return best;
}

// Best times of two routines measured in turns, each going first every other
// time, so that clock ramps and neighbours' load hit both alike.
template <class F, class G>
std::pair<double, double> bestOfPair(int runs, F&& f, G&& g) {
    double a = 1e9, b = 1e9;
    for (int r = 0; r < runs; ++r) {
        if (r % 2 == 0) a = std::min(a, bestOf(1, f));
        b = std::min(b, bestOf(1, g));
        if (r % 2 != 0) a = std::min(a, bestOf(1, f));
    }
    return {a, b};
}

double gbps(size_t bytes, double s) { return static_cast<double>(bytes) / s / 1e9; }

volatile int64_t sink;

// Random bytes except `missing`, or lower-case text with spaces (many partial matches).
std::vector<uint8_t> makeData(bool text, uint8_t missing) {
    std::vector<uint8_t> d(kSize);
    std::mt19937_64 rng(42);
    for (size_t i = 0; i < kSize; i += 8) {
        uint64_t r = rng();
        for (int k = 0; k < 8; ++k, r >>= 8) {
            uint8_t b = static_cast<uint8_t>(r);
            if (text) b = (b % 27 == 26) ? ' ' : static_cast<uint8_t>('a' + b % 27 % 26);
            if (b == missing) b ^= 1;
            d[i + static_cast<size_t>(k)] = b;
        }
    }
    return d;
}

void benchSearch(const char* name, bool text) {
    const uint8_t missing = text ? 'Z' : 0xFF;
    std::vector<uint8_t> data = makeData(text, missing);
    std::printf("\nsearch, %s, %zu MiB\n", name, kSize >> 20);
    std::printf("  %-4s %-8s %10s %10s %7s\n", "m", "case", "findBytes", "memmem", "ratio");
    for (int m : {1, 4, 16, 64}) {
        // Ordinary bytes around one that the data lacks, so the pattern cannot
        // occur by chance while its first and last bytes stay common.
        std::vector<uint8_t> pattern(data.begin() + 1000, data.begin() + 1000 + m);
        pattern[static_cast<size_t>(m / 2)] = missing;
        for (bool present : {true, false}) {
            const size_t at = kSize - 4096;
            std::vector<uint8_t> saved(data.begin() + static_cast<long>(at), data.begin() + static_cast<long>(at) + m);
            if (present) std::memcpy(data.data() + at, pattern.data(), static_cast<size_t>(m));
            int64_t expect = present ? static_cast<int64_t>(at) : -1;
            int64_t ours = findBytes(data.data(), static_cast<int64_t>(kSize), pattern.data(), m);
            const void* hit = memmem(data.data(), kSize, pattern.data(), static_cast<size_t>(m));
            int64_t theirs = hit ? static_cast<const uint8_t*>(hit) - data.data() : -1;
            if (ours != expect || theirs != expect) {
                std::printf("  MISMATCH m=%d: findBytes %lld memmem %lld expected %lld\n", m,
                            static_cast<long long>(ours), static_cast<long long>(theirs), static_cast<long long>(expect));
            }
            auto [a, b] = bestOfPair(
                5, [&] { sink = findBytes(data.data(), static_cast<int64_t>(kSize), pattern.data(), m); },
                [&] { sink = memmem(data.data(), kSize, pattern.data(), static_cast<size_t>(m)) != nullptr; });
            std::printf("  %-4d %-8s %7.2f GB/s %5.2f GB/s %6.2fx\n", m, present ? "at end" : "absent", gbps(kSize, a),
                        gbps(kSize, b), b / a);
            std::memcpy(data.data() + at, saved.data(), static_cast<size_t>(m));
        }
    }
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& d, size_t n) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    bool ok = ::write(fd, d.data(), n) == static_cast<ssize_t>(n);
    return ::close(fd) == 0 && ok;
}

// `cmp -l` writing every difference. Its output goes through a pipe: GNU cmp
// notices a stdout of /dev/null and stops at the first difference.
double timeCmp(const std::string& a, const std::string& b) {
    std::string cmd = "cmp -l " + a + " " + b + " | cat > /dev/null";
    return bestOf(2, [&] {
        if (std::system(cmd.c_str()) == -1) std::printf("  cmp could not be run\n");
    });
}

void benchCompare() {
    std::vector<uint8_t> a(kSize);
    std::mt19937_64 rng(9);
    for (size_t i = 0; i < kSize; i += 8) {
        uint64_t r = rng();
        std::memcpy(a.data() + i, &r, 8);
    }
    std::vector<uint8_t> b = a;
    const std::string dir = "/tmp/moxel-bench-" + std::to_string(::getpid());
    const std::string fa = dir + "-a", fb = dir + "-b";

    std::printf("\ncompare, differing offsets vs cmp -l\n");
    struct Case {
        const char* name;
        size_t size;
        unsigned everyNth;
    } cases[] = {{"1% differ", kSize, 100}, {"100% differ", kSize / 4, 1}};
    for (const Case& c : cases) {
        for (size_t i = 0; i < kSize; i += c.everyNth) b[i] = static_cast<uint8_t>(a[i] ^ 0x5A);
        if (!writeFile(fa, a, c.size) || !writeFile(fb, b, c.size)) {
            std::printf("  cannot write the files in /tmp\n");
            return;
        }
        size_t count = 0;
        double ours = bestOf(5, [&] {
            count = differingOffsets(a.data(), static_cast<uint32_t>(c.size), b.data(), static_cast<uint32_t>(c.size)).size();
        });
        double cmp = timeCmp(fa, fb);
        std::printf("  %-12s %4zu MiB: %zu offsets, ours %.2f GB/s (%.1f ms), cmp -l %.3f GB/s, ratio %.1fx\n", c.name,
                    c.size >> 20, count, gbps(c.size, ours), ours * 1e3, gbps(c.size, cmp), cmp / ours);
        b = a;
    }
    ::unlink(fa.c_str());
    ::unlink(fb.c_str());

    size_t count = 1;
    auto [ours, base] = bestOfPair(
        5, [&] { count = differingOffsets(a.data(), kSize, b.data(), kSize).size(); },
        [&] { sink = std::memcmp(a.data(), b.data(), kSize); });
    std::printf("  identical    %4zu MiB: %zu offsets, ours %.2f GB/s, memcmp %.2f GB/s, %.2fx of memcmp\n", kSize >> 20,
                count, gbps(kSize, ours), gbps(kSize, base), base / ours);
}

// Random bytes in which `missing` never occurs (0 stands in its place).
std::vector<uint8_t> randomBytesWithout(size_t size, uint8_t missing, uint64_t seed) {
    std::vector<uint8_t> data(size);
    std::mt19937_64 rng(seed);
    for (size_t i = 0; i < size; i += 8) {
        uint64_t r = rng();
        for (int k = 0; k < 8; ++k, r >>= 8) {
            data[i + static_cast<size_t>(k)] = static_cast<uint8_t>(r) == missing ? 0 : static_cast<uint8_t>(r);
        }
    }
    return data;
}

// The search modes beside the plain search of the same pattern, on 256 MiB
// of random bytes: find previous of a pattern near the start against find
// next of it at the end, and letters in either case and a "??" byte against
// the exact pattern (each pattern holds one byte the data lacks).
void benchSearchModes() {
    constexpr size_t kModeSize = 256u << 20;
    constexpr uint8_t missing = 0xFE;
    std::vector<uint8_t> data = randomBytesWithout(kModeSize, missing, 7);
    const int64_t n = static_cast<int64_t>(kModeSize);
    std::printf("\nsearch modes, random bytes, %zu MiB (best of 5, in turns)\n", kModeSize >> 20);
    std::printf("  %-4s %-34s %10s %10s %7s\n", "m", "mode", "mode", "plain", "ratio");
    for (int m : {1, 4, 16}) {
        std::string text(static_cast<size_t>(m), 'q');
        text[0] = 'A';
        text[static_cast<size_t>(m - 1)] = 'z';
        text[static_cast<size_t>(m / 2)] = static_cast<char>(missing);
        if (m == 1) text = std::string(1, static_cast<char>(missing));
        char hex[3 * 16 + 1] = "";
        for (int j = 0; j < m; ++j) {
            std::snprintf(hex + 3 * j, 4, j == 1 && m > 1 ? "?? " : "%02X ", static_cast<uint8_t>(text[static_cast<size_t>(j)]));
        }
        SearchPattern exact, folded, wild;
        parseSearchPattern(text.c_str(), false, true, exact);
        parseSearchPattern(text.c_str(), false, false, folded);
        parseSearchPattern(hex, true, true, wild);
        const SearchScope scope = wholeDocument(data.data(), n, false);
        auto plant = [&](int64_t at) { std::memcpy(data.data() + at, text.data(), static_cast<size_t>(m)); };
        auto clear = [&](int64_t at) { std::memset(data.data() + at, 0, static_cast<size_t>(m)); };

        struct Row {
            const char* name;
            const SearchPattern* pattern;
            bool backward;
        };
        const Row rows[] = {{"find previous (near start) / next", &exact, true},
                            {"letters in either case / exact", &folded, false},
                            {"a ?? byte / exact", &wild, false}};
        for (const Row& row : rows) {
            if (m == 1 && row.pattern != &exact) continue;  // one byte: no letter, no wildcard beside it
            const int64_t at = row.backward ? 100 : n - m;
            plant(n - m);
            plant(100);
            int64_t mode = row.backward ? findBackward(scope, *row.pattern, n - m) : findForward(scope, *row.pattern, 101);
            int64_t plain = findForward(scope, exact, 101);
            if (mode != at || plain != n - m) {
                std::printf("  MISMATCH m=%d %s: %lld %lld\n", m, row.name, static_cast<long long>(mode),
                            static_cast<long long>(plain));
            }
            auto [a, b] = bestOfPair(
                5,
                [&] { sink = row.backward ? findBackward(scope, *row.pattern, n - m) : findForward(scope, *row.pattern, 101); },
                [&] { sink = findForward(scope, exact, 101); });
            std::printf("  %-4d %-34s %5.2f GB/s %5.2f GB/s %6.2fx\n", m, row.name, gbps(kModeSize, a),
                        gbps(kModeSize, b), b / a);
            clear(n - m);
            clear(100);
        }
    }
}

// Searching by value and UTF text beside the hexadecimal search of the same
// bytes, planted at the end of 256 MiB of random bytes (short patterns hold
// a byte the data lacks, so that no chance match ends the search early).
void benchSearchKinds() {
    constexpr size_t kKindSize = 256u << 20;
    std::vector<uint8_t> data = randomBytesWithout(kKindSize, 0xFE, 11);
    double d;
    const uint64_t bits = 0x4012FE3456789ABCull;
    std::memcpy(&d, &bits, sizeof d);
    char float64Text[40];
    std::snprintf(float64Text, sizeof float64Text, "%.17g", d);
    const auto kind = [](SearchKind k, uint32_t more = 0) { return withSearchKind(searchByKind | more, k); };
    const struct {
        const char* name;
        std::string text;
        uint32_t options;
    } rows[] = {
        {"int32", std::to_string(0x3456FE12), kind(SearchKind::int32, searchMatchCase)},
        {"uint16 big endian", std::to_string(0xFE12), kind(SearchKind::uint16, searchBigEndian | searchMatchCase)},
        {"float64", float64Text, kind(SearchKind::float64, searchMatchCase)},
        {"UTF-16LE, either case", "Moxel", kind(SearchKind::utf16le)},
        {"UTF-16BE, case kept", "Moxel", kind(SearchKind::utf16be, searchMatchCase)},
        {"UTF-8, either case", "hex \xE6\xA4\x9C\xE7\xB4\xA2", kind(SearchKind::utf8)},
    };
    const int64_t n = static_cast<int64_t>(kKindSize);
    const SearchScope scope = wholeDocument(data.data(), n, false);
    std::printf("\nsearch by kind, random bytes, %zu MiB, beside hex of the same bytes (best of 15, in turns)\n",
                kKindSize >> 20);
    std::printf("  %-24s %3s %10s %10s %7s\n", "kind", "m", "kind", "hex", "ratio");
    for (const auto& row : rows) {
        SearchPattern byKind, hex;
        const int m = parseQueryPattern(row.text.c_str(), row.options, byKind);
        std::string hexText;
        for (int j = 0; j < m; ++j) {
            char pair[4];
            std::snprintf(pair, sizeof pair, "%02X ", byKind.value[j]);  // a folded letter as its lower case
            hexText += pair;
        }
        parseSearchPattern(hexText.c_str(), true, true, hex);
        std::memcpy(data.data() + n - m, hex.value, static_cast<size_t>(m));
        if (m <= 0 || findForward(scope, byKind, 0) != n - m || findForward(scope, hex, 0) != n - m) {
            std::printf("  MISMATCH %s\n", row.name);
            continue;
        }
        auto [a, b] = bestOfPair(
            15, [&] { sink = findForward(scope, byKind, 0); }, [&] { sink = findForward(scope, hex, 0); });
        std::printf("  %-24s %3d %5.2f GB/s %5.2f GB/s %6.2fx\n", row.name, m, gbps(kKindSize, a), gbps(kKindSize, b),
                    b / a);
        std::memset(data.data() + n - m, 0, static_cast<size_t>(m));
    }
}

}  // namespace

int main() {
    benchSearchModes();
    benchSearchKinds();
    benchSearch("random bytes", false);
    benchSearch("lower-case text", true);
    benchCompare();
    return 0;
}
