#pragma once
// Selecting the HMAC vector records; the non-template half of HMAC.hpp.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/formats/VectorUsage.hpp"

namespace zelkor::tests::hmac_detail {

// The category property L ("20", "28", "32", "48", "64") that holds the
// records of an algorithm ("SHA1", ..., "SHA512"). Any other name is a
// programming error: std::logic_error naming Test.HMAC.algToLen and the name.
std::string_view algToLen(std::string_view algorithm);

// The field texts of one selected record, copied so that its case owns them.
struct HmacRecord {
    std::string count;
    std::string tlen;
    std::string key;
    std::string msg;
    std::string mac;
    CaseOrigin origin;
};

// Reads every file of Test/KAT_HMAC and returns, in listing, category and
// record order, the records holding Msg, Key, Mac, Count and Tlen from the
// categories whose L property equals algToLen(algorithm). algToLen is only
// consulted once a category with an L property turns up.
// `usage` counts what was read and skipped.
std::vector<HmacRecord> selectedRecords(std::string_view algorithm, const std::shared_ptr<detail::VectorUsage>& usage);

}  // namespace zelkor::tests::hmac_detail
