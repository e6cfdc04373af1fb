#pragma once
// Selecting the SHA vector records; the non-template half of SHA.hpp.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/VectorUsage.hpp"

namespace zelkor::tests::sha_detail {

// The field texts of one usable record, copied so that its case owns them.
struct ShaRecord {
    std::string msg;
    std::string md;
    std::string len;
    CaseOrigin origin;
};

// Reads the files of Test/<familyDir> whose name begins with `algorithm` (no
// other file is opened) and returns, in listing, category and record order,
// every record holding Msg, MD and Len. Only field presence is checked.
// `usage` counts what was read and skipped.
std::vector<ShaRecord> usableRecords(std::string_view familyDir, std::string_view algorithm,
                                     const std::shared_ptr<detail::VectorUsage>& usage);

}  // namespace zelkor::tests::sha_detail
