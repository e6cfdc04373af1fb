#include <cstddef>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"
#include "zelkor/tests/detail/formats/VectorUsage.hpp"
#include "zelkor/tests/detail/formats/Wycheproof.hpp"
#include "zelkor/tests/detail/keywrap/KeyWrapShape.hpp"

namespace zelkor::tests::keywrap_detail {

namespace {

// One known answer: wrapping `keyData` gives `wrapped` (when `wrapCheck`),
// unwrapping `wrapped` gives `keyData`, or gives nothing (when `refuse`).
struct KeyWrapRecord {
    std::string name;
    ByteString key, keyData, wrapped;
    bool wrapCheck = false;
    bool refuse = false;
    bool acceptable = false;  // Wycheproof's "acceptable": either outcome, but no other key data
};

bool refused(const KeyWrapKeyed& key, const ByteString& wrapped, std::optional<ByteString>& given) {
    try {
        given = key.unwrap(wrapped);
        return !given.has_value();
    } catch (const std::exception&) {
        return true;
    }
}

void runRecord(const KeyWrapShape& shape, const KeyWrapRecord& record, const CaseOrigin& origin) {
    const std::optional<KeyWrapKeyed> key = shape.buildKey(record.key);
    if (!key) {
        if (record.key.size() != shape.keyBytes) throw SkipTest("a key of another length");
        throw AssertionFailure(record.name + ": buildKey refused the key");
    }
    std::optional<ByteString> given;
    const bool wasRefused = refused(*key, record.wrapped, given);
    if (record.acceptable) {
        if (!wasRefused && *given != record.keyData) {
            throw AssertionFailure(record.name + ": unwrap gave other key data than the record's (from " +
                                   origin.where() + ")");
        }
        return;
    }
    if (record.refuse) {
        if (!wasRefused) {
            std::ostringstream out;
            out << record.name << ": unwrap gave key data for a record marked to be refused (from " << origin.where()
                << "): " << *given;
            throw AssertionFailure(out.str());
        }
        if (!shape.acceptsLength(record.keyData.size()) && !record.keyData.empty()) {
            bool threw = false;
            try {
                (void)key->wrap(record.keyData);
            } catch (const std::exception&) {
                threw = true;
            }
            if (!threw) {
                throw AssertionFailure(record.name + ": wrap took key data of " +
                                       std::to_string(record.keyData.size()) +
                                       " bytes, a length the type does not declare");
            }
        }
        return;
    }
    if (!shape.acceptsLength(record.keyData.size())) {
        throw SkipTest("key data of " + std::to_string(record.keyData.size()) + " bytes not declared by the type");
    }
    if (wasRefused)
        throw AssertionFailure(record.name + ": unwrap refused a correct record (from " + origin.where() + ")");
    if (record.wrapCheck) {
        assertKnownAnswers(record.name,
                           {{"as wrapped key", key->wrap(record.keyData), record.wrapped},
                            {"as key data by unwrap", *given, record.keyData}},
                           origin);
    } else {
        assertKnownAnswers(record.name, {{"as key data by unwrap", *given, record.keyData}}, origin);
    }
}

struct PlacedRecord {
    KeyWrapRecord record;
    CaseOrigin origin;
};

// Runs every record of one NIST file (hundreds each, thousands for a key
// size): one case per file keeps the run short, and a failing record does
// not stop the others. The failure says how many failed and shows the first
// three; records the type cannot take are skipped within the case.
void runFile(const KeyWrapShape& shape, const std::vector<PlacedRecord>& records) {
    constexpr std::size_t kShown = 3;
    std::size_t failures = 0, skipped = 0;
    std::string shown, skipReason;
    for (const auto& [record, origin] : records) {
        std::string message;
        try {
            runRecord(shape, record, origin);
            continue;
        } catch (const SkipTest& skip) {
            if (skipped++ == 0) skipReason = skip.what();
            continue;
        } catch (const AssertionFailure& failure) {
            message = failure.what();
        } catch (const std::exception& error) {
            message = record.name + " (" + origin.where() + "): threw " + error.what();
        }
        if (failures++ < kShown) shown += "\n" + message;
    }
    if (failures > 0) {
        throw AssertionFailure(std::to_string(failures) + " of " + std::to_string(records.size()) +
                               " records failed; the first:" + shown);
    }
    if (skipped == records.size()) throw SkipTest(skipReason + " (every record of the file)");
}

Test recordCase(const KeyWrapShape& shape, KeyWrapRecord record, CaseOrigin origin) {
    std::string name = record.name;
    return testCase(
        std::move(name), [shape, record = std::move(record), origin] { runRecord(shape, record, origin); }, origin);
}

}  // namespace

std::vector<Test> nistTests(const KeyWrapShape& shape, std::string_view directory, KeyWrapVariant variant) {
    auto usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath(directory));
    const std::string base = std::string(variant.padded ? "KWP_" : "KW_");
    const std::string tail = "_" + std::to_string(shape.keyBytes * 8) + (variant.inverse ? "_inv.txt" : ".txt");
    const auto keep = [&](std::string_view fileName) {
        return fileName == base + "AE" + tail || fileName == base + "AD" + tail;
    };
    std::vector<Test> out;
    for (const detail::LoadedFile& file : detail::loadVectorDirectory(directory, "COUNT", keep)) {
        usage->addFile(file.recordCount());
        const std::string fileName(detail::fileNameOf(file.path));
        const bool encrypt = fileName.find("_AE_") != std::string::npos;
        std::vector<PlacedRecord> placed;
        for (std::size_t c = 0; c < file.categories.size(); ++c) {
            const auto& records = file.categories[c].records;
            for (std::size_t r = 0; r < records.size(); ++r) {
                const Record& fields = records[r];
                const auto count = lookup(fields, "COUNT"), key = lookup(fields, "K"), wrapped = lookup(fields, "C"),
                           data = lookup(fields, "P");
                const bool fail = lookup(fields, "FAIL").has_value();
                if (!count || !key || !wrapped || (!data && !fail)) {
                    usage->skip("missing field");
                    continue;
                }
                KeyWrapRecord record;
                record.name = fileName + "-" + *count;
                record.key = hexStringToBS(*key);
                record.wrapped = hexStringToBS(*wrapped);
                if (data) record.keyData = hexStringToBS(*data);
                record.wrapCheck = encrypt && !fail;
                record.refuse = fail;
                usage->use();
                placed.push_back({std::move(record), file.origin(c, r, usage)});
            }
        }
        if (placed.empty()) continue;
        CaseOrigin origin = placed.front().origin;
        origin.records = placed.size();
        auto shared = std::make_shared<const std::vector<PlacedRecord>>(std::move(placed));
        out.push_back(testCase(fileName, [shape, shared] { runFile(shape, *shared); }, std::move(origin)));
    }
    detail::requireUsableVectors(out, usage);
    return out;
}

std::vector<Test> wycheproofTests(const KeyWrapShape& shape, std::string_view fileName) {
    const std::string path = detail::wycheproofPath(fileName);
    auto usage = std::make_shared<detail::VectorUsage>(path);
    const std::shared_ptr<const detail::WycheproofFile> shared = detail::readWycheproofFile(path);
    const detail::WycheproofFile& file = *shared;
    usage->addFile(file.testCount());
    std::vector<Test> out;
    const std::string name(detail::baseNameOf(detail::fileNameOf(path)));
    for (const detail::WycheproofGroup& group : file.groups) {
        if (static_cast<std::size_t>(group.integer("keySize")) != shape.keyBytes * 8) {
            usage->skip("another key size", group.tests.size());
            continue;
        }
        for (const detail::WycheproofTest& test : group.tests) {
            KeyWrapRecord record;
            record.name = name + "-" + std::to_string(test.tcId);
            record.key = test.hex("key");
            record.keyData = test.hex("msg");
            record.wrapped = test.hex("ct");
            record.wrapCheck = test.result == "valid";
            record.refuse = test.result == "invalid";
            record.acceptable = test.result == "acceptable";
            usage->use();
            out.push_back(recordCase(shape, std::move(record), lineOrigin(test.path, test.line, usage)));
        }
    }
    detail::requireUsableVectors(out, usage);
    return out;
}

}  // namespace zelkor::tests::keywrap_detail
