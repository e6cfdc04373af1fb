#include "support/IndependentCiphers.hpp"

#include <algorithm>
#include <array>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>
#include <string>

#include <gcrypt.h>

namespace zelkor::testsupport {

// A function-local static makes the initialisation thread-safe.
void initialiseGcrypt() {
    static const bool initialised = [] {
        if (gcry_check_version(nullptr) == nullptr) throw std::runtime_error("gcry_check_version failed");
        gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
        return true;
    }();
    (void)initialised;
}

namespace {

void checkGcrypt(gcry_error_t error, const char* call) {
    if (error != 0) throw std::runtime_error(std::string(call) + " failed: " + gcry_strerror(error));
}

class CipherHandle {
public:
    explicit CipherHandle(const ByteString& key) {
        initialiseGcrypt();
        checkGcrypt(gcry_cipher_open(&handle_, GCRY_CIPHER_TWOFISH, GCRY_CIPHER_MODE_ECB, 0), "gcry_cipher_open");
        const gcry_error_t error = gcry_cipher_setkey(handle_, key.data(), key.size());
        if (error != 0) {
            gcry_cipher_close(handle_);
            checkGcrypt(error, "gcry_cipher_setkey");
        }
    }
    ~CipherHandle() { gcry_cipher_close(handle_); }
    CipherHandle(const CipherHandle&) = delete;
    CipherHandle& operator=(const CipherHandle&) = delete;

    gcry_cipher_hd_t get() const { return handle_; }

private:
    gcry_cipher_hd_t handle_ = nullptr;
};

void requireWholeBlocks(const char* operation, std::size_t length) {
    if (length % 16 != 0) {
        throw std::invalid_argument(std::string("GcryptTwofish::") + operation + ": input of " +
                                    std::to_string(length) + " bytes is not a whole number of 16-byte blocks");
    }
}

}  // namespace

std::optional<GcryptTwofish> GcryptTwofish::buildKey(const ByteString& key) {
    if (key.size() != 16 && key.size() != 32) return std::nullopt;
    return GcryptTwofish(std::make_shared<const ByteString>(key));
}

ByteString GcryptTwofish::encryptBlock(const ByteString& blocks) const {
    requireWholeBlocks("encryptBlock", blocks.size());
    if (blocks.empty()) return {};
    CipherHandle handle(*key_);
    std::vector<std::uint8_t> out(blocks.size());
    checkGcrypt(gcry_cipher_encrypt(handle.get(), out.data(), out.size(), blocks.data(), blocks.size()),
                "gcry_cipher_encrypt");
    return ByteString(std::move(out));
}

ByteString GcryptTwofish::decryptBlock(const ByteString& blocks) const {
    requireWholeBlocks("decryptBlock", blocks.size());
    if (blocks.empty()) return {};
    CipherHandle handle(*key_);
    std::vector<std::uint8_t> out(blocks.size());
    checkGcrypt(gcry_cipher_decrypt(handle.get(), out.data(), out.size(), blocks.data(), blocks.size()),
                "gcry_cipher_decrypt");
    return ByteString(std::move(out));
}

namespace gcrypt_gcm {
namespace {

int aesAlgorithm(int bits) {
    switch (bits) {
    case 128: return GCRY_CIPHER_AES128;
    case 192: return GCRY_CIPHER_AES192;
    case 256: return GCRY_CIPHER_AES256;
    }
    throw std::invalid_argument("AES key of " + std::to_string(bits) + " bits");
}

void checkParameters(const ByteString& iv, std::size_t tagBytes) {
    if (iv.size() == 0) throw std::invalid_argument("GcryptGcmAES: IV of 0 bytes");
    if (tagBytes != 4 && tagBytes != 8 && (tagBytes < 12 || tagBytes > 16))
        throw std::invalid_argument("GcryptGcmAES: tag of " + std::to_string(tagBytes) + " bytes");
}

// The text run through libgcrypt's GCM, and the 16-byte tag.
std::pair<std::vector<std::uint8_t>, std::array<std::uint8_t, 16>> run(int bits, bool encrypt, const ByteString& key,
                                                                       const ByteString& iv, const ByteString& aad,
                                                                       const ByteString& text) {
    initialiseGcrypt();
    gcry_cipher_hd_t handle = nullptr;
    checkGcrypt(gcry_cipher_open(&handle, aesAlgorithm(bits), GCRY_CIPHER_MODE_GCM, 0), "gcry_cipher_open");
    const std::unique_ptr<gcry_cipher_hd_t, void (*)(gcry_cipher_hd_t*)> closer(
        &handle, [](gcry_cipher_hd_t* h) { gcry_cipher_close(*h); });
    checkGcrypt(gcry_cipher_setkey(handle, key.data(), key.size()), "gcry_cipher_setkey");
    checkGcrypt(gcry_cipher_setiv(handle, iv.data(), iv.size()), "gcry_cipher_setiv");
    checkGcrypt(gcry_cipher_authenticate(handle, aad.data(), aad.size()), "gcry_cipher_authenticate");
    std::vector<std::uint8_t> out(text.size());
    checkGcrypt(gcry_cipher_final(handle), "gcry_cipher_final");
    if (encrypt) checkGcrypt(gcry_cipher_encrypt(handle, out.data(), out.size(), text.data(), text.size()), "encrypt");
    else checkGcrypt(gcry_cipher_decrypt(handle, out.data(), out.size(), text.data(), text.size()), "decrypt");
    std::array<std::uint8_t, 16> tag{};
    checkGcrypt(gcry_cipher_gettag(handle, tag.data(), tag.size()), "gcry_cipher_gettag");
    return {std::move(out), tag};
}

}  // namespace

GcmSealed encrypt(int bits, const ByteString& key, const ByteString& iv, const ByteString& aad,
                  const ByteString& plaintext, std::size_t tagBytes) {
    checkParameters(iv, tagBytes);
    auto [ciphertext, tag] = run(bits, true, key, iv, aad, plaintext);
    return {ByteString(std::move(ciphertext)), ByteString(tag.data(), tagBytes)};
}

std::optional<ByteString> decrypt(int bits, const ByteString& key, const ByteString& iv, const ByteString& aad,
                                  const ByteString& ciphertext, const ByteString& tag) {
    checkParameters(iv, tag.size());
    auto [plaintext, expected] = run(bits, false, key, iv, aad, ciphertext);
    if (!std::equal(tag.begin(), tag.end(), expected.begin())) return std::nullopt;
    return ByteString(std::move(plaintext));
}

}  // namespace gcrypt_gcm

}  // namespace zelkor::testsupport
