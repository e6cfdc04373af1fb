// ESP padding: round trips, the exact pad bytes, and malformed padding.

#include <gtest/gtest.h>

#include "OpenSSLAES.hpp"
#include "zelkor/Padding.hpp"

namespace {

using namespace zelkor;

ByteString bytesUpTo(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(0xA0 + i);
    return ByteString(std::move(bytes));
}

TEST(EspPadding, RoundTripsWithMinimalPadding) {
    for (std::size_t block : {1u, 4u, 16u, 256u}) {
        for (std::size_t n = 0; n <= 40; ++n) {
            const ByteString message = bytesUpTo(n);
            const ByteString padded = padESP(block, message);
            EXPECT_EQ(padded.size() % block, 0u) << "block " << block << ", length " << n;
            EXPECT_GT(padded.size(), n);
            EXPECT_LE(padded.size(), n + block) << "block " << block << ", length " << n;
            EXPECT_EQ(unpadESP(padded), message) << "block " << block << ", length " << n;
        }
    }
    EXPECT_EQ(padESPBlockSize<reference::AES128>(bytesUpTo(5)), padESP(16, bytesUpTo(5)));
}

TEST(EspPadding, AppendsCountingBytesThenTheirCount) {
    EXPECT_EQ(padESP(8, ByteString{0xEE, 0xEE, 0xEE}), (ByteString{0xEE, 0xEE, 0xEE, 1, 2, 3, 4, 4}));
    EXPECT_EQ(padESP(4, ByteString{9, 9, 9}), (ByteString{9, 9, 9, 0}));
    EXPECT_EQ(padESP(4, ByteString{9, 9, 9, 9}), (ByteString{9, 9, 9, 9, 1, 2, 3, 3}));
    EXPECT_EQ(padESP(256, ByteString()).size(), 256u);
    EXPECT_EQ(padESP(256, ByteString())[254], 255);
    EXPECT_EQ(padESP(256, ByteString())[255], 255);
}

TEST(EspPadding, RejectsMalformedPadding) {
    EXPECT_EQ(unpadESP(ByteString()), std::nullopt);
    EXPECT_EQ(unpadESP(ByteString{3}), std::nullopt);                     // count beyond the input
    EXPECT_EQ(unpadESP(ByteString{1, 2, 3}), std::nullopt);               // 3 pad bytes but only 2 before it
    EXPECT_EQ(unpadESP(ByteString{1}), std::nullopt);                     // no room for the pad byte
    EXPECT_EQ(unpadESP(ByteString{1, 2}), std::nullopt);
    EXPECT_EQ(unpadESP(ByteString{7, 1, 3, 3, 3}), std::nullopt);         // pad bytes 1, 3 instead of 1, 2, 3
    EXPECT_EQ(unpadESP(ByteString{7, 2, 2, 3, 3}), std::nullopt);
    EXPECT_EQ(unpadESP(ByteString{7, 1, 2, 4, 3}), std::nullopt);         // last pad byte wrong
    EXPECT_EQ(unpadESP(ByteString{0xFF}), std::nullopt);
    EXPECT_EQ(unpadESP(ByteString{1, 2, 3, 0}), (ByteString{1, 2, 3}));    // no pad bytes at all
    EXPECT_EQ(unpadESP(ByteString{1, 2, 2}), (ByteString{}));             // all padding
}

TEST(EspPadding, RefusesBlocksOutsideOneTo256Bytes) {
    EXPECT_THROW(padESP(0, bytesUpTo(3)), std::invalid_argument);
    EXPECT_THROW(padESP(257, bytesUpTo(3)), std::invalid_argument);
}

}  // namespace
