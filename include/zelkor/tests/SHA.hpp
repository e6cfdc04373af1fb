#pragma once
// Known-answer tests for the SHA family from the NIST response files in
// Test/KAT_SHA (SHA-1, SHA-2), Test/KAT_SHA512t (SHA-512/224, SHA-512/256)
// and Test/KAT_SHA3, followed by the generic hash property group.

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
#include "zelkor/tests/detail/VectorDirectory.hpp"

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
    assertKnownAnswer(name, {{"from contiguous input", strict}, {"from 37-byte chunks", chunked}}, expected,
                      record.origin);
}

// One case per usable record of Test/<familyDir>, named "Nist" + algorithm +
// "-" + its 1-based index across all selected files.
template <Hash D>
std::vector<Test> getTests(std::string_view familyDir, std::string_view algorithm) {
    auto usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath(familyDir));
    std::vector<ShaRecord> records = usableRecords(familyDir, algorithm, usage);
    std::vector<Test> cases;
    cases.reserve(records.size() + 1);
    const std::string prefix = "Nist" + std::string(algorithm) + "-";
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::string name = prefix + std::to_string(i + 1);
        CaseOrigin origin = records[i].origin;
        cases.push_back(testCase(
            name, [name, record = std::move(records[i])] { runCase<D>(name, record); }, std::move(origin)));
    }
    detail::requireUsableVectors(cases, usage);
    return cases;
}

template <Hash D>
std::vector<Test> makeTests(std::string_view familyDir, std::string_view algorithm) {
    std::vector<Test> tests = getTests<D>(familyDir, algorithm);
    tests.push_back(makeHashPropTests<D>());
    return tests;
}

template <Hash D>
std::vector<Test> makeTests(std::string_view algorithm) { return makeTests<D>("KAT_SHA", algorithm); }

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

// SHA-512/224, SHA-512/256 and SHA-3: the same shape, from their own
// directories, so that the prefix "SHA512" above never selects their files.
template <Hash D> std::vector<Test> makeSHA512_224Tests() {
    return sha_detail::makeTests<D>("KAT_SHA512t", "SHA512_224");
}
template <Hash D> std::vector<Test> makeSHA512_256Tests() {
    return sha_detail::makeTests<D>("KAT_SHA512t", "SHA512_256");
}
template <Hash D> std::vector<Test> makeSHA3_224Tests() { return sha_detail::makeTests<D>("KAT_SHA3", "SHA3_224"); }
template <Hash D> std::vector<Test> makeSHA3_256Tests() { return sha_detail::makeTests<D>("KAT_SHA3", "SHA3_256"); }
template <Hash D> std::vector<Test> makeSHA3_384Tests() { return sha_detail::makeTests<D>("KAT_SHA3", "SHA3_384"); }
template <Hash D> std::vector<Test> makeSHA3_512Tests() { return sha_detail::makeTests<D>("KAT_SHA3", "SHA3_512"); }

template <Hash D> std::vector<Test> makeSHA512_224Tests(const D&) { return makeSHA512_224Tests<D>(); }
template <Hash D> std::vector<Test> makeSHA512_256Tests(const D&) { return makeSHA512_256Tests<D>(); }
template <Hash D> std::vector<Test> makeSHA3_224Tests(const D&) { return makeSHA3_224Tests<D>(); }
template <Hash D> std::vector<Test> makeSHA3_256Tests(const D&) { return makeSHA3_256Tests<D>(); }
template <Hash D> std::vector<Test> makeSHA3_384Tests(const D&) { return makeSHA3_384Tests<D>(); }
template <Hash D> std::vector<Test> makeSHA3_512Tests(const D&) { return makeSHA3_512Tests<D>(); }

}  // namespace zelkor::tests
