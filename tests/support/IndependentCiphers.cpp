#include "support/IndependentCiphers.hpp"

#include <stdexcept>
#include <string>

#include <gcrypt.h>

namespace zelkor::testsupport {
namespace {

// libgcrypt must be initialised once before its first use; a function-local
// static makes that thread-safe.
void initialiseGcrypt() {
    static const bool initialised = [] {
        if (gcry_check_version(nullptr) == nullptr) throw std::runtime_error("gcry_check_version failed");
        gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
        return true;
    }();
    (void)initialised;
}

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

}  // namespace zelkor::testsupport
