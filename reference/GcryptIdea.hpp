#pragma once
// IDEA from libgcrypt (OpenSSL's build here leaves it out). The key is kept
// and each call opens its own libgcrypt handle, so copies of a key may be used
// from several threads at once. Its modes are the library's generic ones.

#include <optional>

#include "zelkor/ByteString.hpp"

namespace zelkor::reference {

class GcryptIdea {
public:
    static constexpr int blockSize = 64;
    static constexpr int keyLength = 128;

    // Exactly 16 bytes, else none.
    static std::optional<GcryptIdea> buildKey(const ByteString& key);

    // Whole 8-byte blocks only; other input throws std::invalid_argument.
    ByteString encryptBlock(const ByteString& blocks) const;
    ByteString decryptBlock(const ByteString& blocks) const;

private:
    explicit GcryptIdea(ByteString key) : key_(std::move(key)) {}
    ByteString key_;
};

using IDEA = GcryptIdea;

}  // namespace zelkor::reference
