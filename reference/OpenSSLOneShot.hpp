#pragma once
// One OpenSSL cipher run over a whole input, for the modes whose reference is
// used a message at a time: CFB8, CFB1 (counted in bits), XTS and CBC with
// PKCS#7 padding, over any cipher OpenSSL names ("AES-128-CFB1", ...).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "zelkor/ByteString.hpp"

namespace zelkor::reference::detail {

struct OneShotResult {
    std::optional<ByteString> bytes;  // none when finishing failed (a bad pad)
    ByteString nextIV;                // the IV OpenSSL holds at the end (feedback modes)
};

// `bits` > 0 runs a one-bit mode over that many bits of `input` (OpenSSL's
// bit-length flag); the output then has bits past them zero. `padding` turns
// on PKCS#7 padding.
OneShotResult openSSLOneShot(const std::string& cipher, bool encrypt, std::span<const std::uint8_t> key,
                             const ByteString& iv, const ByteString& input, bool padding, std::size_t bits = 0);

}  // namespace zelkor::reference::detail
