#include "OpenSSLAES.hpp"

#include <algorithm>
#include <array>
#include <climits>
#include <mutex>
#include <stdexcept>
#include <string>

#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/modes.h>

#include "OpenSSLErrors.hpp"

namespace zelkor::reference::detail {
namespace {

constexpr std::size_t kBlockBytes = 16;
constexpr std::size_t kModes = 6;

std::size_t modeIndex(AESMode mode) { return static_cast<std::size_t>(mode); }

std::size_t sizeIndex(int bits) {
    switch (bits) {
    case 128: return 0;
    case 192: return 1;
    case 256: return 2;
    }
    throw std::invalid_argument("AES key length of " + std::to_string(bits) + " bits");
}

// Fetched once per process (an implicit fetch on every init is slow in
// OpenSSL 3); they stay alive until the process ends.
const EVP_CIPHER* fetchCipher(int bits, AESMode mode) {
    static const auto ciphers = [] {
        static constexpr const char* kModeNames[kModes] = {"ECB", "CBC", "CFB", "OFB", "CTR", "GCM"};
        static constexpr int kBits[3] = {128, 192, 256};
        std::array<std::array<EVP_CIPHER*, kModes>, 3> fetched{};
        for (std::size_t s = 0; s < 3; ++s) {
            for (std::size_t m = 0; m < kModes; ++m) {
                const std::string name = "AES-" + std::to_string(kBits[s]) + "-" + kModeNames[m];
                fetched[s][m] = EVP_CIPHER_fetch(nullptr, name.c_str(), nullptr);
                if (fetched[s][m] == nullptr) throwOpenSSLError("EVP_CIPHER_fetch " + name);
            }
        }
        return fetched;
    }();
    return ciphers[sizeIndex(bits)][modeIndex(mode)];
}

// EVP lengths are ints: longer chunks go through in slices.
constexpr std::size_t kMaxSlice = std::size_t{1} << 30;

// The last whole block of a byte stream that arrives in pieces.
class LastWholeBlock {
public:
    explicit LastWholeBlock(const ByteString& initial) : last_(initial) {}

    void feed(const unsigned char* data, std::size_t size) {
        while (size > 0) {
            const std::size_t take = std::min(kBlockBytes - filling_.size(), size);
            filling_.insert(filling_.end(), data, data + take);
            data += take;
            size -= take;
            if (filling_.size() == kBlockBytes) {
                last_ = ByteString(filling_);
                filling_.clear();
            }
        }
    }

    const ByteString& last() const { return last_; }

private:
    ByteString last_;
    std::vector<std::uint8_t> filling_;
};

}  // namespace

// One initialised context per mode and direction, never used directly: every
// operation works on its own copy, so the schedule is shared read-only. Each
// is made on first use (once, whichever thread comes first): a key used for
// one mode, as in a known-answer record, pays for that mode alone.
struct AESKeySchedule {
    int bits = 0;
    std::vector<std::uint8_t> key;
    mutable std::array<std::array<std::once_flag, 2>, kModes> made;
    mutable std::array<std::array<CipherCtx, 2>, kModes> templates;

    const EVP_CIPHER_CTX* ctx(AESMode mode, bool encrypt) const {
        const std::size_t m = modeIndex(mode), e = encrypt ? 1 : 0;
        std::call_once(made[m][e], [&] {
            CipherCtx ctx = newCipherCtx();
            check(EVP_CipherInit_ex2(ctx.get(), fetchCipher(bits, mode), key.data(), nullptr, encrypt ? 1 : 0, nullptr),
                  "EVP_CipherInit_ex2");
            check(EVP_CIPHER_CTX_set_padding(ctx.get(), 0), "EVP_CIPHER_CTX_set_padding");
            templates[m][e] = std::move(ctx);
        });
        return templates[m][e].get();
    }
};

std::span<const std::uint8_t> aesKeyBytes(const AESKeySchedule& key) { return key.key; }

std::shared_ptr<const AESKeySchedule> makeAESKeySchedule(int bits, const ByteString& key) {
    if (key.size() * 8 != static_cast<std::size_t>(bits)) {
        throw std::invalid_argument("AES-" + std::to_string(bits) + " key of " + std::to_string(key.size()) +
                                    " bytes");
    }
    sizeIndex(bits);  // refuses other sizes now rather than on first use
    auto schedule = std::make_shared<AESKeySchedule>();
    schedule->bits = bits;
    schedule->key.assign(key.begin(), key.end());
    return schedule;
}

namespace {

CipherCtx copyOf(const EVP_CIPHER_CTX* source) {
    CipherCtx ctx = newCipherCtx();
    check(EVP_CIPHER_CTX_copy(ctx.get(), source), "EVP_CIPHER_CTX_copy");
    return ctx;
}

// Runs `in` through the context, appending to `out`.
void update(EVP_CIPHER_CTX* ctx, const ByteString& in, std::vector<std::uint8_t>& out) {
    for (std::size_t pos = 0; pos < in.size(); pos += kMaxSlice) {
        const std::size_t slice = std::min(kMaxSlice, in.size() - pos);
        const std::size_t start = out.size();
        out.resize(start + slice + kBlockBytes);
        int produced = 0;
        check(EVP_CipherUpdate(ctx, out.data() + start, &produced, in.data() + pos, static_cast<int>(slice)),
              "EVP_CipherUpdate");
        out.resize(start + static_cast<std::size_t>(produced));
    }
}

void requireWholeBlocks(const char* operation, std::size_t length) {
    if (length % kBlockBytes != 0) {
        throw std::invalid_argument(std::string(operation) + ": input of " + std::to_string(length) +
                                    " bytes is not a whole number of 16-byte blocks");
    }
}

}  // namespace

ByteString aesBlocks(const AESKeySchedule& key, bool encrypt, const ByteString& blocks) {
    requireWholeBlocks(encrypt ? "encryptBlock" : "decryptBlock", blocks.size());
    CipherCtx ctx = copyOf(key.ctx(AESMode::ECB, encrypt));
    std::vector<std::uint8_t> out;
    out.reserve(blocks.size() + kBlockBytes);
    update(ctx.get(), blocks, out);
    return ByteString(std::move(out));
}

AESRunResult runAES(const AESKeySchedule& key, AESMode mode, bool encrypt, const ByteString& iv,
                    std::span<const ByteString> chunks, const char* operation) {
    if (mode == AESMode::ECB || mode == AESMode::CBC) {
        std::size_t total = 0;
        for (const ByteString& chunk : chunks) total += chunk.size();
        requireWholeBlocks(operation, total);
    }
    CipherCtx ctx = copyOf(key.ctx(mode, encrypt));
    if (mode != AESMode::ECB) {
        if (iv.size() != kBlockBytes) {
            throw std::invalid_argument(std::string(operation) + ": IV of " + std::to_string(iv.size()) +
                                        " bytes, expected 16");
        }
        // Sets the IV only; the expanded key stays as copied.
        check(EVP_CipherInit_ex2(ctx.get(), nullptr, nullptr, iv.data(), encrypt ? 1 : 0, nullptr),
              "EVP_CipherInit_ex2");
    }

    // CFB's next IV is the last whole ciphertext block, which OpenSSL's state
    // does not hold after a trailing partial block.
    LastWholeBlock lastCiphertext(iv);
    AESRunResult result;
    result.chunks.reserve(chunks.size());
    for (const ByteString& chunk : chunks) {
        std::vector<std::uint8_t> out;
        out.reserve(chunk.size() + kBlockBytes);
        update(ctx.get(), chunk, out);
        if (mode == AESMode::CFB) {
            if (encrypt) lastCiphertext.feed(out.data(), out.size());
            else lastCiphertext.feed(chunk.data(), chunk.size());
        }
        result.chunks.emplace_back(std::move(out));
    }
    std::array<unsigned char, 2 * kBlockBytes> tail{};
    int tailLength = 0;
    check(EVP_CipherFinal_ex(ctx.get(), tail.data(), &tailLength), "EVP_CipherFinal_ex");
    if (tailLength != 0) throw OpenSSLError(std::string(operation) + ": EVP_CipherFinal_ex returned data");

    if (mode == AESMode::CFB) {
        result.nextIV = lastCiphertext.last();
    } else if (mode != AESMode::ECB) {
        std::array<unsigned char, kBlockBytes> next{};
        check(EVP_CIPHER_CTX_get_updated_iv(ctx.get(), next.data(), next.size()), "EVP_CIPHER_CTX_get_updated_iv");
        result.nextIV = ByteString(next.data(), next.size());
    }
    return result;
}

namespace {

// OpenSSL's EVP GCM takes IVs of up to 128 bytes.
constexpr std::size_t kMaxEvpGcmIv = 128;

void gcmAad(EVP_CIPHER_CTX* ctx, const ByteString& aad) {
    for (std::size_t pos = 0; pos < aad.size(); pos += kMaxSlice) {
        const std::size_t slice = std::min(kMaxSlice, aad.size() - pos);
        int ignored = 0;
        check(EVP_CipherUpdate(ctx, nullptr, &ignored, aad.data() + pos, static_cast<int>(slice)), "EVP_CipherUpdate");
    }
}

// A fresh context given key and IV at once: a GCM key is mostly used once or
// twice (known answers), where copying a prepared context costs more.
CipherCtx evpGcm(const AESKeySchedule& key, bool encrypt, const ByteString& iv, const ByteString& aad) {
    CipherCtx ctx = newCipherCtx();
    const int enc = encrypt ? 1 : 0;
    check(EVP_CipherInit_ex2(ctx.get(), fetchCipher(key.bits, AESMode::GCM), nullptr, nullptr, enc, nullptr),
          "EVP_CipherInit_ex2");
    check(EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, static_cast<int>(iv.size()), nullptr),
          "EVP_CTRL_GCM_SET_IVLEN");
    check(EVP_CipherInit_ex2(ctx.get(), nullptr, key.key.data(), iv.data(), enc, nullptr), "EVP_CipherInit_ex2");
    gcmAad(ctx.get(), aad);
    return ctx;
}

// CRYPTO_gcm128 over the key's ECB context, one block at a time.
void encryptOneBlock(const unsigned char in[16], unsigned char out[16], const void* ecb) {
    int produced = 0;
    auto* ctx = static_cast<EVP_CIPHER_CTX*>(const_cast<void*>(ecb));
    if (EVP_CipherUpdate(ctx, out, &produced, in, 16) != 1 || produced != 16) std::fill_n(out, 16, 0);
}

struct Gcm128Free {
    void operator()(GCM128_CONTEXT* ctx) const { CRYPTO_gcm128_release(ctx); }
};

// The tag (16 bytes) and the text run through CRYPTO_gcm128.
std::pair<std::vector<std::uint8_t>, zelkor::detail::GcmBlock> longIvGcm(const AESKeySchedule& key, bool encrypt, const ByteString& iv,
                                                         const ByteString& aad, const ByteString& text) {
    CipherCtx ecb = copyOf(key.ctx(AESMode::ECB, true));
    std::unique_ptr<GCM128_CONTEXT, Gcm128Free> gcm(CRYPTO_gcm128_new(ecb.get(), encryptOneBlock));
    if (!gcm) throw OpenSSLError("CRYPTO_gcm128_new failed");
    CRYPTO_gcm128_setiv(gcm.get(), iv.data(), iv.size());
    if (aad.size() != 0) check(CRYPTO_gcm128_aad(gcm.get(), aad.data(), aad.size()) == 0, "CRYPTO_gcm128_aad");
    std::vector<std::uint8_t> out(text.size());
    if (text.size() != 0) {
        const int failed = encrypt ? CRYPTO_gcm128_encrypt(gcm.get(), text.data(), out.data(), text.size())
                                   : CRYPTO_gcm128_decrypt(gcm.get(), text.data(), out.data(), text.size());
        check(failed == 0, "CRYPTO_gcm128_encrypt");
    }
    zelkor::detail::GcmBlock tag{};
    CRYPTO_gcm128_tag(gcm.get(), tag.data(), tag.size());
    return {std::move(out), tag};
}

}  // namespace

GcmSealed aesGcmEncrypt(const AESKeySchedule& key, const ByteString& iv, const ByteString& aad,
                        const ByteString& plaintext, std::size_t tagBytes) {
    zelkor::detail::checkGcmIv(iv);
    zelkor::detail::checkGcmTagBytes(tagBytes);
    if (iv.size() > kMaxEvpGcmIv) {
        auto [ciphertext, tag] = longIvGcm(key, true, iv, aad, plaintext);
        return {ByteString(std::move(ciphertext)), ByteString(tag.data(), tagBytes)};
    }
    CipherCtx ctx = evpGcm(key, true, iv, aad);
    std::vector<std::uint8_t> ciphertext;
    ciphertext.reserve(plaintext.size() + kBlockBytes);
    update(ctx.get(), plaintext, ciphertext);
    std::array<unsigned char, kBlockBytes> tail{};
    int tailLength = 0;
    check(EVP_CipherFinal_ex(ctx.get(), tail.data(), &tailLength), "EVP_CipherFinal_ex");
    std::array<unsigned char, kBlockBytes> tag{};
    check(EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, static_cast<int>(tagBytes), tag.data()),
          "EVP_CTRL_GCM_GET_TAG");
    return {ByteString(std::move(ciphertext)), ByteString(tag.data(), tagBytes)};
}

std::optional<ByteString> aesGcmDecrypt(const AESKeySchedule& key, const ByteString& iv, const ByteString& aad,
                                        const ByteString& ciphertext, const ByteString& tag) {
    zelkor::detail::checkGcmIv(iv);
    zelkor::detail::checkGcmTagBytes(tag.size());
    if (iv.size() > kMaxEvpGcmIv) {
        auto [plaintext, expected] = longIvGcm(key, false, iv, aad, ciphertext);
        if (!zelkor::detail::constantTimeEqual(std::span(expected.data(), tag.size()), tag.span())) return std::nullopt;
        return ByteString(std::move(plaintext));
    }
    CipherCtx ctx = evpGcm(key, false, iv, aad);
    std::vector<std::uint8_t> tagCopy(tag.begin(), tag.end());
    check(EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, static_cast<int>(tagCopy.size()), tagCopy.data()),
          "EVP_CTRL_GCM_SET_TAG");
    std::vector<std::uint8_t> plaintext;
    plaintext.reserve(ciphertext.size() + kBlockBytes);
    update(ctx.get(), ciphertext, plaintext);
    std::array<unsigned char, kBlockBytes> tail{};
    int tailLength = 0;
    if (EVP_CipherFinal_ex(ctx.get(), tail.data(), &tailLength) != 1) {  // the tag does not match
        ERR_clear_error();
        return std::nullopt;
    }
    return ByteString(std::move(plaintext));
}

}  // namespace zelkor::reference::detail
