// Checksums of document bytes: the CRC-32 of zip and PNG computed here, and
// the digests the checksums dialog shows beside it (those come from the
// system's cryptography; see tools/checksum_win.h).
#pragma once

#include <cstddef>
#include <cstdint>

// The dialog's rows, in order.
enum Digest : int { digestCrc32, digestMd5, digestSha1, digestSha256, kDigestCount };

// Bytes of each digest, and of the longest.
constexpr int kDigestLength[kDigestCount] = {4, 16, 20, 32};
constexpr int kLongestDigestLength = 32;
constexpr unsigned kAllDigests = (1u << kDigestCount) - 1;  // one bit per Digest

// The CRC-32 (reflected polynomial 0xEDB88320, as zlib computes it) of the
// bytes after those that gave `crc` (0 to start): crc32Update(crc32Update(0,
// a), b) is the CRC-32 of a followed by b.
uint32_t crc32Update(uint32_t crc, const uint8_t* data, size_t count);

// The CRC-32 as digest bytes, most significant first, as it is written.
void crc32Digest(uint32_t crc, uint8_t* out);

// A digest as upper-case hex digits and a terminator (2 * length + 1 bytes).
void digestText(const uint8_t* digest, int length, char* out);
