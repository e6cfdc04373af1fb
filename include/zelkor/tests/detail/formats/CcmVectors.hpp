#pragma once
// Reading NIST's CCM response files (and files written the same way): lengths
// given once for the file or per bracketed category ("Alen = 0",
// "[Alen = 0, Plen = 0, Nlen = 7, Tlen = 4]"), Key and Nonce shared by the
// records that follow them, and records of Count, Nonce, Adata, Payload, CT
// (the ciphertext followed by the tag) and Result ("Pass" or "Fail").

#include <string>
#include <string_view>
#include <vector>

#include "zelkor/tests/detail/formats/GcmVectors.hpp"
#include "zelkor/tests/detail/formats/VectorUsage.hpp"

namespace zelkor::tests::ccm_detail {

// One category per bracketed header of every file of Test/<directory>
// (listing order) with records of `keyBits`-bit keys, named
// "<file name>-Alen0-Plen0-Nlen7-Tlen4" from the header. Records with a Result
// are for decryption (encrypt false: Pass opens to the payload, Fail must be
// refused); the others are sealed and opened. Records of another key size are
// skipped and counted. A record missing a field or whose fields disagree with
// the declared lengths throws VectorParseError naming the file and line.
std::vector<gcm_detail::NistGcmCategoryData> loadNistCcm(std::string_view directory, int keyBits,
                                                         detail::VectorUsage& usage);

// The records of one file's text, by category, for the reader above and its
// tests; `path` names the file in errors.
std::vector<gcm_detail::NistGcmCategoryData> parseNistCcm(const std::string& path, std::string_view text);

}  // namespace zelkor::tests::ccm_detail
