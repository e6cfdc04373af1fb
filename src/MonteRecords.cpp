#include "zelkor/tests/detail/MonteRecords.hpp"

#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/VectorDirectory.hpp"

namespace zelkor::tests::sha_detail {

namespace {

// A record keyed by Seed holds the checkpoints after it: Seed, COUNT, MD,
// COUNT, MD, ...
MonteChainRecord chainOf(const std::string& path, const Record& record) {
    MonteChainRecord chain{path, record.front().value, {}};
    for (const Field& field : record) {
        if (field.name == "COUNT") chain.checkpoints.push_back({field.value, std::nullopt});
        else if (field.name == "MD" && !chain.checkpoints.empty() && !chain.checkpoints.back().md) {
            chain.checkpoints.back().md = field.value;
        }
    }
    return chain;
}

}  // namespace

std::vector<MonteChainRecord> monteChains(std::string_view familyDir, std::string_view fileName) {
    const auto files = detail::loadVectorDirectory(familyDir, "Seed",
                                                   [fileName](std::string_view name) { return name == fileName; });
    std::vector<MonteChainRecord> chains;
    for (const auto& file : files) {
        for (const auto& category : file.categories) {
            for (const auto& record : category.records) chains.push_back(chainOf(file.path, record));
        }
    }
    return chains;
}

}  // namespace zelkor::tests::sha_detail
