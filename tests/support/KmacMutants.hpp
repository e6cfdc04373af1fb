#pragma once
// KMAC without a customization string, written out over the test sponge
// (KeccakSponge.hpp): with RightEncodedLength false the output length is
// appended with left_encode instead of right_encode, a classic slip.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/KeccakSponge.hpp"
#include "zelkor/ByteString.hpp"

namespace zelkor::testsupport::mutants {

namespace kmac {

inline std::vector<std::uint8_t> bigEndian(std::uint64_t x) {
    std::vector<std::uint8_t> out;
    do {
        out.insert(out.begin(), static_cast<std::uint8_t>(x));
        x >>= 8;
    } while (x != 0);
    return out;
}

inline std::vector<std::uint8_t> leftEncode(std::uint64_t x) {
    std::vector<std::uint8_t> out = bigEndian(x);
    out.insert(out.begin(), static_cast<std::uint8_t>(out.size()));
    return out;
}

inline std::vector<std::uint8_t> rightEncode(std::uint64_t x) {
    std::vector<std::uint8_t> out = bigEndian(x);
    out.push_back(static_cast<std::uint8_t>(out.size()));
    return out;
}

inline void append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}

inline std::vector<std::uint8_t> encodeString(const std::vector<std::uint8_t>& s) {
    std::vector<std::uint8_t> out = leftEncode(8 * s.size());
    append(out, s);
    return out;
}

inline std::vector<std::uint8_t> bytepad(const std::vector<std::uint8_t>& x, std::size_t w) {
    std::vector<std::uint8_t> out = leftEncode(w);
    append(out, x);
    while (out.size() % w != 0) out.push_back(0);
    return out;
}

}  // namespace kmac

template <int Strength, bool RightEncodedLength>
class WrittenOutKmac {
public:
    static constexpr int tagLength = 2 * Strength;
    static constexpr bool tagDependsOnLength = true;
    static bool acceptsKey(std::size_t bytes) { return bytes >= 4 && bytes <= 512; }
    static bool acceptsTag(std::size_t bytes) { return bytes >= 4 && bytes <= 64; }

    static std::optional<WrittenOutKmac> buildKey(const ByteString& bytes) {
        if (!acceptsKey(bytes.size())) return std::nullopt;
        WrittenOutKmac mac;
        mac.key_ = bytes.vector();
        return mac;
    }

    ByteString tag(const ByteString& message, std::size_t tagBytes) const {
        if (!acceptsTag(tagBytes)) throw std::invalid_argument("tag of " + std::to_string(tagBytes) + " bytes");
        constexpr std::size_t rate = Strength == 128 ? 168 : 136;
        using namespace kmac;
        std::vector<std::uint8_t> names = encodeString({'K', 'M', 'A', 'C'});
        append(names, encodeString({}));  // no customization string
        std::vector<std::uint8_t> prefix = bytepad(names, rate);
        append(prefix, bytepad(encodeString(key_), rate));
        const std::vector<std::uint8_t> length =
            RightEncodedLength ? rightEncode(8 * tagBytes) : leftEncode(8 * tagBytes);
        const std::vector<ByteString> chunks = {ByteString(prefix), message, ByteString(length)};
        std::vector<std::uint8_t> out(tagBytes);
        zelkor::testsupport::detail::keccakSponge(0x04, rate, chunks, out);
        return ByteString(std::move(out));
    }
    ByteString tag(const ChunkedByteString& message, std::size_t tagBytes) const {
        return tag(message.toStrict(), tagBytes);
    }

private:
    std::vector<std::uint8_t> key_;
};

}  // namespace zelkor::testsupport::mutants
