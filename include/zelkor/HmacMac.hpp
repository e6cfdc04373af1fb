#pragma once
// HMAC over any digest as a zelkor::Mac: keys of any length, tags of 1 byte up
// to the digest's output, the shorter ones prefixes of the full tag. The HMAC
// is zelkor::hmac<D>, so a digest's own hmac is what gets tested.

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "zelkor/ByteString.hpp"
#include "zelkor/Hash.hpp"
#include "zelkor/Hmac.hpp"

namespace zelkor {

template <Hash D>
class HmacMac {
public:
    static constexpr int tagLength = D::outputLength;

    static bool acceptsKey(std::size_t) { return true; }
    static bool acceptsTag(std::size_t bytes) {
        return bytes >= 1 && bytes * 8 <= static_cast<std::size_t>(D::outputLength);
    }

    static std::optional<HmacMac> buildKey(const ByteString& bytes) { return HmacMac(bytes); }

    ByteString tag(const ByteString& message, std::size_t tagBytes) const {
        requireTag(tagBytes);
        return zelkor::hmac<D>(key_, message).encode().take(tagBytes);
    }
    ByteString tag(const ChunkedByteString& message, std::size_t tagBytes) const {
        requireTag(tagBytes);
        return zelkor::hmac<D>(key_, message).encode().take(tagBytes);
    }

private:
    explicit HmacMac(ByteString key) : key_(std::move(key)) {}

    static void requireTag(std::size_t tagBytes) {
        if (!acceptsTag(tagBytes)) {
            throw std::invalid_argument("HMAC: tag of " + std::to_string(tagBytes) + " bytes not accepted");
        }
    }

    ByteString key_;
};

}  // namespace zelkor
