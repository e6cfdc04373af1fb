#pragma once
// Known answers for any MAC: records of KEY, MESSAGE and OUTPUT, and
// Wycheproof MAC files. A failure names the record, or the test's tcId,
// comment and flags.

#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zelkor/ByteString.hpp"
#include "zelkor/Mac.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/formats/MacVectors.hpp"
#include "zelkor/tests/detail/formats/VectorUsage.hpp"

namespace zelkor::tests::mac_detail {

// The tag of a valid vector, contiguous and from 7-byte chunks (cuts off every
// block boundary); an invalid vector's parameters refused, or its tag not given.
template <Mac M>
void runMacVector(const MacVector& v) {
    const std::string prefix = v.about.empty() ? v.name : v.name + " (" + v.about + ")";
    std::optional<M> key;
    try {
        key = M::buildKey(v.key);
    } catch (const std::exception& error) {
        if (!v.valid) return;
        throw AssertionFailure(prefix + ": buildKey refused a declared key: " + error.what());
    }
    if (!key) {
        if (!v.valid) return;
        throw AssertionFailure(prefix + ": buildKey refused a declared key of " + std::to_string(v.key.size()) +
                               " bytes");
    }
    if (!M::acceptsKey(v.key.size())) {
        throw AssertionFailure(prefix + ": buildKey took a key of " + std::to_string(v.key.size()) +
                               " bytes, a length the type does not declare");
    }
    ByteString whole, chunked;
    try {
        whole = key->tag(v.message, v.tagBytes);
        chunked = key->tag(ChunkedByteString::chunksOf(7, v.message), v.tagBytes);
    } catch (const std::exception&) {
        if (!v.valid && !M::acceptsTag(v.tagBytes)) return;
        throw;
    }
    if (v.valid) {
        assertKnownAnswer(prefix, {{"contiguous", whole}, {"from 7-byte chunks", chunked}}, v.tag, v.origin);
    } else if (whole == v.tag || chunked == v.tag) {
        throw AssertionFailure(prefix + ": gave the tag of an invalid test (from " + v.origin.where() + ")");
    }
}

template <Mac M>
std::vector<Test> casesOf(MacVectors vectors) {
    std::vector<Test> out;
    out.reserve(vectors.vectors.size());
    for (MacVector& v : vectors.vectors) {
        std::string name = v.name;
        CaseOrigin origin = v.origin;
        out.push_back(testCase(std::move(name), [v = std::move(v)] { runMacVector<M>(v); }, std::move(origin)));
    }
    detail::requireUsableVectors(out, vectors.usage);
    return out;
}

// One case per record of the files of Test/<directory> starting with
// `prefix`, named "<file name>-<COUNT>".
template <Mac M>
std::vector<Test> knownAnswerTests(std::string_view directory, std::string_view prefix) {
    return casesOf<M>(macRecords(
        directory, prefix, [](std::size_t n) { return M::acceptsKey(n); },
        [](std::size_t n) { return M::acceptsTag(n); }));
}

// One case per test of Wycheproof/<fileName>, named "<file name>-<tcId>".
template <Mac M>
std::vector<Test> wycheproofTests(std::string_view fileName) {
    return casesOf<M>(wycheproofMacTests(
        fileName, [](std::size_t n) { return M::acceptsKey(n); }, [](std::size_t n) { return M::acceptsTag(n); }));
}

}  // namespace zelkor::tests::mac_detail
