#pragma once
// Random byte strings for the property suites, as RapidCheck Arbitrary
// instances.
//
// ByteString: a length uniform over 0..4096, whatever the size parameter, then
// that many independent bytes from RapidCheck's size-scaled unsigned 8-bit
// distribution (all zero at size 0, the full 0..255 from size 94 on).
// ChunkedByteString: a chunk count uniform over 0..10, then that many
// ByteStrings drawn as above; empty ones leave no chunk.
// Neither shrinks: a failing case is reported as drawn.

#include <rapidcheck.h>

#include "zelkor/ByteString.hpp"

namespace zelkor::tests::detail {

inline constexpr std::size_t kMaxRandomLength = 4096;
inline constexpr std::size_t kMaxRandomChunks = 10;

ByteString drawByteString(const rc::Random& random, int size);
ChunkedByteString drawChunkedByteString(const rc::Random& random, int size);

}  // namespace zelkor::tests::detail

namespace rc {

template <>
struct Arbitrary<zelkor::ByteString> {
    static Gen<zelkor::ByteString> arbitrary() {
        return [](const Random& random, int size) {
            return shrinkable::just(zelkor::tests::detail::drawByteString(random, size));
        };
    }
};

template <>
struct Arbitrary<zelkor::ChunkedByteString> {
    static Gen<zelkor::ChunkedByteString> arbitrary() {
        return [](const Random& random, int size) {
            return shrinkable::just(zelkor::tests::detail::drawChunkedByteString(random, size));
        };
    }
};

}  // namespace rc
