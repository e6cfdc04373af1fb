// Fuzzes the vector-file parser. The first input byte gives the length (mod 8)
// of the record key that follows it; the rest is the file text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "zelkor/tests/ParseNistKATs.hpp"
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

    const auto categories = zelkor::tests::parseCategories(key, text);
    CHECK(categories == zelkor::tests::getCategories(key, lines));
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
