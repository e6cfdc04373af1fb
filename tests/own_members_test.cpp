// Own members that a class template offers for some of its instantiations
// only (removed by a requires-clause for the others): where removed they
// count as absent and the generic operation is used, where present they are
// called. Members that are there but do not fit stay compile errors (see
// conformance_test.cpp); here the checks behind that choice are asserted.

#include <gtest/gtest.h>

#include "OpenSSLDigests.hpp"
#include "support/CipherMutants.hpp"
#include "support/HashMutants.hpp"
#include "zelkor/Gcm.hpp"
#include "zelkor/Hmac.hpp"
#include "zelkor/Modes.hpp"

namespace {

using namespace zelkor;

// Own CBC and GCM for 128-bit keys only; each marks its output so a test can
// tell it was called.
template <int Bits>
struct OwnFor128Only : testsupport::mutants::Wrapper<OwnFor128Only<Bits>, reference::OpenSSLAES<Bits>> {
    using Self = OwnFor128Only;
    std::pair<ByteString, IV<Self>> cbc(const IV<Self>& iv, const ByteString&) const
        requires(Bits == 128)
    {
        return {ByteString{0xcb}, iv};
    }
    GcmSealed gcmEncrypt(const ByteString&, const ByteString&, const ByteString&, std::size_t) const
        requires(Bits == 128)
    {
        return {ByteString{0x9c}, ByteString{}};
    }
    std::optional<ByteString> gcmDecrypt(const ByteString&, const ByteString&, const ByteString&,
                                         const ByteString&) const
        requires(Bits == 128)
    {
        return std::nullopt;
    }
};

template <bool Own>
struct HmacIfOwn : testsupport::DigestWrapper<HmacIfOwn<Own>, reference::SHA256> {
    using HmacIfOwn::DigestWrapper::DigestWrapper;
    static HmacIfOwn hash(const ByteString& m) { return HmacIfOwn(reference::SHA256::hash(m)); }
    static HmacIfOwn hash(const ChunkedByteString& m) { return HmacIfOwn(reference::SHA256::hash(m)); }
    static HmacIfOwn hmac(const ByteString&, const ByteString&)
        requires Own
    {
        return HmacIfOwn(reference::SHA256::hash(ByteString{}));
    }
    static HmacIfOwn hmac(const ByteString&, const ChunkedByteString&)
        requires Own
    {
        return HmacIfOwn(reference::SHA256::hash(ByteString{}));
    }
};

static_assert(detail::UsesOwn_cbc<OwnFor128Only<128>> && detail::OwnFits_cbc<OwnFor128Only<128>>);
static_assert(!detail::UsesOwn_cbc<OwnFor128Only<192>> && !detail::UsesOwn_gcmEncrypt<OwnFor128Only<192>>);
static_assert(detail::OwnFits_gcmDecrypt<OwnFor128Only<128>> && !detail::UsesOwn_gcmDecrypt<OwnFor128Only<256>>);
static_assert(detail::UsesOwnHmac<HmacIfOwn<true>> && !detail::UsesOwnHmac<HmacIfOwn<false>>);

TEST(OwnMembers, RemovedByRequiresClauseMeansGeneric) {
    const ByteString block(std::vector<std::uint8_t>(16, 7));
    const auto own = *OwnFor128Only<128>::buildKey(ByteString(std::vector<std::uint8_t>(16, 1)));
    const auto removed = *OwnFor128Only<192>::buildKey(ByteString(std::vector<std::uint8_t>(24, 1)));
    const auto aes192 = *reference::AES192::buildKey(ByteString(std::vector<std::uint8_t>(24, 1)));
    const IV<OwnFor128Only<192>> iv = *IV<OwnFor128Only<192>>::decode(block);

    EXPECT_EQ(cbc(own, *IV<OwnFor128Only<128>>::decode(block), block).first, ByteString{0xcb});
    EXPECT_EQ(gcmEncrypt(own, block, {}, block).ciphertext, ByteString{0x9c});
    EXPECT_EQ(cbc(removed, iv, block).first, cbc(aes192, *IV<reference::AES192>::decode(block), block).first);
    EXPECT_EQ(gcmEncrypt(removed, block, {}, block), gcmEncrypt(aes192, block, {}, block));
    EXPECT_EQ(hmac<HmacIfOwn<false>>(block, block).encode(), hmac<reference::SHA256>(block, block).encode());
    EXPECT_NE(hmac<HmacIfOwn<true>>(block, block).encode(), hmac<reference::SHA256>(block, block).encode());
}

}  // namespace
