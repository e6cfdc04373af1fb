#pragma once
// Known-answer tests for the SHA family from the NIST response files in
// Test/KAT_SHA, followed by the generic hash property group.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zelkor/Hash.hpp"
#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/ShaHmacFields.hpp"
#include "zelkor/tests/detail/ShaRecords.hpp"

namespace zelkor::tests {

namespace sha_detail {

// Hashes the first floor(Len/8) bytes of Msg contiguously and in 37-byte
// chunks and asserts that both encodings equal MD.
template <Hash D>
void runCase(const std::string& name, const ShaRecord& record) {
    // Msg is decoded before Len is read, so a record with both faults reports the hex error.
    ByteString decoded = hexStringToBS(record.msg);
    const std::size_t messageBytes = detail::wholeBytesOfBitLength(record.len);
    const ByteString message =
        messageBytes < decoded.size() ? decoded.take(messageBytes) : std::move(decoded);
    const ByteString expected = hexStringToBS(record.md);
    const ByteString strict = zelkor::hash<D>(message).encode();
    const ByteString chunked = zelkor::hash<D>(ChunkedByteString::chunksOf(37, message)).encode();
    assertEqual(name, std::pair{strict, chunked}, std::pair{expected, expected});
}

// What the cases of one builder call share: each case holds this and its
// index, not copies, so a suite of many small records stays small.
struct SharedRecords {
    std::string namePrefix;
    std::vector<ShaRecord> records;

    std::string caseName(std::size_t index) const { return namePrefix + std::to_string(index + 1); }
};

// One case per usable record, named "Nist" + algorithm + "-" + its 1-based
// index across all selected files.
template <Hash D>
std::vector<Test> getTests(std::string_view algorithm) {
    const auto shared = std::make_shared<const SharedRecords>(
        SharedRecords{"Nist" + std::string(algorithm) + "-", usableRecords(algorithm)});
    std::vector<Test> cases;
    cases.reserve(shared->records.size() + 1);
    for (std::size_t i = 0; i < shared->records.size(); ++i) {
        cases.push_back(testCase(shared->caseName(i),
                                 [shared, i] { runCase<D>(shared->caseName(i), shared->records[i]); }));
    }
    return cases;
}

template <Hash D>
std::vector<Test> makeTests(std::string_view algorithm) {
    std::vector<Test> tests = getTests<D>(algorithm);
    tests.push_back(makeHashPropTests<D>());
    return tests;
}

}  // namespace sha_detail

// Each builder returns its known-answer cases in index order, then the group
// "Cryptographic Digest Property Tests". The witness only selects the type.
template <Hash D> std::vector<Test> makeSHA1Tests() { return sha_detail::makeTests<D>("SHA1"); }
template <Hash D> std::vector<Test> makeSHA224Tests() { return sha_detail::makeTests<D>("SHA224"); }
template <Hash D> std::vector<Test> makeSHA256Tests() { return sha_detail::makeTests<D>("SHA256"); }
template <Hash D> std::vector<Test> makeSHA384Tests() { return sha_detail::makeTests<D>("SHA384"); }
template <Hash D> std::vector<Test> makeSHA512Tests() { return sha_detail::makeTests<D>("SHA512"); }

template <Hash D> std::vector<Test> makeSHA1Tests(const D&) { return makeSHA1Tests<D>(); }
template <Hash D> std::vector<Test> makeSHA224Tests(const D&) { return makeSHA224Tests<D>(); }
template <Hash D> std::vector<Test> makeSHA256Tests(const D&) { return makeSHA256Tests<D>(); }
template <Hash D> std::vector<Test> makeSHA384Tests(const D&) { return makeSHA384Tests<D>(); }
template <Hash D> std::vector<Test> makeSHA512Tests(const D&) { return makeSHA512Tests<D>(); }

}  // namespace zelkor::tests
