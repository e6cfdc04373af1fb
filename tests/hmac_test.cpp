// The reference digests against nettle's, and the generic HMAC against
// OpenSSL's.

#include <cstdint>
#include <optional>
#include <vector>

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include "OpenSSLDigests.hpp"
#include "support/IndependentDigests.hpp"
#include "support/IndependentInputs.hpp"
#include "zelkor/Hmac.hpp"
#include "zelkor/tests/Crypto.hpp"

// Digest types that exist only to be passed to hmac. Outside the unnamed
// namespace: their operator== is needed only by the Hash concept.
namespace hmac_test_fakes {

using zelkor::ByteString;
using zelkor::ChunkedByteString;

// A digest with its own hmac gets that called, for both message forms.
struct DigestWithOwnHmac {
    static constexpr int outputLength = 8;
    static constexpr int blockLength = 8;
    std::uint8_t value = 0;
    static DigestWithOwnHmac hash(const ByteString&) { return {1}; }
    static DigestWithOwnHmac hash(const ChunkedByteString&) { return {2}; }
    static DigestWithOwnHmac hmac(const ByteString&, const ByteString&) { return {3}; }
    static DigestWithOwnHmac hmac(const ByteString&, const ChunkedByteString&) { return {4}; }
    ByteString encode() const { return {value}; }
    static std::optional<DigestWithOwnHmac> decode(const ByteString&) { return std::nullopt; }
    friend bool operator==(const DigestWithOwnHmac&, const DigestWithOwnHmac&) = default;
};

// A digest whose block is less than a byte cannot be keyed.
struct DigestWithTinyBlock {
    static constexpr int outputLength = 8;
    static constexpr int blockLength = 4;
    static DigestWithTinyBlock hash(const ByteString&) { return {}; }
    static DigestWithTinyBlock hash(const ChunkedByteString&) { return {}; }
    ByteString encode() const { return {0}; }
    static std::optional<DigestWithTinyBlock> decode(const ByteString&) { return std::nullopt; }
    friend bool operator==(const DigestWithTinyBlock&, const DigestWithTinyBlock&) = default;
};

}  // namespace hmac_test_fakes

namespace {

using namespace zelkor;
using namespace hmac_test_fakes;
using testsupport::bytesOfLength;
using testsupport::randomChunks;
using testsupport::sizeBetween;
using zelkor::tests::hexStringToBS;

// Pairs of the same algorithm: OpenSSL's digest (with OpenSSL's HMAC) and
// nettle's (with the generic HMAC).
template <class OpenSSL, class Nettle>
struct SameAlgorithm {
    using OpenSSLDigest = OpenSSL;
    using NettleDigest = Nettle;
};

template <class Pair>
class DigestPair : public ::testing::Test {};
using AllAlgorithms = ::testing::Types<SameAlgorithm<reference::MD5, testsupport::NettleMD5>,
                                       SameAlgorithm<reference::SHA1, testsupport::NettleSHA1>,
                                       SameAlgorithm<reference::SHA224, testsupport::NettleSHA224>,
                                       SameAlgorithm<reference::SHA256, testsupport::NettleSHA256>,
                                       SameAlgorithm<reference::SHA384, testsupport::NettleSHA384>,
                                       SameAlgorithm<reference::SHA512, testsupport::NettleSHA512>>;
TYPED_TEST_SUITE(DigestPair, AllAlgorithms);

TYPED_TEST(DigestPair, DigestsAgree) {
    using O = typename TypeParam::OpenSSLDigest;
    using N = typename TypeParam::NettleDigest;
    static_assert(O::outputLength == N::outputLength && O::blockLength == N::blockLength);
    EXPECT_TRUE(rc::check([] {
        const ByteString message = *bytesOfLength(*sizeBetween(0, 400));
        const ChunkedByteString chunked = randomChunks(message, 150);
        const ByteString expected = N::hash(message).encode();
        RC_ASSERT(expected.size() == static_cast<std::size_t>(O::outputLength / 8));
        RC_ASSERT(O::hash(message).encode() == expected);
        RC_ASSERT(O::hash(chunked).encode() == expected);
        RC_ASSERT(N::hash(chunked).encode() == expected);
    }));
}

// Keys run past two blocks, so keys longer than a block (hashed first) occur
// for the 64- and the 128-byte blocks alike.
TYPED_TEST(DigestPair, GenericHmacAgreesWithOpenSSL) {
    using O = typename TypeParam::OpenSSLDigest;
    using N = typename TypeParam::NettleDigest;
    EXPECT_TRUE(rc::check([] {
        const ByteString key = *bytesOfLength(*sizeBetween(0, 2 * O::blockLength / 8 + 10));
        const ByteString message = *bytesOfLength(*sizeBetween(0, 300));
        const ChunkedByteString chunked = randomChunks(message, 150);
        const ByteString expected = hmac<O>(key, message).encode();
        RC_ASSERT(hmac<O>(key, chunked).encode() == expected);
        RC_ASSERT(hmac<N>(key, message).encode() == expected);
        RC_ASSERT(hmac<N>(key, chunked).encode() == expected);
    }));
}

TYPED_TEST(DigestPair, DecodeReadsTheFirstOutputBytes) {
    using O = typename TypeParam::OpenSSLDigest;
    const O digest = O::hash(ByteString::fromText("abc"));
    const ByteString bytes = digest.encode();
    EXPECT_EQ(O::decode(bytes), digest);
    EXPECT_EQ(O::decode(bytes + ByteString{1, 2, 3}), digest);
    EXPECT_EQ(O::decode(bytes.take(bytes.size() - 1)), std::nullopt);
    EXPECT_EQ(O::decode(ByteString()), std::nullopt);
}

// RFC 2202 and RFC 4231 test case 1, and RFC 4231 test case 6 (a 131-byte
// key, longer than the block): anchors for both implementations.
TEST(Hmac, PublishedVectors) {
    const ByteString key(std::vector<std::uint8_t>(20, 0x0b));
    const ByteString hiThere = ByteString::fromText("Hi There");
    EXPECT_EQ(hmac<reference::MD5>(key.take(16), hiThere).encode(),
              hexStringToBS("9294727a3638bb1c13f48ef8158bfc9d"));
    EXPECT_EQ(hmac<testsupport::NettleMD5>(key.take(16), hiThere).encode(),
              hexStringToBS("9294727a3638bb1c13f48ef8158bfc9d"));
    const ByteString sha256 = hexStringToBS("b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7");
    EXPECT_EQ(hmac<reference::SHA256>(key, hiThere).encode(), sha256);
    EXPECT_EQ(hmac<testsupport::NettleSHA256>(key, hiThere).encode(), sha256);

    const ByteString longKey(std::vector<std::uint8_t>(131, 0xaa));
    const ByteString message = ByteString::fromText("Test Using Larger Than Block-Size Key - Hash Key First");
    const ByteString sha512 = hexStringToBS(
        "80b24263c7c1a3ebb71493c1dd7be8b49b46d1f41b4aeec1121b013783f8f3526b56d037e05f2598bd0fd2215d6a1e52"
        "95e64f73f63f0aec8b915a985d786598");
    EXPECT_EQ(hmac<reference::SHA512>(longKey, message).encode(), sha512);
    EXPECT_EQ(hmac<testsupport::NettleSHA512>(longKey, ChunkedByteString::chunksOf(7, message)).encode(), sha512);
}

TEST(Hmac, CallsTheDigestsOwnHmac) {
    EXPECT_EQ(hmac<DigestWithOwnHmac>(ByteString(), ByteString()).value, 3);
    EXPECT_EQ(hmac<DigestWithOwnHmac>(ByteString(), ChunkedByteString()).value, 4);
}

TEST(Hmac, RefusesABlockOfLessThanOneByte) {
    EXPECT_THROW(hmac<DigestWithTinyBlock>(ByteString{1}, ByteString{2}), std::invalid_argument);
}

}  // namespace
