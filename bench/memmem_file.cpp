// The C library's memmem over a whole file: the baseline that the search
// benchmark of the Windows program (bench/win/search_bench_win.cpp) runs
// beside its own figures, since the Windows C library has no memmem.
//
//   memmem_file FILE HEXPATTERN [RUNS [OUTFILE]]
//
// Reads the file into memory, then prints (or writes to OUTFILE: a Unix
// program started under Wine writes into no Windows pipe, and its end cannot
// be waited for) the best time of memmem and of the core's findBytes over it,
// with the offset each found.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/search.h"
#include "tools/value_parse.h"

namespace {

template <class F>
double bestOf(int runs, F&& f) {
    double best = 1e9;
    for (int r = 0; r < runs; ++r) {
        auto t0 = std::chrono::steady_clock::now();
        f();
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (s < best) best = s;
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: memmem_file FILE HEXPATTERN [RUNS [OUTFILE]]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::atoi(argv[3]) : 5;
    uint8_t pattern[kHexPatternBufferSize];
    const int m = hexTextToBytes(argv[2], pattern);
    if (m <= 0) {
        std::fprintf(stderr, "not a hexadecimal pattern: %s\n", argv[2]);
        return 2;
    }

    int fd = ::open(argv[1], O_RDONLY);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<uint8_t> data(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (done < data.size()) {
        ssize_t got = ::read(fd, data.data() + done, data.size() - done);
        if (got <= 0) break;
        done += static_cast<size_t>(got);
    }
    ::close(fd);
    if (done != data.size()) {
        std::fprintf(stderr, "short read of %s\n", argv[1]);
        return 1;
    }

    volatile const void* hit = nullptr;
    volatile int64_t found = -1;
    const double memmemTime = bestOf(runs, [&] { hit = memmem(data.data(), data.size(), pattern, static_cast<size_t>(m)); });
    const double oursTime =
        bestOf(runs, [&] { found = findBytes(data.data(), static_cast<int64_t>(data.size()), pattern, m); });
    const long long memmemAt = hit ? static_cast<const uint8_t*>(const_cast<const void*>(hit)) - data.data() : -1;
    if (argc <= 4) {
        std::printf("%.6f %lld %.6f %lld\n", memmemTime, memmemAt, oursTime, static_cast<long long>(found));
        return 0;
    }
    // Written aside and renamed: the caller under Wine cannot wait for this
    // process and watches for the file instead.
    const std::string part = std::string(argv[4]) + ".part";
    FILE* out = std::fopen(part.c_str(), "w");
    if (out == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", part.c_str());
        return 1;
    }
    std::fprintf(out, "%.6f %lld %.6f %lld\n", memmemTime, memmemAt, oursTime, static_cast<long long>(found));
    if (std::fclose(out) != 0 || std::rename(part.c_str(), argv[4]) != 0) return 1;
    return 0;
}
