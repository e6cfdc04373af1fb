#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include <rapidcheck.h>

#include "zelkor/tests/detail/cipher/BlockCipherPropHelpers.hpp"
#include "zelkor/tests/detail/checks/BufferSafetyChecks.hpp"
#include "zelkor/tests/detail/keywrap/KeyWrapShape.hpp"

namespace zelkor::tests::keywrap_detail {

namespace {

rc::Gen<detail::SafetyCase> safetyCases(std::size_t keyBytes) {
    return [keyBytes](const rc::Random& random, int) {
        rc::Random r = random;
        return rc::shrinkable::just(detail::SafetyCase::draw(r, 8, keyBytes));
    };
}

// The case's message cut or grown to the nearest length the type declares.
ByteString keyDataOf(const KeyWrapShape& shape, const detail::SafetyCase& c) {
    for (std::size_t n = c.message.size(); n <= c.message.size() + 16; ++n) {
        if (shape.acceptsLength(n)) return detail::keyBytesFromMaterial(c.message + c.iv, static_cast<long>(n));
    }
    RC_DISCARD("no declared length near the drawn one");
}

void placedKey(const KeyWrapShape& shape) {
    const detail::SafetyCase c = *safetyCases(shape.keyBytes);
    const ByteString data = keyDataOf(shape, c);
    detail::Placer placer(c.placements);
    placer.newCall();
    const ByteString placed = placer.place("key", c.key);
    detail::requireSafeCall("buildKey", placer.arguments(), [&](bool p) {
        const std::optional<KeyWrapKeyed> key = shape.buildKey(p ? placed : c.key);
        return key ? std::optional<ByteString>(key->wrap(data)) : std::nullopt;
    });
}

// wrap with the key data placed; unwrap with its output placed, and again
// with the output's last bit changed.
void placedWrapAndUnwrap(const KeyWrapShape& shape) {
    const detail::SafetyCase c = *safetyCases(shape.keyBytes);
    std::optional<KeyWrapKeyed> key =
        shape.buildKey(detail::keyBytesFromMaterial(c.key, static_cast<long>(shape.keyBytes)));
    RC_PRE(key.has_value());
    const ByteString data = keyDataOf(shape, c);
    detail::Placer placer(c.placements);
    placer.newCall();
    const ByteString placedData = placer.place("key data", data);
    detail::requireSafeCall("wrap", placer.arguments(), [&](bool p) { return key->wrap(p ? placedData : data); });
    const ByteString wrapped = key->wrap(data);
    std::vector<std::uint8_t> changed = wrapped.vector();
    changed.back() ^= 1;
    for (const ByteString& input : {wrapped, ByteString(std::move(changed))}) {
        placer.newCall();
        const ByteString placedWrapped = placer.place("wrapped key", input);
        detail::requireSafeCall(input == wrapped ? "unwrap" : "unwrap (a bit changed)", placer.arguments(),
                                [&](bool p) { return key->unwrap(p ? placedWrapped : input); });
    }
}

}  // namespace

std::vector<Test> bufferSafetyTests(const KeyWrapShape& shape) {
    const char* const name = "Key wrap buffer safety";
    if (!detail::placementAvailable() || !detail::faultGuardAvailable()) {
        return {testGroup(name, {detail::placementUnavailableCase()})};
    }
    return {testGroup(name, {testProperty("PlacedKey", [shape] { placedKey(shape); }),
                             testProperty("PlacedWrapAndUnwrap", [shape] { placedWrapAndUnwrap(shape); })})};
}

}  // namespace zelkor::tests::keywrap_detail
