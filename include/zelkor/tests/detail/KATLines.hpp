#pragma once
// The line-splitting and cleaning stage of the vector-file parser on its own,
// so that parseCategories can be checked against getCategories.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/tests/ParseNistKATs.hpp"

namespace zelkor::tests::detail {

// Cuts `text` at every LF, drops empty lines, "#" comment lines and lines of
// whitespace only, and removes every CR from the lines that remain.
std::vector<std::string> splitAndCleanLines(std::string_view text);

// parseCategories, also giving the 1-based line number in `text` of the first
// line of each record: recordLines[c][r] for record r of category c.
std::vector<Category> parseCategoriesWithLines(std::string_view recordKey, std::string_view text,
                                               std::vector<std::vector<std::size_t>>& recordLines);

}  // namespace zelkor::tests::detail
