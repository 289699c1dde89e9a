// The checksums' pass over the bytes on several threads: how the digests are
// shared out, and what the threads take, report and stop at.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "tools/checksum.h"

namespace {

constexpr unsigned kCrc = 1u << digestCrc32, kMd5 = 1u << digestMd5, kSha1 = 1u << digestSha1,
                   kSha256 = 1u << digestSha256;

}  // namespace

TEST(ChecksumPass, TheSlowestDigestsGetTheirOwnCores) {
    struct Case {
        unsigned which, threads;
        std::vector<unsigned> shares;
    };
    const Case cases[] = {
        {kAllDigests, 1, {kAllDigests}},
        {kAllDigests, 0, {kAllDigests}},  // a machine that does not say
        {kAllDigests, 2, {kSha256, kCrc | kMd5 | kSha1}},
        {kAllDigests, 3, {kSha256, kMd5 | kCrc, kSha1}},
        {kAllDigests, 64, {kSha256, kMd5, kSha1, kCrc}},
        {kCrc | kMd5, 2, {kMd5, kCrc}},
        {0, 2, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(shareDigests(c.which, c.threads), c.shares) << c.which << " on " << c.threads;
}

TEST(ChecksumPass, EachSinkTakesEveryByteInOrderUnlessStoppedOrFailed) {
    std::vector<uint8_t> bytes(100000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 131 + (i >> 9));
    struct Case {
        const char* what;
        size_t sinks, count;
        int cancelAtStep;  // the step that answers false; 0: none does
        int failingSink;   // fails at its third piece; -1: none
        PassOutcome outcome;
    };
    const Case cases[] = {
        {"one sink", 1, bytes.size(), 0, -1, PassOutcome::Done},
        {"four sinks", 4, bytes.size(), 0, -1, PassOutcome::Done},
        {"nothing to take", 3, 0, 0, -1, PassOutcome::Done},
        {"cancelled", 2, bytes.size(), 2, -1, PassOutcome::Cancelled},
        {"a sink fails", 3, bytes.size(), 0, 1, PassOutcome::Failed},
    };
    constexpr size_t kPiece = 1000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint32_t> crc(c.sinks, 0);
        std::vector<size_t> taken(c.sinks, 0);
        std::vector<PieceSink> sinks;
        for (size_t k = 0; k < c.sinks; ++k) {
            sinks.push_back([&, k](const uint8_t* piece, size_t n) {
                EXPECT_EQ(piece, bytes.data() + taken[k]);
                crc[k] = crc32Update(crc[k], piece, n);
                taken[k] += n;
                // Slow enough for the waiting thread to step in between.
                std::this_thread::sleep_for(std::chrono::microseconds(500));
                return !(static_cast<int>(k) == c.failingSink && taken[k] == 3 * kPiece);
            });
        }
        uint64_t last = 0;
        int steps = 0;
        const ProgressStep step = [&](uint64_t done, uint64_t total) {
            EXPECT_EQ(total, c.sinks * c.count);
            EXPECT_TRUE(last <= done && done <= total) << done;
            last = done;
            return ++steps != c.cancelAtStep;
        };
        EXPECT_EQ(feedInParallel(bytes.data(), c.count, sinks, step, kPiece, 1), c.outcome);
        for (size_t k = 0; k < c.sinks; ++k) {
            if (c.outcome == PassOutcome::Done) {
                EXPECT_EQ(crc[k], crc32Update(0, bytes.data(), c.count));
            } else {
                EXPECT_LT(taken[k], c.count) << "sink " << k << " went on after the pass ended";
            }
        }
    }
}
