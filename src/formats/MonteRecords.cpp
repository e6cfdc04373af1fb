#include "zelkor/tests/detail/formats/MonteRecords.hpp"

#include <algorithm>
#include <utility>

#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

namespace zelkor::tests::sha_detail {

namespace {

// A record keyed by Seed holds the checkpoints after it: Seed, COUNT, MD,
// COUNT, MD, ...
MonteChainRecord chainOf(CaseOrigin origin, const Record& record) {
    MonteChainRecord chain{std::move(origin), record.front().value, {}};
    for (const Field& field : record) {
        if (field.name == "COUNT") chain.checkpoints.push_back({field.value, std::nullopt});
        else if (field.name == "MD" && !chain.checkpoints.empty() && !chain.checkpoints.back().md) {
            chain.checkpoints.back().md = field.value;
        }
    }
    return chain;
}

}  // namespace

std::vector<MonteChainRecord> monteChains(std::string_view familyDir, std::string_view fileName,
                                          const std::shared_ptr<detail::VectorUsage>& usage) {
    const auto files = detail::loadVectorDirectory(
        familyDir, "Seed", [fileName](std::string_view name) { return name == fileName; }, {"COUNT", "MD"});
    std::vector<MonteChainRecord> chains;
    for (const auto& file : files) {
        usage->addFile(file.recordCount());
        for (std::size_t c = 0; c < file.categories.size(); ++c) {
            const auto& records = file.categories[c].records;
            for (std::size_t r = 0; r < records.size(); ++r) {
                chains.push_back(chainOf(file.origin(c, r, usage), records[r]));
                const auto& checkpoints = chains.back().checkpoints;
                usage->addCheckpoints(checkpoints.size());
                const bool usable = std::any_of(checkpoints.begin(), checkpoints.end(),
                                                [](const MonteCheckpoint& checkpoint) { return checkpoint.md; });
                if (usable) usage->use();
                else usage->skip("no checkpoint with MD");
            }
        }
    }
    return chains;
}

}  // namespace zelkor::tests::sha_detail
