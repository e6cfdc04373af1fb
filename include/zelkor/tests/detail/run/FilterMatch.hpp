#pragma once
// GoogleTest's --gtest_filter, read as GoogleTest reads it: positive patterns,
// then optionally '-' and negative ones, each list separated by ':', with '*'
// and '?' as wildcards over the whole "Suite.test" name. The runner needs it
// where GoogleTest does not say: whether a shard with no test belongs to a
// selection that has tests elsewhere, and why a filter selects nothing.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zelkor::tests::detail {

// Whether `filter` selects the test whose full name is "Suite.test".
bool filterSelects(std::string_view filter, std::string_view fullName);

// Whether GoogleTest counts the test as disabled (a suite or test name
// starting with "DISABLED_", or a suite path segment that does).
bool isDisabledTest(std::string_view suite, std::string_view name);

// Why `filter` selects none of `fullNames`, as one line for the user: how
// GoogleTest read it, and what to write instead when a '-' inside a name was
// taken for the start of the negative patterns.
std::string whyFilterSelectsNothing(std::string_view filter, const std::vector<std::string>& fullNames);

// The same for `total` tests held elsewhere: `countSelected(f)` counts those
// filter `f` selects, so that the names need not be gathered in one list.
std::string whyFilterSelectsNothing(std::string_view filter, std::size_t total,
                                    const std::function<std::size_t(std::string_view)>& countSelected);

}  // namespace zelkor::tests::detail
