#pragma once
// Known-answer tests for MD5: the seven messages of RFC 1321's test suite,
// held in the library, plus the generic hash property group; and messages of
// every length from Test/KAT_MD5.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/Hash.hpp"
#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/digest/LongMessages.hpp"
#include "zelkor/tests/detail/digest/ShaRecordCase.hpp"
#include "zelkor/tests/detail/formats/ShaRecords.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

namespace zelkor::tests {

namespace md5_detail {

inline constexpr std::size_t kVectorCount = 7;

struct Vector {
    std::string_view prefix;     // "md5KAT1" .. "md5KAT7": tells the cases apart in reports
    std::string_view digestHex;  // lowercase hex, decoded only when the case runs
};

const Vector& vector(std::size_t index);

// Message `index` as the hash sees it: a first chunk of at most 32 bytes, then
// chunks each at most twice the size of the one before. Built once, shared.
const ChunkedByteString& message(std::size_t index);

// The table entry of message `index`, where its case's failures are reported.
CaseOrigin origin(std::size_t index);

// Raised when the digest type cannot decode a stored digest.
[[noreturn]] void fromRightFailed(std::string_view prefix, const ByteString& encoded);

}  // namespace md5_detail

// The hash property group first, then the group "MD5 KATs" of seven cases, all
// named "md5KAT". Building hashes and decodes nothing.
template <Hash D>
std::vector<Test> makeMD5Tests() {
    std::vector<Test> cases;
    cases.reserve(md5_detail::kVectorCount);
    for (std::size_t i = 0; i < md5_detail::kVectorCount; ++i) {
        cases.push_back(testCase(
            "md5KAT",
            [i] {
                const auto& vec = md5_detail::vector(i);
                const D computed = D::hash(md5_detail::message(i));
                const ByteString expected = hexStringToBS(vec.digestHex);
                const std::optional<D> known = D::decode(expected);
                if (!known) md5_detail::fromRightFailed(vec.prefix, expected);
                if (computed == *known) return;
                // Labelled bytes when the encodings differ; the digests' own
                // rendering when only their == tells them apart.
                assertKnownAnswer(vec.prefix, {{"", computed.encode()}}, expected, md5_detail::origin(i));
                assertEqual(vec.prefix, computed, *known);
            },
            md5_detail::origin(i)));
    }
    std::vector<Test> out;
    out.push_back(makeHashPropTests<D>());
    out.push_back(testGroup("MD5 KATs", std::move(cases)));
    return out;
}

// The witness only selects the digest type.
template <Hash D>
std::vector<Test> makeMD5Tests(const D&) {
    return makeMD5Tests<D>();
}

namespace md5_detail {

// makeMD5LengthTests over the files of Test/<directory>.
template <Hash D>
std::vector<Test> lengthTests(std::string_view directory) {
    auto usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath(directory));
    std::vector<Test> cases;
    for (auto& record : sha_detail::digestRecords(directory, {}, usage)) {
        std::string name = std::string(detail::fileNameOf(record.origin.file)) + "-" + record.len;
        CaseOrigin origin = record.origin;
        cases.push_back(testCase(
            name, [name, record = std::move(record)] { sha_detail::runCase<D>(name, record); }, std::move(origin)));
    }
    detail::requireUsableVectors(cases, usage);
    return cases;
}

}  // namespace md5_detail

// Reads every file of Test/KAT_MD5 now and returns one case per record with
// Len (bits), Msg and MD, named "<file name>-<Len>", in listing and record
// order; no property group. A case hashes the first Len/8 bytes of Msg
// contiguously and in 37-byte chunks and compares both encodings with MD.
template <Hash D>
std::vector<Test> makeMD5LengthTests() {
    return md5_detail::lengthTests<D>("KAT_MD5");
}

template <Hash D>
std::vector<Test> makeMD5LengthTests(const D&) {
    return makeMD5LengthTests<D>();
}

// The long messages of Test/KAT_LONG for MD5 (1 GiB and 5 GiB + 1 byte),
// one case per record named "LongMD5-<n>"; see makeSHA256LongMessageTests.
template <Hash D>
std::vector<Test> makeMD5LongMessageTests() {
    return long_detail::makeLongMessageTests<D>("MD5");
}

template <Hash D>
std::vector<Test> makeMD5LongMessageTests(const D&) {
    return makeMD5LongMessageTests<D>();
}

}  // namespace zelkor::tests
