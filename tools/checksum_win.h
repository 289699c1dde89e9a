// The checksums dialog (1604): the CRC-32, MD5, SHA-1 and SHA-256 of the
// selected rows, or of the whole document, each with a copy button. The
// digests come from the system's cryptography (CNG).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "tools/checksum.h"

struct Checksums {
    uint8_t digest[kDigestCount][kLongestDigestLength];
};

// Every digest of `which` (bits 1 << Digest) of `count` bytes, in one pass
// over them on the machine's cores (shareDigests), with `step` told the
// progress now and then. 0 on success, ERROR_CANCELLED when `step` answered
// false, else the system error code of the failing call.
DWORD computeChecksums(const uint8_t* data, size_t count, unsigned which, Checksums& out,
                       const ProgressStep& step = {});
