// Checksums of document bytes: the CRC-32 of zip and PNG computed here, and
// the digests the checksums dialog shows beside it (those come from the
// system's cryptography; see tools/checksum_win.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "tools/progress.h"

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

// ---- one pass over the bytes on the machine's cores

// The digests of `which` (bits 1 << Digest) shared out among at most
// `threads` threads so that the longest share is as short as it can be:
// each share is a set of Digest bits, the slowest digest's share first.
std::vector<unsigned> shareDigests(unsigned which, unsigned threads);

// One thread's share of a pass: takes the bytes a piece at a time, in order;
// false fails the pass.
using PieceSink = std::function<bool(const uint8_t* piece, size_t length)>;

enum class PassOutcome { Done, Cancelled, Failed };

constexpr size_t kPassPieceBytes = 256u << 10;
constexpr unsigned kPassStepMs = 30;

// Gives the `count` bytes at `data` to every sink, each on a thread of its
// own, `pieceBytes` at a time (a piece is read from memory once and then from
// the cache by whatever else the sink does with it). The calling thread
// waits; about every `stepMs` milliseconds it tells `step` how many bytes the
// sinks took together, out of sinks.size() * count. When `step` answers
// false, or a sink fails, the other sinks stop after their current piece.
// Failed too when no thread can be started for a sink.
PassOutcome feedInParallel(const uint8_t* data, size_t count, const std::vector<PieceSink>& sinks,
                           const ProgressStep& step, size_t pieceBytes = kPassPieceBytes,
                           unsigned stepMs = kPassStepMs);
