#include "zelkor/tests/detail/LongMessages.hpp"

#include <cstdlib>
#include <iostream>
#include <limits>
#include <stdexcept>
#include <string_view>

#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/ShaHmacFields.hpp"

namespace zelkor::tests::long_detail {

std::vector<LongRecord> longRecords(std::string_view algorithm, const std::shared_ptr<detail::VectorUsage>& usage) {
    std::vector<LongRecord> records;
    const auto keepUsable = [&](const std::string& path, std::size_t line, const std::vector<Property>& properties,
                                Record&& record) {
        if (lookup(properties, "Algorithm") != algorithm) return usage->skip("another algorithm");
        auto fields = detail::takeAll<3>(record, {"Pattern", "Repeat", "MD"});
        if (!fields) return usage->skip("missing field");
        usage->use();
        auto& [pattern, repeat, md] = *fields;
        records.push_back({std::move(pattern), std::move(repeat), std::move(md), lineOrigin(path, line, usage)});
    };
    detail::forEachVectorRecord("KAT_LONG", "Pattern", {}, keepUsable, *usage);
    return records;
}

void requireLongRuns() {
    const char* value = std::getenv("zelkor_tests_long");
    if (value == nullptr || std::string_view(value) != "1") {
        throw SkipTest("long-message case (GiB of hashing): runs only when the environment sets zelkor_tests_long=1");
    }
}

LongMessage longMessage(const LongRecord& record) {
    LongMessage out{hexStringToBS(record.pattern), 0};
    if (out.pattern.empty()) throw std::invalid_argument("Pattern is empty");
    const long long times = detail::readDecimalField("Repeat", record.repeat);
    if (times <= 0) throw std::invalid_argument("Repeat is not positive: " + detail::quoteText(record.repeat));
    out.times = static_cast<std::uint64_t>(times);
    if (out.times > std::numeric_limits<std::uint64_t>::max() / out.pattern.size()) {
        throw std::invalid_argument("Pattern x Repeat is beyond 2^64 - 1 bytes: Repeat = " + record.repeat);
    }
    return out;
}

std::vector<std::size_t> chunkPlan(std::size_t blockBytes) {
    const std::size_t block = blockBytes == 0 ? 1 : blockBytes;
    return {1, block > 1 ? block - 1 : 1, block + 1, std::size_t{1} << 20};
}

std::string chunkPlanText(const std::vector<std::size_t>& plan) {
    std::string out;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        out += (i == 0 ? "" : i + 1 == plan.size() ? " and " : ", ") + std::to_string(plan[i]);
    }
    return out;
}

void noteChunkedOnly(std::string_view name, const std::string& reason) {
    std::cout << name << ": chunked form only; the contiguous form cannot be mapped here (" << reason << ")\n"
              << std::flush;
}

}  // namespace zelkor::tests::long_detail
