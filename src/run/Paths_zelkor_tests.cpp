#include "zelkor/tests/Paths_zelkor_tests.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace zelkor::tests::Paths_zelkor_tests {

namespace {

std::string fromEnvironment(const char* variable, std::string_view fallback) {
    if (const char* value = std::getenv(variable)) return value;
    return std::string(fallback);
}

}  // namespace

std::string getDataDir() {
    if (const char* value = std::getenv("zelkor_tests_datadir")) return value;
    return detail::chooseDataDir(defaultDataDir, sourceDataDir, buildStamp);
}
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

namespace detail {

std::string chooseDataDir(std::string_view installed, std::string_view source, std::string_view stamp) {
    const std::filesystem::path installedDir(installed);
    std::ifstream in(installedDir / buildStampFile);
    std::string found;
    if (in && std::getline(in, found) && found == stamp) return std::string(installed);
    std::error_code ignored;
    if (!source.empty() && std::filesystem::is_directory(std::filesystem::path(source), ignored)) {
        return std::string(source);
    }
    return std::string(installed);
}

}  // namespace detail

}  // namespace zelkor::tests::Paths_zelkor_tests
