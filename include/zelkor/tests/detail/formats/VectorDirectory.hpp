#pragma once
// Loading one family's vector directory: shared by every file-based suite.

#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/formats/CategoryStream.hpp"
#include "zelkor/tests/detail/formats/VectorUsage.hpp"

namespace zelkor::tests::detail {

struct LoadedFile {
    std::string path;                  // directory + "/" + entry name
    std::vector<Category> categories;  // parse result of the file's text
    // The line of the file where each record starts: recordLines[c][r] for
    // record r of category c.
    std::vector<std::vector<std::size_t>> recordLines;

    std::size_t recordCount() const;
    // Where record r of category c comes from, for a case built from it.
    CaseOrigin origin(std::size_t c, std::size_t r, std::shared_ptr<const VectorUsage> usage) const;
};

// Thrown when the directory cannot be listed, a kept entry cannot be read or
// is not a regular file (after following links), or an entry that `keep`
// accepts has no readable status (a dangling symbolic link, a link loop); the
// message names the path.
class VectorFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Thrown when a record of a vector file gives one field twice (a field that
// the family allows to repeat aside); the message names the field, the file
// and the line.
class VectorParseError : public VectorFileError {
public:
    using VectorFileError::VectorFileError;
};

// The path of "Test/<familyDir>" in the data directory.
std::string vectorDirectoryPath(std::string_view familyDir);

// Resolves "Test/<familyDir>" in the data directory, lists it in the file
// system's order, keeps entries that are not directories after following
// links and whose file name `keep` accepts (all when `keep` is empty), then
// reads and parses each. An accepted name without a readable status fails, and
// so does a record giving a field twice unless its name is in `repeatable`
// (a Monte Carlo record holds one COUNT and one MD per checkpoint).
std::vector<LoadedFile> loadVectorDirectory(std::string_view familyDir, std::string_view recordKey,
                                            const std::function<bool(std::string_view fileName)>& keep = {},
                                            const std::vector<std::string_view>& repeatable = {});

// Receives a complete record with the path of its file, the line where it
// starts and the properties of its category.
using VectorRecordSink = std::function<void(const std::string& path, std::size_t line,
                                            const std::vector<Property>& properties, Record&& record)>;

// Reads the same files in the same order, but hands each record to `onRecord`
// as soon as it is complete instead of keeping it, so that memory holds one
// record of the files at a time. `usage` counts the files and records read.
void forEachVectorRecord(std::string_view familyDir, std::string_view recordKey,
                         const std::function<bool(std::string_view fileName)>& keep, const VectorRecordSink& onRecord,
                         VectorUsage& usage);

// The whole text of the regular file at `path` (VectorFileError otherwise).
std::string readVectorFileText(const std::string& path);

// The last component of a path: everything after the last "/".
std::string_view fileNameOf(std::string_view path);

// A file name without its last extension (from its last "." on); a name
// without "." is its own base name.
std::string_view baseNameOf(std::string_view fileName);

}  // namespace zelkor::tests::detail
