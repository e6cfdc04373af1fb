#pragma once
// Known-answer tests for HMAC over the SHA family from the NIST response files
// in Test/KAT_HMAC, over MD5 and the SHA family from the RFC 2202 and RFC 4231
// test cases in Test/KAT_HMAC_RFC, and over SHA-1, SHA-2 (SHA-512/t included)
// and SHA-3 from the Wycheproof files in Wycheproof/ (truncated tags among
// them). The builders return the cases alone, with no property group.

#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zelkor/Hash.hpp"
#include "zelkor/Hmac.hpp"
#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/formats/HmacRecords.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"
#include "zelkor/tests/detail/formats/RfcHmacRecords.hpp"
#include "zelkor/tests/detail/digest/ShaRecordCase.hpp"
#include "zelkor/tests/detail/formats/ShaHmacFields.hpp"
#include "zelkor/tests/detail/formats/WycheproofHmacRecords.hpp"

namespace zelkor::tests {

namespace hmac_detail {

// Computes the full-length HMAC of the contiguous message and of its 37-byte
// chunks, keeps the first Tlen bytes of each and asserts both equal Mac.
template <Hash D>
void runCase(const std::string& name, const HmacRecord& record) {
    const ByteString key = hexStringToBS(record.key);
    const ByteString message = hexStringToBS(record.msg);
    const ByteString expected = hexStringToBS(record.mac);
    const std::size_t tagBytes = detail::byteCountField("Tlen", record.tlen);
    const ByteString strict = zelkor::hmac<D>(key, message).encode().take(tagBytes);
    const ByteString chunked =
        zelkor::hmac<D>(key, ChunkedByteString::chunksOf(37, message)).encode().take(tagBytes);
    assertKnownAnswer(name, {{"from contiguous input", strict}, {"from 37-byte chunks", chunked}}, expected,
                      record.origin);
}

// One case per selected record, named "NistHMAC" + algorithm + "-" + the
// quoted Count text (names need not be unique).
template <Hash D>
std::vector<Test> getTests(std::string_view algorithm) {
    auto usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath("KAT_HMAC"));
    std::vector<HmacRecord> records = selectedRecords(algorithm, usage);
    std::vector<Test> cases;
    cases.reserve(records.size());
    const std::string prefix = "NistHMAC" + std::string(algorithm) + "-";
    for (auto& record : records) {
        std::string name = prefix + detail::quoteText(record.count);
        CaseOrigin origin = record.origin;
        cases.push_back(
            testCase(name, [name, record = std::move(record)] { runCase<D>(name, record); }, std::move(origin)));
    }
    detail::requireUsableVectors(cases, usage);
    return cases;
}

// The HMAC of the first Len/8 bytes of Msg under Key, contiguous and in
// 37-byte chunks, each cut to Tlen bytes when the record has Tlen, against MD.
template <Hash D>
void runRfcCase(const RfcHmacRecord& record) {
    const ByteString key = hexStringToBS(record.key);
    const ByteString message = sha_detail::messageOfBitLength(record.msg, record.len);
    const ByteString expected = hexStringToBS(record.md);
    ByteString strict = zelkor::hmac<D>(key, message).encode();
    ByteString chunked = zelkor::hmac<D>(key, ChunkedByteString::chunksOf(37, message)).encode();
    if (record.tlen) {
        const std::size_t tagBytes = detail::byteCountField("Tlen", *record.tlen);
        strict = strict.take(tagBytes);
        chunked = chunked.take(tagBytes);
    }
    assertKnownAnswer(record.name, {{"from contiguous input", strict}, {"from 37-byte chunks", chunked}}, expected,
                      record.origin);
}

template <Hash D>
std::vector<Test> getRfcTests(std::string_view algorithm) {
    auto usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath("KAT_HMAC_RFC"));
    std::vector<Test> cases;
    for (auto& record : rfcRecords(algorithm, usage)) {
        std::string name = record.name;
        CaseOrigin origin = record.origin;
        cases.push_back(
            testCase(std::move(name), [record = std::move(record)] { runRfcCase<D>(record); }, std::move(origin)));
    }
    detail::requireUsableVectors(cases, usage);
    return cases;
}

// The HMAC of the message, contiguous and in 37-byte chunks, cut to the
// group's tag size: equal to the tag for a valid test, different from it for
// an invalid one. Failures quote the test's comment, flags and result.
template <Hash D>
void runWycheproofCase(const WycheproofHmacTest& test) {
    const ByteString strict = zelkor::hmac<D>(test.key, test.msg).encode().take(test.tagBytes);
    const ByteString chunked =
        zelkor::hmac<D>(test.key, ChunkedByteString::chunksOf(37, test.msg)).encode().take(test.tagBytes);
    const std::string prefix = test.name + " (" + test.about + ")";
    if (test.valid) {
        assertKnownAnswer(prefix, {{"from contiguous input", strict}, {"from 37-byte chunks", chunked}}, test.tag,
                          test.origin);
    } else if (strict == test.tag || chunked == test.tag) {
        std::ostringstream msg;
        msg << prefix << "\nthe HMAC " << (strict == test.tag ? "of contiguous input" : "of 37-byte chunks")
            << " cut to " << test.tagBytes << " bytes equals the tag of this invalid test: " << test.tag << " (from "
            << test.origin.where() << ")";
        throw AssertionFailure(msg.str());
    }
}

// One case per test of Wycheproof/<fileName>, named "<file name>-<tcId>".
template <Hash D>
std::vector<Test> getWycheproofTests(std::string_view fileName) {
    WycheproofHmacFile file = wycheproofHmacTests(fileName);
    std::vector<Test> cases;
    cases.reserve(file.tests.size());
    for (auto& test : file.tests) {
        std::string name = test.name;
        CaseOrigin origin = test.origin;
        cases.push_back(
            testCase(std::move(name), [test = std::move(test)] { runWycheproofCase<D>(test); }, std::move(origin)));
    }
    detail::requireUsableVectors(cases, file.usage);
    return cases;
}

}  // namespace hmac_detail

// The witness only selects the digest type.
template <Hash D> std::vector<Test> makeSHA1HMACTests() { return hmac_detail::getTests<D>("SHA1"); }
template <Hash D> std::vector<Test> makeSHA224HMACTests() { return hmac_detail::getTests<D>("SHA224"); }
template <Hash D> std::vector<Test> makeSHA256HMACTests() { return hmac_detail::getTests<D>("SHA256"); }
template <Hash D> std::vector<Test> makeSHA384HMACTests() { return hmac_detail::getTests<D>("SHA384"); }
template <Hash D> std::vector<Test> makeSHA512HMACTests() { return hmac_detail::getTests<D>("SHA512"); }

template <Hash D> std::vector<Test> makeSHA1HMACTests(const D&) { return makeSHA1HMACTests<D>(); }
template <Hash D> std::vector<Test> makeSHA224HMACTests(const D&) { return makeSHA224HMACTests<D>(); }
template <Hash D> std::vector<Test> makeSHA256HMACTests(const D&) { return makeSHA256HMACTests<D>(); }
template <Hash D> std::vector<Test> makeSHA384HMACTests(const D&) { return makeSHA384HMACTests<D>(); }
template <Hash D> std::vector<Test> makeSHA512HMACTests(const D&) { return makeSHA512HMACTests<D>(); }

// The RFC test cases of one algorithm, named "<file name>-<n>" for test case n.
// makeMD5HMACTests is the older name of makeMD5RFCHMACTests.
template <Hash D> std::vector<Test> makeMD5RFCHMACTests() { return hmac_detail::getRfcTests<D>("MD5"); }
template <Hash D> std::vector<Test> makeMD5HMACTests() { return makeMD5RFCHMACTests<D>(); }
template <Hash D> std::vector<Test> makeSHA1RFCHMACTests() { return hmac_detail::getRfcTests<D>("SHA1"); }
template <Hash D> std::vector<Test> makeSHA224RFCHMACTests() { return hmac_detail::getRfcTests<D>("SHA224"); }
template <Hash D> std::vector<Test> makeSHA256RFCHMACTests() { return hmac_detail::getRfcTests<D>("SHA256"); }
template <Hash D> std::vector<Test> makeSHA384RFCHMACTests() { return hmac_detail::getRfcTests<D>("SHA384"); }
template <Hash D> std::vector<Test> makeSHA512RFCHMACTests() { return hmac_detail::getRfcTests<D>("SHA512"); }

template <Hash D> std::vector<Test> makeMD5RFCHMACTests(const D&) { return makeMD5RFCHMACTests<D>(); }
template <Hash D> std::vector<Test> makeMD5HMACTests(const D&) { return makeMD5HMACTests<D>(); }
template <Hash D> std::vector<Test> makeSHA1RFCHMACTests(const D&) { return makeSHA1RFCHMACTests<D>(); }
template <Hash D> std::vector<Test> makeSHA224RFCHMACTests(const D&) { return makeSHA224RFCHMACTests<D>(); }
template <Hash D> std::vector<Test> makeSHA256RFCHMACTests(const D&) { return makeSHA256RFCHMACTests<D>(); }
template <Hash D> std::vector<Test> makeSHA384RFCHMACTests(const D&) { return makeSHA384RFCHMACTests<D>(); }
template <Hash D> std::vector<Test> makeSHA512RFCHMACTests(const D&) { return makeSHA512RFCHMACTests<D>(); }

// The Wycheproof tests of one digest's HMAC, named "hmac_<alg>_test.json-<tcId>".
template <Hash D> std::vector<Test> makeSHA1WycheproofHMACTests() {
    return hmac_detail::getWycheproofTests<D>("hmac_sha1_test.json");
}
template <Hash D> std::vector<Test> makeSHA224WycheproofHMACTests() {
    return hmac_detail::getWycheproofTests<D>("hmac_sha224_test.json");
}
template <Hash D> std::vector<Test> makeSHA256WycheproofHMACTests() {
    return hmac_detail::getWycheproofTests<D>("hmac_sha256_test.json");
}
template <Hash D> std::vector<Test> makeSHA384WycheproofHMACTests() {
    return hmac_detail::getWycheproofTests<D>("hmac_sha384_test.json");
}
template <Hash D> std::vector<Test> makeSHA512WycheproofHMACTests() {
    return hmac_detail::getWycheproofTests<D>("hmac_sha512_test.json");
}
template <Hash D> std::vector<Test> makeSHA512_224WycheproofHMACTests() {
    return hmac_detail::getWycheproofTests<D>("hmac_sha512_224_test.json");
}
template <Hash D> std::vector<Test> makeSHA512_256WycheproofHMACTests() {
    return hmac_detail::getWycheproofTests<D>("hmac_sha512_256_test.json");
}
template <Hash D> std::vector<Test> makeSHA3_224WycheproofHMACTests() {
    return hmac_detail::getWycheproofTests<D>("hmac_sha3_224_test.json");
}
template <Hash D> std::vector<Test> makeSHA3_256WycheproofHMACTests() {
    return hmac_detail::getWycheproofTests<D>("hmac_sha3_256_test.json");
}
template <Hash D> std::vector<Test> makeSHA3_384WycheproofHMACTests() {
    return hmac_detail::getWycheproofTests<D>("hmac_sha3_384_test.json");
}
template <Hash D> std::vector<Test> makeSHA3_512WycheproofHMACTests() {
    return hmac_detail::getWycheproofTests<D>("hmac_sha3_512_test.json");
}

template <Hash D> std::vector<Test> makeSHA1WycheproofHMACTests(const D&) { return makeSHA1WycheproofHMACTests<D>(); }
template <Hash D> std::vector<Test> makeSHA224WycheproofHMACTests(const D&) {
    return makeSHA224WycheproofHMACTests<D>();
}
template <Hash D> std::vector<Test> makeSHA256WycheproofHMACTests(const D&) {
    return makeSHA256WycheproofHMACTests<D>();
}
template <Hash D> std::vector<Test> makeSHA384WycheproofHMACTests(const D&) {
    return makeSHA384WycheproofHMACTests<D>();
}
template <Hash D> std::vector<Test> makeSHA512WycheproofHMACTests(const D&) {
    return makeSHA512WycheproofHMACTests<D>();
}
template <Hash D> std::vector<Test> makeSHA512_224WycheproofHMACTests(const D&) {
    return makeSHA512_224WycheproofHMACTests<D>();
}
template <Hash D> std::vector<Test> makeSHA512_256WycheproofHMACTests(const D&) {
    return makeSHA512_256WycheproofHMACTests<D>();
}
template <Hash D> std::vector<Test> makeSHA3_224WycheproofHMACTests(const D&) {
    return makeSHA3_224WycheproofHMACTests<D>();
}
template <Hash D> std::vector<Test> makeSHA3_256WycheproofHMACTests(const D&) {
    return makeSHA3_256WycheproofHMACTests<D>();
}
template <Hash D> std::vector<Test> makeSHA3_384WycheproofHMACTests(const D&) {
    return makeSHA3_384WycheproofHMACTests<D>();
}
template <Hash D> std::vector<Test> makeSHA3_512WycheproofHMACTests(const D&) {
    return makeSHA3_512WycheproofHMACTests<D>();
}

}  // namespace zelkor::tests
