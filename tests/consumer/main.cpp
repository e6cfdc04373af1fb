// Loads the installed HMAC vectors from the library's compiled-in data
// directory and says how many files and categories it found.
#include <cstdio>
#include <exception>

#include "zelkor/tests/Paths_zelkor_tests.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

int main() {
    namespace paths = zelkor::tests::Paths_zelkor_tests;
    try {
        const auto files = zelkor::tests::detail::loadVectorDirectory("KAT_HMAC", "Count");
        std::size_t categories = 0;
        for (const auto& file : files) categories += file.categories.size();
        std::printf("data dir %s: %zu files, %zu categories\n", paths::getDataDir().c_str(), files.size(),
                    categories);
        return files.empty() || categories == 0 ? 1 : 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "consumer: %s\n", e.what());
        return 1;
    }
}
