#include "zelkor/tests/detail/ShaRecords.hpp"

#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/VectorDirectory.hpp"

namespace zelkor::tests::sha_detail {

std::vector<ShaRecord> usableRecords(std::string_view familyDir, std::string_view algorithm) {
    const std::string prefix(algorithm);
    return digestRecords(familyDir, [&prefix](std::string_view fileName) { return fileName.starts_with(prefix); });
}

std::vector<ShaRecord> digestRecords(std::string_view familyDir,
                                     const std::function<bool(std::string_view fileName)>& keep) {
    const auto files = detail::loadVectorDirectory(familyDir, "Len", keep);
    std::vector<ShaRecord> records;
    for (const auto& file : files) {
        for (const auto& category : file.categories) {
            for (const auto& record : category.records) {
                auto fields = lookupAll<3>(record, {"Msg", "MD", "Len"});
                if (!fields) continue;
                auto& [msg, md, len] = *fields;
                records.push_back({std::move(msg), std::move(md), std::move(len), file.path});
            }
        }
    }
    return records;
}

}  // namespace zelkor::tests::sha_detail
