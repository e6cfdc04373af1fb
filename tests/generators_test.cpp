// Bounds and distributions of the random byte strings. Fixed seeds keep these
// deterministic.

#include <algorithm>
#include <numeric>
#include <vector>

#include <gtest/gtest.h>
#include <rapidcheck.h>

#include "zelkor/tests/detail/checks/Generators.hpp"

namespace {

using zelkor::ByteString;
using zelkor::ChunkedByteString;

template <class T>
T draw(rc::Random& source, int size) {
    const rc::Random random = source.split();
    return rc::gen::arbitrary<T>()(random, size).value();
}

TEST(Generators, LengthIsUniformOver0To4096WhateverTheSize) {
    rc::Random source(20261208);
    std::vector<int> seen(4097, 0);
    constexpr int kDraws = 60000;
    for (int i = 0; i < kDraws; ++i) {
        const ByteString s = draw<ByteString>(source, 0);
        ASSERT_LE(s.size(), 4096u);
        ++seen[s.size()];
        // At size 0 every byte is zero.
        ASSERT_TRUE(std::all_of(s.begin(), s.end(), [](auto b) { return b == 0; }));
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 0), 0) << "some length never drawn";
    // About 14.6 per value; a generator favouring a region would show here.
    const auto [lo, hi] = std::minmax_element(seen.begin(), seen.end());
    EXPECT_GE(*lo, 1);
    EXPECT_LE(*hi, 40);
    const long firstHalf = std::accumulate(seen.begin(), seen.begin() + 2048, 0L);
    EXPECT_NEAR(static_cast<double>(firstHalf) / kDraws, 2048.0 / 4097.0, 0.01);
}

TEST(Generators, ByteValuesFollowTheSize) {
    rc::Random source(7);
    std::vector<int> counts(256, 0);
    for (int i = 0; i < 200; ++i) {
        for (auto b : draw<ByteString>(source, 100)) ++counts[b];
    }
    EXPECT_EQ(std::count(counts.begin(), counts.end(), 0), 0) << "at full size every byte value occurs";

    int maxAtSize20 = 0;
    for (int i = 0; i < 200; ++i) {
        for (auto b : draw<ByteString>(source, 20)) maxAtSize20 = std::max<int>(maxAtSize20, b);
    }
    EXPECT_EQ(maxAtSize20, 3) << "size 20 scales bytes to 2 bits";
}

TEST(Generators, ChunkCountIsUniformOver0To10) {
    rc::Random source(42);
    std::vector<int> chunkCounts(11, 0);
    for (int i = 0; i < 2200; ++i) {
        const ChunkedByteString c = draw<ChunkedByteString>(source, 0);
        ASSERT_LE(c.chunks().size(), 10u);
        ASSERT_LE(c.size(), 10u * 4096u);
        ASSERT_TRUE(std::none_of(c.chunks().begin(), c.chunks().end(), [](const ByteString& b) { return b.empty(); }));
        ++chunkCounts[c.chunks().size()];
    }
    for (int n = 0; n <= 10; ++n) {
        EXPECT_GT(chunkCounts[n], 140) << "chunk count " << n;
        EXPECT_LT(chunkCounts[n], 260) << "chunk count " << n;
    }
}

TEST(Generators, NothingShrinks) {
    rc::Random source(3);
    for (int size : {0, 50, 100}) {
        const rc::Random a = source.split();
        EXPECT_FALSE(static_cast<bool>(rc::gen::arbitrary<ByteString>()(a, size).shrinks().next()));
        const rc::Random b = source.split();
        EXPECT_FALSE(static_cast<bool>(rc::gen::arbitrary<ChunkedByteString>()(b, size).shrinks().next()));
    }
}

TEST(Generators, SameRandomGivesTheSameString) {
    const rc::Random random(99);
    EXPECT_EQ(rc::gen::arbitrary<ByteString>()(random, 100).value(),
              rc::gen::arbitrary<ByteString>()(random, 100).value());
}

}  // namespace
