#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include <rapidcheck.h>

#include "zelkor/tests/detail/cipher/BlockCipherPropHelpers.hpp"
#include "zelkor/tests/detail/checks/BufferSafetyChecks.hpp"
#include "zelkor/tests/detail/checks/ConformanceInputs.hpp"
#include "zelkor/tests/detail/stream/StreamShape.hpp"

namespace zelkor::tests::stream_detail {

namespace {

rc::Gen<detail::SafetyCase> safetyCases(std::size_t blockBytes, std::size_t keyBytes) {
    return [blockBytes, keyBytes](const rc::Random& random, int) {
        rc::Random r = random;
        return rc::shrinkable::just(detail::SafetyCase::draw(r, blockBytes, keyBytes));
    };
}

ByteString nonceOf(const StreamShape& shape, const detail::SafetyCase& c) {
    const std::vector<std::size_t> lengths = declaredNonceLengths(shape);
    RC_PRE(!lengths.empty());
    return detail::keyBytesFromMaterial(c.iv, static_cast<long>(lengths.front()));
}

// buildKey on placed key bytes; a key built is compared by what it gives.
void placedKey(const StreamShape& shape) {
    const detail::SafetyCase c = *safetyCases(shape.blockBytes, shape.keyBytes);
    const ByteString nonce = nonceOf(shape, c);
    detail::Placer placer(c.placements);
    placer.newCall();
    const ByteString placed = placer.place("key", c.key);
    detail::requireSafeCall("buildKey", placer.arguments(), [&](bool p) {
        const std::optional<StreamKeyed> key = shape.buildKey(p ? placed : c.key);
        return key ? std::optional<ByteString>(key->apply(nonce, 0, c.message)) : std::nullopt;
    });
}

// apply with nonce and input placed, from an offset inside a block; then the
// chunked form with every chunk placed on its own.
void placedApply(const StreamShape& shape) {
    const detail::SafetyCase c = *safetyCases(shape.blockBytes, shape.keyBytes);
    std::optional<StreamKeyed> key =
        shape.buildKey(detail::keyBytesFromMaterial(c.key, static_cast<long>(shape.keyBytes)));
    RC_PRE(key.has_value());
    const ByteString nonce = nonceOf(shape, c);
    const std::uint64_t offset = c.message.size() % 131;
    detail::Placer placer(c.placements);
    placer.newCall();
    const ByteString placedNonce = placer.place("nonce", nonce);
    const ByteString placedInput = placer.place("input", c.message);
    detail::requireSafeCall("apply", placer.arguments(), [&](bool p) {
        return p ? key->apply(placedNonce, offset, placedInput) : key->apply(nonce, offset, c.message);
    });
    const ChunkedByteString chunks = detail::chunkByPlan(c.message, c.plan);
    placer.newCall();
    const ByteString chunkNonce = placer.place("nonce", nonce);
    const ChunkedByteString placedChunks = placer.placeChunks("input", chunks);
    detail::requireSafeCall("apply (chunked)", placer.arguments(), [&](bool p) {
        return p ? key->applyChunks(chunkNonce, offset, placedChunks).toStrict()
                 : key->applyChunks(nonce, offset, chunks).toStrict();
    });
}

}  // namespace

std::vector<Test> bufferSafetyTests(const StreamShape& shape) {
    const char* const name = "Stream cipher buffer safety";
    if (!detail::placementAvailable() || !detail::faultGuardAvailable()) {
        return {testGroup(name, {detail::placementUnavailableCase()})};
    }
    return {testGroup(name, {testProperty("PlacedKey", [shape] { placedKey(shape); }),
                             testProperty("PlacedApply", [shape] { placedApply(shape); })})};
}

}  // namespace zelkor::tests::stream_detail
