#pragma once
// Points the library's data directory somewhere for the lifetime of a scope.

#include <cstdlib>
#include <optional>
#include <string>

namespace zelkor::testsupport {

class ScopedDataDir {
public:
    explicit ScopedDataDir(const std::string& dir) {
        if (const char* old = std::getenv(kVariable)) previous_ = old;
        ::setenv(kVariable, dir.c_str(), 1);
    }
    ~ScopedDataDir() {
        if (previous_) ::setenv(kVariable, previous_->c_str(), 1);
        else ::unsetenv(kVariable);
    }
    ScopedDataDir(const ScopedDataDir&) = delete;
    ScopedDataDir& operator=(const ScopedDataDir&) = delete;

private:
    static constexpr const char* kVariable = "zelkor_tests_datadir";
    std::optional<std::string> previous_;
};

// The vectors of the source tree, as they will be installed.
inline std::string sourceDataDir() { return ZELKOR_SOURCE_DATA_DIR; }
// Small hand-made vector directories for edge cases.
inline std::string fixturesDir() { return ZELKOR_FIXTURES_DIR; }

}  // namespace zelkor::testsupport
