#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "zelkor/tests/Crypto.hpp"

namespace {

using zelkor::ByteString;
using zelkor::tests::HexDecodeError;
using zelkor::tests::hexStringToBS;

constexpr const char* kOddMessage = "Not an even number of hex characters in input to hexStringToBS!";

std::string errorOf(std::string_view hex) {
    try {
        hexStringToBS(hex);
    } catch (const HexDecodeError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(HexStringToBS, DecodesPairsInOrderInEitherCase) {
    EXPECT_EQ(hexStringToBS(""), ByteString{});
    EXPECT_EQ(hexStringToBS("00"), (ByteString{0x00}));
    EXPECT_EQ(hexStringToBS("ff"), (ByteString{0xFF}));
    EXPECT_EQ(hexStringToBS("FF"), (ByteString{0xFF}));
    EXPECT_EQ(hexStringToBS("fF"), (ByteString{0xFF}));
    EXPECT_EQ(hexStringToBS("0A1b2C"), (ByteString{0x0A, 0x1B, 0x2C}));
    EXPECT_EQ(hexStringToBS("0123456789abcdefABCDEF"),
              (ByteString{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0xAB, 0xCD, 0xEF}));
}

TEST(HexStringToBS, PairWithNonDigitSecondCharacterKeepsFirstDigit) {
    EXPECT_EQ(hexStringToBS("7z"), (ByteString{0x07}));
    EXPECT_EQ(hexStringToBS("1 "), (ByteString{0x01}));
    EXPECT_EQ(hexStringToBS("0x1f"), (ByteString{0x00, 0x1F}));
    EXPECT_EQ(hexStringToBS(std::string("a\0", 2)), (ByteString{0x0A}));
    EXPECT_EQ(hexStringToBS("F\xff"), (ByteString{0x0F}));
}

TEST(HexStringToBS, PairStartingWithNonDigitFails) {
    for (const char* bad : {"z1", " 1", "g0", "+1", "\xff" "0", "00G0"}) {
        EXPECT_THROW(hexStringToBS(bad), HexDecodeError) << bad;
    }
    EXPECT_THROW(hexStringToBS(std::string("\0" "1", 2)), HexDecodeError);
}

TEST(HexStringToBS, OddLengthFailsWithFixedMessageBeforeLookingAtPairs) {
    EXPECT_EQ(errorOf("0"), kOddMessage);
    EXPECT_EQ(errorOf("abc"), kOddMessage);
    EXPECT_EQ(errorOf("zz1"), kOddMessage);
    EXPECT_EQ(errorOf(std::string(100001, 'a')), kOddMessage);
}

TEST(HexStringToBS, BadPairMessageNamesThePairAndItsOffset) {
    const std::string message = errorOf("0011zz22");
    EXPECT_NE(message.find("\"zz\""), std::string::npos) << message;
    EXPECT_NE(message.find("offset 4"), std::string::npos) << message;

    // Unprintable characters are escaped rather than written raw.
    const std::string escaped = errorOf(std::string("\x01\n", 2));
    EXPECT_NE(escaped.find("\\x01\\x0a"), std::string::npos) << escaped;
    EXPECT_NE(escaped.find("offset 0"), std::string::npos) << escaped;
}

TEST(HexStringToBS, LongInputGivesHalfAsManyBytes) {
    std::string hex;
    for (int i = 0; i < 40000; ++i) hex += "0123456789abcdef";
    const ByteString bytes = hexStringToBS(hex);
    ASSERT_EQ(bytes.size(), hex.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        ASSERT_EQ(bytes[i], (0x01 + 0x22 * (i % 8)) & 0xFF) << "byte " << i;
    }
}

// Long inputs are decoded in blocks of 16 characters: any character at any
// place in a block must give what it gives alone.
TEST(HexStringToBS, EveryCharacterAtEveryPlaceOfABlock) {
    for (int c = 0; c < 256; ++c) {
        const int value = std::isxdigit(c) ? std::stoi(std::string(1, static_cast<char>(c)), nullptr, 16) : -1;
        for (std::size_t at = 0; at < 48; ++at) {
            std::string hex(48, '5');
            hex[at] = static_cast<char>(c);
            if (value < 0 && at % 2 == 0) {
                ASSERT_THROW(hexStringToBS(hex), HexDecodeError) << c << " at " << at;
                continue;
            }
            const ByteString bytes = hexStringToBS(hex);
            const int expected = value < 0 ? 0x05 : at % 2 == 0 ? (value << 4) | 5 : 0x50 | value;
            ASSERT_EQ(bytes[at / 2], expected) << c << " at " << at;
            ASSERT_EQ(bytes[at / 2 == 0 ? 1 : 0], 0x55);
        }
    }
}

}  // namespace
