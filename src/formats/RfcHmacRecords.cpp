#include "zelkor/tests/detail/formats/RfcHmacRecords.hpp"

#include <array>
#include <stdexcept>
#include <utility>

#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/formats/ShaHmacFields.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

namespace zelkor::tests::hmac_detail {

std::string_view rfcFileOf(std::string_view algorithm) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kFiles{{
        {"MD5", "rfc-2202-md5.txt"},
        {"SHA1", "rfc-2202-sha1.txt"},
        {"SHA224", "rfc-4231-sha224.txt"},
        {"SHA256", "rfc-4231-sha256.txt"},
        {"SHA384", "rfc-4231-sha384.txt"},
        {"SHA512", "rfc-4231-sha512.txt"},
    }};
    for (const auto& [name, file] : kFiles) {
        if (name == algorithm) return file;
    }
    throw std::logic_error("Test.HMAC.rfcFileOf: non-exhaustive match: no RFC vector file for algorithm " +
                           detail::quoteText(algorithm));
}

std::vector<RfcHmacRecord> rfcRecords(std::string_view algorithm, const std::shared_ptr<detail::VectorUsage>& usage) {
    const std::string_view wanted = rfcFileOf(algorithm);
    const auto files = detail::loadVectorDirectory(
        "KAT_HMAC_RFC", "Len", [wanted](std::string_view fileName) { return fileName == wanted; });
    std::vector<RfcHmacRecord> records;
    for (const auto& file : files) {
        usage->addFile(file.recordCount());
        for (std::size_t c = 0; c < file.categories.size(); ++c) {
            const auto& category = file.categories[c];
            for (std::size_t r = 0; r < category.records.size(); ++r) {
                const Record& record = category.records[r];
                auto fields = lookupAll<4>(record, {"Len", "Key", "Msg", "MD"});
                if (!fields) {
                    usage->skip("missing field");
                    continue;
                }
                usage->use();
                auto& [len, key, msg, md] = *fields;
                std::string name = std::string(wanted) + "-" + std::to_string(records.size() + 1);
                records.push_back({std::move(name), file.origin(c, r, usage), std::move(len), std::move(key),
                                   std::move(msg), std::move(md), lookup(record, "Tlen")});
            }
        }
    }
    return records;
}

}  // namespace zelkor::tests::hmac_detail
