#include <gtest/gtest.h>

#include <random>
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
