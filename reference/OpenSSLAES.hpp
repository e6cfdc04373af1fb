#pragma once
// Reference AES keys backed by OpenSSL. All twenty mode operations are
// OpenSSL's own (EVP with padding off), streamed chunk by chunk for the
// chunked forms; their next IVs follow the rules of zelkor/Modes.hpp. GCM is
// OpenSSL's too: EVP for IVs of up to 128 bytes (its limit), OpenSSL's
// CRYPTO_gcm128 for longer ones.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/Gcm.hpp"

namespace zelkor::reference {

namespace detail {

enum class AESMode { ECB, CBC, CFB, OFB, CTR, GCM };

// The expanded key, made once by buildKey and never changed afterwards, so
// copies of a key share it and may use it from several threads at once.
struct AESKeySchedule;

std::shared_ptr<const AESKeySchedule> makeAESKeySchedule(int bits, const ByteString& key);

// Encrypts or decrypts whole blocks on their own (ECB).
ByteString aesBlocks(const AESKeySchedule& key, bool encrypt, const ByteString& blocks);

struct AESRunResult {
    std::vector<ByteString> chunks;  // one output piece per input chunk
    ByteString nextIV;               // empty for ECB
};

// Runs one mode over the chunks in order, through a single EVP context.
AESRunResult runAES(const AESKeySchedule& key, AESMode mode, bool encrypt, const ByteString& iv,
                    std::span<const ByteString> chunks, const char* operation);

// GCM with the refusals of zelkor/Gcm.hpp (IV of 0 bytes, tag lengths).
GcmSealed aesGcmEncrypt(const AESKeySchedule& key, const ByteString& iv, const ByteString& aad,
                        const ByteString& plaintext, std::size_t tagBytes);
std::optional<ByteString> aesGcmDecrypt(const AESKeySchedule& key, const ByteString& iv, const ByteString& aad,
                                        const ByteString& ciphertext, const ByteString& tag);

// The key's bytes, as buildKey was given them.
std::span<const std::uint8_t> aesKeyBytes(const AESKeySchedule& key);

// CFB8 or CFB1 (`bits` bits of `input`): the output and the next IV.
std::pair<ByteString, ByteString> aesFeedback(const AESKeySchedule& key, int feedbackBits, bool encrypt,
                                              const ByteString& iv, const ByteString& input, std::size_t bits);
// XTS with the data key's and the tweak key's bytes joined, as OpenSSL takes them.
ByteString aesXts(const AESKeySchedule& data, const AESKeySchedule& tweakKey, bool encrypt, const ByteString& tweak,
                  const ByteString& input);
// CBC with PKCS#7 padding; decryption gives none for a bad pad.
std::optional<ByteString> aesCbcPkcs7(const AESKeySchedule& key, bool encrypt, const ByteString& iv,
                                      const ByteString& input);

}  // namespace detail

template <int Bits>
class OpenSSLAES {
public:
    static constexpr int blockSize = 128;
    static constexpr int keyLength = Bits;

    using Self = OpenSSLAES;
    using Result = std::pair<ByteString, IV<Self>>;
    using LazyResult = std::pair<ChunkedByteString, IV<Self>>;

    // Exactly keyLength/8 bytes, else none.
    static std::optional<OpenSSLAES> buildKey(const ByteString& key) {
        if (key.size() != Bits / 8) return std::nullopt;
        return OpenSSLAES(detail::makeAESKeySchedule(Bits, key));
    }

    ByteString encryptBlock(const ByteString& b) const { return detail::aesBlocks(*schedule_, true, b); }
    ByteString decryptBlock(const ByteString& b) const { return detail::aesBlocks(*schedule_, false, b); }

    ByteString ecb(const ByteString& b) const {
        return strict(detail::AESMode::ECB, true, {}, b, "ecb").first;
    }
    ByteString unEcb(const ByteString& b) const {
        return strict(detail::AESMode::ECB, false, {}, b, "unEcb").first;
    }
    ChunkedByteString ecbLazy(const ChunkedByteString& b) const {
        return lazy(detail::AESMode::ECB, true, {}, b, "ecbLazy").first;
    }
    ChunkedByteString unEcbLazy(const ChunkedByteString& b) const {
        return lazy(detail::AESMode::ECB, false, {}, b, "unEcbLazy").first;
    }

    Result cbc(const IV<Self>& iv, const ByteString& b) const {
        return withIV(strict(detail::AESMode::CBC, true, iv.bytes(), b, "cbc"));
    }
    Result unCbc(const IV<Self>& iv, const ByteString& b) const {
        return withIV(strict(detail::AESMode::CBC, false, iv.bytes(), b, "unCbc"));
    }
    Result cfb(const IV<Self>& iv, const ByteString& b) const {
        return withIV(strict(detail::AESMode::CFB, true, iv.bytes(), b, "cfb"));
    }
    Result unCfb(const IV<Self>& iv, const ByteString& b) const {
        return withIV(strict(detail::AESMode::CFB, false, iv.bytes(), b, "unCfb"));
    }
    Result ofb(const IV<Self>& iv, const ByteString& b) const {
        return withIV(strict(detail::AESMode::OFB, true, iv.bytes(), b, "ofb"));
    }
    Result unOfb(const IV<Self>& iv, const ByteString& b) const {
        return withIV(strict(detail::AESMode::OFB, false, iv.bytes(), b, "unOfb"));
    }
    Result ctr(const IV<Self>& iv, const ByteString& b) const {
        return withIV(strict(detail::AESMode::CTR, true, iv.bytes(), b, "ctr"));
    }
    Result unCtr(const IV<Self>& iv, const ByteString& b) const {
        return withIV(strict(detail::AESMode::CTR, false, iv.bytes(), b, "unCtr"));
    }

    LazyResult cbcLazy(const IV<Self>& iv, const ChunkedByteString& b) const {
        return withIV(lazy(detail::AESMode::CBC, true, iv.bytes(), b, "cbcLazy"));
    }
    LazyResult unCbcLazy(const IV<Self>& iv, const ChunkedByteString& b) const {
        return withIV(lazy(detail::AESMode::CBC, false, iv.bytes(), b, "unCbcLazy"));
    }
    LazyResult cfbLazy(const IV<Self>& iv, const ChunkedByteString& b) const {
        return withIV(lazy(detail::AESMode::CFB, true, iv.bytes(), b, "cfbLazy"));
    }
    LazyResult unCfbLazy(const IV<Self>& iv, const ChunkedByteString& b) const {
        return withIV(lazy(detail::AESMode::CFB, false, iv.bytes(), b, "unCfbLazy"));
    }
    LazyResult ofbLazy(const IV<Self>& iv, const ChunkedByteString& b) const {
        return withIV(lazy(detail::AESMode::OFB, true, iv.bytes(), b, "ofbLazy"));
    }
    LazyResult unOfbLazy(const IV<Self>& iv, const ChunkedByteString& b) const {
        return withIV(lazy(detail::AESMode::OFB, false, iv.bytes(), b, "unOfbLazy"));
    }
    LazyResult ctrLazy(const IV<Self>& iv, const ChunkedByteString& b) const {
        return withIV(lazy(detail::AESMode::CTR, true, iv.bytes(), b, "ctrLazy"));
    }
    LazyResult unCtrLazy(const IV<Self>& iv, const ChunkedByteString& b) const {
        return withIV(lazy(detail::AESMode::CTR, false, iv.bytes(), b, "unCtrLazy"));
    }

    GcmSealed gcmEncrypt(const ByteString& iv, const ByteString& aad, const ByteString& plaintext,
                         std::size_t tagBytes = 16) const {
        return detail::aesGcmEncrypt(*schedule_, iv, aad, plaintext, tagBytes);
    }
    std::optional<ByteString> gcmDecrypt(const ByteString& iv, const ByteString& aad, const ByteString& ciphertext,
                                         const ByteString& tag) const {
        return detail::aesGcmDecrypt(*schedule_, iv, aad, ciphertext, tag);
    }

    // CFB8, CFB1, XTS and CBC with PKCS#7 padding, OpenSSL's own, a message at a time.
    Result cfb8(const IV<Self>& iv, const ByteString& b) const { return feedback(8, true, iv, b, 8 * b.size()); }
    Result unCfb8(const IV<Self>& iv, const ByteString& b) const { return feedback(8, false, iv, b, 8 * b.size()); }
    Result cfb1(const IV<Self>& iv, const ByteString& b, std::size_t bits) const {
        return feedback(1, true, iv, b, bits);
    }
    Result unCfb1(const IV<Self>& iv, const ByteString& b, std::size_t bits) const {
        return feedback(1, false, iv, b, bits);
    }
    ByteString xts(const OpenSSLAES& tweakKey, const ByteString& tweak, const ByteString& b) const {
        return detail::aesXts(*schedule_, *tweakKey.schedule_, true, tweak, b);
    }
    ByteString unXts(const OpenSSLAES& tweakKey, const ByteString& tweak, const ByteString& b) const {
        return detail::aesXts(*schedule_, *tweakKey.schedule_, false, tweak, b);
    }
    ByteString cbcPKCS7(const IV<Self>& iv, const ByteString& b) const {
        return *detail::aesCbcPkcs7(*schedule_, true, iv.bytes(), b);
    }
    std::optional<ByteString> unCbcPKCS7(const IV<Self>& iv, const ByteString& b) const {
        return detail::aesCbcPkcs7(*schedule_, false, iv.bytes(), b);
    }

private:
    Result feedback(int feedbackBits, bool encrypt, const IV<Self>& iv, const ByteString& b, std::size_t bits) const {
        auto [out, next] = detail::aesFeedback(*schedule_, feedbackBits, encrypt, iv.bytes(), b, bits);
        return {std::move(out), *IV<Self>::decode(next)};
    }

    explicit OpenSSLAES(std::shared_ptr<const detail::AESKeySchedule> schedule)
        : schedule_(std::move(schedule)) {}

    std::pair<ByteString, ByteString> strict(detail::AESMode mode, bool encrypt, const ByteString& iv,
                                             const ByteString& bytes, const char* operation) const {
        detail::AESRunResult run =
            detail::runAES(*schedule_, mode, encrypt, iv, std::span(&bytes, 1), operation);
        ByteString out = run.chunks.empty() ? ByteString() : std::move(run.chunks.front());
        return {std::move(out), std::move(run.nextIV)};
    }

    std::pair<ChunkedByteString, ByteString> lazy(detail::AESMode mode, bool encrypt, const ByteString& iv,
                                                  const ChunkedByteString& bytes, const char* operation) const {
        detail::AESRunResult run = detail::runAES(*schedule_, mode, encrypt, iv, bytes.chunks(), operation);
        return {ChunkedByteString::fromChunks(std::move(run.chunks)), std::move(run.nextIV)};
    }

    template <class Out>
    static std::pair<Out, IV<Self>> withIV(std::pair<Out, ByteString> run) {
        return {std::move(run.first), *IV<Self>::decode(run.second)};
    }

    std::shared_ptr<const detail::AESKeySchedule> schedule_;
};

using AES128 = OpenSSLAES<128>;
using AES192 = OpenSSLAES<192>;
using AES256 = OpenSSLAES<256>;

}  // namespace zelkor::reference
