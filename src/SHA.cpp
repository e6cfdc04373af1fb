#include "zelkor/tests/detail/ShaRecords.hpp"

#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/ShaHmacFields.hpp"
#include "zelkor/tests/detail/VectorDirectory.hpp"

namespace zelkor::tests::sha_detail {

std::vector<ShaRecord> usableRecords(std::string_view familyDir, std::string_view algorithm) {
    const std::string prefix(algorithm);
    return digestRecords(familyDir, [&prefix](std::string_view fileName) { return fileName.starts_with(prefix); });
}

std::vector<ShaRecord> digestRecords(std::string_view familyDir,
                                     const std::function<bool(std::string_view fileName)>& keep) {
    // Records arrive one at a time and their texts are moved, never copied, so
    // a large file costs little more than the records kept.
    std::vector<ShaRecord> records;
    const auto keepUsable = [&records](const std::string& path, const std::vector<Property>&, Record&& record) {
        auto fields = detail::takeAll<3>(record, {"Msg", "MD", "Len"});
        if (!fields) return;
        auto& [msg, md, len] = *fields;
        records.push_back({std::move(msg), std::move(md), std::move(len), path});
    };
    detail::forEachVectorRecord(familyDir, "Len", keep, keepUsable);
    return records;
}

}  // namespace zelkor::tests::sha_detail
