#pragma once
// Block ciphers backed by OpenSSL's ECB as a bare block function: Camellia,
// ARIA and SM4 from its default provider, SEED, CAST5 and Blowfish from its
// legacy one. Their modes are the library's generic ones.

#include <cstddef>
#include <memory>
#include <optional>

#include "zelkor/ByteString.hpp"

namespace zelkor::reference {

enum class OpenSSLCipherFamily { Camellia, ARIA, SM4, SEED, CAST5, Blowfish };

namespace detail {

// OpenSSL contexts for both directions, made once by buildKey and only copied
// afterwards, so copies of a key may be used from several threads at once.
struct BlockCipherSchedule;

// The key must be of a length the family takes; std::invalid_argument otherwise.
std::shared_ptr<const BlockCipherSchedule> makeBlockCipherSchedule(OpenSSLCipherFamily family, const ByteString& key);
// Whole blocks of blockBytes, each on its own; other input throws std::invalid_argument.
ByteString blockCipherBlocks(const BlockCipherSchedule& key, bool encrypt, const ByteString& blocks);

}  // namespace detail

template <OpenSSLCipherFamily Family, int BlockBits, int KeyBits>
class OpenSSLBlockCipher {
public:
    static constexpr int blockSize = BlockBits;
    static constexpr int keyLength = KeyBits;

    // Exactly keyLength/8 bytes, else none.
    static std::optional<OpenSSLBlockCipher> buildKey(const ByteString& key) {
        if (key.size() != KeyBits / 8) return std::nullopt;
        return OpenSSLBlockCipher(detail::makeBlockCipherSchedule(Family, key));
    }

    ByteString encryptBlock(const ByteString& b) const { return detail::blockCipherBlocks(*schedule_, true, b); }
    ByteString decryptBlock(const ByteString& b) const { return detail::blockCipherBlocks(*schedule_, false, b); }

private:
    explicit OpenSSLBlockCipher(std::shared_ptr<const detail::BlockCipherSchedule> schedule)
        : schedule_(std::move(schedule)) {}
    std::shared_ptr<const detail::BlockCipherSchedule> schedule_;
};

using Camellia128 = OpenSSLBlockCipher<OpenSSLCipherFamily::Camellia, 128, 128>;
using Camellia192 = OpenSSLBlockCipher<OpenSSLCipherFamily::Camellia, 128, 192>;
using Camellia256 = OpenSSLBlockCipher<OpenSSLCipherFamily::Camellia, 128, 256>;
using ARIA128 = OpenSSLBlockCipher<OpenSSLCipherFamily::ARIA, 128, 128>;
using ARIA192 = OpenSSLBlockCipher<OpenSSLCipherFamily::ARIA, 128, 192>;
using ARIA256 = OpenSSLBlockCipher<OpenSSLCipherFamily::ARIA, 128, 256>;
using SM4 = OpenSSLBlockCipher<OpenSSLCipherFamily::SM4, 128, 128>;
using SEED = OpenSSLBlockCipher<OpenSSLCipherFamily::SEED, 128, 128>;
using CAST5 = OpenSSLBlockCipher<OpenSSLCipherFamily::CAST5, 64, 128>;
using CAST5_80 = OpenSSLBlockCipher<OpenSSLCipherFamily::CAST5, 64, 80>;
using CAST5_40 = OpenSSLBlockCipher<OpenSSLCipherFamily::CAST5, 64, 40>;
using Blowfish = OpenSSLBlockCipher<OpenSSLCipherFamily::Blowfish, 64, 128>;
using Blowfish64 = OpenSSLBlockCipher<OpenSSLCipherFamily::Blowfish, 64, 64>;

}  // namespace zelkor::reference
