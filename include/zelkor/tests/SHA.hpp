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
#include "zelkor/tests/detail/digest/LongMessages.hpp"
#include "zelkor/tests/detail/digest/MonteChain.hpp"
#include "zelkor/tests/detail/digest/ShaRecordCase.hpp"
#include "zelkor/tests/detail/formats/ShaRecords.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

namespace zelkor::tests {

namespace sha_detail {

// What the cases of one builder call share: each case holds this and its
// index, not copies, so a suite of many small records stays small.
struct SharedRecords {
    std::string namePrefix;
    ShaRecordViews views;  // the records, and the texts they point into

    std::string caseName(std::size_t index) const { return namePrefix + std::to_string(index + 1); }
};

// One case per usable record of Test/<familyDir>, named "Nist" + algorithm +
// "-" + its 1-based index across all selected files; the failing case "no
// usable vectors" when there is none.
template <Hash D>
std::vector<Test> getTests(std::string_view familyDir, std::string_view algorithm) {
    auto usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath(familyDir));
    const auto shared = std::make_shared<const SharedRecords>(
        SharedRecords{"Nist" + std::string(algorithm) + "-", usableRecordViews(familyDir, algorithm, usage)});
    const std::vector<ShaRecordView>& records = shared->views.records;
    std::vector<Test> cases;
    cases.reserve(records.size() + 1);
    for (std::size_t i = 0; i < records.size(); ++i) {
        cases.push_back(testCase(
            shared->caseName(i), [shared, i] { runCase<D>(shared->caseName(i), shared->views.records[i]); },
            records[i].origin));
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

// The checkpoints of Test/KAT_SHA_MONTE/<fileName>, chained the SHA-1/SHA-2
// way (the last three digests) or the SHA-3 way (the last digest).
template <Hash D>
std::vector<Test> sha2MonteTests(std::string_view fileName) {
    return makeMonteTests<D>("KAT_SHA_MONTE", fileName, lastThreeDigests);
}
template <Hash D>
std::vector<Test> sha3MonteTests(std::string_view fileName) {
    return makeMonteTests<D>("KAT_SHA_MONTE", fileName, lastDigest);
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

// Monte Carlo checkpoints of Test/KAT_SHA_MONTE/<ALG>Monte.rsp (exactly that
// file), named "<ALG>Monte.rsp-<COUNT>", without a property group. The cases
// of one builder call share one chain.
template <Hash D> std::vector<Test> makeSHA1MonteTests() { return sha_detail::sha2MonteTests<D>("SHA1Monte.rsp"); }
template <Hash D> std::vector<Test> makeSHA224MonteTests() { return sha_detail::sha2MonteTests<D>("SHA224Monte.rsp"); }
template <Hash D> std::vector<Test> makeSHA256MonteTests() { return sha_detail::sha2MonteTests<D>("SHA256Monte.rsp"); }
template <Hash D> std::vector<Test> makeSHA384MonteTests() { return sha_detail::sha2MonteTests<D>("SHA384Monte.rsp"); }
template <Hash D> std::vector<Test> makeSHA512MonteTests() { return sha_detail::sha2MonteTests<D>("SHA512Monte.rsp"); }

template <Hash D> std::vector<Test> makeSHA1MonteTests(const D&) { return makeSHA1MonteTests<D>(); }
template <Hash D> std::vector<Test> makeSHA224MonteTests(const D&) { return makeSHA224MonteTests<D>(); }
template <Hash D> std::vector<Test> makeSHA256MonteTests(const D&) { return makeSHA256MonteTests<D>(); }
template <Hash D> std::vector<Test> makeSHA384MonteTests(const D&) { return makeSHA384MonteTests<D>(); }
template <Hash D> std::vector<Test> makeSHA512MonteTests(const D&) { return makeSHA512MonteTests<D>(); }

// The same for SHA-512/224 and SHA-512/256 (the SHA-2 chain) and for SHA-3,
// whose chain hashes the previous digest alone.
template <Hash D> std::vector<Test> makeSHA512_224MonteTests() {
    return sha_detail::sha2MonteTests<D>("SHA512_224Monte.rsp");
}
template <Hash D> std::vector<Test> makeSHA512_256MonteTests() {
    return sha_detail::sha2MonteTests<D>("SHA512_256Monte.rsp");
}
template <Hash D> std::vector<Test> makeSHA3_224MonteTests() {
    return sha_detail::sha3MonteTests<D>("SHA3_224Monte.rsp");
}
template <Hash D> std::vector<Test> makeSHA3_256MonteTests() {
    return sha_detail::sha3MonteTests<D>("SHA3_256Monte.rsp");
}
template <Hash D> std::vector<Test> makeSHA3_384MonteTests() {
    return sha_detail::sha3MonteTests<D>("SHA3_384Monte.rsp");
}
template <Hash D> std::vector<Test> makeSHA3_512MonteTests() {
    return sha_detail::sha3MonteTests<D>("SHA3_512Monte.rsp");
}

template <Hash D> std::vector<Test> makeSHA512_224MonteTests(const D&) { return makeSHA512_224MonteTests<D>(); }
template <Hash D> std::vector<Test> makeSHA512_256MonteTests(const D&) { return makeSHA512_256MonteTests<D>(); }
template <Hash D> std::vector<Test> makeSHA3_224MonteTests(const D&) { return makeSHA3_224MonteTests<D>(); }
template <Hash D> std::vector<Test> makeSHA3_256MonteTests(const D&) { return makeSHA3_256MonteTests<D>(); }
template <Hash D> std::vector<Test> makeSHA3_384MonteTests(const D&) { return makeSHA3_384MonteTests<D>(); }
template <Hash D> std::vector<Test> makeSHA3_512MonteTests(const D&) { return makeSHA3_512MonteTests<D>(); }

// Long messages from Test/KAT_LONG, the records under "[Algorithm = <ALG>]":
// Pattern (hex) repeated Repeat times, 1 GiB and 5 GiB + 1 byte as installed.
// One case per record, named "Long<ALG>-<n>" and located at its record. It
// hashes the message chunked (chunk sizes 1, block - 1, block + 1 and 1 MiB
// in turn) and, where the platform can map it, contiguously in one call;
// both must give MD. Memory stays small whatever the length. The cases are
// always built but run only when the environment sets zelkor_tests_long=1,
// and report skipped otherwise.
template <Hash D> std::vector<Test> makeSHA1LongMessageTests() {
    return long_detail::makeLongMessageTests<D>("SHA1");
}
template <Hash D> std::vector<Test> makeSHA224LongMessageTests() {
    return long_detail::makeLongMessageTests<D>("SHA224");
}
template <Hash D> std::vector<Test> makeSHA256LongMessageTests() {
    return long_detail::makeLongMessageTests<D>("SHA256");
}
template <Hash D> std::vector<Test> makeSHA384LongMessageTests() {
    return long_detail::makeLongMessageTests<D>("SHA384");
}
template <Hash D> std::vector<Test> makeSHA512LongMessageTests() {
    return long_detail::makeLongMessageTests<D>("SHA512");
}
template <Hash D> std::vector<Test> makeSHA512_224LongMessageTests() {
    return long_detail::makeLongMessageTests<D>("SHA512_224");
}
template <Hash D> std::vector<Test> makeSHA512_256LongMessageTests() {
    return long_detail::makeLongMessageTests<D>("SHA512_256");
}
template <Hash D> std::vector<Test> makeSHA3_224LongMessageTests() {
    return long_detail::makeLongMessageTests<D>("SHA3_224");
}
template <Hash D> std::vector<Test> makeSHA3_256LongMessageTests() {
    return long_detail::makeLongMessageTests<D>("SHA3_256");
}
template <Hash D> std::vector<Test> makeSHA3_384LongMessageTests() {
    return long_detail::makeLongMessageTests<D>("SHA3_384");
}
template <Hash D> std::vector<Test> makeSHA3_512LongMessageTests() {
    return long_detail::makeLongMessageTests<D>("SHA3_512");
}

template <Hash D> std::vector<Test> makeSHA1LongMessageTests(const D&) { return makeSHA1LongMessageTests<D>(); }
template <Hash D> std::vector<Test> makeSHA224LongMessageTests(const D&) { return makeSHA224LongMessageTests<D>(); }
template <Hash D> std::vector<Test> makeSHA256LongMessageTests(const D&) { return makeSHA256LongMessageTests<D>(); }
template <Hash D> std::vector<Test> makeSHA384LongMessageTests(const D&) { return makeSHA384LongMessageTests<D>(); }
template <Hash D> std::vector<Test> makeSHA512LongMessageTests(const D&) { return makeSHA512LongMessageTests<D>(); }
template <Hash D> std::vector<Test> makeSHA512_224LongMessageTests(const D&) {
    return makeSHA512_224LongMessageTests<D>();
}
template <Hash D> std::vector<Test> makeSHA512_256LongMessageTests(const D&) {
    return makeSHA512_256LongMessageTests<D>();
}
template <Hash D> std::vector<Test> makeSHA3_224LongMessageTests(const D&) { return makeSHA3_224LongMessageTests<D>(); }
template <Hash D> std::vector<Test> makeSHA3_256LongMessageTests(const D&) { return makeSHA3_256LongMessageTests<D>(); }
template <Hash D> std::vector<Test> makeSHA3_384LongMessageTests(const D&) { return makeSHA3_384LongMessageTests<D>(); }
template <Hash D> std::vector<Test> makeSHA3_512LongMessageTests(const D&) { return makeSHA3_512LongMessageTests<D>(); }

}  // namespace zelkor::tests
