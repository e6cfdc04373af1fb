#include "zelkor/tests/detail/formats/MacVectors.hpp"

#include <cstdint>
#include <optional>
#include <utility>

#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"
#include "zelkor/tests/detail/formats/Wycheproof.hpp"

namespace zelkor::tests::mac_detail {

namespace {

// "key of 24 bytes not declared by the type", or "" when both are declared.
std::string undeclared(std::size_t keyBytes, std::size_t tagBytes, const AcceptsLength& acceptsKey,
                       const AcceptsLength& acceptsTag) {
    if (!acceptsKey(keyBytes)) return "key of " + std::to_string(keyBytes) + " bytes not declared by the type";
    if (!acceptsTag(tagBytes)) return "tag of " + std::to_string(tagBytes) + " bytes not declared by the type";
    return {};
}

std::size_t tagBytesOf(const detail::WycheproofGroup& group) {
    const std::int64_t bits = group.integer("tagSize");
    if (bits <= 0 || bits % 8 != 0) {
        throw detail::VectorFileError("vector file " + group.where() + ": tagSize " + std::to_string(bits) +
                                      " is not a positive number of bytes");
    }
    return static_cast<std::size_t>(bits / 8);
}

std::string about(const detail::WycheproofTest& test, std::size_t keyBytes, std::size_t tagBytes) {
    std::string flags;
    for (const std::string& flag : test.flags) flags += (flags.empty() ? "" : ", ") + flag;
    return "comment \"" + test.comment + "\", flags [" + flags + "], result " + test.result + ", key " +
           std::to_string(keyBytes) + " bytes, tagSize " + std::to_string(tagBytes * 8) + " bits";
}

// KEY, or a TDES key given as KEY1, KEY2 and KEY3 (two-key records repeat
// KEY1 as KEY3): the three in order.
template <class Record>
std::optional<std::string> keyOf(const Record& record) {
    if (std::optional<std::string> key = lookup(record, "KEY")) return key;
    const auto first = lookup(record, "KEY1"), second = lookup(record, "KEY2"), third = lookup(record, "KEY3");
    if (!first || !second || !third) return std::nullopt;
    return *first + *second + *third;
}

}  // namespace

MacVectors macRecords(std::string_view directory, std::string_view prefix, const AcceptsLength& acceptsKey,
                      const AcceptsLength& acceptsTag) {
    auto usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath(directory));
    std::vector<MacVector> out;
    const auto keep = [prefix](std::string_view name) { return name.starts_with(prefix); };
    for (const detail::LoadedFile& file : detail::loadVectorDirectory(directory, "COUNT", keep)) {
        usage->addFile(file.recordCount());
        const std::string fileName(detail::fileNameOf(file.path));
        for (std::size_t c = 0; c < file.categories.size(); ++c) {
            const auto& records = file.categories[c].records;
            for (std::size_t r = 0; r < records.size(); ++r) {
                const std::optional<std::string> count = lookup(records[r], "COUNT");
                const std::optional<std::string> key = keyOf(records[r]);
                std::optional<std::string> message = lookup(records[r], "MESSAGE");
                if (!message) message = lookup(records[r], "MSG");
                std::optional<std::string> tag = lookup(records[r], "OUTPUT");
                if (!tag) tag = lookup(records[r], "TAG");
                if (!count || !key || !message || !tag) {
                    usage->skip("missing field");
                    continue;
                }
                if (const std::optional<std::string> custom = lookup(records[r], "S"); custom && !custom->empty()) {
                    usage->skip("customization string (the MAC contract has none)");
                    continue;
                }
                MacVector vector{fileName + "-" + *count, {}, {}, hexStringToBS(*key), hexStringToBS(*message),
                                 hexStringToBS(*tag), 0, true};
                vector.tagBytes = vector.tag.size();
                if (std::string reason = undeclared(vector.key.size(), vector.tagBytes, acceptsKey, acceptsTag);
                    !reason.empty()) {
                    usage->skip(reason);
                    continue;
                }
                usage->use();
                vector.origin = file.origin(c, r, usage);
                out.push_back(std::move(vector));
            }
        }
    }
    return {std::move(usage), std::move(out)};
}

MacVectors wycheproofMacTests(std::string_view fileName, const AcceptsLength& acceptsKey,
                              const AcceptsLength& acceptsTag) {
    const std::string path = detail::wycheproofPath(fileName);
    auto usage = std::make_shared<detail::VectorUsage>(path);
    const std::shared_ptr<const detail::WycheproofFile> shared = detail::readWycheproofFile(path);
    const detail::WycheproofFile& file = *shared;
    usage->addFile(file.testCount());
    std::vector<MacVector> out;
    for (const auto& group : file.groups) {
        const std::size_t tagBytes = tagBytesOf(group);
        for (const auto& test : group.tests) {
            if (test.result == "acceptable") {
                usage->skip("result acceptable");
                continue;
            }
            if (test.result != "valid" && test.result != "invalid") {
                throw detail::VectorFileError("vector file " + test.where() + ": unknown result \"" + test.result +
                                              "\"");
            }
            MacVector vector{std::string(fileName) + "-" + std::to_string(test.tcId), {}, {}, test.hex("key"),
                             test.hex("msg"), test.hex("tag"), tagBytes, test.result == "valid"};
            if (std::string reason = undeclared(vector.key.size(), tagBytes, acceptsKey, acceptsTag);
                vector.valid && !reason.empty()) {
                usage->skip(reason);
                continue;
            }
            usage->use();
            vector.about = about(test, vector.key.size(), tagBytes);
            vector.origin = lineOrigin(file.path, test.line, usage);
            out.push_back(std::move(vector));
        }
    }
    return {std::move(usage), std::move(out)};
}

}  // namespace zelkor::tests::mac_detail
