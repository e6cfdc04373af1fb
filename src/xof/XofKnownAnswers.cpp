#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/formats/CategoryStream.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"
#include "zelkor/tests/detail/formats/VectorUsage.hpp"
#include "zelkor/tests/detail/xof/XofShape.hpp"

namespace zelkor::tests::xof_detail {

namespace {

struct XofRecord {
    std::string name;
    ByteString message, output;
};

// The output of one absorb and one squeeze; for a type that squeezes
// repeatedly also the message absorbed in three pieces and the output
// squeezed in two, cut at the rate when it is longer.
void runRecord(const XofShape& shape, const XofRecord& record, const CaseOrigin& origin) {
    XofState state = shape.fresh();
    state.absorb(record.message);
    const ByteString once = state.squeeze(record.output.size());
    if (!shape.squeezesRepeatedly) {
        assertKnownAnswers(record.name, {{"as output", once, record.output}}, origin);
        return;
    }
    XofState pieces = shape.fresh();
    const std::size_t third = record.message.size() / 3;
    pieces.absorb(record.message.take(third));
    pieces.absorb(record.message.drop(third).take(third));
    pieces.absorb(record.message.drop(2 * third));
    const std::size_t cut = record.output.size() > shape.rateBytes ? shape.rateBytes : record.output.size() / 2;
    const ByteString first = pieces.squeeze(cut);
    const ByteString split = first + pieces.squeeze(record.output.size() - cut);
    assertKnownAnswers(
        record.name,
        {{"as output", once, record.output}, {"absorbed in three pieces and squeezed in two", split, record.output}},
        origin);
}

std::optional<std::size_t> bitsToBytes(const std::optional<std::string>& bits) {
    if (!bits) return std::nullopt;
    try {
        std::size_t used = 0;
        const unsigned long long value = std::stoull(*bits, &used);
        if (used != bits->size() || value % 8 != 0) return std::nullopt;
        return static_cast<std::size_t>(value / 8);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace

std::vector<Test> knownAnswerTests(const XofShape& shape, std::string_view directory, std::string_view prefix) {
    auto usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath(directory));
    const std::string p(prefix);
    std::vector<Test> out;
    // ShortMsg and LongMsg records start at Len, VariableOut ones at COUNT.
    // VariableOut's headers include some without "=" ("[Tested for Output of
    // byte-oriented messages]"), which the directory loader refuses; they
    // hold nothing the cases need, so the files are parsed here without
    // that check.
    for (const std::string_view kind : {"ShortMsg", "LongMsg", "VariableOut"}) {
        const bool variable = kind == "VariableOut";
        const std::string fileName = p + std::string(kind) + ".rsp";
        detail::LoadedFile file;
        file.path = detail::vectorDirectoryPath(directory) + "/" + fileName;
        detail::CategoryStream stream(variable ? "COUNT" : "Len");
        stream.feed(detail::readVectorFileText(file.path));
        file.categories = std::move(stream).finish(&file.recordLines);
        {
            usage->addFile(file.recordCount());
            for (std::size_t c = 0; c < file.categories.size(); ++c) {
                const auto& records = file.categories[c].records;
                for (std::size_t r = 0; r < records.size(); ++r) {
                    const Record& fields = records[r];
                    const auto msg = lookup(fields, "Msg"), output = lookup(fields, "Output");
                    const std::optional<std::size_t> length =
                        variable ? std::optional<std::size_t>(msg ? msg->size() / 2 : 0)
                                 : bitsToBytes(lookup(fields, "Len"));
                    const auto count = variable ? lookup(fields, "COUNT") : lookup(fields, "Len");
                    if (!msg || !output || !length || !count) {
                        usage->skip("missing field or a length that is not whole bytes");
                        continue;
                    }
                    XofRecord record;
                    record.name = fileName + "-" + *count;
                    record.message = hexStringToBS(*msg).take(*length);
                    record.output = hexStringToBS(*output);
                    if (record.message.size() != *length) {
                        throw detail::VectorParseError(file.path + ": record " + record.name +
                                                       " has a Msg shorter than its Len");
                    }
                    usage->use();
                    CaseOrigin origin = file.origin(c, r, usage);
                    std::string name = record.name;
                    out.push_back(testCase(
                        std::move(name),
                        [shape, record = std::move(record), origin] { runRecord(shape, record, origin); }, origin));
                }
            }
        }
    }
    detail::requireUsableVectors(out, usage);
    return out;
}

namespace {

// The Monte Carlo chain of NIST's XOF tests: each step's message is the first
// 16 bytes of the last output (zero-padded), and its output length follows
// from the last two bytes of the last output, between the file's bounds.
// Checkpoints are kept, so the cases share one computation.
class XofMonteChain {
public:
    XofMonteChain(XofShape shape, ByteString seed, std::size_t minBytes, std::size_t maxBytes)
        : shape_(std::move(shape)), seed_(std::move(seed)), min_(minBytes), max_(maxBytes) {}

    ByteString checkpoint(std::size_t index) {
        const std::lock_guard lock(mutex_);
        while (done_.size() <= index) {
            ByteString output = done_.empty() ? seed_ : done_.back();
            for (int step = 0; step < 1000; ++step) {
                std::vector<std::uint8_t> message(output.begin(),
                                                  output.begin() + std::min<std::size_t>(16, output.size()));
                message.resize(16, 0);
                XofState state = shape_.fresh();
                state.absorb(ByteString(std::move(message)));
                output = state.squeeze(length_);
                if (output.size() != length_) throw AssertionFailure("squeeze gave another length than asked");
                const std::size_t last =
                    output.size() >= 2 ? output[output.size() - 2] * 256u + output[output.size() - 1] : 0;
                length_ = min_ + last % (max_ - min_ + 1);
            }
            done_.push_back(output);
        }
        return done_[index];
    }

private:
    XofShape shape_;
    ByteString seed_;
    std::size_t min_, max_;
    std::size_t length_ = max_;
    std::mutex mutex_;
    std::vector<ByteString> done_;
};

}  // namespace

// The first checkpoint, 1,000 chained calls over the range of output lengths,
// runs by default; the other 99 are long cases.
std::vector<Test> monteTests(const XofShape& shape, std::string_view directory, std::string_view prefix) {
    auto usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath(directory));
    const std::string fileName = std::string(prefix) + "Monte.rsp";
    std::vector<Test> out;
    // One record holds the seed and every checkpoint after it.
    for (const detail::LoadedFile& file :
         detail::loadVectorDirectory(directory, "Msg", [&](std::string_view name) { return name == fileName; },
                                     {"COUNT", "Outputlen", "Output"})) {
        usage->addFile(file.recordCount());
        std::optional<std::size_t> minBytes, maxBytes;
        for (const Category& category : file.categories) {
            for (const Property& property : category.properties) {
                if (property.name == "Minimum Output Length (bits)") minBytes = bitsToBytes(property.value);
                if (property.name == "Maximum Output Length (bits)") maxBytes = bitsToBytes(property.value);
            }
        }
        if (!minBytes || !maxBytes || *minBytes > *maxBytes || *minBytes < 2) {
            throw detail::VectorParseError(file.path + ": needs minimum and maximum output lengths of whole bytes");
        }
        for (std::size_t c = 0; c < file.categories.size(); ++c) {
            const auto& records = file.categories[c].records;
            for (std::size_t r = 0; r < records.size(); ++r) {
                const Record& fields = records[r];
                auto chain =
                    std::make_shared<XofMonteChain>(shape, hexStringToBS(fields.front().value), *minBytes, *maxBytes);
                CaseOrigin origin = file.origin(c, r, usage);
                std::string count;
                std::size_t index = 0;
                for (const Field& field : fields) {
                    if (field.name == "COUNT") count = field.value;
                    if (field.name != "Output") continue;
                    const ByteString expected = hexStringToBS(field.value);
                    const std::string name = fileName + "-" + count;
                    out.push_back(testCase(
                        name,
                        [chain, index, expected, name, origin] {
                            if (index > 0) requireLongCases("long case (checkpoint after the first)");
                            assertKnownAnswers(name, {{"as checkpoint output", chain->checkpoint(index), expected}},
                                               origin);
                        },
                        origin));
                    ++index;
                }
                usage->use();
                usage->addCheckpoints(index);
            }
        }
    }
    detail::requireUsableVectors(out, usage);
    return out;
}

}  // namespace zelkor::tests::xof_detail
