#include "zelkor/tests/detail/digest/LongMessages.hpp"

#include <iostream>
#include <limits>
#include <stdexcept>
#include <string_view>

#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/formats/ShaHmacFields.hpp"

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
    requireLongCases("long-message case (GiB of hashing)");
}

namespace {

// SHA-1 and SHA-224/256 are defined for messages of fewer than 2^64 bits.
// SHA-384/512 take fewer than 2^128, more than a 64-bit count of bytes can
// reach; MD5 and SHA-3 take any length.
bool takesFewerThan2To64Bits(std::string_view algorithm) {
    return algorithm == "SHA1" || algorithm == "SHA224" || algorithm == "SHA256";
}

}  // namespace

LongMessage longMessage(const LongRecord& record, std::string_view algorithm) {
    const std::string where = record.origin.where() + ": ";
    const auto fault = [&](const std::string& what) { return std::invalid_argument(where + what); };
    LongMessage out{hexStringToBS(record.pattern), 0};
    if (out.pattern.empty()) throw fault("Pattern is empty");
    try {
        out.times = detail::readUnsignedField("Repeat", record.repeat);
    } catch (const std::invalid_argument& e) {
        throw fault(e.what());
    }
    if (out.times == 0) throw fault("Repeat is not positive: " + detail::quoteText(record.repeat));
    // Checked before anything is sized by the length, in bits as the digests
    // count it. A byte count beyond 64 bits is beyond both limits.
    const std::uint64_t size = out.pattern.size();
    const bool fitsBytes = out.times <= std::numeric_limits<std::uint64_t>::max() / size;
    if (takesFewerThan2To64Bits(algorithm) && (!fitsBytes || size * out.times >= (std::uint64_t{1} << 61))) {
        throw fault("Pattern x Repeat is 2^64 bits or more, beyond what " + std::string(algorithm) +
                    " takes (fewer than 2^64 bits): Repeat = " + record.repeat);
    }
    if (!fitsBytes || size * out.times > kMaxLongMessageBytes) {
        throw fault("Pattern x Repeat is more than the " + std::to_string(kMaxLongMessageBytes) +
                    " bytes (64 GiB) a long-message case hashes: Repeat = " + record.repeat);
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
