// Shared storage: slices copy nothing and keep their bytes alive; a repeated
// string stays small and cuts into any chunk plan with the right bytes.
#include <gtest/gtest.h>

#include <array>
#include <cstddef>

#include "zelkor/ByteString.hpp"

namespace {

using zelkor::ByteString;
using zelkor::ChunkedByteString;

TEST(ByteStorage, SlicesShareStorageAndOutliveTheirParent) {
    ByteString slice;
    const std::uint8_t* start = nullptr;
    {
        const ByteString parent = ByteString::fromText("abcdefgh");
        start = parent.data();
        slice = parent.drop(2).take(3);
        EXPECT_EQ(ByteString(parent).data(), start);
        EXPECT_EQ(ChunkedByteString::chunksOf(3, parent).chunks()[1].data(), start + 3);
        EXPECT_EQ(ChunkedByteString::fromStrict(parent).toStrict().data(), start);
    }
    EXPECT_EQ(slice.data(), start + 2);
    EXPECT_EQ(slice, ByteString::fromText("cde"));
    EXPECT_EQ(slice.slice(1, 100), ByteString::fromText("de"));
    EXPECT_TRUE(slice.slice(3, 1).empty());
}

TEST(ByteStorage, RepeatStaysSmallAndRechunksToTheSameBytes) {
    const ByteString pattern = ByteString::fromText("0123456789");
    // 10 GB of content: only its chunk list is held.
    const ChunkedByteString huge = ChunkedByteString::repeat(pattern, std::uint64_t{1} << 30);
    EXPECT_EQ(huge.size(), std::uint64_t{10} << 30);
    EXPECT_LT(huge.chunks().size(), 20000u);

    const ChunkedByteString small = ChunkedByteString::repeat(pattern, 1000);
    const ByteString whole = small.toStrict();
    const std::array<std::size_t, 4> plan{1, 9, 11, 4096};
    for (const ChunkedByteString& source : {small, ChunkedByteString::chunksOf(7, whole)}) {
        const ChunkedByteString cut = source.rechunked(plan);
        ASSERT_EQ(cut, ChunkedByteString::fromStrict(whole));
        ASSERT_EQ(cut.chunks()[0].size(), 1u);
        ASSERT_EQ(cut.chunks()[3].size(), 4096u);
        ASSERT_EQ(cut.chunks()[4].size(), 1u);
    }
    EXPECT_EQ(whole.take(12), ByteString::fromText("012345678901"));
}

}  // namespace
