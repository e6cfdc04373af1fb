#include "zelkor/tests/detail/formats/WycheproofHmacRecords.hpp"

#include <cstdint>
#include <memory>
#include <utility>

#include "zelkor/tests/detail/formats/VectorDirectory.hpp"
#include "zelkor/tests/detail/formats/Wycheproof.hpp"

namespace zelkor::tests::hmac_detail {

namespace {

std::size_t tagBytesOf(const detail::WycheproofGroup& group) {
    const std::int64_t bits = group.integer("tagSize");
    if (bits <= 0 || bits % 8 != 0) {
        throw detail::VectorFileError("vector file " + group.where() + ": tagSize " + std::to_string(bits) +
                                      " is not a positive number of bytes");
    }
    return static_cast<std::size_t>(bits / 8);
}

// `comment "...", flags [A, B], result invalid, tagSize 128 bits`
std::string about(const detail::WycheproofTest& test, std::size_t tagBytes) {
    std::string flags;
    for (const std::string& flag : test.flags) flags += (flags.empty() ? "" : ", ") + flag;
    return "comment \"" + test.comment + "\", flags [" + flags + "], result " + test.result + ", tagSize " +
           std::to_string(tagBytes * 8) + " bits";
}

}  // namespace

WycheproofHmacFile wycheproofHmacTests(std::string_view fileName) {
    const std::string path = detail::wycheproofPath(fileName);
    auto usage = std::make_shared<detail::VectorUsage>(path);
    const std::shared_ptr<const detail::WycheproofFile> shared = detail::readWycheproofFile(path);
    const detail::WycheproofFile& file = *shared;
    usage->addFile(file.testCount());
    std::vector<WycheproofHmacTest> out;
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
            usage->use();
            out.push_back({std::string(fileName) + "-" + std::to_string(test.tcId),
                           lineOrigin(file.path, test.line, usage), about(test, tagBytes), test.hex("key"),
                           test.hex("msg"), test.hex("tag"), tagBytes, test.result == "valid"});
        }
    }
    return {std::move(usage), std::move(out)};
}

}  // namespace zelkor::tests::hmac_detail
