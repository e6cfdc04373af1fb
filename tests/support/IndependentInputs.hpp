#pragma once
// Random inputs for the tests that check one implementation against another.

#include <cstddef>
#include <cstdint>
#include <vector>

#include <rapidcheck.h>

#include "zelkor/ByteString.hpp"

namespace zelkor::testsupport {

// RapidCheck scales its generators with the size parameter, which starts at
// 0: at that size every byte would be 0 and every length the minimum. These
// inputs are meant to be uniform from the first run on. They do not shrink:
// shrinking messages cut into random chunks takes minutes, and the failure
// report with its seed is what a failure needs.

// Exactly `length` uniformly random bytes.
inline rc::Gen<ByteString> bytesOfLength(std::size_t length) {
    auto bytes = rc::gen::container<std::vector<std::uint8_t>>(length, rc::gen::arbitrary<std::uint8_t>());
    return rc::gen::map(rc::gen::noShrink(rc::gen::resize(rc::kNominalSize, std::move(bytes))),
                        [](std::vector<std::uint8_t> v) { return ByteString(std::move(v)); });
}

// A uniformly random integer in [min, max].
inline rc::Gen<std::size_t> sizeBetween(std::size_t min, std::size_t max) {
    return rc::gen::noShrink(rc::gen::resize(rc::kNominalSize, rc::gen::inRange(min, max + 1)));
}

// `bytes` cut at random places: chunk lengths of 0 to maxChunk bytes, so cuts
// fall inside blocks and empty chunks (which fromChunks drops) occur too.
inline ChunkedByteString randomChunks(const ByteString& bytes, std::size_t maxChunk = 40) {
    std::vector<ByteString> chunks;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t length = *sizeBetween(0, maxChunk);
        chunks.push_back(bytes.drop(pos).take(length));
        pos += length;
    }
    return ChunkedByteString::fromChunks(std::move(chunks));
}

}  // namespace zelkor::testsupport
