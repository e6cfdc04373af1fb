#include "zelkor/tests/detail/formats/ShaRecords.hpp"

#include <span>
#include <string>

#include "zelkor/tests/Crypto.hpp"
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

namespace {

// Calls `use` with the Msg, MD and Len texts and the origin of every usable
// record, in listing, category and record order.
template <class Use>
void forEachDigestRecord(std::string_view familyDir, const std::function<bool(std::string_view fileName)>& keep,
                         const std::shared_ptr<detail::VectorUsage>& usage, Use&& use) {
    const auto keepUsable = [&](detail::ViewedFile&& file) {
        usage->addFile(file.recordCount());
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
                use(*msg, *md, *len, lineOrigin(file.path, span.line, usage));
            }
        }
    };
    detail::forEachVectorFileView(familyDir, "Len", keep, keepUsable);
}

HexField hexField(detail::ByteArena& arena, std::string_view text) {
    try {
        return {arena.hex(text), {}, true};
    } catch (const HexDecodeError&) {
        return {{}, arena.text(text), false};
    }
}

}  // namespace

ByteString HexField::value() const { return decoded ? ByteString(bytes) : hexStringToBS(undecoded); }

ShaRecordViews digestRecordViews(std::string_view familyDir,
                                 const std::function<bool(std::string_view fileName)>& keep,
                                 const std::shared_ptr<detail::VectorUsage>& usage) {
    auto arena = std::make_shared<detail::ByteArena>();
    std::vector<ShaRecordView> records;
    forEachDigestRecord(familyDir, keep, usage,
                        [&](std::string_view msg, std::string_view md, std::string_view len, CaseOrigin origin) {
                            records.push_back({hexField(*arena, msg), hexField(*arena, md), arena->text(len),
                                               std::move(origin)});
                        });
    return {std::move(arena), std::move(records)};
}

std::vector<ShaRecord> digestRecords(std::string_view familyDir,
                                     const std::function<bool(std::string_view fileName)>& keep,
                                     const std::shared_ptr<detail::VectorUsage>& usage) {
    std::vector<ShaRecord> records;
    forEachDigestRecord(familyDir, keep, usage,
                        [&](std::string_view msg, std::string_view md, std::string_view len, CaseOrigin origin) {
                            records.push_back({std::string(msg), std::string(md), std::string(len), std::move(origin)});
                        });
    return records;
}

}  // namespace zelkor::tests::sha_detail
