#pragma once
// Deliberately broken variants of a correct cipher `Inner`, each with one fault,
// so the Twofish suite can be shown to catch exactly the cases that fault touches.

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/Modes.hpp"

namespace zelkor::testsupport {

// Key schedule fault: a 24-byte key is zero-padded to 32 bytes, so 192-bit keys get
// the 256-bit schedule (a different permutation). 128- and 256-bit keys are right.
template <BlockCipher Inner>
class Wrong192BitKeySchedule {
public:
    static constexpr int blockSize = Inner::blockSize;
    static constexpr int keyLength = Inner::keyLength;

    static std::optional<Wrong192BitKeySchedule> buildKey(const ByteString& bytes) {
        const ByteString zeros(std::vector<std::uint8_t>(8, 0));
        const ByteString used = bytes.size() == 24 ? bytes + zeros : bytes;
        std::optional<Inner> inner = Inner::buildKey(used);
        if (!inner) return std::nullopt;
        return Wrong192BitKeySchedule(std::move(*inner));
    }
    ByteString encryptBlock(const ByteString& bytes) const { return inner_.encryptBlock(bytes); }
    ByteString decryptBlock(const ByteString& bytes) const { return inner_.decryptBlock(bytes); }

private:
    explicit Wrong192BitKeySchedule(Inner inner) : inner_(std::move(inner)) {}
    Inner inner_;
};

// Decryption fault: the last byte of every decrypted block has its low bit flipped.
// Encryption is right, so ECB and CBC decryption fail and nothing else does.
template <BlockCipher Inner>
class WrongDecryption {
public:
    static constexpr int blockSize = Inner::blockSize;
    static constexpr int keyLength = Inner::keyLength;

    static std::optional<WrongDecryption> buildKey(const ByteString& bytes) {
        std::optional<Inner> inner = Inner::buildKey(bytes);
        if (!inner) return std::nullopt;
        return WrongDecryption(std::move(*inner));
    }
    ByteString encryptBlock(const ByteString& bytes) const { return inner_.encryptBlock(bytes); }
    ByteString decryptBlock(const ByteString& bytes) const {
        std::vector<std::uint8_t> out = inner_.decryptBlock(bytes).vector();
        const std::size_t n = blockBytes<Inner>();
        for (std::size_t last = n - 1; last < out.size(); last += n) out[last] ^= 0x01;
        return ByteString(std::move(out));
    }

private:
    explicit WrongDecryption(Inner inner) : inner_(std::move(inner)) {}
    Inner inner_;
};

// CBC fault: its own CBC members chain from an all-zero IV whatever IV they are
// given. Contiguous and chunked forms agree and decryption undoes encryption, so
// only known answers can tell.
template <BlockCipher Inner>
class CbcIgnoresIV {
public:
    static constexpr int blockSize = Inner::blockSize;
    static constexpr int keyLength = Inner::keyLength;
    using Self = CbcIgnoresIV;

    static std::optional<CbcIgnoresIV> buildKey(const ByteString& bytes) {
        std::optional<Inner> inner = Inner::buildKey(bytes);
        if (!inner) return std::nullopt;
        return CbcIgnoresIV(std::move(*inner));
    }
    ByteString encryptBlock(const ByteString& bytes) const { return inner_.encryptBlock(bytes); }
    ByteString decryptBlock(const ByteString& bytes) const { return inner_.decryptBlock(bytes); }

    std::pair<ByteString, IV<Self>> cbc(const IV<Self>&, const ByteString& bytes) const {
        return rewrap(zelkor::cbc(inner_, zeroIV(), bytes));
    }
    std::pair<ByteString, IV<Self>> unCbc(const IV<Self>&, const ByteString& bytes) const {
        return rewrap(zelkor::unCbc(inner_, zeroIV(), bytes));
    }
    std::pair<ChunkedByteString, IV<Self>> cbcLazy(const IV<Self>&, const ChunkedByteString& bytes) const {
        return rewrap(zelkor::cbcLazy(inner_, zeroIV(), bytes));
    }
    std::pair<ChunkedByteString, IV<Self>> unCbcLazy(const IV<Self>&, const ChunkedByteString& bytes) const {
        return rewrap(zelkor::unCbcLazy(inner_, zeroIV(), bytes));
    }

private:
    explicit CbcIgnoresIV(Inner inner) : inner_(std::move(inner)) {}

    static IV<Inner> zeroIV() {
        return IV<Inner>::decode(ByteString(std::vector<std::uint8_t>(blockBytes<Inner>(), 0))).value();
    }
    template <class Bytes>
    static std::pair<Bytes, IV<Self>> rewrap(std::pair<Bytes, IV<Inner>> result) {
        return {std::move(result.first), IV<Self>::decode(result.second.bytes()).value()};
    }

    Inner inner_;
};

}  // namespace zelkor::testsupport
