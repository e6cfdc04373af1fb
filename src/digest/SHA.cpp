#include "zelkor/tests/detail/formats/ShaRecords.hpp"

#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/formats/ShaHmacFields.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

namespace zelkor::tests::sha_detail {

std::vector<ShaRecord> usableRecords(std::string_view familyDir, std::string_view algorithm,
                                     const std::shared_ptr<detail::VectorUsage>& usage) {
    const std::string prefix(algorithm);
    return digestRecords(
        familyDir, [&prefix](std::string_view fileName) { return fileName.starts_with(prefix); }, usage);
}

std::vector<ShaRecord> digestRecords(std::string_view familyDir,
                                     const std::function<bool(std::string_view fileName)>& keep,
                                     const std::shared_ptr<detail::VectorUsage>& usage) {
    // Records arrive one at a time and their texts are moved, never copied, so
    // a large file costs little more than the records kept.
    std::vector<ShaRecord> records;
    const auto keepUsable = [&](const std::string& path, std::size_t line, const std::vector<Property>&,
                                Record&& record) {
        auto fields = detail::takeAll<3>(record, {"Msg", "MD", "Len"});
        if (!fields) return usage->skip("missing field");
        usage->use();
        auto& [msg, md, len] = *fields;
        records.push_back({std::move(msg), std::move(md), std::move(len), lineOrigin(path, line, usage)});
    };
    detail::forEachVectorRecord(familyDir, "Len", keep, keepUsable, *usage);
    return records;
}

}  // namespace zelkor::tests::sha_detail
