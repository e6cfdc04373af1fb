#pragma once
// The line-splitting and cleaning stage of the vector-file parser on its own,
// so that parseCategories can be checked against getCategories.

#include <string>
#include <string_view>
#include <vector>

namespace zelkor::tests::detail {

// Cuts `text` at every LF, drops empty lines, "#" comment lines and lines of
// whitespace only, and removes every CR from the lines that remain.
std::vector<std::string> splitAndCleanLines(std::string_view text);

}  // namespace zelkor::tests::detail
