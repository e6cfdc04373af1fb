#pragma once
// Long-message known answers (Test/KAT_LONG): a pattern repeated up to several
// GiB, hashed chunked and contiguously without ever holding the message.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/ByteString.hpp"
#include "zelkor/Hash.hpp"
#include "zelkor/Xof.hpp"
#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/bytes/MappedRepeat.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

namespace zelkor::tests::long_detail {

// The field texts of one record: Pattern (hex), Repeat (decimal), MD.
struct LongRecord {
    std::string pattern;
    std::string repeat;
    std::string md;
    CaseOrigin origin;
};

// The records of every file in Test/KAT_LONG under a header
// "[Algorithm = <algorithm>]", in listing and record order.
std::vector<LongRecord> longRecords(std::string_view algorithm, const std::shared_ptr<detail::VectorUsage>& usage);

// Throws SkipTest unless the environment sets zelkor_tests_long=1.
void requireLongRuns();

// The longest message a case hashes: the chunked form holds a list of chunks
// and the contiguous form a mapped block that both grow with the length, and
// hashing 64 GiB already takes minutes.
inline constexpr std::uint64_t kMaxLongMessageBytes = std::uint64_t{1} << 36;

// The decoded record: the message as Pattern repeated Repeat times, checked
// before anything is allocated for it. Throws std::invalid_argument naming
// the record's file and line and the field for an empty pattern, a count that
// is not a positive decimal or does not fit in 64 bits, a length the
// algorithm does not take (2^64 bits or more for SHA-1 and SHA-224/256) or
// one beyond kMaxLongMessageBytes.
struct LongMessage {
    ByteString pattern;
    std::uint64_t times = 0;
    std::uint64_t length() const { return pattern.size() * times; }
};
LongMessage longMessage(const LongRecord& record, std::string_view algorithm);

// The chunk sizes the chunked form cycles through: 1 byte, a block less one,
// a block more one and 1 MiB, so chunk edges fall at every phase of the
// block while the large chunks keep the run fast.
std::vector<std::size_t> chunkPlan(std::size_t blockBytes);
std::string chunkPlanText(const std::vector<std::size_t>& plan);

// Says on standard output that only the chunked form ran, and why.
void noteChunkedOnly(std::string_view name, const std::string& reason);

// A faulty record is an error whether or not long runs are asked for.
template <Hash D>
void runLongCase(const std::string& name, std::string_view algorithm, const LongRecord& record) {
    const LongMessage message = longMessage(record, algorithm);
    requireLongRuns();
    const ByteString expected = hexStringToBS(record.md);
    const std::vector<std::size_t> plan = chunkPlan(static_cast<std::size_t>(D::blockLength) / 8);
    const std::string chunked = "from chunks of " + chunkPlanText(plan) + " bytes in turn";
    const std::string prefix = name + " (" + std::to_string(message.length()) + " bytes)";
    const ByteString fromChunks =
        zelkor::hash<D>(ChunkedByteString::repeat(message.pattern, message.times).rechunked(plan)).encode();
    detail::MappedRepeat contiguous = detail::mapRepeated(message.pattern, message.times);
    if (!contiguous.bytes) {
        noteChunkedOnly(name, contiguous.unavailable);
        assertKnownAnswer(prefix, {{chunked, fromChunks}}, expected, record.origin);
        return;
    }
    const ByteString whole = zelkor::hash<D>(*contiguous.bytes).encode();
    contiguous = {};  // unmapped before anything else runs
    assertKnownAnswer(prefix, {{chunked, fromChunks}, {"from contiguous input, in one call", whole}}, expected,
                      record.origin);
}

// An XOF's case: the record's MD is the first bytes squeezed after absorbing
// the message, given in chunks and then contiguously.
template <Xof X>
void runLongXofCase(const std::string& name, std::string_view algorithm, const LongRecord& record) {
    const LongMessage message = longMessage(record, algorithm);
    requireLongRuns();
    const ByteString expected = hexStringToBS(record.md);
    const std::vector<std::size_t> plan = chunkPlan(static_cast<std::size_t>(X::rateLength) / 8);
    const std::string chunked = "absorbed from chunks of " + chunkPlanText(plan) + " bytes in turn";
    const std::string prefix = name + " (" + std::to_string(message.length()) + " bytes)";
    X fromChunks;
    const ChunkedByteString pieces = ChunkedByteString::repeat(message.pattern, message.times).rechunked(plan);
    for (const ByteString& chunk : pieces.chunks()) fromChunks.absorb(chunk);
    const ByteString chunkedOutput = fromChunks.squeeze(expected.size());
    detail::MappedRepeat contiguous = detail::mapRepeated(message.pattern, message.times);
    if (!contiguous.bytes) {
        noteChunkedOnly(name, contiguous.unavailable);
        assertKnownAnswer(prefix, {{chunked, chunkedOutput}}, expected, record.origin);
        return;
    }
    X whole;
    whole.absorb(*contiguous.bytes);
    contiguous = {};  // unmapped before anything else runs
    const ByteString wholeOutput = whole.squeeze(expected.size());
    assertKnownAnswer(prefix, {{chunked, chunkedOutput}, {"absorbed contiguously, in one call", wholeOutput}},
                      expected, record.origin);
}

// One case per record for `algorithm`, named "Long<algorithm>-<n>" (n from 1),
// located at its record; "no usable vectors" when there is none.
template <class P>
    requires Hash<P> || Xof<P>
std::vector<Test> makeLongMessageTests(std::string_view algorithm) {
    auto usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath("KAT_LONG"));
    std::vector<Test> cases;
    std::size_t index = 0;
    for (auto& record : longRecords(algorithm, usage)) {
        std::string name = "Long" + std::string(algorithm) + "-" + std::to_string(++index);
        CaseOrigin origin = record.origin;
        auto run = [name, algorithm = std::string(algorithm), record = std::move(record)] {
            if constexpr (Hash<P>) {
                runLongCase<P>(name, algorithm, record);
            } else {
                runLongXofCase<P>(name, algorithm, record);
            }
        };
        cases.push_back(testCase(name, std::move(run), std::move(origin)));
    }
    detail::requireUsableVectors(cases, usage);
    return cases;
}

}  // namespace zelkor::tests::long_detail
