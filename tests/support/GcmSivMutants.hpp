#pragma once
// AES-GCM-SIV put together from the library's GF(2^128) multiplication and
// OpenSSL's AES blocks, correct or with one classic fault. Faulty, it still
// seals and opens consistently, so only known answers show the fault.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "OpenSSLAES.hpp"
#include "zelkor/Aead.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/detail/GcmMath.hpp"

namespace zelkor::testsupport::mutants {

enum class GcmSivFault {
    None,
    PolyvalWithoutByteReversal,  // GHASH's bit order for POLYVAL: no reversal of key, blocks or result
};

template <int Bits, GcmSivFault Fault>
class GcmSivFromPieces {
    using Block = zelkor::detail::GcmBlock;
    using Aes = reference::OpenSSLAES<Bits>;

public:
    static constexpr int keyLength = Bits;

    static std::optional<GcmSivFromPieces> buildKey(const ByteString& bytes) {
        std::optional<Aes> aes = Aes::buildKey(bytes);
        if (!aes) return std::nullopt;
        return GcmSivFromPieces(std::move(*aes));
    }
    static bool acceptsNonce(std::size_t bytes) { return bytes == 12; }
    static bool acceptsTag(std::size_t bytes) { return bytes == 16; }

    AeadSealed seal(const ByteString& nonce, const ByteString& aad, const ByteString& plaintext,
                    std::size_t tagBytes) const {
        require(nonce.size(), tagBytes);
        const Keys keys = derive(nonce);
        const Block tag = tagOf(keys, nonce, aad, plaintext);
        return {counterMode(keys.encryption, tag, plaintext), ByteString(tag.data(), tag.size())};
    }

    std::optional<ByteString> open(const ByteString& nonce, const ByteString& aad, const ByteString& ciphertext,
                                   const ByteString& tag) const {
        require(nonce.size(), tag.size());
        const Keys keys = derive(nonce);
        Block given{};
        std::copy(tag.begin(), tag.end(), given.begin());
        ByteString plaintext = counterMode(keys.encryption, given, ciphertext);
        if (tagOf(keys, nonce, aad, plaintext) != given) return std::nullopt;
        return plaintext;
    }

private:
    struct Keys {
        Block authentication;
        Aes encryption;
    };

    explicit GcmSivFromPieces(Aes aes) : aes_(std::move(aes)) {}

    static void require(std::size_t nonceBytes, std::size_t tagBytes) {
        if (!acceptsNonce(nonceBytes) || !acceptsTag(tagBytes)) {
            throw std::invalid_argument("GCM-SIV: nonce of " + std::to_string(nonceBytes) + " bytes, tag of " +
                                        std::to_string(tagBytes));
        }
    }

    static Block toBlock(const ByteString& bytes) {
        Block block{};
        std::copy(bytes.begin(), bytes.end(), block.begin());
        return block;
    }
    Block encrypt(const Aes& key, const Block& block) const {
        return toBlock(key.encryptBlock(ByteString(block.data(), block.size())));
    }

    // The first 8 bytes of E(K, LE32(i) || nonce), for i = 0.. : the
    // authentication key, then the encryption key.
    Keys derive(const ByteString& nonce) const {
        std::vector<std::uint8_t> halves;
        for (std::uint8_t i = 0; i < 2 + Bits / 64; ++i) {
            Block in{};
            in[0] = i;
            std::copy(nonce.begin(), nonce.end(), in.begin() + 4);
            const Block out = encrypt(aes_, in);
            halves.insert(halves.end(), out.begin(), out.begin() + 8);
        }
        Block authentication{};
        std::copy(halves.begin(), halves.begin() + 16, authentication.begin());
        std::optional<Aes> encryption = Aes::buildKey(ByteString(halves.data() + 16, Bits / 8));
        return {authentication, std::move(*encryption)};
    }

    static Block reversed(Block block) {
        if constexpr (Fault != GcmSivFault::PolyvalWithoutByteReversal) std::reverse(block.begin(), block.end());
        return block;
    }

    // POLYVAL through GHASH: reverse the key (times x), each block and the result.
    static Block polyval(const Block& key, const std::vector<Block>& blocks) {
        Block x{};
        x[0] = 0x40;
        const Block h = zelkor::detail::gfMultiply(reversed(key), x);
        Block s{};
        for (const Block& each : blocks) {
            const Block in = reversed(each);
            for (std::size_t i = 0; i < 16; ++i) s[i] ^= in[i];
            s = zelkor::detail::gfMultiply(s, h);
        }
        return reversed(s);
    }

    static void appendPadded(std::vector<Block>& blocks, const ByteString& bytes) {
        for (std::size_t at = 0; at < bytes.size(); at += 16) {
            Block block{};
            std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                      bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), at + 16)), block.begin());
            blocks.push_back(block);
        }
    }

    Block tagOf(const Keys& keys, const ByteString& nonce, const ByteString& aad, const ByteString& plaintext) const {
        std::vector<Block> blocks;
        appendPadded(blocks, aad);
        appendPadded(blocks, plaintext);
        Block lengths{};
        const std::uint64_t aadBits = aad.size() * 8, textBits = plaintext.size() * 8;
        for (std::size_t i = 0; i < 8; ++i) {
            lengths[i] = static_cast<std::uint8_t>(aadBits >> (8 * i));
            lengths[8 + i] = static_cast<std::uint8_t>(textBits >> (8 * i));
        }
        blocks.push_back(lengths);
        Block s = polyval(keys.authentication, blocks);
        for (std::size_t i = 0; i < 12; ++i) s[i] ^= nonce[i];
        s[15] &= 0x7f;
        return encrypt(keys.encryption, s);
    }

    // Counter blocks from the tag with its top bit set; the first 32 bits
    // count, little-endian, modulo 2^32.
    ByteString counterMode(const Aes& key, Block counter, const ByteString& text) const {
        counter[15] |= 0x80;
        std::vector<std::uint8_t> out(text.begin(), text.end());
        for (std::size_t at = 0; at < out.size(); at += 16) {
            const Block stream = encrypt(key, counter);
            for (std::size_t i = 0; i < 16 && at + i < out.size(); ++i) out[at + i] ^= stream[i];
            std::uint32_t count = static_cast<std::uint32_t>(counter[0]) | static_cast<std::uint32_t>(counter[1]) << 8 |
                                  static_cast<std::uint32_t>(counter[2]) << 16 |
                                  static_cast<std::uint32_t>(counter[3]) << 24;
            ++count;
            for (std::size_t i = 0; i < 4; ++i) counter[i] = static_cast<std::uint8_t>(count >> (8 * i));
        }
        return ByteString(std::move(out));
    }

    Aes aes_;
};

}  // namespace zelkor::testsupport::mutants
