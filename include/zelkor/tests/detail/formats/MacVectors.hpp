#pragma once
// The vectors of a MAC, read once into plain records: the non-template half
// of the MAC known-answer and Wycheproof builders.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/ByteString.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/formats/VectorUsage.hpp"

namespace zelkor::tests::mac_detail {

// Which key and tag lengths (bytes) the type under test declares.
using AcceptsLength = std::function<bool(std::size_t)>;

struct MacVector {
    std::string name;   // "<file name>-<COUNT>" or "<file name>-<tcId>"
    CaseOrigin origin;  // the file and the line of the record
    std::string about;  // Wycheproof: comment, flags, result and sizes; empty for records
    ByteString key, message, tag;
    std::size_t tagBytes = 0;  // the length asked for: the tag's, or the group's tagSize
    bool valid = true;         // false: the tag must not be given, or the parameters refused
};

struct MacVectors {
    std::shared_ptr<detail::VectorUsage> usage;
    std::vector<MacVector> vectors;
};

// The records COUNT, KEY, MESSAGE (or MSG), OUTPUT (or TAG) of the files of Test/<directory>
// whose names start with `prefix`, in listing order. A record missing a field,
// or whose key or tag length the type does not declare, is skipped and
// counted with the reason, and so is one with a non-empty S (a customization
// string, which the MAC contract has no place for). Odd hex raises
// HexDecodeError when read.
MacVectors macRecords(std::string_view directory, std::string_view prefix, const AcceptsLength& acceptsKey,
                      const AcceptsLength& acceptsTag);

// The tests of Wycheproof/<fileName> (MacTest groups: keySize, tagSize; key,
// msg, tag). A valid test of a key or tag length the type does not declare is
// skipped and counted with the reason; an invalid one is kept (its parameters
// must then be refused). "acceptable" results are skipped. A malformed file or
// tagSize raises VectorFileError naming the file and line.
MacVectors wycheproofMacTests(std::string_view fileName, const AcceptsLength& acceptsKey,
                              const AcceptsLength& acceptsTag);

}  // namespace zelkor::tests::mac_detail
