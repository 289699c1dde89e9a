// The compare of a large document with another file in the real program
// path, with the memory it takes; bench/win/compare_bench.sh makes the files
// and times cmp -l on them in the same run.
//
//   bench_compare DOCUMENT OTHER
//
// Measured, best of a few runs: the compare command's work from the call
// until the list dialog is active. Beside it the working set and the private
// bytes after the document was loaded, and the most of each seen during the
// compare (sampled every 5 ms by a thread of its own). Prints
// "time compare SECONDS", "rows N" and the memory lines. Nothing is asserted.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include "bench_support_win.h"
#include "document/change_list_dialog_win.h"
#include "resource_ids.h"
#include "shell/editor_state_win.h"
#include "tools/compare.h"

namespace {

using bench::mib;
using bench::now;

constexpr int kRuns = 3;

double listShownAt = 0;

void closeList(HWND dialog) {
    if (listShownAt == 0) listShownAt = now();
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

struct Memory {
    SIZE_T workingSet = 0, privateBytes = 0;
};

// The private bytes as the committed private regions of the address space
// (Wine reports no PrivateUsage); a mapped file's view is not among them.
SIZE_T privateCommitted() {
    SIZE_T bytes = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) bytes += region.RegionSize;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= at) break;
        at = next;
    }
    return bytes;
}

Memory memoryNow() { return {bench::memory().WorkingSetSize, privateCommitted()}; }

// The most of each figure while it lives.
class MemorySampler {
public:
    MemorySampler() : thread_([this] { run(); }) {}
    ~MemorySampler() {
        stop_ = true;
        thread_.join();
    }
    Memory most() const { return {workingSet_.load(), privateBytes_.load()}; }

private:
    void run() {
        while (!stop_) {
            const Memory m = memoryNow();
            workingSet_ = std::max<SIZE_T>(workingSet_, m.workingSet);
            privateBytes_ = std::max<SIZE_T>(privateBytes_, m.privateBytes);
            Sleep(5);
        }
    }
    std::atomic<bool> stop_{false};
    std::atomic<SIZE_T> workingSet_{0}, privateBytes_{0};
    std::thread thread_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: bench_compare DOCUMENT OTHER\n");
        return 2;
    }
    const bench::PrivateSettings privateSettings;
    if (!bench::openInFrame(argv[1])) return 1;
    const Memory loaded = memoryNow();

    std::vector<double> times;
    Memory most;
    size_t rows = 0;
    {
        const bench::DialogHook hook(closeList);
        for (int run = 0; run < kRuns; ++run) {
            dropCompareRows(*editorState);
            listShownAt = 0;
            ValueEntryRequest request{};
            lstrcpynA(request.text, argv[2], sizeof request.text);
            MemorySampler sampler;
            const double t0 = now();
            runCompareDialog(mainWindow, request);
            if (listShownAt == 0) {
                std::printf("the compare list did not open\n");
                return 1;
            }
            times.push_back(listShownAt - t0);
            most.workingSet = std::max(most.workingSet, sampler.most().workingSet);
            most.privateBytes = std::max(most.privateBytes, sampler.most().privateBytes);
            rows = editorState->compareRows != nullptr ? editorState->compareRows->count() : 0;
            bench::pump();
        }
    }
    std::printf("document %.1f MiB\n", mib(editorState->documentSize));
    std::printf("time compare %.4f\n", bench::best(times));
    std::printf("rows %zu\n", rows);
    std::printf("working set: document loaded %.1f MiB, during the compare at most %.1f MiB (+%.1f MiB)\n",
                mib(loaded.workingSet), mib(most.workingSet), mib(most.workingSet) - mib(loaded.workingSet));
    std::printf("private bytes: document loaded %.1f MiB, during the compare at most %.1f MiB (+%.1f MiB)\n",
                mib(loaded.privateBytes), mib(most.privateBytes), mib(most.privateBytes) - mib(loaded.privateBytes));
    std::printf("peak working set of the process: %.1f MiB\n", mib(bench::memory().PeakWorkingSetSize));
    bench::closeFrame();
    return 0;
}
