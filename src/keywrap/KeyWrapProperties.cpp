#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <rapidcheck.h>

#include "zelkor/tests/detail/cipher/BlockCipherPropHelpers.hpp"
#include "zelkor/tests/detail/checks/Generators.hpp"
#include "zelkor/tests/detail/keywrap/KeyWrapShape.hpp"
#include "zelkor/tests/detail/run/Report.hpp"

namespace zelkor::tests::keywrap_detail {

namespace {

KeyWrapKeyed keyedOrDiscard(const KeyWrapShape& shape, const ByteString& material) {
    std::optional<KeyWrapKeyed> keyed =
        shape.buildKey(detail::keyBytesFromMaterial(material, static_cast<long>(shape.keyBytes)));
    RC_PRE(keyed.has_value());
    return std::move(*keyed);
}

// Declared lengths around the 8-byte halves, and one long key: 50 halves or
// more, so that the wrap loop's counter (up to 6 per half) passes 255 and a
// wrong byte order of it shows. Longer keys add nothing but time.
std::size_t drawLength(const KeyWrapShape& shape) {
    std::vector<std::size_t> lengths;
    for (std::size_t n = 1; n <= 72; ++n) {
        if (shape.acceptsLength(n)) lengths.push_back(n);
    }
    if (shape.acceptsLength(400)) lengths.push_back(400);
    if (shape.acceptsLength(401)) lengths.push_back(401);
    RC_PRE(!lengths.empty());
    return *rc::gen::elementOf(lengths);
}

bool refuses(const KeyWrapKeyed& key, const ByteString& wrapped) {
    try {
        return !key.unwrap(wrapped).has_value();
    } catch (const std::exception&) {
        return true;
    }
}

void unwrapUndoesWrap(const KeyWrapShape& shape, const ByteString& keyMaterial, const ByteString& material) {
    const KeyWrapKeyed key = keyedOrDiscard(shape, keyMaterial);
    const std::size_t length = drawLength(shape);
    RC_LOG() << "key data of " << length << " bytes\n";
    const ByteString data = detail::keyBytesFromMaterial(material + ByteString{1}, static_cast<long>(length));
    const ByteString wrapped = key.wrap(data);
    if (wrapped.size() != (length + 7) / 8 * 8 + 8) {
        RC_FAIL("wrap of " + std::to_string(length) + " bytes gave " + std::to_string(wrapped.size()) + " bytes");
    }
    const std::optional<ByteString> unwrapped = key.unwrap(wrapped);
    if (!unwrapped) RC_FAIL("unwrap refused what wrap gave");
    detail::requireSameBytes("unwrap of wrap == the key data", *unwrapped, data);
}

void anyChangedBitIsRefused(const KeyWrapShape& shape, const ByteString& keyMaterial, const ByteString& material) {
    const KeyWrapKeyed key = keyedOrDiscard(shape, keyMaterial);
    const std::size_t length = drawLength(shape);
    const ByteString data = detail::keyBytesFromMaterial(material + ByteString{2}, static_cast<long>(length));
    std::vector<std::uint8_t> wrapped = key.wrap(data).vector();
    RC_PRE(!wrapped.empty());
    const std::size_t bit = *rc::gen::inRange<std::size_t>(0, wrapped.size() * 8);
    wrapped[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
    if (!refuses(key, ByteString(std::move(wrapped)))) {
        RC_FAIL("unwrap gave key data for a wrapped key of " + std::to_string(length) + " bytes with bit " +
                std::to_string(bit) + " changed");
    }
}

void undeclaredLengthsAreRefused(const KeyWrapShape& shape) {
    std::optional<KeyWrapKeyed> key = shape.buildKey(ByteString(std::vector<std::uint8_t>(shape.keyBytes, 0x5a)));
    if (!key) throw std::runtime_error("buildKey refused a key of keyLength bits");
    std::string failures;
    for (std::size_t n = 0; n <= 40; ++n) {
        if (shape.acceptsLength(n)) continue;
        try {
            const ByteString wrapped = key->wrap(ByteString(std::vector<std::uint8_t>(n, 0x33)));
            failures += "wrap took " + std::to_string(n) + " bytes and gave " + std::to_string(wrapped.size()) + "; ";
        } catch (const std::exception&) {
        }
    }
    for (std::size_t n : {0, 8, 15, 17}) {
        if (!refuses(*key, ByteString(std::vector<std::uint8_t>(n, 0x44)))) {
            failures += "unwrap gave key data for a wrapped key of " + std::to_string(n) + " bytes; ";
        }
    }
    if (!failures.empty()) {
        throw AssertionFailure("lengths the type does not declare must be refused: " + failures);
    }
}

}  // namespace

std::vector<Test> propertyTests(const KeyWrapShape& shape) {
    using Prop = void (*)(const KeyWrapShape&, const ByteString&, const ByteString&);
    const auto property = [&shape](const char* name, Prop prop) {
        return testProperty(name, [shape, prop](const ByteString& keyMaterial, const ByteString& material) {
            prop(shape, keyMaterial, material);
        });
    };
    return {testGroup(
        "Key wrap properties",
        {property("UnwrapUndoesWrap", &unwrapUndoesWrap), property("AnyChangedBitIsRefused", &anyChangedBitIsRefused),
         testCase("UndeclaredLengthsAreRefused", [shape] { undeclaredLengthsAreRefused(shape); })})};
}

}  // namespace zelkor::tests::keywrap_detail
