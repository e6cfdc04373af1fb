#pragma once
// Records whose associated data is a list of strings: AAD, then AAD2, AAD3 ...

#include <cstddef>
#include <string>
#include <vector>

#include "zelkor/ByteString.hpp"
#include "zelkor/tests/ParseNistKATs.hpp"

namespace zelkor::tests::aead_detail {

// The hex of AAD2, AAD3 ... of `fields`, up to the first one missing.
std::vector<std::string> moreAadFields(const Record& fields);

// AAD followed by `more`, as bytes.
std::vector<ByteString> aadStrings(const std::string& aadHex, const std::vector<std::string>& moreHex);

// Why a record of `count` strings is skipped by a type declaring fewer.
std::string aadStringsNotAccepted(std::size_t count);

}  // namespace zelkor::tests::aead_detail
