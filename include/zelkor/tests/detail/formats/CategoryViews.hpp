#pragma once
// The vector-file parser's result as views into the file's own bytes: the
// grammar of ParseNistKATs.hpp, without a string per field. A name or value
// is a view of the file text unless whitespace had to be removed from inside
// it, a CR from inside its line or a bracket from inside its header; such a
// field (rare in practice) is rewritten once into an arena kept beside the
// text.

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/formats/CategoryStream.hpp"

namespace zelkor::tests::detail {

struct FieldView {
    std::string_view name;
    std::string_view value;
};

// One category: its properties, and its records one after another in
// `fields`, each record a run of them starting with the record key.
struct CategoryView {
    struct RecordSpan {
        std::size_t first = 0;  // index into fields
        std::size_t count = 0;
        std::size_t line = 0;   // where the record starts (1-based)
    };
    std::vector<FieldView> properties;
    std::vector<FieldView> fields;
    std::vector<RecordSpan> records;

    std::span<const FieldView> record(std::size_t r) const {
        return std::span<const FieldView>(fields).subspan(records[r].first, records[r].count);
    }
};

// The text a parse's views point into: the file's bytes, and the arena of
// fields that had to be rewritten. Its addresses never move.
struct VectorText {
    std::string bytes;
    std::deque<std::string> rewritten;
};

// Called with a field name that the record being built already holds and its
// line; it may throw.
using RepeatedNameHandler = std::function<void(std::string_view name, std::size_t line)>;

// What parseCategories(recordKey, text) gives, as views into `text` or into
// `rewritten` (where fields that cannot be views are appended). `text` must
// outlive the views. The handlers act as CategoryStream's do.
std::vector<CategoryView> parseCategoryViews(std::string_view recordKey, std::string_view text,
                                             std::deque<std::string>& rewritten,
                                             const RepeatedNameHandler& onRepeat = {},
                                             const MalformedLineHandler& onMalformed = {});

// The same parse over `text.bytes`, rewriting into `text.rewritten`.
std::vector<CategoryView> parseCategoryViews(std::string_view recordKey, VectorText& text,
                                             const RepeatedNameHandler& onRepeat = {},
                                             const MalformedLineHandler& onMalformed = {});

// The value of the first field called `name`, if any.
std::optional<std::string_view> lookupView(std::span<const FieldView> fields, std::string_view name);

// The owning form of a parse, as parseCategories gives it.
Category toCategory(const CategoryView& view);
Record toRecord(std::span<const FieldView> fields);

}  // namespace zelkor::tests::detail
