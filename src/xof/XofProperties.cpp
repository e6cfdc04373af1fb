#include <array>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <rapidcheck.h>

#include "zelkor/tests/detail/cipher/BlockCipherPropHelpers.hpp"
#include "zelkor/tests/detail/checks/Generators.hpp"
#include "zelkor/tests/detail/run/Report.hpp"
#include "zelkor/tests/detail/xof/XofShape.hpp"

namespace zelkor::tests::xof_detail {

namespace {

ByteString pattern(std::size_t n, std::uint8_t seed) {
    std::vector<std::uint8_t> out(n);
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(seed + 5 * i);
    return ByteString(std::move(out));
}

ByteString oneShot(const XofShape& shape, const ByteString& message, std::size_t bytes) {
    XofState state = shape.fresh();
    state.absorb(message);
    return state.squeeze(bytes);
}

// The output squeezed in pieces of the given sizes.
ByteString squeezedIn(const XofShape& shape, const ByteString& message, const std::vector<std::size_t>& sizes) {
    XofState state = shape.fresh();
    state.absorb(message);
    ByteString out;
    for (std::size_t size : sizes) out = out + state.squeeze(size);
    return out;
}

std::string sizesText(const std::vector<std::size_t>& sizes) {
    std::string out;
    for (std::size_t size : sizes) out += (out.empty() ? "" : ", ") + std::to_string(size);
    return "[" + out + "]";
}

void requireSame(const std::string& what, const ByteString& expected, const ByteString& actual) {
    if (expected == actual) return;
    std::ostringstream out;
    out << what << ": expected ";
    detail::writeBytes(out, expected, detail::firstDifference(expected, actual).value_or(0));
    out << ", got ";
    detail::writeBytes(out, actual, detail::firstDifference(expected, actual).value_or(0));
    throw AssertionFailure(out.str());
}

std::size_t drawMessageLength(const XofShape& shape) {
    const std::size_t r = shape.rateBytes;
    const std::array<std::size_t, 8> lengths = {0, 1, r - 1, r, r + 1, 2 * r, 2 * r + 1, 3 * r + 7};
    if (*rc::gen::inRange(0, 3) == 0) return *rc::gen::inRange<std::size_t>(0, 3 * r);
    return *rc::gen::elementOf(lengths);
}

void splitSqueezeEqualsOneSqueeze(const XofShape& shape, const ByteString& material) {
    const ByteString message = detail::keyBytesFromMaterial(material, static_cast<long>(drawMessageLength(shape)));
    const std::size_t r = shape.rateBytes;
    std::vector<std::size_t> sizes;
    const std::size_t pieces = *rc::gen::inRange<std::size_t>(1, 6);
    for (std::size_t i = 0; i < pieces; ++i) {
        const std::array<std::size_t, 7> edges = {0, 1, r - 1, r, r + 1, 7, 2 * r};
        sizes.push_back(*rc::gen::inRange(0, 2) == 0 ? *rc::gen::elementOf(edges)
                                                     : *rc::gen::inRange<std::size_t>(0, 2 * r));
    }
    std::size_t total = 0;
    for (std::size_t size : sizes) total += size;
    RC_LOG() << "message " << message.size() << " bytes, squeezed as " << sizesText(sizes) << "\n";
    detail::requireSameBytes("squeezed in pieces == one squeeze", squeezedIn(shape, message, sizes),
                             oneShot(shape, message, total));
}

void squeezeAcrossTheRate(const XofShape& shape) {
    const std::size_t r = shape.rateBytes;
    for (std::size_t length : {std::size_t{0}, std::size_t{3}, r, r + 1}) {
        const ByteString message = pattern(length, 0x11);
        const ByteString whole = oneShot(shape, message, 2 * r + 3);
        for (std::size_t first : {r - 1, r, r + 1, 2 * r}) {
            requireSame("message of " + std::to_string(length) + " bytes, squeezed as [" + std::to_string(first) +
                            ", " + std::to_string(2 * r + 3 - first) + "]",
                        whole, squeezedIn(shape, message, {first, 2 * r + 3 - first}));
        }
        requireSame("message of " + std::to_string(length) + " bytes, squeezed byte by byte", whole,
                    squeezedIn(shape, message, std::vector<std::size_t>(2 * r + 3, 1)));
    }
}

void shorterOutputIsPrefix(const XofShape& shape, const ByteString& material) {
    const ByteString message = detail::keyBytesFromMaterial(material, static_cast<long>(drawMessageLength(shape)));
    const std::size_t longer = *rc::gen::inRange<std::size_t>(1, 3 * shape.rateBytes + 2);
    const std::size_t shorter = *rc::gen::inRange<std::size_t>(0, longer);
    RC_LOG() << "message " << message.size() << " bytes, outputs of " << shorter << " and " << longer << " bytes\n";
    const ByteString full = oneShot(shape, message, longer);
    RC_ASSERT(full.size() == longer);
    detail::requireSameBytes("a shorter output == the start of a longer one", oneShot(shape, message, shorter),
                             full.take(shorter));
}

void chunkedAbsorbEqualsContiguous(const XofShape& shape, const ByteString& material) {
    const ByteString message = detail::keyBytesFromMaterial(material, static_cast<long>(drawMessageLength(shape)));
    const std::size_t r = shape.rateBytes;
    std::vector<std::size_t> sizes;
    for (std::size_t i = 0, n = *rc::gen::inRange<std::size_t>(1, 4); i < n; ++i) {
        const std::array<std::size_t, 5> edges = {1, r - 1, r, r + 1, 7};
        sizes.push_back(*rc::gen::elementOf(edges));
    }
    RC_LOG() << "message " << message.size() << " bytes, absorbed in pieces of " << sizesText(sizes) << "\n";
    XofState state = shape.fresh();
    const ChunkedByteString pieces = ChunkedByteString::fromStrict(message).rechunked(sizes);
    for (const ByteString& chunk : pieces.chunks()) state.absorb(chunk);
    state.absorb(ByteString());
    detail::requireSameBytes("absorbed in pieces == absorbed at once", state.squeeze(2 * r + 1),
                             oneShot(shape, message, 2 * r + 1));
}

template <class Call>
bool throws(Call call) {
    try {
        call();
    } catch (const std::exception&) {
        return true;
    }
    return false;
}

void absorbAfterSqueezeIsRefused(const XofShape& shape) {
    std::string failures;
    XofState state = shape.fresh();
    state.absorb(pattern(10, 1));
    if (state.squeeze(0).size() != 0) failures += "a squeeze of 0 bytes gave bytes; ";
    XofState squeezed = shape.fresh();
    squeezed.absorb(pattern(10, 1));
    (void)squeezed.squeeze(32);
    if (!throws([&] { squeezed.absorb(pattern(5, 2)); })) failures += "absorb after a squeeze was taken; ";
    if (!shape.squeezesRepeatedly) {
        XofState once = shape.fresh();
        once.absorb(pattern(10, 1));
        (void)once.squeeze(16);
        if (!throws([&] { (void)once.squeeze(16); })) {
            failures += "a second squeeze was taken by a type that declares one only; ";
        }
    }
    if (!failures.empty()) throw AssertionFailure(failures);
}

}  // namespace

std::vector<Test> propertyTests(const XofShape& shape) {
    std::vector<Test> tests;
    if (shape.squeezesRepeatedly) {
        tests.push_back(testProperty("SplitSqueezeEqualsOneSqueeze",
                                     [shape](const ByteString& m) { splitSqueezeEqualsOneSqueeze(shape, m); }));
        tests.push_back(testCase("SqueezeAcrossTheRate", [shape] { squeezeAcrossTheRate(shape); }));
    } else {
        tests.push_back(testCase("SplitSqueezeEqualsOneSqueeze",
                                 [] { throw SkipTest("the type squeezes once only (squeezesRepeatedly is false)"); }));
    }
    tests.push_back(
        testProperty("ShorterOutputIsPrefix", [shape](const ByteString& m) { shorterOutputIsPrefix(shape, m); }));
    tests.push_back(testProperty("ChunkedAbsorbEqualsContiguous",
                                 [shape](const ByteString& m) { chunkedAbsorbEqualsContiguous(shape, m); }));
    tests.push_back(testCase("AbsorbAfterSqueezeIsRefused", [shape] { absorbAfterSqueezeIsRefused(shape); }));
    return {testGroup("XOF properties", std::move(tests))};
}

}  // namespace zelkor::tests::xof_detail
