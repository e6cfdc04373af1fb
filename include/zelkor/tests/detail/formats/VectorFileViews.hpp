#pragma once
// Vector files read whole and parsed into views of their text: the form the
// library's own readers keep, so that a suite holds each file's text once
// instead of a string per field.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/formats/CategoryViews.hpp"
#include "zelkor/tests/detail/formats/VectorUsage.hpp"

namespace zelkor::tests::detail {

// One parsed file; a case that keeps views keeps `text` alive with them.
struct ViewedFile {
    std::string path;
    std::shared_ptr<const VectorText> text;
    std::vector<CategoryView> categories;

    std::size_t recordCount() const;
    // Where record r of category c comes from, for a case built from it.
    CaseOrigin origin(std::size_t c, std::size_t r, std::shared_ptr<const VectorUsage> usage) const;
};

// The file at `path` as views, with loadVectorDirectory's checks: a regular
// file (else VectorFileError naming it), a leading byte-order mark skipped,
// a field given twice (unless `repeatable`) or a line that is not
// name=value a VectorParseError naming the file and the line.
ViewedFile readVectorFileViews(const std::string& path, std::string_view recordKey,
                               const std::vector<std::string_view>& repeatable = {});

// The files loadVectorDirectory reads, in its order, each handed to `onFile`
// before the next is read.
void forEachVectorFileView(std::string_view familyDir, std::string_view recordKey,
                           const std::function<bool(std::string_view fileName)>& keep,
                           const std::function<void(ViewedFile&& file)>& onFile,
                           const std::vector<std::string_view>& repeatable = {});

}  // namespace zelkor::tests::detail
