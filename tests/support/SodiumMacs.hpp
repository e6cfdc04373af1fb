#pragma once
// libsodium's Poly1305 (crypto_onetimeauth) and SipHash-2-4
// (crypto_shorthash) as zelkor::Mac types: the second, independent
// implementation the Poly1305 and SipHash rows are run against.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <sodium.h>

#include "zelkor/ByteString.hpp"

namespace zelkor::testsupport {

// libsodium declares its inputs non-null: an empty one is passed as a byte.
inline const unsigned char* sodiumBytes(const ByteString& bytes) {
    static const unsigned char none = 0;
    return bytes.empty() ? &none : bytes.data();
}

template <std::size_t KeyBytes, std::size_t TagBytes, class Self>
class SodiumMac {
public:
    static constexpr int tagLength = static_cast<int>(TagBytes * 8);
    static bool acceptsKey(std::size_t bytes) { return bytes == KeyBytes; }
    static bool acceptsTag(std::size_t bytes) { return bytes == TagBytes; }

    static std::optional<Self> buildKey(const ByteString& bytes) {
        if (bytes.size() != KeyBytes || sodium_init() < 0) return std::nullopt;
        Self mac;
        mac.key_ = bytes.vector();
        return mac;
    }

    ByteString tag(const ByteString& message, std::size_t tagBytes) const {
        if (tagBytes != TagBytes) throw std::invalid_argument("tag of " + std::to_string(tagBytes) + " bytes");
        return Self::compute(key_.data(), message);
    }
    ByteString tag(const ChunkedByteString& message, std::size_t tagBytes) const {
        return tag(message.toStrict(), tagBytes);
    }

private:
    std::vector<std::uint8_t> key_;
};

class SodiumPoly1305 : public SodiumMac<32, 16, SodiumPoly1305> {
public:
    static ByteString compute(const std::uint8_t* key, const ByteString& message) {
        std::vector<std::uint8_t> out(16);
        crypto_onetimeauth_poly1305(out.data(), sodiumBytes(message), message.size(), key);
        return ByteString(std::move(out));
    }
};

class SodiumSipHash24 : public SodiumMac<16, 8, SodiumSipHash24> {
public:
    static ByteString compute(const std::uint8_t* key, const ByteString& message) {
        std::vector<std::uint8_t> out(8);
        crypto_shorthash_siphash24(out.data(), sodiumBytes(message), message.size(), key);
        return ByteString(std::move(out));
    }
};

}  // namespace zelkor::testsupport
