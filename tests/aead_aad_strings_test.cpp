// Associated data as a list of strings: SIV's known answer with two strings,
// the records a one-string type skips, the split-AAD property against an SIV
// that joins the strings, and the two SIV libraries agreeing on lists.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "GcryptAeads.hpp"
#include "ReferencePrimitives.hpp"
#include "support/DataDir.hpp"
#include "support/OpenSSLSiv.hpp"
#include "support/SivMutants.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/AEAD.hpp"
#include "zelkor/tests/detail/aead/AeadKnownAnswers.hpp"

namespace {

using namespace zelkor;
using testsupport::Outcome;

// The outcome of each known-answer case of Test/KAT_AES_SIV for A.
template <class A>
std::map<std::string, Outcome> sivKnownAnswers() {
    return testsupport::outcomesByPath(tests::aead_detail::knownAnswerTests<A>("KAT_AES_SIV"));
}

ByteString bytes(std::size_t n, std::uint8_t seed) {
    std::vector<std::uint8_t> out(n);
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(seed + i * 7);
    return ByteString(std::move(out));
}

TEST(AeadAadStrings, TwoStringRecordRunsOrIsSkippedByDeclaration) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    const auto reference = sivKnownAnswers<reference::GcryptAes128Siv>();
    ASSERT_TRUE(reference.contains("rfc5297.txt-1"));
    EXPECT_EQ(reference.at("rfc5297.txt-1").kind, Outcome::Kind::Passed) << reference.at("rfc5297.txt-1").message;

    // A type of one string (this one right on A.1) skips it with the count.
    const auto oneString = sivKnownAnswers<testsupport::mutants::SivCounterBitsKept>();
    ASSERT_TRUE(oneString.contains("rfc5297.txt-1"));
    EXPECT_EQ(oneString.at("rfc5297.txt-1").kind, Outcome::Kind::Skipped);
    EXPECT_EQ(oneString.at("rfc5297.txt-1").message, "2 associated-data strings not accepted by the type");
}

TEST(AeadAadStrings, JoiningTheStringsIsCaught) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    using Mutant = testsupport::mutants::SivJoinedAadStrings;
    const auto known = sivKnownAnswers<Mutant>();
    EXPECT_EQ(known.at("rfc5297.txt-0").kind, Outcome::Kind::Passed);
    EXPECT_EQ(known.at("rfc5297.txt-1").kind, Outcome::Kind::AssertionFailed);

    const auto properties = testsupport::outcomesByPath(tests::makeAeadPropertyTests<Mutant>());
    const std::string group = "AEAD properties/";
    EXPECT_EQ(properties.at(group + "AadStringsAreKeptApart").kind, Outcome::Kind::PropertyFailed);
    EXPECT_EQ(properties.at(group + "AadStringCountIsDeclared").kind, Outcome::Kind::Passed);
    EXPECT_EQ(properties.at(group + "SealThenOpen").kind, Outcome::Kind::Passed);
}

// Lists of 0 to 125 strings, with and without a nonce: OpenSSL's SIV and
// libgcrypt's give the same (non-empty messages: OpenSSL 3.0 cannot seal an
// empty one), and both refuse 126 strings.
TEST(AeadAadStrings, SivOfOpenSSLAndLibgcryptAgreeOnLists) {
    const ByteString keyBytes = bytes(32, 3);
    const auto gcrypt = reference::GcryptAes128Siv::buildKey(keyBytes);
    const auto openssl = testsupport::OpenSSLAes128Siv::buildKey(keyBytes);
    ASSERT_TRUE(gcrypt && openssl);
    const ByteString plaintext = bytes(21, 9);
    for (std::size_t count : {0u, 2u, 3u, 125u}) {
        for (std::size_t nonceBytes : {0u, 16u}) {
            std::vector<ByteString> aad;
            for (std::size_t i = 0; i < count; ++i) aad.push_back(bytes(i % 20, static_cast<std::uint8_t>(i)));
            const ByteString nonce = bytes(nonceBytes, 1);
            const AeadSealed sealed = gcrypt->seal(nonce, std::span<const ByteString>(aad), plaintext, 16);
            EXPECT_EQ(openssl->seal(nonce, std::span<const ByteString>(aad), plaintext, 16), sealed)
                << count << " strings, nonce " << nonceBytes;
            EXPECT_EQ(sealWithAad(*openssl, nonce, aad, plaintext, 16), sealed);
            EXPECT_EQ(openWithAad(*gcrypt, nonce, aad, sealed.ciphertext, sealed.tag), plaintext);
        }
    }
    const std::vector<ByteString> tooMany(126, bytes(1, 0));
    EXPECT_THROW((void)gcrypt->seal({}, std::span<const ByteString>(tooMany), plaintext, 16), std::invalid_argument);
    EXPECT_THROW((void)openssl->seal({}, std::span<const ByteString>(tooMany), plaintext, 16), std::invalid_argument);
}

// A type of one string: the helper takes no string as the empty one and
// refuses two.
TEST(AeadAadStrings, HelperOnAOneStringType) {
    const auto key = GcmAead<reference::AES128>::buildKey(bytes(16, 5));
    ASSERT_TRUE(key);
    const ByteString nonce = bytes(12, 2), plaintext = bytes(5, 4);
    EXPECT_EQ(sealWithAad(*key, nonce, {}, plaintext, 16), key->seal(nonce, ByteString(), plaintext, 16));
    const std::vector<ByteString> two = {bytes(1, 1), bytes(1, 2)};
    EXPECT_THROW((void)sealWithAad(*key, nonce, two, plaintext, 16), std::invalid_argument);
}

}  // namespace
