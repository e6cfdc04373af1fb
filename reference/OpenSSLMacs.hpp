#pragma once
// OpenSSL's MACs (EVP_MAC) as zelkor::Mac types. Each is described by a
// traits struct: the EVP_MAC name, its cipher or digest parameter, the full
// tag and the key and tag lengths it declares. Shorter tags are cut from the
// full one, unless the tag length enters the computation (then it is handed
// to OpenSSL as the output size).

#include <cstddef>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>

#include "zelkor/ByteString.hpp"
#include "zelkor/Mac.hpp"

namespace zelkor::reference {

namespace detail {

struct OpenSSLMacSetup {
    const char* mac;                 // "CMAC", ...
    const char* cipher = nullptr;    // the cipher parameter, if any
    std::size_t outputBytes = 0;     // the output-size parameter, when nonzero
};

// The MAC of the concatenated chunks, one EVP_MAC_update per chunk; exactly
// `outBytes` bytes of output expected.
ByteString opensslMac(const OpenSSLMacSetup& setup, const ByteString& key, std::span<const ByteString> chunks,
                      std::size_t outBytes);

}  // namespace detail

template <class Traits>
class OpenSSLMac {
public:
    static constexpr int tagLength = Traits::tagBits;
    static constexpr bool tagDependsOnLength = Traits::tagDependsOnLength;

    static bool acceptsKey(std::size_t bytes) { return Traits::acceptsKey(bytes); }
    static bool acceptsTag(std::size_t bytes) { return Traits::acceptsTag(bytes); }

    static std::optional<OpenSSLMac> buildKey(const ByteString& bytes) {
        if (!acceptsKey(bytes.size())) return std::nullopt;
        OpenSSLMac mac;
        mac.key_ = ByteString(bytes.vector());
        return mac;
    }

    ByteString tag(const ByteString& message, std::size_t tagBytes) const {
        return tagOf(std::span<const ByteString>(&message, 1), tagBytes);
    }
    ByteString tag(const ChunkedByteString& message, std::size_t tagBytes) const {
        return tagOf(message.chunks(), tagBytes);
    }

private:
    ByteString tagOf(std::span<const ByteString> chunks, std::size_t tagBytes) const {
        if (!acceptsTag(tagBytes)) {
            throw std::invalid_argument(std::string(Traits::name) + ": tag of " + std::to_string(tagBytes) +
                                        " bytes not accepted");
        }
        if constexpr (Traits::tagDependsOnLength) {
            return detail::opensslMac({Traits::mac, Traits::cipher, tagBytes}, key_, chunks, tagBytes);
        } else {
            constexpr std::size_t full = static_cast<std::size_t>(Traits::tagBits) / 8;
            return detail::opensslMac({Traits::mac, Traits::cipher, Traits::sizeParam}, key_, chunks, full)
                .take(tagBytes);
        }
    }

    ByteString key_;
};

// CMAC over OpenSSL's AES: keys of the cipher's size, tags of 4 to 16 bytes.
template <int KeyBits>
struct OpenSSLCmacAesTraits {
    static constexpr const char* name = "CMAC-AES";
    static constexpr const char* mac = "CMAC";
    static constexpr const char* cipher = KeyBits == 128   ? "AES-128-CBC"
                                          : KeyBits == 192 ? "AES-192-CBC"
                                                           : "AES-256-CBC";
    static constexpr int tagBits = 128;
    static constexpr std::size_t sizeParam = 0;
    static constexpr bool tagDependsOnLength = false;
    static bool acceptsKey(std::size_t bytes) { return bytes * 8 == KeyBits; }
    static bool acceptsTag(std::size_t bytes) { return bytes >= 4 && bytes <= 16; }
};

using OpenSSLCmacAes128 = OpenSSLMac<OpenSSLCmacAesTraits<128>>;
using OpenSSLCmacAes192 = OpenSSLMac<OpenSSLCmacAesTraits<192>>;
using OpenSSLCmacAes256 = OpenSSLMac<OpenSSLCmacAesTraits<256>>;

// CMAC over OpenSSL's three-key TDES: 24-byte keys, tags of 4 to 8 bytes.
struct OpenSSLCmacTdesTraits {
    static constexpr const char* name = "CMAC-TDES";
    static constexpr const char* mac = "CMAC";
    static constexpr const char* cipher = "DES-EDE3-CBC";
    static constexpr int tagBits = 64;
    static constexpr std::size_t sizeParam = 0;
    static constexpr bool tagDependsOnLength = false;
    static bool acceptsKey(std::size_t bytes) { return bytes == 24; }
    static bool acceptsTag(std::size_t bytes) { return bytes >= 4 && bytes <= 8; }
};

using OpenSSLCmacTdes = OpenSSLMac<OpenSSLCmacTdesTraits>;

// Poly1305 as a one-time MAC: a 32-byte key (r, then s), 16-byte tags only.
struct OpenSSLPoly1305Traits {
    static constexpr const char* name = "Poly1305";
    static constexpr const char* mac = "POLY1305";
    static constexpr const char* cipher = nullptr;
    static constexpr int tagBits = 128;
    static constexpr std::size_t sizeParam = 0;
    static constexpr bool tagDependsOnLength = false;
    static bool acceptsKey(std::size_t bytes) { return bytes == 32; }
    static bool acceptsTag(std::size_t bytes) { return bytes == 16; }
};

// SipHash-2-4 with its 64-bit output: 16-byte keys, 8-byte tags only.
struct OpenSSLSipHash24Traits {
    static constexpr const char* name = "SipHash-2-4";
    static constexpr const char* mac = "SIPHASH";
    static constexpr const char* cipher = nullptr;
    static constexpr int tagBits = 64;
    static constexpr std::size_t sizeParam = 8;
    static constexpr bool tagDependsOnLength = false;
    static bool acceptsKey(std::size_t bytes) { return bytes == 16; }
    static bool acceptsTag(std::size_t bytes) { return bytes == 8; }
};

// KMAC128 and KMAC256 without a customization string: keys of 4 to 512 bytes
// (OpenSSL's bounds), tags of 4 to 64 bytes, each length its own output (the
// length is encoded into the input). The full tag is the default output.
template <int Strength>
struct OpenSSLKmacTraits {
    static constexpr const char* name = Strength == 128 ? "KMAC128" : "KMAC256";
    static constexpr const char* mac = name;
    static constexpr const char* cipher = nullptr;
    static constexpr int tagBits = 2 * Strength;
    static constexpr std::size_t sizeParam = 0;
    static constexpr bool tagDependsOnLength = true;
    static bool acceptsKey(std::size_t bytes) { return bytes >= 4 && bytes <= 512; }
    static bool acceptsTag(std::size_t bytes) { return bytes >= 4 && bytes <= 64; }
};

using OpenSSLKmac128 = OpenSSLMac<OpenSSLKmacTraits<128>>;
using OpenSSLKmac256 = OpenSSLMac<OpenSSLKmacTraits<256>>;
using OpenSSLPoly1305 = OpenSSLMac<OpenSSLPoly1305Traits>;
using OpenSSLSipHash24 = OpenSSLMac<OpenSSLSipHash24Traits>;

}  // namespace zelkor::reference
