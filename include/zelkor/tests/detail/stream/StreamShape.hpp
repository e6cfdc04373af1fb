#pragma once
// A stream cipher type seen through plain functions, so that the checks of
// every stream cipher are compiled once, in the library, and a type costs one
// small template.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "zelkor/ByteString.hpp"
#include "zelkor/StreamCipher.hpp"
#include "zelkor/tests/Test.hpp"

namespace zelkor::tests::stream_detail {

// One key's calls.
struct StreamKeyed {
    std::function<ByteString(const ByteString& nonce, std::uint64_t offset, const ByteString& bytes)> apply;
    std::function<ChunkedByteString(const ByteString& nonce, std::uint64_t offset, const ChunkedByteString& bytes)>
        applyChunks;
};

// What the type declares, and how to key it.
struct StreamShape {
    std::size_t keyBytes = 0;
    std::size_t blockBytes = 0;
    int counterBits = 0;
    CounterEnd counterEnd = CounterEnd::Refused;
    std::function<bool(std::size_t)> acceptsNonce;
    std::function<std::optional<StreamKeyed>(const ByteString& key)> buildKey;
};

template <StreamCipher S>
StreamShape streamShape() {
    StreamShape shape;
    shape.keyBytes = static_cast<std::size_t>(S::keyLength) / 8;
    shape.blockBytes = static_cast<std::size_t>(S::blockLength) / 8;
    shape.counterBits = S::counterLength;
    shape.counterEnd = S::counterEnd;
    shape.acceptsNonce = [](std::size_t n) { return S::acceptsNonce(n); };
    shape.buildKey = [](const ByteString& key) -> std::optional<StreamKeyed> {
        std::optional<S> built = S::buildKey(key);
        if (!built) return std::nullopt;
        return StreamKeyed{
            [k = *built](const ByteString& n, std::uint64_t o, const ByteString& b) { return k.apply(n, o, b); },
            [k = *built](const ByteString& n, std::uint64_t o, const ChunkedByteString& b) {
                return k.apply(n, o, b);
            }};
    };
    return shape;
}

// The nonce lengths the type declares among 0 to 64 bytes.
std::vector<std::size_t> declaredNonceLengths(const StreamShape& shape);

// "Stream cipher properties": see makeStreamCipherPropertyTests.
std::vector<Test> propertyTests(const StreamShape& shape);
// "Stream cipher buffer safety".
std::vector<Test> bufferSafetyTests(const StreamShape& shape);
// One case per record of Test/<directory>.
std::vector<Test> knownAnswerTests(const StreamShape& shape, std::string_view directory);

}  // namespace zelkor::tests::stream_detail
