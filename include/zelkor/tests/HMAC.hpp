#pragma once
// Known-answer tests for HMAC over the SHA family from the NIST response files
// in Test/KAT_HMAC, and over MD5 and the SHA family from the RFC 2202 and
// RFC 4231 test cases in Test/KAT_HMAC_RFC. The builders return the cases
// alone, with no property group.

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zelkor/Hash.hpp"
#include "zelkor/Hmac.hpp"
#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/HmacRecords.hpp"
#include "zelkor/tests/detail/VectorDirectory.hpp"
#include "zelkor/tests/detail/RfcHmacRecords.hpp"
#include "zelkor/tests/detail/ShaRecordCase.hpp"
#include "zelkor/tests/detail/ShaHmacFields.hpp"

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

}  // namespace zelkor::tests
