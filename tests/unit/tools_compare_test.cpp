#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <tuple>
#include <vector>

#include "tools/compare.h"

namespace {

std::vector<uint32_t> naiveDiff(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] != b[i]) out.push_back(static_cast<uint32_t>(i));
    }
    return out;
}

std::vector<uint32_t> diff(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    return differingOffsets(a.data(), static_cast<uint32_t>(a.size()), b.data(), static_cast<uint32_t>(b.size()));
}

}  // namespace

TEST(DifferingOffsets, IdenticalBuffersGiveNothing) {
    std::vector<uint8_t> a(10000, 0x5A);
    EXPECT_TRUE(diff(a, a).empty());
    EXPECT_TRUE(diff({}, a).empty());
}

TEST(DifferingOffsets, OnlyTheCommonPrefixCounts) {
    std::vector<uint8_t> a(200, 1), b(201, 1);
    b[200] = 9;  // the longer file's extra tail is not reported
    EXPECT_TRUE(diff(a, b).empty());
    b[199] = 2;
    b[0] = 3;
    EXPECT_EQ(diff(a, b), (std::vector<uint32_t>{0, 199}));
    EXPECT_EQ(diff(b, a), (std::vector<uint32_t>{0, 199}));
}

TEST(DifferingOffsets, AgreesWithByteByByteAtEveryDensity) {
    std::mt19937 rng(7);
    for (int trial = 0; trial < 60; ++trial) {
        size_t n = rng() % 20000;
        std::vector<uint8_t> a(n), b;
        for (auto& x : a) x = static_cast<uint8_t>(rng());
        b = a;
        b.resize(n + rng() % 3);
        unsigned percent = std::vector<unsigned>{0, 1, 50, 100}[trial % 4];
        for (size_t i = 0; i < n; ++i) {
            if (rng() % 100 < percent) b[i] = static_cast<uint8_t>(a[i] + 1 + rng() % 255);
        }
        if (n > 0) b[n - 1] ^= 0x80;  // the last byte of the tail after the whole blocks
        std::vector<uint32_t> expected = naiveDiff(a, b);
        for (CompareKernel k : {CompareKernel::Best, CompareKernel::Avx2, CompareKernel::Sse2, CompareKernel::Words}) {
            ASSERT_EQ(differingOffsetsWith(k, a.data(), static_cast<uint32_t>(a.size()), b.data(),
                                           static_cast<uint32_t>(b.size())),
                      expected)
                << "kernel " << static_cast<int>(k) << " n=" << n;
        }
    }
}

TEST(CompareRow, Texts) {
    CompareRowText t;
    formatCompareRow(0x00ABCDEFu, 0x0F, 0xA0, t);
    EXPECT_STREQ(t.address, "00ABCDEF");
    EXPECT_STREQ(t.source, "0F");
    EXPECT_STREQ(t.target, "A0");
    formatCompareRow(0xFFFFFFFFu, 0, 0xFF, t);
    EXPECT_STREQ(t.address, "FFFFFFFF");
    EXPECT_STREQ(t.source, "00");
    EXPECT_STREQ(t.target, "FF");
}

namespace {

// The other file in memory, read in stretches of `stretch` bytes; the read at
// `failAt` fails. Each stretch is handed over as a copy of its own, so that
// a read past it is caught by the address sanitizer.
class BytesSource : public CompareSource {
public:
    BytesSource(const std::vector<uint8_t>& bytes, uint32_t stretch, uint64_t failAt = UINT64_MAX)
        : bytes_(bytes), stretch_(stretch), failAt_(failAt) {}
    uint32_t stretchBytes() const override { return stretch_; }
    bool read(uint64_t offset, uint32_t length, const std::function<void(const uint8_t*)>& use) override {
        EXPECT_EQ(offset, next_) << "stretches in order, none left out";
        EXPECT_LE(length, stretch_);
        next_ = offset + length;
        if (offset == failAt_) return false;
        const std::vector<uint8_t> stretch(bytes_.begin() + static_cast<ptrdiff_t>(offset),
                                           bytes_.begin() + static_cast<ptrdiff_t>(offset + length));
        use(stretch.data());
        return true;
    }

private:
    const std::vector<uint8_t>& bytes_;
    uint32_t stretch_;
    uint64_t failAt_;
    uint64_t next_ = 0;
};

}  // namespace

TEST(DifferingOffsets, StopAtTheLimitWithTheFirstOffsets) {
    std::mt19937 rng(11);
    std::vector<uint8_t> a(300000), b;
    for (auto& x : a) x = static_cast<uint8_t>(rng());
    b = a;
    for (size_t i = 0; i < b.size(); ++i) {
        if (i % 3 == 0 || i > 200000) b[i] ^= 1;  // dense enough to pass the size estimate
    }
    const std::vector<uint32_t> all = naiveDiff(a, b);
    for (uint32_t limit : {0u, 1u, 7u, 40000u, static_cast<uint32_t>(all.size()), UINT32_MAX}) {
        std::vector<uint32_t> got = differingOffsets(a.data(), static_cast<uint32_t>(a.size()), b.data(),
                                                     static_cast<uint32_t>(b.size()), limit);
        std::vector<uint32_t> want(all.begin(), all.begin() + std::min<size_t>(limit, all.size()));
        EXPECT_EQ(got, want) << "limit " << limit;
    }
}

TEST(CompareRows, KeepTheOtherFilesBytesAtTheDifferencesStretchByStretch) {
    std::mt19937 rng(5);
    for (int trial = 0; trial < 48; ++trial) {
        size_t n = rng() % 5000;
        std::vector<uint8_t> doc(n), other;
        for (auto& x : doc) x = static_cast<uint8_t>(rng());
        other = doc;
        other.resize(trial % 2 ? n + rng() % 4 : n - std::min<size_t>(n, rng() % 4));
        unsigned percent = std::vector<unsigned>{0, 2, 60, 100}[trial % 4];
        for (auto& x : other) {
            if (rng() % 100 < percent) x = static_cast<uint8_t>(x + 1 + rng() % 255);
        }
        // Stretches of one block, of a few, and the whole file at once.
        const uint32_t stretch = std::vector<uint32_t>{64, 192, 1u << 20}[trial % 3];
        BytesSource source(other, stretch);
        CompareRows rows;
        ASSERT_EQ(collectCompareRows(doc.data(), static_cast<uint32_t>(doc.size()), source, other.size(), rows),
                  CompareOutcome::Done);
        ASSERT_EQ(rows.offsets, naiveDiff(doc, other)) << "stretch " << stretch;
        for (size_t k = 0; k < rows.count(); ++k) {
            uint32_t at = rows.offsets[k];
            CompareRowText t = compareRowText(rows, k, doc.data());
            CompareRowText want;
            formatCompareRow(at, doc[at], other[at], want);
            ASSERT_STREQ(t.address, want.address);
            ASSERT_STREQ(t.source, want.source);
            ASSERT_STREQ(t.target, want.target) << "row " << k;
        }
    }
}

TEST(CompareRows, AStretchThatCannotBeReadLeavesNothing) {
    std::vector<uint8_t> doc(1000, 1), other(1000, 2);
    for (uint64_t failAt : {0u, 128u, 896u}) {  // the first, one between, the last (cut short)
        BytesSource source(other, 64 * 2, failAt);
        CompareRows rows;
        EXPECT_EQ(collectCompareRows(doc.data(), 1000, source, other.size(), rows), CompareOutcome::ReadFailed);
        EXPECT_EQ(rows.count(), 0u) << "failing at " << failAt;
        EXPECT_EQ(rows.targets, nullptr);
    }
}

TEST(CompareRows, TypeAheadFindsTheRunOfAddressesWithThePrefix) {
    CompareRows rows;
    rows.offsets = {0x00000005, 0x00000010, 0x0000001A, 0x000000A0, 0x000A0000, 0xA0000000};
    struct Case {
        const char* prefix;
        long start;
        bool partial, wrap;
        long row;
    };
    for (const Case& c : {Case{"0000001", 0, true, true, 1},   // the first of the run
                          Case{"0000001", 2, true, true, 2},   // the start itself matches
                          Case{"0000001", 3, true, true, 1},   // past the run: wraps to its top
                          Case{"0000001", 3, true, false, -1},
                          Case{"0000001a", 0, true, true, 2},  // either case
                          Case{"a", 0, true, true, 5},
                          Case{"000A", 0, true, true, 4},
                          Case{"", 4, true, true, 4},          // every row matches
                          Case{"000000A0", 0, false, true, 3},
                          Case{"000000A", 0, false, true, -1}, // the whole address without partial
                          Case{"00000006", 0, true, true, -1},
                          Case{"0x", 0, true, true, -1},
                          Case{"000000050", 0, true, true, -1}}) {
        EXPECT_EQ(findCompareRow(rows, c.prefix, c.start, c.partial, c.wrap), c.row)
            << c.prefix << " from " << c.start;
    }
    EXPECT_EQ(findCompareRow(CompareRows{}, "0", 0, true, true), -1);
}

TEST(CompareSteps, NextAndPreviousDifferenceGoRoundAtTheEnds) {
    const std::vector<uint32_t> offsets = {3, 4, 20, 100};
    // From the caret, forward or back: the difference it lands on, and whether it went round an end.
    const std::tuple<uint32_t, bool, int, bool> cases[] = {
        {0, true, 0, false},    {3, true, 1, false},    {50, true, 3, false}, {100, true, 0, true}, {200, true, 0, true},
        {200, false, 3, false}, {100, false, 2, false}, {4, false, 0, false}, {3, false, 3, true},  {0, false, 3, true}};
    for (const auto& [caret, forward, index, wrapped] : cases) {
        DifferenceStep step;
        ASSERT_TRUE(nextDifference(offsets, caret, forward, step));
        EXPECT_EQ(static_cast<int>(step.index), index) << caret << (forward ? " forward" : " back");
        EXPECT_EQ(step.wrapped, wrapped) << caret << (forward ? " forward" : " back");
    }
    DifferenceStep step;
    EXPECT_FALSE(nextDifference({}, 0, true, step));
}
