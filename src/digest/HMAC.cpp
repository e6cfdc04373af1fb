#include "zelkor/tests/detail/formats/HmacRecords.hpp"

#include <array>
#include <optional>
#include <stdexcept>
#include <utility>

#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/formats/ShaHmacFields.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

namespace zelkor::tests::hmac_detail {

std::string_view algToLen(std::string_view algorithm) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kLengths{{
        {"SHA1", "20"}, {"SHA224", "28"}, {"SHA256", "32"}, {"SHA384", "48"}, {"SHA512", "64"},
    }};
    for (const auto& [name, length] : kLengths) {
        if (name == algorithm) return length;
    }
    throw std::logic_error("Test.HMAC.algToLen: non-exhaustive match: no output length for algorithm "
                           + detail::quoteText(algorithm));
}

std::vector<HmacRecord> selectedRecords(std::string_view algorithm, const std::shared_ptr<detail::VectorUsage>& usage) {
    auto files = detail::loadVectorDirectory("KAT_HMAC", "Count");
    std::optional<std::string_view> wantedL;
    std::vector<HmacRecord> records;
    for (auto& file : files) {
        usage->addFile(file.recordCount());
        for (std::size_t c = 0; c < file.categories.size(); ++c) {
            auto& category = file.categories[c];
            const auto l = lookup(category.properties, "L");
            if (l && !wantedL) wantedL = algToLen(algorithm);
            if (!l || *l != *wantedL) {
                usage->skip("no matching [L=..] category", category.records.size());
                continue;
            }
            for (std::size_t r = 0; r < category.records.size(); ++r) {
                auto fields = detail::takeAll<5>(category.records[r], {"Msg", "Key", "Mac", "Count", "Tlen"});
                if (!fields) {
                    usage->skip("missing field");
                    continue;
                }
                usage->use();
                auto& [msg, key, mac, count, tlen] = *fields;
                records.push_back({std::move(count), std::move(tlen), std::move(key), std::move(msg), std::move(mac),
                                   file.origin(c, r, usage)});
            }
        }
    }
    return records;
}

}  // namespace zelkor::tests::hmac_detail
