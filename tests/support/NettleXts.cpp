#include "support/NettleXts.hpp"

#include <stdexcept>
#include <string>
#include <variant>

#include <nettle/aes.h>
#include <nettle/xts.h>

namespace zelkor::testsupport::nettle_xts_detail {

namespace {

// nettle's block functions of each key size, with the signature its XTS calls.
template <class Ctx>
struct Aes;
template <>
struct Aes<aes128_ctx> {
    static void encrypt(const void* c, size_t n, uint8_t* d, const uint8_t* s) {
        aes128_encrypt(static_cast<const aes128_ctx*>(c), n, d, s);
    }
    static void decrypt(const void* c, size_t n, uint8_t* d, const uint8_t* s) {
        aes128_decrypt(static_cast<const aes128_ctx*>(c), n, d, s);
    }
    static void setKeys(aes128_ctx& e, aes128_ctx& d, const uint8_t* key) {
        aes128_set_encrypt_key(&e, key);
        aes128_set_decrypt_key(&d, key);
    }
};
template <>
struct Aes<aes192_ctx> {
    static void encrypt(const void* c, size_t n, uint8_t* d, const uint8_t* s) {
        aes192_encrypt(static_cast<const aes192_ctx*>(c), n, d, s);
    }
    static void decrypt(const void* c, size_t n, uint8_t* d, const uint8_t* s) {
        aes192_decrypt(static_cast<const aes192_ctx*>(c), n, d, s);
    }
    static void setKeys(aes192_ctx& e, aes192_ctx& d, const uint8_t* key) {
        aes192_set_encrypt_key(&e, key);
        aes192_set_decrypt_key(&d, key);
    }
};
template <>
struct Aes<aes256_ctx> {
    static void encrypt(const void* c, size_t n, uint8_t* d, const uint8_t* s) {
        aes256_encrypt(static_cast<const aes256_ctx*>(c), n, d, s);
    }
    static void decrypt(const void* c, size_t n, uint8_t* d, const uint8_t* s) {
        aes256_decrypt(static_cast<const aes256_ctx*>(c), n, d, s);
    }
    static void setKeys(aes256_ctx& e, aes256_ctx& d, const uint8_t* key) {
        aes256_set_encrypt_key(&e, key);
        aes256_set_decrypt_key(&d, key);
    }
};

template <class Ctx>
struct Schedules {
    Ctx encrypt, decrypt;
};

}  // namespace

struct AesKeys {
    std::variant<Schedules<aes128_ctx>, Schedules<aes192_ctx>, Schedules<aes256_ctx>> schedules;
};

std::shared_ptr<const AesKeys> makeAesKeys(const ByteString& key) {
    auto keys = std::make_shared<AesKeys>();
    const auto set = [&](auto schedules) {
        using Ctx = decltype(schedules.encrypt);
        Aes<Ctx>::setKeys(schedules.encrypt, schedules.decrypt, key.data());
        keys->schedules = schedules;
    };
    switch (key.size()) {
    case 16: set(Schedules<aes128_ctx>{}); break;
    case 24: set(Schedules<aes192_ctx>{}); break;
    case 32: set(Schedules<aes256_ctx>{}); break;
    default: throw std::invalid_argument("nettle AES: a key of " + std::to_string(key.size()) + " bytes");
    }
    return keys;
}

ByteString aesBlocks(const AesKeys& key, bool encrypt, const ByteString& blocks) {
    if (blocks.size() % AES_BLOCK_SIZE != 0) throw std::invalid_argument("nettle AES: not whole blocks");
    return ByteString::generate(blocks.size(), [&](std::span<std::uint8_t> out) {
        std::visit(
            [&](const auto& s) {
                using A = Aes<decltype(s.encrypt)>;
                if (encrypt) A::encrypt(&s.encrypt, blocks.size(), out.data(), blocks.data());
                else A::decrypt(&s.decrypt, blocks.size(), out.data(), blocks.data());
            },
            key.schedules);
    });
}

ByteString xts(const AesKeys& dataKey, const AesKeys& tweakKey, bool encrypt, const ByteString& tweak,
               const ByteString& bytes) {
    const std::string name = encrypt ? "nettle xts" : "nettle unXts";
    if (tweak.size() != XTS_BLOCK_SIZE) {
        throw std::invalid_argument(name + ": a tweak of " + std::to_string(tweak.size()) + " bytes");
    }
    if (bytes.size() < XTS_BLOCK_SIZE) {
        throw std::invalid_argument(name + ": a data unit of " + std::to_string(bytes.size()) + " bytes");
    }
    if (dataKey.schedules.index() != tweakKey.schedules.index()) {
        throw std::invalid_argument(name + ": data and tweak keys of different sizes");
    }
    return ByteString::generate(bytes.size(), [&](std::span<std::uint8_t> out) {
        std::visit(
            [&](const auto& data) {
                using S = std::decay_t<decltype(data)>;
                using A = Aes<decltype(data.encrypt)>;
                const S& tweakSchedules = std::get<S>(tweakKey.schedules);
                if (encrypt) {
                    xts_encrypt_message(&data.encrypt, &tweakSchedules.encrypt, &A::encrypt, tweak.data(),
                                        bytes.size(), out.data(), bytes.data());
                } else {
                    xts_decrypt_message(&data.decrypt, &tweakSchedules.encrypt, &A::decrypt, &A::encrypt,
                                        tweak.data(), bytes.size(), out.data(), bytes.data());
                }
            },
            dataKey.schedules);
    });
}

}  // namespace zelkor::testsupport::nettle_xts_detail
