#include "OpenSSLTDES.hpp"

#include <stdexcept>
#include <string>
#include <vector>

#include "OpenSSLErrors.hpp"

namespace zelkor::reference::detail {

struct TDESSchedule {
    CipherCtx encrypt;
    CipherCtx decrypt;
};

namespace {

// Fetched once per process; they stay alive until it ends.
const EVP_CIPHER* fetchTDES(std::size_t keyBytes) {
    static EVP_CIPHER* const three = EVP_CIPHER_fetch(nullptr, "DES-EDE3-ECB", nullptr);
    static EVP_CIPHER* const two = EVP_CIPHER_fetch(nullptr, "DES-EDE-ECB", nullptr);
    EVP_CIPHER* cipher = keyBytes == 24 ? three : two;
    if (cipher == nullptr) throwOpenSSLError(keyBytes == 24 ? "EVP_CIPHER_fetch DES-EDE3-ECB" : "EVP_CIPHER_fetch DES-EDE-ECB");
    return cipher;
}

CipherCtx initialised(const ByteString& key, bool encrypt) {
    CipherCtx ctx = newCipherCtx();
    check(EVP_CipherInit_ex2(ctx.get(), fetchTDES(key.size()), key.data(), nullptr, encrypt ? 1 : 0, nullptr),
          "EVP_CipherInit_ex2");
    check(EVP_CIPHER_CTX_set_padding(ctx.get(), 0), "EVP_CIPHER_CTX_set_padding");
    return ctx;
}

}  // namespace

std::shared_ptr<const TDESSchedule> makeTDESSchedule(const ByteString& key) {
    if (key.size() != 24 && key.size() != 16) {
        throw std::invalid_argument("TDES key of " + std::to_string(key.size()) + " bytes");
    }
    auto schedule = std::make_shared<TDESSchedule>();
    schedule->encrypt = initialised(key, true);
    schedule->decrypt = initialised(key, false);
    return schedule;
}

ByteString tdesBlocks(const TDESSchedule& key, bool encrypt, const ByteString& blocks) {
    if (blocks.size() % 8 != 0 || blocks.size() > (std::size_t{1} << 30)) {
        throw std::invalid_argument(std::string(encrypt ? "encryptBlock" : "decryptBlock") + ": input of " +
                                    std::to_string(blocks.size()) + " bytes is not a whole number of 8-byte blocks");
    }
    CipherCtx ctx = newCipherCtx();
    check(EVP_CIPHER_CTX_copy(ctx.get(), encrypt ? key.encrypt.get() : key.decrypt.get()), "EVP_CIPHER_CTX_copy");
    std::vector<std::uint8_t> out(blocks.size() + 8);
    int produced = 0;
    if (!blocks.empty()) {
        check(EVP_CipherUpdate(ctx.get(), out.data(), &produced, blocks.data(), static_cast<int>(blocks.size())),
              "EVP_CipherUpdate");
    }
    out.resize(static_cast<std::size_t>(produced));
    return ByteString(std::move(out));
}

}  // namespace zelkor::reference::detail
