#include "zelkor/tests/Paths_zelkor_tests.hpp"

#include <cstdlib>

namespace zelkor::tests::Paths_zelkor_tests {

namespace {

std::string fromEnvironment(const char* variable, std::string_view fallback) {
    if (const char* value = std::getenv(variable)) return value;
    return std::string(fallback);
}

}  // namespace

std::string getDataDir() { return fromEnvironment("zelkor_tests_datadir", defaultDataDir); }
std::string getBinDir() { return fromEnvironment("zelkor_tests_bindir", defaultBinDir); }
std::string getLibDir() { return fromEnvironment("zelkor_tests_libdir", defaultLibDir); }
std::string getDynLibDir() { return fromEnvironment("zelkor_tests_dynlibdir", defaultDynLibDir); }
std::string getLibexecDir() { return fromEnvironment("zelkor_tests_libexecdir", defaultLibexecDir); }
std::string getSysconfDir() { return fromEnvironment("zelkor_tests_sysconfdir", defaultSysconfDir); }

std::string getDataFileName(std::string_view name) {
    const std::string dir = getDataDir();
    if (dir.empty() || dir == ".") return std::string(name);
    if (name.empty()) return dir;
    if (dir.back() == '/') return dir + std::string(name);
    return dir + "/" + std::string(name);
}

}  // namespace zelkor::tests::Paths_zelkor_tests
