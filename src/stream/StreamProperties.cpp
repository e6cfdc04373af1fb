#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <rapidcheck.h>

#include "zelkor/tests/detail/cipher/BlockCipherPropHelpers.hpp"
#include "zelkor/tests/detail/checks/Generators.hpp"
#include "zelkor/tests/detail/run/Report.hpp"
#include "zelkor/tests/detail/stream/StreamShape.hpp"

namespace zelkor::tests::stream_detail {

namespace {

constexpr std::uint64_t kMaxOffset = std::numeric_limits<std::uint64_t>::max();

ByteString zeros(std::size_t n) { return ByteString(std::vector<std::uint8_t>(n, 0)); }

ByteString pattern(std::size_t n, std::uint8_t seed) {
    std::vector<std::uint8_t> out(n);
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(seed + 7 * i);
    return ByteString(std::move(out));
}

// The first byte past the block counter's range, when a byte offset can name it.
std::optional<std::uint64_t> counterEndByte(const StreamShape& shape) {
    int blockShift = 0;
    while ((std::size_t{1} << blockShift) < shape.blockBytes) ++blockShift;
    if (shape.counterBits + blockShift >= 64) return std::nullopt;
    return std::uint64_t{1} << (shape.counterBits + blockShift);
}

StreamKeyed keyedOrDiscard(const StreamShape& shape, const ByteString& material) {
    std::optional<StreamKeyed> keyed =
        shape.buildKey(detail::keyBytesFromMaterial(material, static_cast<long>(shape.keyBytes)));
    RC_PRE(keyed.has_value());
    return std::move(*keyed);
}

StreamKeyed fixedKey(const StreamShape& shape) {
    std::optional<StreamKeyed> keyed = shape.buildKey(pattern(shape.keyBytes, 0x5a));
    if (!keyed) throw std::runtime_error("buildKey refused a key of keyLength bits");
    return std::move(*keyed);
}

ByteString drawNonce(const StreamShape& shape, const ByteString& material) {
    const std::vector<std::size_t> lengths = declaredNonceLengths(shape);
    RC_PRE(!lengths.empty());
    const std::size_t n = *rc::gen::elementOf(lengths);
    return detail::keyBytesFromMaterial(material + ByteString{1}, static_cast<long>(n));
}

std::size_t drawLength() {
    static constexpr std::array<std::size_t, 9> lengths = {0, 1, 63, 64, 65, 127, 128, 129, 200};
    if (*rc::gen::inRange(0, 3) == 0) return *rc::gen::inRange<std::size_t>(0, 300);
    return *rc::gen::elementOf(lengths);
}

// A small offset half the time, otherwise one anywhere before the end of the
// stream that leaves room for 400 bytes.
std::uint64_t drawOffset(const StreamShape& shape) {
    if (*rc::gen::inRange(0, 2) == 0) return *rc::gen::inRange<std::uint64_t>(0, 300);
    const std::uint64_t end = counterEndByte(shape).value_or(kMaxOffset);
    const std::uint64_t high = *rc::gen::inRange<std::uint64_t>(0, end / 64 - 8);
    return high * 64 + *rc::gen::inRange<std::uint64_t>(0, 64);
}

ChunkedByteString chunkedBy(const ByteString& bytes, const std::vector<std::size_t>& sizes) {
    return ChunkedByteString::fromStrict(bytes).rechunked(sizes);
}

std::string offsetText(std::uint64_t offset) { return "offset " + std::to_string(offset); }

void chunkedEqualsOneShot(const StreamShape& shape, const ByteString& keyMaterial, const ByteString& material) {
    const StreamKeyed key = keyedOrDiscard(shape, keyMaterial);
    const ByteString nonce = drawNonce(shape, material);
    const ByteString input = detail::keyBytesFromMaterial(material + ByteString{2}, static_cast<long>(drawLength()));
    const std::uint64_t offset = drawOffset(shape);
    const std::vector<std::size_t> sizes =
        *rc::gen::container<std::vector<std::size_t>>(*rc::gen::inRange(1, 4), rc::gen::inRange<std::size_t>(1, 70));
    RC_LOG() << offsetText(offset) << ", input " << input.size() << " bytes\n";
    const ByteString whole = key.apply(nonce, offset, input);
    RC_ASSERT(whole.size() == input.size());
    detail::requireSameBytes("chunked apply == one apply",
                             key.applyChunks(nonce, offset, chunkedBy(input, sizes)).toStrict(), whole);
}

void offsetEqualsSkippedBytes(const StreamShape& shape, const ByteString& keyMaterial, const ByteString& material) {
    const StreamKeyed key = keyedOrDiscard(shape, keyMaterial);
    const ByteString nonce = drawNonce(shape, material);
    const ByteString input = detail::keyBytesFromMaterial(material + ByteString{3}, static_cast<long>(drawLength()));
    const std::uint64_t offset = drawOffset(shape);
    RC_LOG() << offsetText(offset) << ", input " << input.size() << " bytes\n";
    const ByteString fromOffset = key.apply(nonce, offset, input);
    if (offset < 300) {
        const std::size_t skip = static_cast<std::size_t>(offset);
        detail::requireSameBytes("apply from the offset == apply from 0 with the offset's bytes cut", fromOffset,
                                 key.apply(nonce, 0, zeros(skip) + input).drop(skip));
    }
    const std::size_t later = *rc::gen::inRange<std::size_t>(0, input.size() + 1);
    RC_LOG() << "starting " << later << " bytes later\n";
    detail::requireSameBytes("apply from i bytes later == the bytes from i on",
                             key.apply(nonce, offset + later, input.drop(later)), fromOffset.drop(later));
}

void otherNonceOtherKeystream(const StreamShape& shape, const ByteString& keyMaterial, const ByteString& material) {
    const StreamKeyed key = keyedOrDiscard(shape, keyMaterial);
    const ByteString nonce = drawNonce(shape, material);
    RC_PRE(nonce.size() > 0);
    const std::size_t bit = *rc::gen::inRange<std::size_t>(0, nonce.size() * 8);
    std::vector<std::uint8_t> other(nonce.begin(), nonce.end());
    other[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
    const std::uint64_t offset = *rc::gen::inRange<std::uint64_t>(0, 1000);
    if (key.apply(nonce, offset, zeros(64)) == key.apply(ByteString(std::move(other)), offset, zeros(64))) {
        RC_FAIL("nonces differing in bit " + std::to_string(bit) + " gave the same 64 keystream bytes at " +
                offsetText(offset));
    }
}

ByteString firstNonce(const StreamShape& shape) {
    const std::vector<std::size_t> lengths = declaredNonceLengths(shape);
    if (lengths.empty()) throw std::runtime_error("the type declares no nonce length of 0 to 64 bytes");
    return pattern(lengths.front(), 0x04).take(lengths.front());
}

void requireSame(const std::string& what, const ByteString& expected, const ByteString& actual) {
    if (expected == actual) return;
    std::ostringstream out;
    out << what << ": expected ";
    detail::writeBytes(out, expected);
    out << ", got ";
    detail::writeBytes(out, actual);
    throw AssertionFailure(out.str());
}

void emptyInput(const StreamShape& shape) {
    const StreamKeyed key = fixedKey(shape);
    const ByteString nonce = firstNonce(shape);
    for (std::uint64_t offset : {std::uint64_t{0}, std::uint64_t{1}, std::uint64_t{64}, std::uint64_t{1000}}) {
        requireSame("apply of no bytes at " + offsetText(offset), ByteString(), key.apply(nonce, offset, ByteString()));
        requireSame("chunked apply of no bytes at " + offsetText(offset), ByteString(),
                    key.applyChunks(nonce, offset, ChunkedByteString()).toStrict());
    }
}

template <class Call>
std::optional<std::size_t> bytesGiven(Call call) {
    try {
        return call().size();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// The last 130 bytes before `end` work and agree with calls starting inside them.
void lastBytesWork(const StreamKeyed& key, const ByteString& nonce, std::uint64_t end) {
    const ByteString input = pattern(130, 0x31);
    const std::uint64_t start = end - input.size();
    const ByteString whole = key.apply(nonce, start, input);
    for (std::size_t i : {1, 64, 66, 129}) {
        requireSame("the last bytes before the end, from " + offsetText(start + i), whole.drop(i),
                    key.apply(nonce, start + i, input.drop(i)));
    }
    requireSame("the last bytes before the end, chunked", whole,
                key.applyChunks(nonce, start, chunkedBy(input, {7, 64, 59})).toStrict());
}

ByteString nextFirstWord(const ByteString& nonce) {
    std::vector<std::uint8_t> out(nonce.begin(), nonce.end());
    for (std::size_t i = 0; i < 4; ++i) {
        if (++out[i] != 0) break;
    }
    return ByteString(std::move(out));
}

void counterEnd(const StreamShape& shape) {
    const StreamKeyed key = fixedKey(shape);
    const ByteString nonce = firstNonce(shape);
    const std::optional<std::uint64_t> end = counterEndByte(shape);
    const ByteString input = pattern(20, 0x77);
    if (!end) {
        // The counter outlasts the byte offsets: only 2^64 bytes can be named.
        lastBytesWork(key, nonce, kMaxOffset);
        if (auto given = bytesGiven([&] { return key.apply(nonce, kMaxOffset - 10, input); })) {
            throw AssertionFailure("apply gave " + std::to_string(*given) +
                                   " bytes for bytes past 2^64 of the stream instead of refusing");
        }
        return;
    }
    lastBytesWork(key, nonce, *end);
    const std::string counter = std::to_string(shape.counterBits) + "-bit block counter";
    const std::uint64_t past = *end + 5 * shape.blockBytes + 3;
    if (shape.counterEnd == CounterEnd::Refused) {
        const std::array<std::pair<const char*, std::optional<std::size_t>>, 4> calls = {{
            {"10 bytes before it, 20 bytes", bytesGiven([&] { return key.apply(nonce, *end - 10, input); })},
            {"at it, 1 byte", bytesGiven([&] { return key.apply(nonce, *end, input.take(1)); })},
            {"past it, 20 bytes", bytesGiven([&] { return key.apply(nonce, past, input); })},
            {"10 bytes before it, 20 bytes in chunks", bytesGiven([&] {
                 return key.applyChunks(nonce, *end - 10, chunkedBy(input, {7, 13})).toStrict();
             })},
        }};
        for (const auto& [where, given] : calls) {
            if (given) {
                throw AssertionFailure("the type declares a refusal at the end of its " + counter + ", but apply " +
                                       where + " past the end gave " + std::to_string(*given) +
                                       " bytes (a counter carried into the nonce, or wrapped to 0)");
            }
        }
        return;
    }
    if (nonce.size() < 4) throw AssertionFailure("a counter carried into the nonce needs a nonce of 4 bytes or more");
    const ByteString carried = nextFirstWord(nonce);
    const ByteString across = key.apply(nonce, *end - 10, input);
    requireSame("the 10 bytes before the end of the " + counter, key.apply(nonce, *end - 10, input.take(10)),
                across.take(10));
    requireSame(
        "the bytes after the end of the " + counter + " == the stream of the nonce with its first word plus one",
        key.apply(carried, 0, input.drop(10)), across.drop(10));
    requireSame("bytes past the end of the " + counter + " == the stream of the nonce with its first word plus one",
                key.apply(carried, past - *end, input), key.apply(nonce, past, input));
    requireSame("chunked across the end of the " + counter, across,
                key.applyChunks(nonce, *end - 10, chunkedBy(input, {7, 13})).toStrict());
}

std::vector<std::size_t> undeclaredNonceLengths(const StreamShape& shape) {
    std::vector<std::size_t> out;
    const auto add = [&](std::size_t n) {
        if (!shape.acceptsNonce(n) && std::find(out.begin(), out.end(), n) == out.end()) out.push_back(n);
    };
    add(0);
    for (std::size_t n : declaredNonceLengths(shape)) {
        if (n > 0) add(n - 1);
        add(n + 1);
    }
    for (std::size_t n : {8, 12, 16, 24, 32}) add(n);
    return out;
}

void undeclaredLengthsAreRefused(const StreamShape& shape) {
    const StreamKeyed key = fixedKey(shape);
    const ByteString input = pattern(70, 1);
    std::string failures;
    for (std::size_t n : undeclaredNonceLengths(shape)) {
        const ByteString nonce = pattern(n, 9);
        if (bytesGiven([&] { return key.apply(nonce, 0, input); })) {
            failures += "apply took a nonce of " + std::to_string(n) + " bytes; ";
        }
        if (bytesGiven([&] { return key.applyChunks(nonce, 0, chunkedBy(input, {30})).toStrict(); })) {
            failures += "chunked apply took a nonce of " + std::to_string(n) + " bytes; ";
        }
    }
    if (!failures.empty()) {
        throw AssertionFailure("nonce lengths the type does not declare must be refused with an exception: " +
                               failures);
    }
}

// Every split of a 150-byte input in two, from offsets inside and at the start of a block.
void everySplitEqualsOneShot(const StreamShape& shape) {
    const StreamKeyed key = fixedKey(shape);
    const ByteString nonce = firstNonce(shape);
    const ByteString input = pattern(150, 0x42);
    for (std::uint64_t offset : {std::uint64_t{0}, std::uint64_t{7}, std::uint64_t{64}}) {
        const ByteString whole = key.apply(nonce, offset, input);
        for (std::size_t split = 1; split < input.size(); ++split) {
            const ChunkedByteString chunks = ChunkedByteString::fromChunks({input.take(split), input.drop(split)});
            requireSame("chunked at byte " + std::to_string(split) + " from " + offsetText(offset), whole,
                        key.applyChunks(nonce, offset, chunks).toStrict());
        }
    }
}

}  // namespace

std::vector<std::size_t> declaredNonceLengths(const StreamShape& shape) {
    std::vector<std::size_t> out;
    for (std::size_t n = 0; n <= 64; ++n) {
        if (shape.acceptsNonce(n)) out.push_back(n);
    }
    return out;
}

std::vector<Test> propertyTests(const StreamShape& shape) {
    using Prop = void (*)(const StreamShape&, const ByteString&, const ByteString&);
    const auto property = [&shape](const char* name, Prop prop) {
        return testProperty(name, [shape, prop](const ByteString& keyMaterial, const ByteString& material) {
            prop(shape, keyMaterial, material);
        });
    };
    const auto unit = [&shape](const char* name, void (*check)(const StreamShape&)) {
        return testCase(name, [shape, check] { check(shape); });
    };
    return {testGroup("Stream cipher properties", {property("ChunkedEqualsOneShot", &chunkedEqualsOneShot),
                                                   unit("EverySplitEqualsOneShot", &everySplitEqualsOneShot),
                                                   property("OffsetEqualsSkippedBytes", &offsetEqualsSkippedBytes),
                                                   property("OtherNonceOtherKeystream", &otherNonceOtherKeystream),
                                                   unit("EmptyInput", &emptyInput), unit("CounterEnd", &counterEnd),
                                                   unit("UndeclaredLengthsAreRefused", &undeclaredLengthsAreRefused)})};
}

}  // namespace zelkor::tests::stream_detail
