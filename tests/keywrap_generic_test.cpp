// The generic AES-KW and AES-KWP: the published examples, OpenSSL's output
// for every length up to 80 bytes, length refusals, and own members called
// in place of the generic construction.

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ReferencePrimitives.hpp"
#include "zelkor/KeyWrap.hpp"
#include "zelkor/tests/Crypto.hpp"

namespace {

using namespace zelkor;
using tests::hexStringToBS;

template <class K>
K keyOf(const std::string& hex) {
    return *K::buildKey(hexStringToBS(hex));
}

TEST(KeyWrapGeneric, PublishedExamples) {
    const auto kek128 = keyOf<reference::AES128>("000102030405060708090a0b0c0d0e0f");
    const ByteString data = hexStringToBS("00112233445566778899aabbccddeeff");
    const ByteString wrapped = hexStringToBS("1fa68b0a8112b447aef34bd8fb5a7b829d3e862371d2cfe5");
    EXPECT_EQ(kwWrap(kek128, data), wrapped);
    EXPECT_EQ(kwUnwrap(kek128, wrapped), std::optional<ByteString>(data));

    const auto kek192 = keyOf<reference::AES192>("5840df6e29b02af1ab493b705bf16ea1ae8338f4dcc176a8");
    const ByteString twenty = hexStringToBS("c37b7e6492584340bed12207808941155068f738");
    const ByteString wrappedTwenty = hexStringToBS("138bdeaa9b8fa7fc61f97742e72248ee5ae6ae5360d1ae6a5f54f373fa543b6a");
    EXPECT_EQ(kwpWrap(kek192, twenty), wrappedTwenty);
    EXPECT_EQ(kwpUnwrap(kek192, wrappedTwenty), std::optional<ByteString>(twenty));
    const ByteString seven = hexStringToBS("466f7250617369");
    const ByteString wrappedSeven = hexStringToBS("afbeb0f07dfbf5419200f2ccb50bb24f");
    EXPECT_EQ(kwpWrap(kek192, seven), wrappedSeven);
    EXPECT_EQ(kwpUnwrap(kek192, wrappedSeven), std::optional<ByteString>(seven));
}

TEST(KeyWrapGeneric, AgreesWithOpenSSLAtEveryLength) {
    const ByteString kek = hexStringToBS("8f0e6d4c3b2a19087766554433221100ffeeddccbbaa99887766554433221100");
    const auto generic = *KeyWrapOf<reference::AES256, KeyWrapPadding::None>::buildKey(kek);
    const auto genericPadded = *KeyWrapOf<reference::AES256, KeyWrapPadding::Padded>::buildKey(kek);
    const auto openssl = *reference::OpenSSLKeyWrap<256, KeyWrapPadding::None>::buildKey(kek);
    const auto opensslPadded = *reference::OpenSSLKeyWrap<256, KeyWrapPadding::Padded>::buildKey(kek);
    for (std::size_t n = 1; n <= 80; ++n) {
        std::vector<std::uint8_t> bytes(n);
        for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(n * 31 + i);
        const ByteString data(std::move(bytes));
        EXPECT_EQ(genericPadded.wrap(data), opensslPadded.wrap(data)) << n << " bytes";
        if (n % 8 == 0 && n >= 16) {
            EXPECT_EQ(generic.wrap(data), openssl.wrap(data)) << n << " bytes";
        } else {
            EXPECT_THROW((void)generic.wrap(data), std::invalid_argument) << n << " bytes";
        }
    }
    EXPECT_THROW((void)genericPadded.wrap(ByteString()), std::invalid_argument);
    EXPECT_EQ(generic.unwrap(hexStringToBS("00112233445566778899aabbccddeeff")), std::nullopt);
    EXPECT_EQ(genericPadded.unwrap(hexStringToBS("0011223344556677")), std::nullopt);
}

// A cipher whose own kwWrap tags its output, so a call can be told apart.
struct CipherWithOwnKw : reference::AES128 {
    static std::optional<CipherWithOwnKw> buildKey(const ByteString& bytes) {
        auto inner = reference::AES128::buildKey(bytes);
        if (!inner) return std::nullopt;
        return CipherWithOwnKw{*inner};
    }
    ByteString kwWrap(const ByteString& keyData) const { return ByteString{0xee} + keyData; }
};

TEST(KeyWrapGeneric, OwnMembersAreCalled) {
    const auto key = *CipherWithOwnKw::buildKey(hexStringToBS("000102030405060708090a0b0c0d0e0f"));
    const ByteString data = hexStringToBS("00112233445566778899aabbccddeeff");
    EXPECT_EQ(kwWrap(key, data), ByteString{0xee} + data);
    // kwUnwrap is not its own: the generic one over its blocks.
    EXPECT_EQ(kwUnwrap(key, hexStringToBS("1fa68b0a8112b447aef34bd8fb5a7b829d3e862371d2cfe5")),
              std::optional<ByteString>(data));
}

}  // namespace
