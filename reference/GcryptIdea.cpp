#include "GcryptIdea.hpp"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gcrypt.h>

namespace zelkor::reference {

namespace {

[[noreturn]] void fail(const char* call, gcry_error_t error) {
    throw std::runtime_error(std::string("libgcrypt: ") + call + ": " + gcry_strerror(error));
}

ByteString ideaBlocks(const ByteString& key, bool encrypt, const ByteString& blocks) {
    if (blocks.size() % 8 != 0) {
        throw std::invalid_argument(std::string(encrypt ? "encryptBlock" : "decryptBlock") + ": input of " +
                                    std::to_string(blocks.size()) + " bytes is not a whole number of 8-byte blocks");
    }
    static const bool ready = gcry_check_version(nullptr) != nullptr;
    if (!ready) throw std::runtime_error("libgcrypt: gcry_check_version failed");
    gcry_cipher_hd_t raw = nullptr;
    if (const gcry_error_t error = gcry_cipher_open(&raw, GCRY_CIPHER_IDEA, GCRY_CIPHER_MODE_ECB, 0)) {
        fail("gcry_cipher_open", error);
    }
    const std::unique_ptr<gcry_cipher_handle, void (*)(gcry_cipher_hd_t)> handle(raw, gcry_cipher_close);
    if (const gcry_error_t error = gcry_cipher_setkey(raw, key.data(), key.size())) fail("gcry_cipher_setkey", error);
    std::vector<std::uint8_t> out(blocks.size());
    if (blocks.empty()) return ByteString(std::move(out));
    const gcry_error_t error = encrypt ? gcry_cipher_encrypt(raw, out.data(), out.size(), blocks.data(), blocks.size())
                                       : gcry_cipher_decrypt(raw, out.data(), out.size(), blocks.data(), blocks.size());
    if (error) fail(encrypt ? "gcry_cipher_encrypt" : "gcry_cipher_decrypt", error);
    return ByteString(std::move(out));
}

}  // namespace

std::optional<GcryptIdea> GcryptIdea::buildKey(const ByteString& key) {
    if (key.size() != 16) return std::nullopt;
    return GcryptIdea(key);
}

ByteString GcryptIdea::encryptBlock(const ByteString& blocks) const { return ideaBlocks(key_, true, blocks); }
ByteString GcryptIdea::decryptBlock(const ByteString& blocks) const { return ideaBlocks(key_, false, blocks); }

}  // namespace zelkor::reference
