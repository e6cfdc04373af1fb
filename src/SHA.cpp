#include "zelkor/tests/detail/ShaRecords.hpp"

#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/VectorDirectory.hpp"

namespace zelkor::tests::sha_detail {

std::vector<ShaRecord> usableRecords(std::string_view familyDir, std::string_view algorithm,
                                     const std::shared_ptr<detail::VectorUsage>& usage) {
    const std::string prefix(algorithm);
    const auto files = detail::loadVectorDirectory(familyDir, "Len", [&prefix](std::string_view fileName) {
        return fileName.starts_with(prefix);
    });
    std::vector<ShaRecord> records;
    for (const auto& file : files) {
        usage->addFile(file.recordCount());
        for (std::size_t c = 0; c < file.categories.size(); ++c) {
            const auto& category = file.categories[c];
            for (std::size_t r = 0; r < category.records.size(); ++r) {
                auto fields = lookupAll<3>(category.records[r], {"Msg", "MD", "Len"});
                if (!fields) {
                    usage->skip("missing field");
                    continue;
                }
                usage->use();
                auto& [msg, md, len] = *fields;
                records.push_back({std::move(msg), std::move(md), std::move(len), file.origin(c, r, usage)});
            }
        }
    }
    return records;
}

}  // namespace zelkor::tests::sha_detail
