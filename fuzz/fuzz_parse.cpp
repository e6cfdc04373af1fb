// Fuzzes the vector-file parser. The first input byte gives the length (mod 8)
// of the record key that follows it; the rest is the file text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/formats/CategoryStream.hpp"
#include "zelkor/tests/detail/formats/CategoryViews.hpp"
#include "zelkor/tests/detail/formats/KATLines.hpp"

namespace {

// Reports which invariant broke, then crashes so that libFuzzer keeps the input.
#define CHECK(condition)                                                                    \
    do {                                                                                    \
        if (!(condition)) {                                                                 \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                   \
        }                                                                                   \
    } while (false)

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t keyLength = std::min<std::size_t>(static_cast<std::uint8_t>(input[0]) % 8, size - 1);
    const std::string_view key = input.substr(1, keyLength);
    const std::string_view text = input.substr(1 + keyLength);

    const auto lines = zelkor::tests::detail::splitAndCleanLines(text);
    for (const auto& line : lines) {
        CHECK(!line.empty());  // a "#" can lead once a CR before it is gone
        CHECK(line.find('\n') == std::string_view::npos && line.find('\r') == std::string_view::npos);
    }

    // parseCategories reads through the views; getCategories and the stream
    // through the string builder: the two must agree on every text, and on
    // the lines the directory loader's errors name.
    const auto categories = zelkor::tests::parseCategories(key, text);
    CHECK(categories == zelkor::tests::getCategories(key, lines));
    std::vector<std::pair<std::string, std::size_t>> viewRepeats, streamRepeats;
    std::optional<std::size_t> viewFault, streamFault;
    std::deque<std::string> rewritten;
    const auto views = zelkor::tests::detail::parseCategoryViews(
        key, text, rewritten, [&](std::string_view name, std::size_t line) { viewRepeats.emplace_back(name, line); },
        [&](std::size_t line, const std::string&) { viewFault = viewFault.value_or(line); });
    zelkor::tests::detail::CategoryStream stream(
        key, {}, [&](const zelkor::tests::Field& field, std::size_t line) { streamRepeats.emplace_back(field.name, line); },
        [&](std::size_t line, const std::string&) { streamFault = streamFault.value_or(line); });
    stream.feed(text);
    CHECK(std::move(stream).finish() == categories);
    CHECK(viewFault == streamFault);
    CHECK(viewRepeats == streamRepeats);
    CHECK(views.size() == categories.size());
    for (std::size_t c = 0; c < views.size(); ++c) CHECK(zelkor::tests::detail::toCategory(views[c]) == categories[c]);
    CHECK(categories.size() <= lines.size());
    for (const auto& category : categories) {
        for (const auto& property : category.properties) {
            CHECK(property.name.find_first_of("[]") == std::string::npos);
            CHECK(property.value.find_first_of("[]") == std::string::npos);
        }
        for (const auto& record : category.records) {
            CHECK(!record.empty() && record.front().name == key);
            for (std::size_t i = 1; i < record.size(); ++i) CHECK(record[i].name != key);
            for (const auto& field : record) {
                CHECK(field.name.find_first_of(" \t\n\v\f\r=") == std::string::npos);
                CHECK(field.value.find_first_of(" \t\n\v\f\r") == std::string::npos);
            }
        }
    }
    return 0;
}
