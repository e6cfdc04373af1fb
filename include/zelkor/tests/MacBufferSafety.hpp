#pragma once
// The buffer-safety group of a MAC: the key given to buildKey, and the message
// of tag, contiguous and in chunks, each placed against an inaccessible page
// at the placements of the other buffer-safety groups and read-only during
// the call (see BufferSafety.hpp). Keys take the declared lengths, messages
// 0, 1, 15, 16, 17, 35 and random lengths up to 64 bytes.

#include <cstddef>
#include <optional>
#include <vector>

#include <rapidcheck.h>

#include "zelkor/ByteString.hpp"
#include "zelkor/Mac.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/checks/BufferSafetyChecks.hpp"
#include "zelkor/tests/detail/checks/ConformanceInputs.hpp"
#include "zelkor/tests/detail/mac/MacPropTests.hpp"

namespace zelkor::tests {

namespace mac_detail {

using MacSafetyCase = detail::SafetyCaseOf<16, 0>;

// Key bytes of a declared length chosen by the drawn key's length.
template <Mac M>
ByteString declaredKeyBytes(const MacSafetyCase& c) {
    const auto& lengths = keyLengths<M>();
    RC_PRE(!lengths.empty());
    return detail::keyBytesFromMaterial(c.key, static_cast<long>(lengths[c.key.size() % lengths.size()]));
}

// buildKey on placed key bytes; a key built is compared by its tag.
template <Mac M>
void placedKey(const MacSafetyCase& c) {
    const ByteString keyBytes = declaredKeyBytes<M>(c);
    detail::Placer placer(c.placements);
    placer.newCall();
    const ByteString placed = placer.place("key", keyBytes);
    detail::requireSafeCall("buildKey", placer.arguments(), [&](bool p) {
        const std::optional<M> key = M::buildKey(p ? placed : keyBytes);
        return key ? std::optional<ByteString>(key->tag(c.message, fullTagBytes<M>())) : std::nullopt;
    });
}

template <Mac M>
void placedTag(const MacSafetyCase& c) {
    const M key = keyOrDiscard<M>(declaredKeyBytes<M>(c));
    const ChunkedByteString chunked = detail::chunkByPlan(c.message, c.plan);
    detail::Placer placer(c.placements);
    placer.newCall();
    const ByteString placed = placer.place("message", c.message);
    detail::requireSafeCall("tag (contiguous)", placer.arguments(), [&](bool p) {
        return key.tag(p ? placed : c.message, fullTagBytes<M>());
    });
    placer.newCall();
    const ChunkedByteString placedChunks = placer.placeChunks("message", chunked);
    detail::requireSafeCall("tag (chunked)", placer.arguments(), [&](bool p) {
        return key.tag(p ? placedChunks : chunked, fullTagBytes<M>());
    });
}

}  // namespace mac_detail

// One group, "MAC buffer safety"; building does no cryptographic work.
template <Mac M>
std::vector<Test> makeMacBufferSafetyTests() {
    const char* const name = "MAC buffer safety";
    if (!detail::placementAvailable() || !detail::faultGuardAvailable()) {
        return {testGroup(name, {detail::placementUnavailableCase()})};
    }
    return {testGroup(name, {testProperty("PlacedKey", &mac_detail::placedKey<M>),
                             testProperty("PlacedTag", &mac_detail::placedTag<M>)})};
}

template <Mac M>
std::vector<Test> makeMacBufferSafetyTests(const M&) {
    return makeMacBufferSafetyTests<M>();
}

}  // namespace zelkor::tests
