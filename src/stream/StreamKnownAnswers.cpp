#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"
#include "zelkor/tests/detail/formats/VectorUsage.hpp"
#include "zelkor/tests/detail/stream/StreamShape.hpp"

namespace zelkor::tests::stream_detail {

namespace {

struct StreamRecord {
    std::string name;
    ByteString key, nonce, plaintext, ciphertext;
    std::uint64_t offset = 0;
};

void runStreamRecord(const StreamShape& shape, const StreamRecord& record, const CaseOrigin& origin) {
    if (!shape.acceptsNonce(record.nonce.size())) {
        throw SkipTest("nonce of " + std::to_string(record.nonce.size()) + " bytes not declared by the type");
    }
    const std::optional<StreamKeyed> key = shape.buildKey(record.key);
    if (!key) throw AssertionFailure(record.name + ": buildKey refused the key");
    const ChunkedByteString whole = ChunkedByteString::fromStrict(record.plaintext);
    const std::size_t ones[] = {1}, short_[] = {63}, blocks[] = {64};
    assertKnownAnswers(
        record.name,
        {{"as the output of one call", key->apply(record.nonce, record.offset, record.plaintext), record.ciphertext},
         {"in chunks of 1 byte", key->applyChunks(record.nonce, record.offset, whole.rechunked(ones)).toStrict(),
          record.ciphertext},
         {"in chunks of 63 bytes", key->applyChunks(record.nonce, record.offset, whole.rechunked(short_)).toStrict(),
          record.ciphertext},
         {"in chunks of 64 bytes", key->applyChunks(record.nonce, record.offset, whole.rechunked(blocks)).toStrict(),
          record.ciphertext},
         {"as the plaintext back", key->apply(record.nonce, record.offset, record.ciphertext), record.plaintext}},
        origin);
}

}  // namespace

std::vector<Test> knownAnswerTests(const StreamShape& shape, std::string_view directory) {
    auto usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath(directory));
    std::vector<Test> out;
    for (const detail::LoadedFile& file : detail::loadVectorDirectory(directory, "COUNT")) {
        usage->addFile(file.recordCount());
        const std::string fileName(detail::fileNameOf(file.path));
        for (std::size_t c = 0; c < file.categories.size(); ++c) {
            const auto& records = file.categories[c].records;
            for (std::size_t r = 0; r < records.size(); ++r) {
                const Record& fields = records[r];
                const auto count = lookup(fields, "COUNT"), key = lookup(fields, "KEY"),
                           nonce = lookup(fields, "NONCE"), counter = lookup(fields, "INITIAL_BLOCK_COUNTER"),
                           plaintext = lookup(fields, "PLAINTEXT"), ciphertext = lookup(fields, "CIPHERTEXT");
                if (!count || !key || !nonce || !counter || !plaintext || !ciphertext) {
                    usage->skip("missing field");
                    continue;
                }
                StreamRecord record;
                record.name = fileName + "-" + *count;
                record.key = hexStringToBS(*key);
                record.nonce = hexStringToBS(*nonce);
                record.plaintext = hexStringToBS(*plaintext);
                record.ciphertext = hexStringToBS(*ciphertext);
                std::size_t used = 0;
                std::uint64_t block = 0;
                try {
                    block = std::stoull(*counter, &used);
                } catch (const std::exception&) {
                    used = 0;
                }
                if (used != counter->size() || counter->empty() || block > (UINT64_MAX / shape.blockBytes)) {
                    throw detail::VectorParseError(file.path + ": INITIAL_BLOCK_COUNTER '" + *counter + "' of record " +
                                                   record.name + " is not a block number");
                }
                record.offset = block * shape.blockBytes;
                usage->use();
                CaseOrigin origin = file.origin(c, r, usage);
                std::string name = record.name;
                out.push_back(testCase(
                    std::move(name),
                    [shape, record = std::move(record), origin] { runStreamRecord(shape, record, origin); }, origin));
            }
        }
    }
    detail::requireUsableVectors(out, usage);
    return out;
}

}  // namespace zelkor::tests::stream_detail
