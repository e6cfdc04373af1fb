#pragma once
// Parser of known-answer vector files (NIST response files and the like).
//
// Grammar, applied in this order:
//   file      = lines cut at every LF (a final line without LF counts when not empty)
//   cleaning  = drop empty lines, lines starting with "#" and lines of whitespace only;
//               then remove every CR anywhere in the remaining lines
//   header    = a line whose first character is "["
//   body      = any other line
//   category  = a run of header lines followed by the run of body lines after it
//               (either run may be empty)
//   property  = header line with every "[" and "]" removed, split at the first "=";
//               name and value are trimmed of whitespace at both ends
//   field     = body line with every whitespace character removed, split at the first "="
//   record    = a field named exactly like the record key plus the fields after it, up
//               to the next such field; fields before a category's first key are dropped
// A part without "=" is all name and an empty value. Whitespace is space, \t, \n, \v,
// \f, \r and the Unicode space separators (U+00A0, U+1680, U+2000..U+200A, U+202F,
// U+205F, U+3000) where the bytes are well-formed UTF-8; other bytes are kept as they
// are. Parsing never fails.
//
// Example, record key "COUNT":
//     # CAVS 11.1                  (comment, dropped)
//     [ENCRYPT]                    property ENCRYPT=""
//     [Mode = ECB]                 property Mode="ECB"
//     Stray = 1                    dropped: before the first COUNT
//     COUNT = 0                    record 1: COUNT="0", KEY="00112233"
//     KEY = 0011 2233
//     COUNT = 1                    record 2: COUNT="1"
//     [DECRYPT]                    a second category

#include <array>
#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelkor::tests {

struct Field {
    std::string name;
    std::string value;
    friend bool operator==(const Field&, const Field&) = default;
};
using Property = Field;               // a header line's (name, value)
using Record = std::vector<Field>;    // first field: the record key

struct Category {
    std::vector<Property> properties;
    std::vector<Record> records;
    friend bool operator==(const Category&, const Category&) = default;
};

// Readable renderings for failure reports: name="value" and {[properties] [records]}.
std::ostream& operator<<(std::ostream& os, const Field& field);
std::ostream& operator<<(std::ostream& os, const Category& category);

// Splits, cleans and groups the whole text of one vector file.
std::vector<Category> parseCategories(std::string_view recordKey, std::string_view text);

// Groups lines that are already split and cleaned; does no cleaning itself.
std::vector<Category> getCategories(std::string_view recordKey, const std::vector<std::string>& lines);

// The value of the first field called `name`, if any.
std::optional<std::string> lookup(const std::vector<Field>& fields, std::string_view name);

// The values of all `names`, in that order, or none when any one is absent.
template <std::size_t N>
std::optional<std::array<std::string, N>> lookupAll(const std::vector<Field>& fields,
                                                     const std::array<std::string_view, N>& names) {
    std::array<std::string, N> values;
    for (std::size_t i = 0; i < N; ++i) {
        auto value = lookup(fields, names[i]);
        if (!value) return std::nullopt;
        values[i] = std::move(*value);
    }
    return values;
}

}  // namespace zelkor::tests
