// Checksums of a large document through the code of the checksums dialog;
// bench/win/checksum_bench.sh runs it in turns with the native tools on the
// same file and prints the comparison.
//
//   bench_checksums FILE
//
// The file is opened in a real frame. Measured, best of a few runs: each
// digest alone over the whole document, all four in the one pass the dialog
// makes (on the machine's cores), and the checksums command until its dialog
// shows, with its progress window once it ran half a second. Prints one line
// per figure ("time WHAT SECONDS") and the digests ("digest NAME HEX").
// Nothing is asserted about time.
#include <windows.h>

#include <cstdio>
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

double dialogShownAt = 0;

// Notes when the checksums dialog shows and closes it at once; the progress
// window that shows before it is left alone.
void closeDialog(HWND dialog) {
    if (GetDlgItem(dialog, IDC_CS_CRC32) == nullptr) return;
    dialogShownAt = now();
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: bench_checksums FILE\n");
        return 2;
    }
    const bench::PrivateSettings privateSettings;
    if (!bench::openInFrame(argv[1])) return 1;
    const EditorState& s = *editorState;
    Checksums sums{};
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
        std::printf("time %s %.4f\n", kNames[d], bench::best(times));
    }

    std::vector<double> pass, command;
    {
        const bench::DialogHook hook(closeDialog);
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
    }
    std::printf("time all %.4f\n", bench::best(pass));
    if (!command.empty()) std::printf("time command %.4f\n", bench::best(command));

    for (int d = 0; d < kDigestCount; ++d) {
        char hex[2 * kLongestDigestLength + 1];
        digestText(sums.digest[d], kDigestLength[d], hex);
        std::printf("digest %s %s\n", kNames[d], hex);
    }

    bench::closeFrame();
    return 0;
}
