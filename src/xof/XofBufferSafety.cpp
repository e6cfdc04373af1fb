#include <cstddef>
#include <vector>

#include <rapidcheck.h>

#include "zelkor/tests/detail/checks/BufferSafetyChecks.hpp"
#include "zelkor/tests/detail/checks/ConformanceInputs.hpp"
#include "zelkor/tests/detail/xof/XofShape.hpp"

namespace zelkor::tests::xof_detail {

namespace {

// The message absorbed whole, then in the case's chunks, each placed on its own.
void placedAbsorb(const XofShape& shape) {
    const detail::SafetyCase c = *rc::Gen<detail::SafetyCase>([&shape](const rc::Random& random, int) {
        rc::Random r = random;
        return rc::shrinkable::just(detail::SafetyCase::draw(r, shape.rateBytes, 1));
    });
    const std::size_t outputBytes = shape.rateBytes + 1;
    detail::Placer placer(c.placements);
    placer.newCall();
    const ByteString placed = placer.place("message", c.message);
    detail::requireSafeCall("absorb", placer.arguments(), [&](bool p) {
        XofState state = shape.fresh();
        state.absorb(p ? placed : c.message);
        return state.squeeze(outputBytes);
    });
    const ChunkedByteString chunks = detail::chunkByPlan(c.message, c.plan);
    placer.newCall();
    const ChunkedByteString placedChunks = placer.placeChunks("message", chunks);
    detail::requireSafeCall("absorb (in pieces)", placer.arguments(), [&](bool p) {
        XofState state = shape.fresh();
        for (const ByteString& chunk : (p ? placedChunks : chunks).chunks()) state.absorb(chunk);
        return state.squeeze(outputBytes);
    });
}

}  // namespace

std::vector<Test> bufferSafetyTests(const XofShape& shape) {
    const char* const name = "XOF buffer safety";
    if (!detail::placementAvailable() || !detail::faultGuardAvailable()) {
        return {testGroup(name, {detail::placementUnavailableCase()})};
    }
    return {testGroup(name, {testProperty("PlacedAbsorb", [shape] { placedAbsorb(shape); })})};
}

}  // namespace zelkor::tests::xof_detail
