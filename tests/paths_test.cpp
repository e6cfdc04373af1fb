#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "zelkor/tests/Paths_zelkor_tests.hpp"

namespace {

namespace paths = zelkor::tests::Paths_zelkor_tests;

// Sets (or, with nullopt, unsets) one environment variable for a scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) previous_ = old;
        if (value) ::setenv(name, value->c_str(), 1);
        else ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (previous_) ::setenv(name_, previous_->c_str(), 1);
        else ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> previous_;
};

TEST(PathsZelkorTests, VersionIsZeroPointThree) { EXPECT_EQ(paths::version, "0.3"); }

TEST(PathsZelkorTests, DefaultDataDirIsTheInstalledSharedDataDirectory) {
    EXPECT_TRUE(paths::defaultDataDir.starts_with("/")) << paths::defaultDataDir;
    EXPECT_TRUE(paths::defaultDataDir.ends_with("/zelkor-tests")) << paths::defaultDataDir;
}

// Without the variable: the installed directory once it holds this build's
// stamp, the source tree's data before, the installed one when neither is there.
TEST(PathsZelkorTests, DataDirIsTheSourceTreeUntilThisBuildIsInstalled) {
    const std::filesystem::path root = std::filesystem::path(testing::TempDir()) / "zelkor_paths_choice";
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "installed");
    std::filesystem::create_directories(root / "source");
    const std::string installed = (root / "installed").string(), source = (root / "source").string();
    const auto stampWith = [&](const std::string& text) {
        std::ofstream(root / "installed" / paths::buildStampFile) << text << "\n";
    };
    using paths::detail::chooseDataDir;
    EXPECT_EQ(chooseDataDir(installed, source, "this-build"), source);
    stampWith("another-build");
    EXPECT_EQ(chooseDataDir(installed, source, "this-build"), source);
    stampWith("this-build");
    EXPECT_EQ(chooseDataDir(installed, source, "this-build"), installed);
    std::filesystem::remove(root / "installed" / paths::buildStampFile);
    EXPECT_EQ(chooseDataDir(installed, (root / "gone").string(), "this-build"), installed);
    std::filesystem::remove_all(root);

    // This build is used in place, never installed.
    if (std::ifstream(std::filesystem::path(paths::defaultDataDir) / paths::buildStampFile)) {
        GTEST_SKIP() << "a build is installed in " << paths::defaultDataDir;
    }
    const ScopedEnv unset("zelkor_tests_datadir", std::nullopt);
    EXPECT_EQ(paths::getDataDir(), ZELKOR_SOURCE_DATA_DIR);
    EXPECT_EQ(paths::getDataFileName("Test/KAT_AES"), std::string(ZELKOR_SOURCE_DATA_DIR) + "/Test/KAT_AES");
}

TEST(PathsZelkorTests, EveryDirectoryHasItsOwnOverride) {
    const std::string unsetDataDir =
        paths::detail::chooseDataDir(paths::defaultDataDir, paths::sourceDataDir, paths::buildStamp);
    struct Getter {
        const char* variable;
        std::string (*get)();
        std::string_view fallback;
    };
    const Getter getters[] = {
        {"zelkor_tests_datadir", paths::getDataDir, unsetDataDir},
        {"zelkor_tests_bindir", paths::getBinDir, paths::defaultBinDir},
        {"zelkor_tests_libdir", paths::getLibDir, paths::defaultLibDir},
        {"zelkor_tests_dynlibdir", paths::getDynLibDir, paths::defaultDynLibDir},
        {"zelkor_tests_libexecdir", paths::getLibexecDir, paths::defaultLibexecDir},
        {"zelkor_tests_sysconfdir", paths::getSysconfDir, paths::defaultSysconfDir},
    };
    for (const auto& getter : getters) {
        SCOPED_TRACE(getter.variable);
        {
            const ScopedEnv unset(getter.variable, std::nullopt);
            EXPECT_EQ(getter.get(), getter.fallback);
        }
        {
            const std::string value = std::string("/elsewhere/") + getter.variable;
            const ScopedEnv set(getter.variable, value);
            EXPECT_EQ(getter.get(), value);
        }
        {
            // Set but empty still counts as set.
            const ScopedEnv empty(getter.variable, "");
            EXPECT_EQ(getter.get(), "");
        }
    }
}

TEST(PathsZelkorTests, DataFileNameJoinRules) {
    struct Case {
        const char* dir;
        const char* name;
        const char* joined;
    };
    const Case cases[] = {
        {"", "Test/KAT_SHA", "Test/KAT_SHA"},         // empty directory: the name alone
        {".", "Test/KAT_SHA", "Test/KAT_SHA"},        // "." too
        {".", "", ""},
        {"/data", "", "/data"},                       // empty name: the directory alone
        {"/data/", "", "/data/"},
        {"/data/", "Test/KAT_SHA", "/data/Test/KAT_SHA"},  // no doubled separator
        {"/data", "Test/KAT_SHA", "/data/Test/KAT_SHA"},
        {"./", "x", "./x"},
        {"rel", "x", "rel/x"},
    };
    for (const auto& c : cases) {
        const ScopedEnv dir("zelkor_tests_datadir", c.dir);
        EXPECT_EQ(paths::getDataFileName(c.name), c.joined)
            << "dir '" << c.dir << "' name '" << c.name << "'";
    }
}

TEST(PathsZelkorTests, DataDirIsLookedUpAtEveryCall) {
    const ScopedEnv first("zelkor_tests_datadir", "/first");
    EXPECT_EQ(paths::getDataFileName("a"), "/first/a");
    const ScopedEnv second("zelkor_tests_datadir", "/second");
    EXPECT_EQ(paths::getDataFileName("a"), "/second/a");
}

}  // namespace
