#pragma once
// Selecting the SHA vector records; the non-template half of SHA.hpp.

#include <string>
#include <string_view>
#include <vector>

namespace zelkor::tests::sha_detail {

// The field texts of one usable record.
struct ShaRecord {
    std::string msg;
    std::string md;
    std::string len;
};

// Reads the files of Test/KAT_SHA whose name begins with `algorithm` (no other
// file is opened) and returns, in listing, category and record order, every
// record holding Msg, MD and Len. Only field presence is checked.
std::vector<ShaRecord> usableRecords(std::string_view algorithm);

}  // namespace zelkor::tests::sha_detail
