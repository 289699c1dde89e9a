// Opening and saving a large file in the real program path, against plain
// reads and writes of the same bytes measured in the same run.
//
//   bench_open_save [MiB]      (default 256)
//
// (a) openFile in a real frame until the first screen is painted, against
//     CreateFile + one ReadFile into fresh VirtualAlloc and malloc memory;
// (b) saveDocument, against one WriteFile of a new file (with and without
//     FlushFileBuffers, since the save flushes before it replaces).
// Prints times, ratios and the peak working set. No assertions: figures only.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "document/save.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/startup_win.h"
#include "bench_support_win.h"

namespace {

using bench::best;
using bench::memory;
using bench::mib;
using bench::now;
using bench::pump;

constexpr int kRuns = 3;

bool writeNewFile(const std::string& path, const uint8_t* data, DWORD size, bool flush) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(h, data, size, &written, nullptr) && written == size;
    if (ok && flush) ok = FlushFileBuffers(h) != 0;
    CloseHandle(h);
    return ok;
}

// CreateFile + one ReadFile into memory from `allocate`; the seconds taken.
template <typename Allocate, typename Release>
double plainRead(const std::string& path, DWORD size, Allocate allocate, Release release) {
    double t0 = now();
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return -1;
    auto* buffer = static_cast<uint8_t*>(allocate(static_cast<size_t>(size) + kSpareBytes));
    DWORD got = 0;
    BOOL ok = buffer != nullptr && ReadFile(h, buffer, size, &got, nullptr) && got == size;
    CloseHandle(h);
    double t = now() - t0;
    if (buffer != nullptr) release(buffer);
    return ok ? t : -1;
}

void dropDocument() {
    std::free(editorState->documentBytes);
    editorState->documentBytes = nullptr;
    editorState->documentSize = 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bench::PrivateSettings privateSettings;
    DWORD sizeMiB = argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 256;
    if (sizeMiB == 0 || sizeMiB > 3000) sizeMiB = 256;
    const DWORD size = sizeMiB << 20;

    char tempDir[MAX_PATH];
    GetTempPathA(sizeof tempDir, tempDir);
    const std::string source = std::string(tempDir) + "moxel_bench_open.bin";
    const std::string saved = std::string(tempDir) + "moxel_bench_saved.bin";
    const std::string plain = std::string(tempDir) + "moxel_bench_plain.bin";

    if (!bench::writeRandomFile(source, size)) {
        std::printf("cannot write %s\n", source.c_str());
        return 1;
    }

    if (!bench::openFrame()) return 1;
    const PROCESS_MEMORY_COUNTERS before = memory();

    // (a) open until painted
    std::vector<double> openTimes;
    SIZE_T peakAfterOpen = 0;
    for (int run = 0; run < kRuns; ++run) {
        if (editorState->documentBytes != nullptr) dropDocument();
        double t0 = now();
        int ok = openFile(mainWindow, source.c_str(), 0);
        UpdateWindow(mainWindow);
        UpdateWindow(win().viewWindow);
        double t = now() - t0;
        if (!ok) {
            std::printf("openFile failed\n");
            return 1;
        }
        openTimes.push_back(t);
        pump();
        if (run == 0) peakAfterOpen = memory().PeakWorkingSetSize;
    }

    std::vector<double> virtualTimes, mallocTimes;
    for (int run = 0; run < kRuns; ++run) {
        virtualTimes.push_back(plainRead(
            source, size,
            [](size_t n) { return VirtualAlloc(nullptr, n, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE); },
            [](void* p) { VirtualFree(p, 0, MEM_RELEASE); }));
        mallocTimes.push_back(plainRead(source, size, [](size_t n) { return std::malloc(n); },
                                        [](void* p) { std::free(p); }));
    }

    // (b) save
    std::vector<double> saveTimes, writeTimes, writeFlushTimes;
    for (int run = 0; run < kRuns; ++run) {
        DeleteFileA(saved.c_str());
        double t0 = now();
        int ok = saveDocument(*editorState, mainWindow, saved.c_str());
        saveTimes.push_back(now() - t0);
        if (!ok) {
            std::printf("saveDocument failed\n");
            return 1;
        }
        DeleteFileA(plain.c_str());
        t0 = now();
        writeNewFile(plain, editorState->documentBytes, size, false);
        writeTimes.push_back(now() - t0);
        DeleteFileA(plain.c_str());
        t0 = now();
        writeNewFile(plain, editorState->documentBytes, size, true);
        writeFlushTimes.push_back(now() - t0);
    }
    const PROCESS_MEMORY_COUNTERS after = memory();

    const double open = best(openTimes), readVirtual = best(virtualTimes), readMalloc = best(mallocTimes);
    const double plainRead = std::min(readVirtual, readMalloc);
    const double save = best(saveTimes), write = best(writeTimes), writeFlush = best(writeFlushTimes);
    const double gib = static_cast<double>(size) / (1024.0 * 1024.0 * 1024.0);
    std::printf("file: %lu MiB, best of %d runs\n", static_cast<unsigned long>(sizeMiB), kRuns);
    std::printf("open (openFile + first paint): %8.3f s  %6.2f GiB/s\n", open, gib / open);
    std::printf("plain read, VirtualAlloc:      %8.3f s  %6.2f GiB/s\n", readVirtual, gib / readVirtual);
    std::printf("plain read, malloc:            %8.3f s  %6.2f GiB/s\n", readMalloc, gib / readMalloc);
    std::printf("open / best plain read:        %8.2fx  (target < 1.5x, open < 1 s)\n", open / plainRead);
    std::printf("save (saveDocument):           %8.3f s  %6.2f GiB/s\n", save, gib / save);
    std::printf("plain write, new file:         %8.3f s  %6.2f GiB/s\n", write, gib / write);
    std::printf("plain write + flush, new file: %8.3f s  %6.2f GiB/s\n", writeFlush, gib / writeFlush);
    std::printf("save / plain write:            %8.2fx  (target < 1.5x)\n", save / write);
    std::printf("save / plain write + flush:    %8.2fx\n", save / writeFlush);
    std::printf("working set before open:       %8.1f MiB\n", mib(before.WorkingSetSize));
    std::printf("peak working set after open:   %8.1f MiB (file %lu MiB + %.1f MiB)\n", mib(peakAfterOpen),
                static_cast<unsigned long>(sizeMiB), mib(peakAfterOpen) - sizeMiB);
    std::printf("peak working set at the end:   %8.1f MiB\n", mib(after.PeakWorkingSetSize));

    bench::closeFrame();
    DeleteFileA(source.c_str());
    DeleteFileA(saved.c_str());
    DeleteFileA(plain.c_str());
    return 0;
}
