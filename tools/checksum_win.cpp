#include "tools/checksum_win.h"

#include <bcrypt.h>
#include <winternl.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "document/selection.h"
#include "platform/platform.h"
#include "resource_ids.h"
#include "shell/commands_win.h"
#include "shell/editor_state_win.h"
#include "tools/error_box_win.h"
#include "tools/progress_win.h"

namespace {

// The system's names of the digests; the CRC-32 is the core's own.
const wchar_t* const kAlgorithm[kDigestCount] = {nullptr, BCRYPT_MD5_ALGORITHM, BCRYPT_SHA1_ALGORITHM,
                                                 BCRYPT_SHA256_ALGORITHM};

// Each digest's edit field and copy button in the dialog.
constexpr int kDigestField[kDigestCount] = {IDC_CS_CRC32, IDC_CS_MD5, IDC_CS_SHA1, IDC_CS_SHA256};
constexpr int kCopyButton[kDigestCount] = {IDC_CS_COPY_CRC32, IDC_CS_COPY_MD5, IDC_CS_COPY_SHA1, IDC_CS_COPY_SHA256};

struct AlgorithmCloser {
    void operator()(BCRYPT_ALG_HANDLE h) const { BCryptCloseAlgorithmProvider(h, 0); }
};
struct HashDestroyer {
    void operator()(BCRYPT_HASH_HANDLE h) const { BCryptDestroyHash(h); }
};
using AlgorithmOwner = std::unique_ptr<void, AlgorithmCloser>;
using HashOwner = std::unique_ptr<void, HashDestroyer>;

DWORD systemError(NTSTATUS status) { return RtlNtStatusToDosError(status); }

// What the dialog shows: the digests and the bytes they cover.
struct ChecksumReport {
    Checksums sums;
    int64_t start;
    int64_t end;
};

void showReport(HWND dialog, const ChecksumReport& report) {
    char format[128];
    char text[160];
    loadText(IDS_FMT_CHECKSUM_RANGE, format, sizeof format);
    wsprintfA(text, format, static_cast<unsigned>(report.start), static_cast<unsigned>(report.end - 1),
              static_cast<unsigned long>(report.end - report.start));
    SetDlgItemTextA(dialog, IDC_CS_RANGE, text);
    for (int d = 0; d < kDigestCount; ++d) {
        char hex[2 * kLongestDigestLength + 1];
        digestText(report.sums.digest[d], kDigestLength[d], hex);
        SetDlgItemTextA(dialog, kDigestField[d], hex);
    }
}

// False when `button` is none of the copy buttons.
bool copyDigest(HWND dialog, int button) {
    const int* found = std::find(std::begin(kCopyButton), std::end(kCopyButton), button);
    if (found == std::end(kCopyButton)) return false;
    char hex[2 * kLongestDigestLength + 1];
    if (GetDlgItemTextA(dialog, kDigestField[found - kCopyButton], hex, sizeof hex) > 0) putClipboardText(dialog, hex);
    return true;
}

INT_PTR CALLBACK checksumsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            showReport(dialog, *reinterpret_cast<const ChecksumReport*>(lParam));
            centerWindow(dialog, GetWindow(dialog, GW_OWNER), 0, 0);
            return TRUE;
        case WM_COMMAND:
            switch (const int id = LOWORD(wParam)) {
                case IDOK:
                case IDCANCEL: EndDialog(dialog, id); return TRUE;
                default: return copyDigest(dialog, id) ? TRUE : FALSE;
            }
        default: return FALSE;
    }
}

}  // namespace

DWORD computeChecksums(const uint8_t* data, size_t count, unsigned which, Checksums& out, const ProgressStep& step) {
    out = Checksums{};
    AlgorithmOwner algorithms[kDigestCount];
    HashOwner hashes[kDigestCount];
    for (int d = 0; d < kDigestCount; ++d) {
        if (kAlgorithm[d] == nullptr || (which & (1u << d)) == 0) continue;
        BCRYPT_ALG_HANDLE algorithm = nullptr;
        NTSTATUS status = BCryptOpenAlgorithmProvider(&algorithm, kAlgorithm[d], nullptr, 0);
        if (!BCRYPT_SUCCESS(status)) return systemError(status);
        algorithms[d].reset(algorithm);
        // The system keeps the hash object's memory itself.
        BCRYPT_HASH_HANDLE hash = nullptr;
        status = BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0);
        if (!BCRYPT_SUCCESS(status)) return systemError(status);
        hashes[d].reset(hash);
    }

    // Each share of the digests on a core of its own; a hash is used by its
    // share's thread alone, and the first failure is the one reported.
    uint32_t crcValue = 0;
    std::atomic<NTSTATUS> failure{0};
    std::vector<PieceSink> sinks;
    for (const unsigned share : shareDigests(which, std::thread::hardware_concurrency())) {
        sinks.push_back([&, share](const uint8_t* piece, size_t n) {
            for (int d = 0; d < kDigestCount; ++d) {
                if ((share & (1u << d)) == 0) continue;
                if (d == digestCrc32) {
                    crcValue = crc32Update(crcValue, piece, n);
                    continue;
                }
                const NTSTATUS status = BCryptHashData(hashes[d].get(), const_cast<PUCHAR>(piece), static_cast<ULONG>(n), 0);
                if (!BCRYPT_SUCCESS(status)) {
                    NTSTATUS none = 0;
                    failure.compare_exchange_strong(none, status);
                    return false;
                }
            }
            return true;
        });
    }
    switch (feedInParallel(data, count, sinks, step)) {
        case PassOutcome::Done: break;
        case PassOutcome::Cancelled: return ERROR_CANCELLED;
        case PassOutcome::Failed: return failure != 0 ? systemError(failure) : ERROR_NOT_ENOUGH_MEMORY;
    }

    if ((which & (1u << digestCrc32)) != 0) crc32Digest(crcValue, out.digest[digestCrc32]);
    for (int d = 0; d < kDigestCount; ++d) {
        if (hashes[d] == nullptr) continue;
        const NTSTATUS status = BCryptFinishHash(hashes[d].get(), out.digest[d], static_cast<ULONG>(kDigestLength[d]), 0);
        if (!BCRYPT_SUCCESS(status)) return systemError(status);
    }
    return 0;
}

void checksumsCommand(HWND owner) {
    if (editorState == nullptr) return;
    const EditorState& s = *editorState;
    ChecksumReport report{};
    if (!checksumBytes(s, &report.start, &report.end)) return;
    DWORD error = 0;
    {
        // The wait cursor, and after half a second a bar with Cancel.
        ProgressRun run(owner, IDS_CHECKSUM_CAPTION);
        error = computeChecksums(s.documentBytes + report.start, static_cast<size_t>(report.end - report.start),
                                 kAllDigests, report.sums, run.callback());
    }
    if (error == ERROR_CANCELLED) return;  // as if it had never run
    if (error != 0) {
        showErrorCode(owner, error);
        return;
    }
    if (DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_CHECKSUMS), owner, checksumsDialog,
                        reinterpret_cast<LPARAM>(&report)) == -1) {
        showError(owner, -1, nullptr);
    }
}
