#pragma once
// Selecting the RFC 2202 / RFC 4231 HMAC records of Test/KAT_HMAC_RFC; the
// non-template half of the RFC HMAC builders.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/formats/VectorUsage.hpp"

namespace zelkor::tests::hmac_detail {

struct RfcHmacRecord {
    std::string name;  // "<file name>-<n>": the n-th record, the RFC's test case n
    CaseOrigin origin;  // the vector file and line of the record
    std::string len;   // message length in bits
    std::string key;
    std::string msg;
    std::string md;
    std::optional<std::string> tlen;  // bytes of the HMAC that MD holds; all when absent
};

// The file of an algorithm ("MD5" -> "rfc-2202-md5.txt", "SHA1", "SHA224",
// ..., "SHA512"). Any other name is a programming error: std::logic_error
// naming Test.HMAC.rfcFileOf and the name.
std::string_view rfcFileOf(std::string_view algorithm);

// Reads that one file of Test/KAT_HMAC_RFC and returns its records holding
// Len, Key, Msg and MD, in order; records lacking one use up no number.
// `usage` counts what was read and skipped.
std::vector<RfcHmacRecord> rfcRecords(std::string_view algorithm, const std::shared_ptr<detail::VectorUsage>& usage);

}  // namespace zelkor::tests::hmac_detail
