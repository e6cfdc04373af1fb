#include "zelkor/tests/detail/VectorUsage.hpp"

#include <algorithm>

#include "zelkor/tests/Test.hpp"

namespace zelkor::tests::detail {

void VectorUsage::skip(std::string_view reason, std::size_t count) {
    if (count == 0) return;
    auto it = std::find_if(skipped_.begin(), skipped_.end(), [&](const auto& s) { return s.first == reason; });
    if (it == skipped_.end()) skipped_.emplace_back(std::string(reason), count);
    else it->second += count;
}

std::string VectorUsage::describe() const {
    std::string out = directory_ + ": " + std::to_string(files_) + (files_ == 1 ? " file, " : " files, ") +
                      std::to_string(records_) + (records_ == 1 ? " record" : " records");
    if (checkpoints_ > 0) {
        out += " (" + std::to_string(checkpoints_) + (checkpoints_ == 1 ? " checkpoint)" : " checkpoints)");
    }
    out += " read: " + std::to_string(used_) + " used";
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
    CaseOrigin origin{usage->directory(), 0, usage};
    cases.push_back(testCase(
        "no usable vectors",
        [usage] { throw NoUsableVectors("no usable vectors in " + usage->describe()); }, std::move(origin)));
}

}  // namespace zelkor::tests::detail
