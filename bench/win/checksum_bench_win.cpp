// Checksums of a large document through the code of the checksums dialog,
// beside the native tools' times measured by bench/win/checksum_bench.sh in
// the same run.
//
//   bench_checksums FILE [CRC32 MD5 SHA1 SHA256]
//
// The file is opened in a real frame. Measured, best of a few runs: each
// digest alone over the whole document, all four in the one pass the dialog
// makes, and the checksums command until its dialog shows. The optional
// arguments are the native tools' seconds for the same file (zlib.crc32,
// md5sum, sha1sum, sha256sum); with them each line gets its ratio. The
// digests are printed last ("digest NAME HEX") for the script to compare.
// Prints figures only; nothing is asserted about time.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench_support_win.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/startup_win.h"
#include "tools/checksum_win.h"

namespace {

using bench::now;
using bench::pump;

constexpr int kRuns = 3;
const char* const kNames[kDigestCount] = {"CRC-32", "MD5", "SHA-1", "SHA-256"};
const char* const kTools[kDigestCount] = {"zlib.crc32", "md5sum", "sha1sum", "sha256sum"};

double dialogShownAt = 0;

// Notes when the dialog shows and closes it at once.
LRESULT CALLBACK closeDialog(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        char name[16] = "";
        GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
        if (std::strcmp(name, "#32770") == 0) {
            dialogShownAt = now();
            PostMessageA(reinterpret_cast<HWND>(wParam), WM_COMMAND, IDCANCEL, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: bench_checksums FILE [CRC32 MD5 SHA1 SHA256 seconds of the native tools]\n");
        return 2;
    }
    const bench::PrivateSettings privateSettings;
    double native[kDigestCount] = {};
    for (int d = 0; d < kDigestCount && d + 2 < argc; ++d) native[d] = std::atof(argv[d + 2]);

    if (!bench::openInFrame(argv[1])) return 1;
    const EditorState& s = *editorState;
    const double mb = static_cast<double>(s.documentSize) / 1e6;

    Checksums sums{};
    std::printf("document: %.1f MiB, best of %d runs\n", s.documentSize / 1048576.0, kRuns);
    std::printf("%-8s %9s %9s   %-10s %9s %9s  %s\n", "", "ours", "MB/s", "native", "", "MB/s", "ratio");
    for (int d = 0; d < kDigestCount; ++d) {
        std::vector<double> times;
        for (int run = 0; run < kRuns; ++run) {
            const double t0 = now();
            const DWORD error = computeChecksums(s.documentBytes, s.documentSize, 1u << d, sums);
            times.push_back(now() - t0);
            if (error != 0) {
                std::printf("%s failed with system error %lu\n", kNames[d], static_cast<unsigned long>(error));
                return 1;
            }
        }
        const double ours = bench::best(times);
        std::printf("%-8s %8.3fs %9.0f", kNames[d], ours, mb / ours);
        if (native[d] > 0)
            std::printf("   %-10s %8.3fs %9.0f  %.2fx\n", kTools[d], native[d], mb / native[d], native[d] / ours);
        else
            std::printf("\n");
    }

    std::vector<double> pass, command;
    HHOOK hook = SetWindowsHookExA(WH_CBT, closeDialog, nullptr, GetCurrentThreadId());
    for (int run = 0; run < kRuns; ++run) {
        double t0 = now();
        computeChecksums(s.documentBytes, s.documentSize, kAllDigests, sums);
        pass.push_back(now() - t0);
        dialogShownAt = 0;
        t0 = now();
        SendMessageA(mainWindow, WM_COMMAND, IDM_CHECKSUMS, 0);
        if (dialogShownAt > 0) command.push_back(dialogShownAt - t0);
        pump();
    }
    UnhookWindowsHookEx(hook);
    double nativeSum = 0;
    for (double t : native) nativeSum += t;
    const double onePass = bench::best(pass);
    std::printf("all four in one pass (the dialog's work): %.3f s", onePass);
    if (nativeSum > 0) std::printf("; the four native tools one after another: %.3f s, %.2fx", nativeSum, nativeSum / onePass);
    std::printf("\n");
    if (!command.empty()) std::printf("checksums command until its dialog shows: %.3f s\n", bench::best(command));

    for (int d = 0; d < kDigestCount; ++d) {
        char hex[2 * kLongestDigestLength + 1];
        digestText(sums.digest[d], kDigestLength[d], hex);
        std::printf("digest %s %s\n", kNames[d], hex);
    }

    DestroyWindow(mainWindow);
    pump();
    freeEditorStateRecord();
    unregisterWindowClasses();
    return 0;
}
