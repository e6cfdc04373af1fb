#pragma once
// Points the library's data directory (or another environment variable)
// somewhere for the lifetime of a scope.

#include <cstdlib>
#include <optional>
#include <string>

namespace zelkor::testsupport {

// Sets an environment variable for the lifetime of a scope.
class ScopedEnvVariable {
public:
    ScopedEnvVariable(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) previous_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvVariable() {
        if (previous_) ::setenv(name_, previous_->c_str(), 1);
        else ::unsetenv(name_);
    }
    ScopedEnvVariable(const ScopedEnvVariable&) = delete;
    ScopedEnvVariable& operator=(const ScopedEnvVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> previous_;
};

class ScopedDataDir : public ScopedEnvVariable {
public:
    explicit ScopedDataDir(const std::string& dir) : ScopedEnvVariable("zelkor_tests_datadir", dir) {}
};

// The vectors of the source tree, as they will be installed.
inline std::string sourceDataDir() { return ZELKOR_SOURCE_DATA_DIR; }
// Small hand-made vector directories for edge cases.
inline std::string fixturesDir() { return ZELKOR_FIXTURES_DIR; }

}  // namespace zelkor::testsupport
