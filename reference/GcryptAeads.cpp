#include "GcryptAeads.hpp"

#include <stdexcept>
#include <span>
#include <string>
#include <vector>

#include <gcrypt.h>

namespace zelkor::reference::gcrypt_aead {

namespace {

const char* nameOf(GcryptAeadMode mode) {
    switch (mode) {
    case GcryptAeadMode::Siv: return "AES-SIV";
    case GcryptAeadMode::GcmSiv: return "AES-GCM-SIV";
    case GcryptAeadMode::Eax: break;
    }
    return "AES-EAX";
}

int modeOf(GcryptAeadMode mode) {
    switch (mode) {
    case GcryptAeadMode::Siv: return GCRY_CIPHER_MODE_SIV;
    case GcryptAeadMode::GcmSiv: return GCRY_CIPHER_MODE_GCM_SIV;
    case GcryptAeadMode::Eax: break;
    }
    return GCRY_CIPHER_MODE_EAX;
}

void check(gcry_error_t error, GcryptAeadMode mode, const char* call) {
    if (error) {
        throw std::runtime_error(std::string("libgcrypt ") + nameOf(mode) + ": " + call + ": " + gcry_strerror(error));
    }
}

// Closes the handle at the end of a call.
class Handle {
public:
    Handle(GcryptAeadMode mode, const ByteString& key, const ByteString& nonce, std::span<const ByteString> aads) {
        static const bool ready = gcry_check_version(nullptr) != nullptr;
        if (!ready) throw std::runtime_error("libgcrypt: gcry_check_version failed");
        // SIV's key is two AES keys.
        const std::size_t aesBytes = mode == GcryptAeadMode::Siv ? key.size() / 2 : key.size();
        const int algorithm = aesBytes == 16   ? GCRY_CIPHER_AES128
                              : aesBytes == 24 ? GCRY_CIPHER_AES192
                              : aesBytes == 32 ? GCRY_CIPHER_AES256
                                               : 0;
        if (algorithm == 0) {
            throw std::invalid_argument(std::string(nameOf(mode)) + ": key of " + std::to_string(key.size()) +
                                        " bytes");
        }
        check(gcry_cipher_open(&handle_, algorithm, modeOf(mode), 0), mode, "gcry_cipher_open");
        check(gcry_cipher_setkey(handle_, key.data(), key.size()), mode, "gcry_cipher_setkey");
        if (mode == GcryptAeadMode::Siv) {
            // Each call is one header, an empty string included; then the nonce, if any.
            const std::uint8_t none = 0;
            for (const ByteString& aad : aads) {
                check(gcry_cipher_authenticate(handle_, aad.size() > 0 ? aad.data() : &none, aad.size()), mode,
                      "gcry_cipher_authenticate");
            }
            if (nonce.size() > 0) {
                check(gcry_cipher_setiv(handle_, nonce.data(), nonce.size()), mode, "gcry_cipher_setiv");
            }
            return;
        }
        check(gcry_cipher_setiv(handle_, nonce.size() > 0 ? nonce.data() : nullptr, nonce.size()), mode,
              "gcry_cipher_setiv");
        const ByteString& aad = aads.front();  // one string: checked by requireLengths
        if (aad.size() > 0) {
            check(gcry_cipher_authenticate(handle_, aad.data(), aad.size()), mode, "gcry_cipher_authenticate");
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { gcry_cipher_close(handle_); }
    gcry_cipher_hd_t get() const { return handle_; }

private:
    gcry_cipher_hd_t handle_ = nullptr;
};

void requireLengths(GcryptAeadMode mode, std::size_t nonceBytes, std::size_t tagBytes, std::size_t aadStrings) {
    // SIV: any number of headers up to libgcrypt's 126, the nonce's included.
    const bool siv = mode == GcryptAeadMode::Siv;
    if (siv ? aadStrings > 125 : aadStrings != 1) {
        throw std::invalid_argument(std::string(nameOf(mode)) + ": " + std::to_string(aadStrings) +
                                    " associated-data strings not accepted");
    }
    if (!acceptsNonce(mode, nonceBytes)) {
        throw std::invalid_argument(std::string(nameOf(mode)) + ": nonce of " + std::to_string(nonceBytes) +
                                    " bytes not accepted");
    }
    if (!acceptsTag(mode, tagBytes)) {
        throw std::invalid_argument(std::string(nameOf(mode)) + ": tag of " + std::to_string(tagBytes) +
                                    " bytes not accepted");
    }
}

}  // namespace

bool acceptsNonce(GcryptAeadMode mode, std::size_t bytes) { return mode != GcryptAeadMode::GcmSiv || bytes == 12; }

bool acceptsTag(GcryptAeadMode mode, std::size_t bytes) {
    return mode == GcryptAeadMode::Eax ? bytes >= 1 && bytes <= 16 : bytes == 16;
}

AeadSealed seal(GcryptAeadMode mode, const ByteString& key, const ByteString& nonce, std::span<const ByteString> aad,
                const ByteString& plaintext, std::size_t tagBytes) {
    requireLengths(mode, nonce.size(), tagBytes, aad.size());
    const Handle handle(mode, key, nonce, aad);
    // The whole text in one call, marked as the last.
    check(gcry_cipher_final(handle.get()), mode, "gcry_cipher_final");
    std::vector<std::uint8_t> ciphertext(plaintext.begin(), plaintext.end());
    ciphertext.push_back(0);  // never empty, so its data is a buffer
    check(gcry_cipher_encrypt(handle.get(), ciphertext.data(), plaintext.size(), nullptr, 0), mode,
          "gcry_cipher_encrypt");
    ciphertext.pop_back();
    std::vector<std::uint8_t> tag(tagBytes);
    check(gcry_cipher_gettag(handle.get(), tag.data(), tagBytes), mode, "gcry_cipher_gettag");
    return {ByteString(std::move(ciphertext)), ByteString(std::move(tag))};
}

std::optional<ByteString> open(GcryptAeadMode mode, const ByteString& key, const ByteString& nonce,
                               std::span<const ByteString> aad, const ByteString& ciphertext, const ByteString& tag) {
    requireLengths(mode, nonce.size(), tag.size(), aad.size());
    const Handle handle(mode, key, nonce, aad);
    // The SIVs decrypt with the tag as their counter: they need it first.
    if (mode != GcryptAeadMode::Eax) {
        check(gcry_cipher_set_decryption_tag(handle.get(), tag.data(), tag.size()), mode,
              "gcry_cipher_set_decryption_tag");
    }
    check(gcry_cipher_final(handle.get()), mode, "gcry_cipher_final");
    std::vector<std::uint8_t> plaintext(ciphertext.begin(), ciphertext.end());
    plaintext.push_back(0);
    const gcry_error_t decrypted = gcry_cipher_decrypt(handle.get(), plaintext.data(), ciphertext.size(), nullptr, 0);
    if (gcry_err_code(decrypted) == GPG_ERR_CHECKSUM) return std::nullopt;
    check(decrypted, mode, "gcry_cipher_decrypt");
    const gcry_error_t checked = gcry_cipher_checktag(handle.get(), tag.data(), tag.size());
    if (gcry_err_code(checked) == GPG_ERR_CHECKSUM) return std::nullopt;
    check(checked, mode, "gcry_cipher_checktag");
    plaintext.pop_back();
    return ByteString(std::move(plaintext));
}

}  // namespace zelkor::reference::gcrypt_aead
