#pragma once
// Block ciphers whose own AES-KW or AES-KWP unwrap has one classic fault,
// over OpenSSL's AES-128 block function.

#include <cstdint>
#include <optional>

#include "OpenSSLAES.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/KeyWrap.hpp"

namespace zelkor::testsupport::mutants {

enum class KeyWrapFault {
    KwSkipsIntegrityCheck,    // kwUnwrap gives the unwound halves whatever the integrity value
    KwpIgnoresLengthPadding,  // kwpUnwrap checks the constant, not the length indicator against the padding
};

template <KeyWrapFault Fault>
class AesWithOwnUnwrap {
    using Inner = reference::AES128;

public:
    static constexpr int blockSize = 128;
    static constexpr int keyLength = 128;

    static std::optional<AesWithOwnUnwrap> buildKey(const ByteString& bytes) {
        std::optional<Inner> inner = Inner::buildKey(bytes);
        if (!inner) return std::nullopt;
        return AesWithOwnUnwrap(*inner);
    }
    ByteString encryptBlock(const ByteString& b) const { return inner_.encryptBlock(b); }
    ByteString decryptBlock(const ByteString& b) const { return inner_.decryptBlock(b); }

    std::optional<ByteString> kwUnwrap(const ByteString& wrapped) const
        requires(Fault == KeyWrapFault::KwSkipsIntegrityCheck)
    {
        auto unwound = detail::keyWrapUnwind(detail::keyWrapDecryptionOf(inner_), wrapped);
        if (!unwound) return std::nullopt;
        return unwound->halves;
    }

    std::optional<ByteString> kwpUnwrap(const ByteString& wrapped) const
        requires(Fault == KeyWrapFault::KwpIgnoresLengthPadding)
    {
        detail::KeyWrapUnwound unwound;
        if (wrapped.size() == 16) {
            const ByteString b = inner_.decryptBlock(wrapped);
            std::copy(b.begin(), b.begin() + 8, unwound.check.begin());
            unwound.halves = b.drop(8);
        } else if (auto many = detail::keyWrapUnwind(detail::keyWrapDecryptionOf(inner_), wrapped)) {
            unwound = *many;
        } else {
            return std::nullopt;
        }
        if (!std::equal(detail::kKwpCheck.begin(), detail::kKwpCheck.end(), unwound.check.begin())) return std::nullopt;
        std::uint32_t length = 0;
        for (int i = 4; i < 8; ++i) length = length << 8 | unwound.check[i];
        return unwound.halves.take(length);
    }

private:
    explicit AesWithOwnUnwrap(Inner inner) : inner_(inner) {}
    Inner inner_;
};

}  // namespace zelkor::testsupport::mutants
