#pragma once
// The tests of one Wycheproof HMAC file (data/Wycheproof/hmac_<alg>_test.json);
// the non-template half of the Wycheproof HMAC builders.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/ByteString.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/formats/VectorUsage.hpp"

namespace zelkor::tests::hmac_detail {

struct WycheproofHmacTest {
    std::string name;    // "<file name>-<tcId>"
    CaseOrigin origin;   // the file and the line of the test's "{"
    std::string about;   // comment, flags, result and tag size, for failure reports
    ByteString key;
    ByteString msg;
    ByteString tag;
    std::size_t tagBytes = 0;  // the group's tagSize in bytes: the HMAC is cut to it
    bool valid = false;        // false: the tag must not match
};

struct WycheproofHmacFile {
    std::shared_ptr<detail::VectorUsage> usage;  // named after the file's path
    std::vector<WycheproofHmacTest> tests;
};

// Reads Wycheproof/<fileName> now: one entry per test, in file order; a test
// whose result is "acceptable" (it claims nothing) is counted as skipped. A
// missing or malformed file, a tagSize that is not a positive number of bytes,
// or an unknown result raises VectorFileError naming the file (and line).
WycheproofHmacFile wycheproofHmacTests(std::string_view fileName);

}  // namespace zelkor::tests::hmac_detail
