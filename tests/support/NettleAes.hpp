#pragma once
// AES-128 from nettle, as a second AES for the constant-time groups: its key
// setup indexes the S-box with key bytes, while its encryption takes AES-NI
// where the processor has it.

#include <memory>
#include <optional>
#include <stdexcept>

#include <nettle/aes.h>

#include "zelkor/ByteString.hpp"

namespace zelkor::testsupport {

class NettleAES128 {
public:
    static constexpr int blockSize = 128;
    static constexpr int keyLength = 128;

    static std::optional<NettleAES128> buildKey(const ByteString& key) {
        if (key.size() != AES128_KEY_SIZE) return std::nullopt;
        auto schedules = std::make_shared<Schedules>();
        aes128_set_encrypt_key(&schedules->encrypt, key.data());
        aes128_set_decrypt_key(&schedules->decrypt, key.data());
        return NettleAES128(std::move(schedules));
    }

    ByteString encryptBlock(const ByteString& blocks) const {
        return run(blocks, [&](std::uint8_t* out) { aes128_encrypt(&schedules_->encrypt, blocks.size(), out, blocks.data()); });
    }
    ByteString decryptBlock(const ByteString& blocks) const {
        return run(blocks, [&](std::uint8_t* out) { aes128_decrypt(&schedules_->decrypt, blocks.size(), out, blocks.data()); });
    }

private:
    struct Schedules {
        aes128_ctx encrypt;
        aes128_ctx decrypt;
    };
    explicit NettleAES128(std::shared_ptr<const Schedules> schedules) : schedules_(std::move(schedules)) {}

    template <class Crypt>
    static ByteString run(const ByteString& blocks, Crypt&& crypt) {
        if (blocks.size() % AES_BLOCK_SIZE != 0) throw std::invalid_argument("nettle AES: not whole blocks");
        return ByteString::generate(blocks.size(), [&](std::span<std::uint8_t> out) { crypt(out.data()); });
    }

    std::shared_ptr<const Schedules> schedules_;
};

}  // namespace zelkor::testsupport
