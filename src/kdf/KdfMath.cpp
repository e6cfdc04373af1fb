#include "zelkor/detail/KdfMath.hpp"

#include <stdexcept>
#include <string>

namespace zelkor::detail {

namespace {

ByteString checkedHmac(std::size_t hashBytes, const HmacFunction& hmac, const ByteString& key,
                       const std::vector<ByteString>& chunks) {
    ByteString out = hmac(key, chunks);
    if (out.size() != hashBytes) {
        throw std::length_error("hmac gave " + std::to_string(out.size()) + " bytes, expected " +
                                std::to_string(hashBytes));
    }
    return out;
}

}  // namespace

void checkHkdfLength(std::size_t hashBytes, std::size_t length) {
    if (hashBytes == 0) throw std::invalid_argument("HKDF: a digest of 0 bytes");
    if (length > 255 * hashBytes) {
        throw std::invalid_argument("HKDF: output of " + std::to_string(length) + " bytes asked for, over 255 hash " +
                                    "lengths (" + std::to_string(255 * hashBytes) + " bytes)");
    }
}

void checkPbkdf2Parameters(std::size_t hashBytes, std::uint64_t iterations, std::size_t length) {
    if (hashBytes == 0) throw std::invalid_argument("PBKDF2: a digest of 0 bytes");
    if (iterations == 0) throw std::invalid_argument("PBKDF2: 0 iterations");
    if ((length + hashBytes - 1) / hashBytes > 0xffffffffu) {
        throw std::invalid_argument("PBKDF2: output of " + std::to_string(length) +
                                    " bytes asked for, over 2^32 - 1 hash lengths");
    }
}

ByteString hkdfExpandWith(std::size_t hashBytes, const HmacFunction& hmac, const ByteString& prk,
                          const ByteString& info, std::size_t length) {
    checkHkdfLength(hashBytes, length);
    std::vector<std::uint8_t> out;
    out.reserve(length + hashBytes);
    ByteString previous;
    for (unsigned counter = 1; out.size() < length; ++counter) {
        previous = checkedHmac(hashBytes, hmac, prk, {previous, info, ByteString{static_cast<std::uint8_t>(counter)}});
        out.insert(out.end(), previous.begin(), previous.end());
    }
    out.resize(length);
    return ByteString(std::move(out));
}

ByteString pbkdf2With(std::size_t hashBytes, const HmacFunction& hmac, const ByteString& password,
                      const ByteString& salt, std::uint64_t iterations, std::size_t length) {
    checkPbkdf2Parameters(hashBytes, iterations, length);
    std::vector<std::uint8_t> out;
    out.reserve(length + hashBytes);
    for (std::uint32_t block = 1; out.size() < length; ++block) {
        const ByteString index{static_cast<std::uint8_t>(block >> 24), static_cast<std::uint8_t>(block >> 16),
                               static_cast<std::uint8_t>(block >> 8), static_cast<std::uint8_t>(block)};
        ByteString u = checkedHmac(hashBytes, hmac, password, {salt, index});
        std::vector<std::uint8_t> f = u.vector();
        for (std::uint64_t j = 1; j < iterations; ++j) {
            u = checkedHmac(hashBytes, hmac, password, {u});
            for (std::size_t i = 0; i < hashBytes; ++i) f[i] ^= u[i];
        }
        out.insert(out.end(), f.begin(), f.end());
    }
    out.resize(length);
    return ByteString(std::move(out));
}

}  // namespace zelkor::detail
