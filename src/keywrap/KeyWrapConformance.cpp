#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "zelkor/detail/KeyWrapCore.hpp"
#include "zelkor/tests/detail/keywrap/KeyWrapShape.hpp"
#include "zelkor/tests/detail/run/Report.hpp"

namespace zelkor::tests::keywrap_detail {

namespace {

ByteString pattern(std::size_t n, std::uint8_t seed) {
    std::vector<std::uint8_t> out(n);
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(seed + 13 * i);
    return ByteString(std::move(out));
}

std::string hex(const ByteString& bytes) {
    std::ostringstream out;
    detail::writeBytes(out, bytes);
    return out.str();
}

// The generic construction over the type's own block cipher.
struct Generic {
    zelkor::detail::KeyWrapBlock forward, inverse;
    bool padded;

    ByteString wrap(const ByteString& data) const {
        return padded ? zelkor::detail::kwpWrapWith(forward, data) : zelkor::detail::kwWrapWith(forward, data);
    }
    std::optional<ByteString> unwrap(const ByteString& wrapped) const {
        return padded ? zelkor::detail::kwpUnwrapWith(inverse, wrapped)
                      : zelkor::detail::kwUnwrapWith(inverse, wrapped);
    }
    // `halves` wrapped under any integrity value; one half of KWP is a single block.
    ByteString wind(const std::array<std::uint8_t, 8>& check, const ByteString& halves) const {
        if (halves.size() == 8) {
            std::vector<std::uint8_t> in(check.begin(), check.end());
            in.insert(in.end(), halves.begin(), halves.end());
            return forward(ByteString(std::move(in)));
        }
        return zelkor::detail::keyWrapWind(forward, check, halves);
    }
};

std::optional<std::pair<KeyWrapKeyed, Generic>> keyedWithGeneric(const KeyWrapShape& shape, KeyWrapVariant variant,
                                                                 std::uint8_t seed) {
    std::optional<KeyWrapKeyed> key = shape.buildKey(pattern(shape.keyBytes, seed));
    if (!key) throw std::runtime_error("buildKey refused a key of keyLength bits");
    if (!key->encrypt || !key->decrypt) return std::nullopt;
    Generic generic{variant.inverse ? *key->decrypt : *key->encrypt, variant.inverse ? *key->encrypt : *key->decrypt,
                    variant.padded};
    return std::pair{std::move(*key), std::move(generic)};
}

bool refuses(const KeyWrapKeyed& key, const ByteString& wrapped) {
    try {
        return !key.unwrap(wrapped).has_value();
    } catch (const std::exception&) {
        return true;
    }
}

void wrapAsGeneric(const KeyWrapKeyed& key, const Generic& generic, const KeyWrapShape& shape) {
    for (std::size_t n : {1, 7, 8, 9, 16, 17, 24, 40, 41, 256, 257}) {
        if (!shape.acceptsLength(n)) continue;
        const ByteString data = pattern(n, static_cast<std::uint8_t>(n));
        const ByteString expected = generic.wrap(data);
        const ByteString wrapped = key.wrap(data);
        if (wrapped != expected) {
            throw AssertionFailure("wrap of " + std::to_string(n) + " bytes differs from the generic construction: " +
                                   hex(wrapped) + ", the generic one gives " + hex(expected));
        }
        const std::optional<ByteString> unwrapped = key.unwrap(expected);
        if (!unwrapped || *unwrapped != data) {
            throw AssertionFailure("unwrap of the generic construction's wrap of " + std::to_string(n) +
                                   " bytes did not give the key data back");
        }
    }
}

// Wrapped keys the generic construction refuses, each with a reason.
std::vector<std::pair<std::string, ByteString>> badlyWrapped(const Generic& generic) {
    std::vector<std::pair<std::string, ByteString>> out;
    const ByteString halves = pattern(24, 0x21);
    if (!generic.padded) {
        std::array<std::uint8_t, 8> check = zelkor::detail::kKwCheck;
        check[7] ^= 1;
        out.emplace_back("an integrity value with its last bit changed", generic.wind(check, halves));
        return out;
    }
    const auto kwpCheck = [](std::uint32_t length) {
        std::array<std::uint8_t, 8> check{};
        std::copy(zelkor::detail::kKwpCheck.begin(), zelkor::detail::kKwpCheck.end(), check.begin());
        for (int i = 0; i < 4; ++i) check[7 - i] = static_cast<std::uint8_t>(length >> (8 * i));
        return check;
    };
    std::array<std::uint8_t, 8> changed = kwpCheck(20);
    changed[0] ^= 0x80;
    out.emplace_back("a changed integrity value", generic.wind(changed, halves.take(24)));
    out.emplace_back("a length of 16 bytes with 24 bytes of data (8 bytes of padding)",
                     generic.wind(kwpCheck(16), halves));
    out.emplace_back("a length of 25 bytes with 24 bytes of data", generic.wind(kwpCheck(25), halves));
    out.emplace_back("a length of 0 bytes", generic.wind(kwpCheck(0), halves.take(8)));
    out.emplace_back("a length of 2^32 - 1 bytes", generic.wind(kwpCheck(0xffffffffu), halves));
    std::vector<std::uint8_t> padded = pattern(24, 0x21).vector();
    padded[23] = 1;
    out.emplace_back("a length of 20 bytes with a non-zero padding byte",
                     generic.wind(kwpCheck(20), ByteString(std::move(padded))));
    std::vector<std::uint8_t> single = pattern(8, 0x31).vector();
    single[7] = 0x80;
    out.emplace_back("one block, a length of 5 bytes with a non-zero padding byte",
                     generic.wind(kwpCheck(5), ByteString(std::move(single))));
    return out;
}

void conformance(const KeyWrapShape& shape, KeyWrapVariant variant) {
    for (std::uint8_t seed : {std::uint8_t{1}, std::uint8_t{0x80}}) {
        auto pair = keyedWithGeneric(shape, variant, seed);
        if (!pair) throw SkipTest("the type exposes no block cipher (blockCipher()) for the generic construction");
        const auto& [key, generic] = *pair;
        wrapAsGeneric(key, generic, shape);
        for (const auto& [why, wrapped] : badlyWrapped(generic)) {
            if (generic.unwrap(wrapped)) throw std::logic_error("the generic construction took " + why);
            if (!refuses(key, wrapped)) throw AssertionFailure("unwrap gave key data for a wrapped key with " + why);
        }
    }
}

}  // namespace

std::vector<Test> conformanceTests(const KeyWrapShape& shape, KeyWrapVariant variant) {
    return {testGroup("Key wrap conformance",
                      {testCase("AsTheGenericConstruction", [shape, variant] { conformance(shape, variant); })})};
}

}  // namespace zelkor::tests::keywrap_detail
