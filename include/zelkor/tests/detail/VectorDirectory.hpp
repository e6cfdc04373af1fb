#pragma once
// Loading one family's vector directory: shared by every file-based suite.

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/CategoryStream.hpp"

namespace zelkor::tests::detail {

struct LoadedFile {
    std::string path;                  // directory + "/" + entry name
    std::vector<Category> categories;  // parse result of the file's text
};

// Thrown when the directory cannot be listed or a kept entry cannot be read or
// is not a regular file (after following links); the message names the path.
class VectorFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Resolves "Test/<familyDir>" in the data directory, lists it in the file
// system's order, keeps entries that are not directories after following
// links (entries without a readable status are dropped), keeps those whose file
// name `keep` accepts (all when `keep` is empty), then reads and parses each.
std::vector<LoadedFile> loadVectorDirectory(std::string_view familyDir, std::string_view recordKey,
                                            const std::function<bool(std::string_view fileName)>& keep = {});

// Receives a complete record with the path of its file and the properties of
// its category.
using VectorRecordSink =
    std::function<void(const std::string& path, const std::vector<Property>& properties, Record&& record)>;

// Reads the same files in the same order, but hands each record to `onRecord`
// as soon as it is complete instead of keeping it, so that memory holds one
// record of the files at a time.
void forEachVectorRecord(std::string_view familyDir, std::string_view recordKey,
                         const std::function<bool(std::string_view fileName)>& keep,
                         const VectorRecordSink& onRecord);

// The last component of a path: everything after the last "/".
std::string_view fileNameOf(std::string_view path);

// A file name without its last extension (from its last "." on); a name
// without "." is its own base name.
std::string_view baseNameOf(std::string_view fileName);

}  // namespace zelkor::tests::detail
