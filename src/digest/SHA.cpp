#include "zelkor/tests/detail/formats/ShaRecords.hpp"

#include <span>
#include <string>

#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/formats/ShaHmacFields.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"
#include "zelkor/tests/detail/formats/VectorFileViews.hpp"

namespace zelkor::tests::sha_detail {

namespace {

std::function<bool(std::string_view)> startingWith(std::string_view algorithm) {
    return [prefix = std::string(algorithm)](std::string_view fileName) { return fileName.starts_with(prefix); };
}

}  // namespace

ShaRecordViews usableRecordViews(std::string_view familyDir, std::string_view algorithm,
                                 const std::shared_ptr<detail::VectorUsage>& usage) {
    return digestRecordViews(familyDir, startingWith(algorithm), usage);
}

std::vector<ShaRecord> usableRecords(std::string_view familyDir, std::string_view algorithm,
                                     const std::shared_ptr<detail::VectorUsage>& usage) {
    return digestRecords(familyDir, startingWith(algorithm), usage);
}

ShaRecordViews digestRecordViews(std::string_view familyDir,
                                 const std::function<bool(std::string_view fileName)>& keep,
                                 const std::shared_ptr<detail::VectorUsage>& usage) {
    ShaRecordViews out;
    const auto keepUsable = [&](detail::ViewedFile&& file) {
        usage->addFile(file.recordCount());
        const std::size_t before = out.records.size();
        for (const detail::CategoryView& category : file.categories) {
            for (const auto& span : category.records) {
                const auto record = category.fields.data() + span.first;
                const std::span<const detail::FieldView> fields(record, span.count);
                const auto msg = detail::lookupView(fields, "Msg"), md = detail::lookupView(fields, "MD");
                const auto len = detail::lookupView(fields, "Len");
                if (!msg || !md || !len) {
                    usage->skip("missing field");
                    continue;
                }
                usage->use();
                out.records.push_back({*msg, *md, *len, lineOrigin(file.path, span.line, usage)});
            }
        }
        if (out.records.size() > before) out.texts.push_back(std::move(file.text));
    };
    detail::forEachVectorFileView(familyDir, "Len", keep, keepUsable);
    return out;
}

std::vector<ShaRecord> digestRecords(std::string_view familyDir,
                                     const std::function<bool(std::string_view fileName)>& keep,
                                     const std::shared_ptr<detail::VectorUsage>& usage) {
    ShaRecordViews views = digestRecordViews(familyDir, keep, usage);
    std::vector<ShaRecord> records;
    records.reserve(views.records.size());
    for (ShaRecordView& view : views.records) {
        records.push_back({std::string(view.msg), std::string(view.md), std::string(view.len), std::move(view.origin)});
    }
    return records;
}

}  // namespace zelkor::tests::sha_detail
