// AES's CFB8, CFB1, XTS and CBC with PKCS#7 padding through OpenSSL.

#include <stdexcept>
#include <string>
#include <vector>

#include "OpenSSLAES.hpp"
#include "zelkor/detail/ExtraModeCore.hpp"
#include "OpenSSLOneShot.hpp"

namespace zelkor::reference::detail {

namespace {

std::string cipherName(std::size_t keyBytes, const char* mode) {
    return "AES-" + std::to_string(keyBytes * 8) + "-" + mode;
}

}  // namespace

std::pair<ByteString, ByteString> aesFeedback(const AESKeySchedule& key, int feedbackBits, bool encrypt,
                                              const ByteString& iv, const ByteString& input, std::size_t bits) {
    const std::span<const std::uint8_t> keyBytes = aesKeyBytes(key);
    const char* op = feedbackBits == 8 ? (encrypt ? "cfb8" : "unCfb8") : (encrypt ? "cfb1" : "unCfb1");
    if (input.size() != (bits + 7) / 8) {
        throw std::invalid_argument(std::string(op) + ": " + std::to_string(bits) + " bits in " +
                                    std::to_string(input.size()) + " bytes");
    }
    if (bits == 0) return {ByteString(), iv};
    const OneShotResult run = openSSLOneShot(cipherName(keyBytes.size(), feedbackBits == 8 ? "CFB8" : "CFB1"),
                                             encrypt, keyBytes, iv, input, false, feedbackBits == 8 ? 0 : bits);
    if (!run.bytes) throw std::runtime_error(std::string(op) + ": OpenSSL failed");
    return {*run.bytes, run.nextIV};
}

ByteString aesXts(const AESKeySchedule& data, const AESKeySchedule& tweakKey, bool encrypt, const ByteString& tweak,
                  const ByteString& input) {
    const char* op = encrypt ? "xts" : "unXts";
    if (tweak.size() != 16) throw std::invalid_argument(std::string(op) + ": tweak of " + std::to_string(tweak.size()) + " bytes");
    if (input.size() < 16) throw std::invalid_argument(std::string(op) + ": unit of " + std::to_string(input.size()) + " bytes");
    if (aesKeyBytes(data).size() == 24) {
        // OpenSSL has no XTS-AES-192: its block function under the library's
        // generic XTS stands in.
        const auto blocks = [](const AESKeySchedule& key, bool forward) {
            return zelkor::detail::BlockFunction{
                &key, forward ? +[](const void* k, zelkor::detail::ByteSpan b) {
                    return aesBlocks(*static_cast<const AESKeySchedule*>(k), true, ByteString(b));
                } : +[](const void* k, zelkor::detail::ByteSpan b) {
                    return aesBlocks(*static_cast<const AESKeySchedule*>(k), false, ByteString(b));
                }};
        };
        return zelkor::detail::xtsRun(blocks(data, encrypt), blocks(tweakKey, true), tweak, input, encrypt);
    }
    std::vector<std::uint8_t> keys(aesKeyBytes(data).begin(), aesKeyBytes(data).end());
    keys.insert(keys.end(), aesKeyBytes(tweakKey).begin(), aesKeyBytes(tweakKey).end());
    const OneShotResult run = openSSLOneShot(cipherName(keys.size() / 2, "XTS"), encrypt, keys, tweak, input, false);
    if (!run.bytes) throw std::runtime_error(std::string(op) + ": OpenSSL failed");
    return *run.bytes;
}

std::optional<ByteString> aesCbcPkcs7(const AESKeySchedule& key, bool encrypt, const ByteString& iv,
                                      const ByteString& input) {
    const std::span<const std::uint8_t> keyBytes = aesKeyBytes(key);
    return openSSLOneShot(cipherName(keyBytes.size(), "CBC"), encrypt, keyBytes, iv, input, true).bytes;
}

}  // namespace zelkor::reference::detail
