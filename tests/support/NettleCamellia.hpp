#pragma once
// Camellia from nettle, the second implementation the Camellia vectors and
// the OpenSSL reference are checked against, for 128-, 192- or 256-bit keys.

#include <memory>
#include <optional>
#include <stdexcept>
#include <type_traits>

#include <nettle/camellia.h>

#include "zelkor/ByteString.hpp"

namespace zelkor::testsupport {

template <int Bits>
class NettleCamellia {
    using Ctx = std::conditional_t<Bits == 128, camellia128_ctx, camellia256_ctx>;
    struct Keys {
        Ctx encrypt, decrypt;
    };

public:
    static_assert(Bits == 128 || Bits == 192 || Bits == 256);
    static constexpr int blockSize = 128;
    static constexpr int keyLength = Bits;

    static std::optional<NettleCamellia> buildKey(const ByteString& key) {
        if (key.size() != Bits / 8) return std::nullopt;
        auto keys = std::make_shared<Keys>();
        if constexpr (Bits == 128) {
            camellia128_set_encrypt_key(&keys->encrypt, key.data());
            camellia128_set_decrypt_key(&keys->decrypt, key.data());
        } else if constexpr (Bits == 192) {
            camellia192_set_encrypt_key(&keys->encrypt, key.data());
            camellia192_set_decrypt_key(&keys->decrypt, key.data());
        } else {
            camellia256_set_encrypt_key(&keys->encrypt, key.data());
            camellia256_set_decrypt_key(&keys->decrypt, key.data());
        }
        return NettleCamellia(std::move(keys));
    }

    ByteString encryptBlock(const ByteString& blocks) const { return run(keys_->encrypt, blocks); }
    ByteString decryptBlock(const ByteString& blocks) const { return run(keys_->decrypt, blocks); }

private:
    explicit NettleCamellia(std::shared_ptr<const Keys> keys) : keys_(std::move(keys)) {}

    static ByteString run(const Ctx& ctx, const ByteString& blocks) {
        if (blocks.size() % CAMELLIA_BLOCK_SIZE != 0) throw std::invalid_argument("nettle Camellia: not whole blocks");
        return ByteString::generate(blocks.size(), [&](std::span<std::uint8_t> out) {
            if constexpr (Bits == 128) {
                camellia128_crypt(&ctx, blocks.size(), out.data(), blocks.data());
            } else {
                camellia256_crypt(&ctx, blocks.size(), out.data(), blocks.data());
            }
        });
    }

    std::shared_ptr<const Keys> keys_;
};

}  // namespace zelkor::testsupport
