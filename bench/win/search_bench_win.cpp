// Searching a large document in the real program path, against the C
// library's memmem on the same bytes in the same run.
//
//   bench_search [MiB] [memmem_file]      (default 256 MiB)
//
// A file of random bytes is opened in a real frame; a 4-byte pattern sits at
// its very end. Measured: find next (the Win32 search command, F3) from
// offset 0 until the caret is on the match, and the core's findBytes alone in
// this process. The Windows C library has no memmem, so the native helper
// memmem_file (built by the native preset; found beside this program as
// ../native/memmem_file, or named as the second argument) is started on the
// same file under Wine and reports glibc's memmem and the native findBytes.
// Then find previous (Shift+F3) of a copy of the pattern near the start,
// beside find next, and find all of one byte value from the button of the
// search and replace dialog until its list is open with every row, beside
// Python's bytes.count of that byte in the same file.
// Prints figures only; nothing is asserted about time.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "shell/startup_win.h"
#include "bench_support_win.h"
#include "resource_ids.h"
#include "tools/replace_dialog_win.h"
#include "tools/search.h"
#include "tools/value_entry.h"

namespace {

using bench::best;
using bench::now;
using bench::pump;

constexpr int kRuns = 5;
constexpr int kPatternLength = 4;
constexpr uint8_t kAbsent = 0xFF;  // never in the data, always in the pattern: no chance matches
constexpr int32_t kNearStart = 100;  // where find previous finds the pattern

// The Unix path of a Windows path, through Wine's own export; empty elsewhere.
std::string unixPath(const std::string& path) {
    using Convert = char*(CDECL*)(const WCHAR*);
    auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (convert == nullptr) return {};
    WCHAR wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) == 0) return {};
    char* converted = convert(wide);
    if (converted == nullptr) return {};
    std::string result = converted;
    HeapFree(GetProcessHeap(), 0, converted);
    return result;
}

// Starts `commandLine` (a Unix program under Wine, whose end cannot be
// waited for) and waits for the file it writes at `result`; false when it
// could not be started or wrote nothing within two minutes.
bool runForResult(const std::string& commandLine, const std::string& result) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    for (int waited = 0; waited < 120000; waited += 50) {
        if (GetFileAttributesA(result.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        Sleep(50);
    }
    return false;
}

std::string defaultHelper() {
    char exe[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string dir(exe, n);
    dir = dir.substr(0, dir.find_last_of("\\/") + 1);
    std::string unixDir = unixPath(dir);
    return unixDir.empty() ? std::string() : unixDir + "/../native/memmem_file";
}

}  // namespace

int main(int argc, char** argv) {
    const bench::PrivateSettings privateSettings;
    DWORD sizeMiB = argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 256;
    if (sizeMiB == 0 || sizeMiB > 2000) sizeMiB = 256;
    const DWORD size = sizeMiB << 20;
    const std::string helper = argc > 2 ? argv[2] : defaultHelper();

    char tempDir[MAX_PATH];
    GetTempPathA(sizeof tempDir, tempDir);
    const std::string source = std::string(tempDir) + "moxel_bench_search.bin";
    const std::string result = std::string(tempDir) + "moxel_bench_memmem.txt";

    // Random bytes without kAbsent; the pattern, ordinary bytes around the
    // absent one (so that its first and last bytes stay common), at the very end.
    uint8_t pattern[kPatternLength];
    {
        HANDLE h = bench::writeRandomFile(source, size, kAbsent)
                       ? CreateFileA(source.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr)
                       : INVALID_HANDLE_VALUE;
        if (h == INVALID_HANDLE_VALUE) {
            std::printf("cannot write %s\n", source.c_str());
            return 1;
        }
        uint8_t ordinary[3] = {};
        DWORD done = 0;
        SetFilePointer(h, static_cast<LONG>(size - 200), nullptr, FILE_BEGIN);
        ReadFile(h, ordinary, sizeof ordinary, &done, nullptr);
        pattern[0] = ordinary[0];
        pattern[1] = kAbsent;
        pattern[2] = ordinary[1];
        pattern[3] = ordinary[2];
        SetFilePointer(h, static_cast<LONG>(size - kPatternLength), nullptr, FILE_BEGIN);
        WriteFile(h, pattern, kPatternLength, &done, nullptr);
        CloseHandle(h);
    }
    char hex[3 * kPatternLength + 1];
    std::snprintf(hex, sizeof hex, "%02X%02X%02X%02X", pattern[0], pattern[1], pattern[2], pattern[3]);
    const int32_t expected = static_cast<int32_t>(size) - kPatternLength;

    if (!bench::openInFrame(source.c_str())) return 1;
    EditorState& s = *editorState;

    // (a) find next from offset 0, as F3 runs it, until the caret is on the match
    searchAsHex = 1;
    std::snprintf(s.findText, sizeof s.findText, "%s", hex);
    std::vector<double> commandTimes, coreTimes;
    for (int run = 0; run < kRuns; ++run) {
        s.foundOffset = -1;
        s.caretOffset = 0;
        double t0 = now();
        findNextCommand(mainWindow);
        double t = now() - t0;
        if (s.caretOffset != expected || s.foundOffset != expected) {
            std::printf("find next landed on %ld, expected %ld\n", static_cast<long>(s.caretOffset),
                        static_cast<long>(expected));
            return 1;
        }
        commandTimes.push_back(t);
        pump();

        // (b) the core's search alone, in this process
        t0 = now();
        int64_t at = findBytes(s.documentBytes, s.documentSize, pattern, kPatternLength);
        coreTimes.push_back(now() - t0);
        if (at != expected) {
            std::printf("findBytes found %lld\n", static_cast<long long>(at));
            return 1;
        }
    }

    // (c) glibc memmem on the same file, through the native helper
    double memmemTime = -1, nativeTime = -1;
    long long memmemAt = -2, nativeAt = -2;
    const std::string file = unixPath(source), resultFile = unixPath(result);
    DeleteFileA(result.c_str());
    if (!helper.empty() && !file.empty() && !resultFile.empty() &&
        runForResult(helper + " " + file + " " + hex + " " + std::to_string(kRuns) + " " + resultFile, result)) {
        if (FILE* in = std::fopen(result.c_str(), "r")) {
            if (std::fscanf(in, "%lf %lld %lf %lld", &memmemTime, &memmemAt, &nativeTime, &nativeAt) != 4) {
                memmemTime = -1;
            }
            std::fclose(in);
        }
    }

    const double command = best(commandTimes);
    const double core = best(coreTimes);
    const double gb = static_cast<double>(size) / 1e9;
    std::printf("file: %lu MiB of random bytes, 4-byte pattern %s at its end, best of %d runs\n",
                static_cast<unsigned long>(sizeMiB), hex, kRuns);
    std::printf("find next (Win32 command, Wine):  %8.4f s  %6.2f GB/s\n", command, gb / command);
    std::printf("findBytes (core, Wine):           %8.4f s  %6.2f GB/s\n", core, gb / core);
    if (memmemTime > 0) {
        std::printf("memmem (glibc, native):           %8.4f s  %6.2f GB/s  (found at %lld)\n", memmemTime,
                    gb / memmemTime, memmemAt);
        std::printf("findBytes (core, native):         %8.4f s  %6.2f GB/s  (found at %lld)\n", nativeTime,
                    gb / nativeTime, nativeAt);
        std::printf("memmem / find next:               %8.2fx\n", memmemTime / command);
    } else {
        std::printf("memmem: not measured (build the native preset's memmem_file, or name it as argument 2)\n");
    }

    // (d) find previous, as Shift+F3 runs it, of the pattern near the start,
    // from just before the one at the end: beside find next in (a)
    std::memcpy(s.documentBytes + kNearStart, pattern, kPatternLength);
    std::vector<double> previousTimes;
    for (int run = 0; run < kRuns; ++run) {
        s.foundOffset = -1;
        s.caretOffset = expected - 1;
        double t0 = now();
        findPreviousCommand(mainWindow);
        previousTimes.push_back(now() - t0);
        if (s.caretOffset != kNearStart) {
            std::printf("find previous landed on %ld\n", static_cast<long>(s.caretOffset));
            return 1;
        }
        pump();
    }
    const double previous = best(previousTimes);
    std::printf("find previous (Win32 command):    %8.4f s  %6.2f GB/s  (%.2fx of find next)\n", previous,
                gb / previous, command / previous);

    // (e) find all of one byte value (about one match in 256 bytes), from the
    // button until the list is open with every row, beside Python's
    // bytes.count of the same byte in the same file
    const uint8_t counted = s.documentBytes[12345];
    replaceCommand(mainWindow);
    HWND dialog = replaceDialogWindow();
    char byteText[4];
    std::snprintf(byteText, sizeof byteText, "%02X", counted);
    SetDlgItemTextA(dialog, IDC_RP_FIND, byteText);
    CheckRadioButton(dialog, IDC_RP_TEXT, IDC_RP_HEX, IDC_RP_HEX);
    std::vector<double> findAllTimes;
    LRESULT rows = 0;
    for (int run = 0; run < kRuns; ++run) {
        double t0 = now();
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_RP_FIND_ALL, BN_CLICKED), 0);
        HWND list = findAllWindow() != nullptr ? GetDlgItem(findAllWindow(), IDC_FA_LIST) : nullptr;
        rows = list != nullptr ? SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) : 0;
        if (list != nullptr) UpdateWindow(findAllWindow());
        pump();
        findAllTimes.push_back(now() - t0);
        if (findAllWindow() != nullptr) DestroyWindow(findAllWindow());
        pump();
    }
    DestroyWindow(dialog);
    double pythonTime = -1;
    long long pythonCount = -1;
    const std::string script = std::string(tempDir) + "moxel_bench_count.py";
    if (FILE* out = std::fopen(script.c_str(), "w")) {
        std::fputs("import sys, time\n"
                   "d = open(sys.argv[1], 'rb').read()\n"
                   "b = bytes([int(sys.argv[2])])\n"
                   "best = 1e9\n"
                   "for _ in range(5):\n"
                   "    t = time.perf_counter(); c = d.count(b); best = min(best, time.perf_counter() - t)\n"
                   "open(sys.argv[3], 'w').write('%f %d\\n' % (best, c))\n",
                   out);
        std::fclose(out);
        DeleteFileA(result.c_str());
        if (!file.empty() && runForResult("/usr/bin/python3 " + unixPath(script) + " " + file + " " +
                                              std::to_string(counted) + " " + resultFile,
                                          result)) {
            if (FILE* in = std::fopen(result.c_str(), "r")) {
                if (std::fscanf(in, "%lf %lld", &pythonTime, &pythonCount) != 2) pythonTime = -1;
                std::fclose(in);
            }
        }
        DeleteFileA(script.c_str());
    }
    const double findAll = best(findAllTimes);
    std::printf("find all of byte %02X until listed:  %8.4f s  (%ld rows)\n", counted, findAll, static_cast<long>(rows));
    if (pythonTime > 0) {
        std::printf("python3 bytes.count (native):     %8.4f s  (%lld found; the file differs from the document only\n"
                    "                                  in the pattern copy near its start)\n",
                    pythonTime, pythonCount);
    } else {
        std::printf("python3 bytes.count: not measured\n");
    }

    bench::closeFrame();
    DeleteFileA(source.c_str());
    DeleteFileA(result.c_str());
    return 0;
}
