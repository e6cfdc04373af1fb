#include "zelkor/tests/detail/formats/VectorUsage.hpp"

#include <algorithm>

#include "zelkor/tests/Test.hpp"

namespace zelkor::tests::detail {

void VectorUsage::skip(std::string_view reason, std::size_t count) {
    if (count == 0) return;
    auto it = std::find_if(skipped_.begin(), skipped_.end(), [&](const auto& s) { return s.first == reason; });
    if (it == skipped_.end()) skipped_.emplace_back(std::string(reason), count);
    else it->second += count;
}

namespace {

std::string checkpoints(std::size_t count) {
    return " (" + std::to_string(count) + (count == 1 ? " checkpoint)" : " checkpoints)");
}

}  // namespace

std::string VectorUsage::describe() const { return describeUsed(nullptr); }

std::string VectorUsage::describeRun(std::size_t ranRecords, std::size_t ranCheckpoints) const {
    std::string ran = ", " + std::to_string(ranRecords) + " ran";
    if (checkpoints_ > 0) ran += checkpoints(ranCheckpoints);
    return describeUsed(&ran);
}

std::string VectorUsage::describeUsed(const std::string* ran) const {
    std::string out = directory_ + ": " + std::to_string(files_) + (files_ == 1 ? " file, " : " files, ") +
                      std::to_string(records_) + (records_ == 1 ? " record" : " records");
    if (checkpoints_ > 0) out += checkpoints(checkpoints_);
    out += " read: " + std::to_string(used_) + " used";
    if (ran) out += *ran;
    std::size_t skippedCount = 0;
    for (const auto& [reason, count] : skipped_) skippedCount += count;
    if (skippedCount == 0) return out;
    out += ", " + std::to_string(skippedCount) + " skipped (";
    const char* sep = "";
    for (const auto& [reason, count] : skipped_) {
        out += sep + std::to_string(count) + " " + reason;
        sep = ", ";
    }
    return out + ")";
}

void requireUsableVectors(std::vector<Test>& cases, const std::shared_ptr<const VectorUsage>& usage) {
    if (usage->used() > 0) return;
    CaseOrigin origin{usage->directory(), 0, usage, 0};
    cases.push_back(testCase(
        "no usable vectors",
        [usage] { throw NoUsableVectors("no usable vectors in " + usage->describe()); }, std::move(origin)));
}

}  // namespace zelkor::tests::detail
