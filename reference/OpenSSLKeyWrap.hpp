#pragma once
// OpenSSL's AES key wraps (the EVP ciphers AES-<bits>-WRAP, -WRAP-PAD and
// their -INV forms, which wrap with the inverse cipher) as zelkor::KeyWrap
// types. They declare the lengths the constructions take and refuse others
// with std::invalid_argument before calling OpenSSL.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "zelkor/ByteString.hpp"
#include "zelkor/KeyWrap.hpp"

namespace zelkor::reference {

namespace detail {
// `name` is OpenSSL's cipher name, e.g. "AES-128-WRAP-PAD".
ByteString openSSLWrap(const char* name, const std::vector<std::uint8_t>& key, const ByteString& keyData);
std::optional<ByteString> openSSLUnwrap(const char* name, const std::vector<std::uint8_t>& key,
                                        const ByteString& wrapped);
const char* openSSLWrapName(int bits, bool padded, bool inverse);
}  // namespace detail

template <int Bits, KeyWrapPadding Padding, KeyWrapDirection Direction = KeyWrapDirection::Forward>
class OpenSSLKeyWrap {
public:
    static constexpr int keyLength = Bits;
    static constexpr bool padded = Padding == KeyWrapPadding::Padded;

    static std::optional<OpenSSLKeyWrap> buildKey(const ByteString& bytes) {
        if (bytes.size() != Bits / 8) return std::nullopt;
        return OpenSSLKeyWrap(bytes.vector());
    }
    static bool acceptsLength(std::size_t bytes) {
        return padded ? zelkor::detail::kwpAcceptsLength(bytes) && bytes < (std::size_t{1} << 30)
                      : zelkor::detail::kwAcceptsLength(bytes);
    }

    ByteString wrap(const ByteString& keyData) const { return detail::openSSLWrap(name(), key_, keyData); }
    std::optional<ByteString> unwrap(const ByteString& wrapped) const {
        return detail::openSSLUnwrap(name(), key_, wrapped);
    }

private:
    explicit OpenSSLKeyWrap(std::vector<std::uint8_t> key) : key_(std::move(key)) {}
    static const char* name() { return detail::openSSLWrapName(Bits, padded, Direction == KeyWrapDirection::Inverse); }
    std::vector<std::uint8_t> key_;
};

}  // namespace zelkor::reference
