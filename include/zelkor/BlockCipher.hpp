#pragma once
// The block-cipher contract: a cipher type is its own key type.

#include <concepts>
#include <optional>
#include <ostream>

#include "zelkor/ByteString.hpp"

namespace zelkor {

// encryptBlock / decryptBlock take one or more whole blocks (blockSize/8
// bytes each) and return as many, each block on its own (as in ECB): the
// generic ECB and CBC decryption hand them runs of several blocks at once.
template <class K>
concept BlockCipher = std::copy_constructible<K> && requires(const K& k, const ByteString& s) {
    { K::blockSize } -> std::convertible_to<int>;  // bits
    { K::keyLength } -> std::convertible_to<int>;  // bits
    { K::buildKey(s) } -> std::same_as<std::optional<K>>;
    { k.encryptBlock(s) } -> std::same_as<ByteString>;
    { k.decryptBlock(s) } -> std::same_as<ByteString>;
};

// Block size of a cipher in whole bytes (the remainder of the bit count is dropped).
template <class K>
constexpr std::size_t blockBytes() {
    return K::blockSize > 0 ? static_cast<std::size_t>(K::blockSize) / 8 : 0;
}

// An initialisation vector: exactly blockSize/8 bytes of the cipher K.
// Unconstrained on purpose: a cipher names IV<Self> in its own member
// declarations while Self is still incomplete.
template <class K>
class IV {
public:
    // Reads the first blockSize/8 bytes and ignores the rest; none when the
    // input is too short.
    static std::optional<IV> decode(const ByteString& bytes) {
        const std::size_t n = blockBytes<K>();
        if (bytes.size() < n) return std::nullopt;
        return IV(bytes.take(n));
    }

    const ByteString& bytes() const noexcept { return bytes_; }

    friend bool operator==(const IV&, const IV&) = default;
    friend std::ostream& operator<<(std::ostream& os, const IV& iv) { return os << "IV " << iv.bytes_; }

private:
    explicit IV(ByteString bytes) : bytes_(std::move(bytes)) {}
    ByteString bytes_;
};

}  // namespace zelkor
