#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "support/DataDir.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

namespace {

namespace fs = std::filesystem;
using zelkor::testsupport::ScopedDataDir;
using zelkor::tests::Category;
using zelkor::tests::detail::baseNameOf;
using zelkor::tests::detail::fileNameOf;
using zelkor::tests::detail::loadVectorDirectory;
using zelkor::tests::detail::LoadedFile;
using zelkor::tests::detail::VectorFileError;

// A fresh data directory holding Test/KAT_X, removed with everything in it.
class TempDataDir {
public:
    TempDataDir() {
        std::string pattern = (fs::temp_directory_path() / "zelkor-loader-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
        fs::create_directories(family());
    }
    ~TempDataDir() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    TempDataDir(const TempDataDir&) = delete;
    TempDataDir& operator=(const TempDataDir&) = delete;

    const std::string& root() const { return root_; }
    std::string family() const { return root_ + "/Test/KAT_X"; }
    std::string write(const std::string& name, const std::string& content) const {
        const std::string path = family() + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

private:
    std::string root_;
};

class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::string& dir) : previous_(fs::current_path()) {
        fs::current_path(dir);
    }
    ~ScopedWorkingDirectory() {
        std::error_code ignored;
        fs::current_path(previous_, ignored);
    }
    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

private:
    fs::path previous_;
};

std::vector<std::string> pathsOf(const std::vector<LoadedFile>& files) {
    std::vector<std::string> paths;
    for (const auto& file : files) paths.push_back(file.path);
    return paths;
}

// Entry names as readdir delivers them, without "." and "..".
std::vector<std::string> readdirOrder(const std::string& dir) {
    std::vector<std::string> names;
    DIR* handle = ::opendir(dir.c_str());
    if (handle == nullptr) return names;
    while (const dirent* entry = ::readdir(handle)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(handle);
    return names;
}

// A Unix socket: stat() calls it a non-directory, yet open() always fails,
// even for root.
void makeSocket(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const int error = errno;
    ::close(fd);  // the socket file stays behind
    ASSERT_EQ(bound, 0) << std::strerror(error);
}

std::string errorOf(std::string_view family) {
    try {
        loadVectorDirectory(family, "K");
    } catch (const VectorFileError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(LoadVectorDirectory, ReadsAndParsesEveryFileWithTheRecordKey) {
    const TempDataDir data;
    const std::string path = data.write("one.rsp", "[L = 20]\r\nK = 1\r\nV = a b\r\n");
    const std::string empty = data.write("empty.rsp", "");
    const ScopedDataDir dir(data.root());
    const auto files = loadVectorDirectory("KAT_X", "K");
    ASSERT_EQ(files.size(), 2u);
    for (const auto& file : files) {
        if (file.path == empty) {
            EXPECT_EQ(file.categories, std::vector<Category>{});
        } else {
            EXPECT_EQ(file.path, path);
            EXPECT_EQ(file.categories, (std::vector<Category>{{{{"L", "20"}}, {{{"K", "1"}, {"V", "ab"}}}}}));
        }
    }
}

TEST(LoadVectorDirectory, MissingDirectoryNamesThePathAndTheReason) {
    const TempDataDir data;
    const ScopedDataDir dir(data.root());
    const std::string message = errorOf("KAT_NONE");
    EXPECT_NE(message.find(data.root() + "/Test/KAT_NONE"), std::string::npos) << message;
    EXPECT_NE(message.find(std::strerror(ENOENT)), std::string::npos) << message;
}

TEST(LoadVectorDirectory, FileThatCannotBeOpenedNamesThePathAndTheReason) {
    const TempDataDir data;
    data.write("a.rsp", "K = 1\n");
    const std::string socketPath = data.family() + "/sock";
    makeSocket(socketPath);
    const ScopedDataDir dir(data.root());
    const std::string message = errorOf("KAT_X");
    EXPECT_NE(message.find(socketPath), std::string::npos) << message;
    EXPECT_NE(message.find(std::strerror(ENXIO)), std::string::npos) << message;
}

TEST(LoadVectorDirectory, LinkToADeviceIsNotReadAndNamesThePath) {
    const TempDataDir data;
    const std::string link = data.family() + "/zero.rsp";
    fs::create_symlink("/dev/zero", link);
    const ScopedDataDir dir(data.root());
    const std::string message = errorOf("KAT_X");
    EXPECT_NE(message.find(link), std::string::npos) << message;
    EXPECT_NE(message.find("not a regular file"), std::string::npos) << message;
}

TEST(LoadVectorDirectory, UnreadableFileNamesThePathAndTheReason) {
    if (::geteuid() == 0) GTEST_SKIP() << "root can read a file without read permission";
    const TempDataDir data;
    const std::string path = data.write("locked.rsp", "K = 1\n");
    ::chmod(path.c_str(), 0);
    const ScopedDataDir dir(data.root());
    const std::string message = errorOf("KAT_X");
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_NE(message.find(std::strerror(EACCES)), std::string::npos) << message;
}

TEST(LoadVectorDirectory, KeepsFilesAndLinksToFilesOnly) {
    const TempDataDir data;
    const std::string file = data.write("file.rsp", "K = 1\n");
    fs::create_directory(data.family() + "/subdir");
    data.write("../outside.rsp", "K = 2\n");
    fs::create_symlink(data.root() + "/Test/outside.rsp", data.family() + "/link.rsp");
    fs::create_symlink(data.root() + "/Test", data.family() + "/dirlink");
    const ScopedDataDir dir(data.root());
    auto paths = pathsOf(loadVectorDirectory("KAT_X", "K"));
    std::sort(paths.begin(), paths.end());  // only the set matters here
    EXPECT_EQ(paths, (std::vector<std::string>{file, data.family() + "/link.rsp"}));
}

// A broken link named like a vector file is an error naming it; one named
// like no file the suite reads is passed over.
TEST(LoadVectorDirectory, DanglingLinkAndLinkLoopNamedLikeVectorFilesAreErrors) {
    const TempDataDir data;
    data.write("file.rsp", "K = 1\n");
    const std::string dangling = data.family() + "/dangling.rsp";
    fs::create_symlink(data.root() + "/nowhere", dangling);
    const ScopedDataDir dir(data.root());
    const std::string message = errorOf("KAT_X");
    EXPECT_NE(message.find("vector file '" + dangling + "' is a dangling symbolic link"), std::string::npos)
        << message;
    const auto rspOnly = [](std::string_view name) { return name.ends_with(".rsp"); };
    fs::remove(dangling);
    const std::string loop = data.family() + "/loop.rsp";
    fs::create_symlink(loop, loop);
    fs::create_symlink(data.root() + "/nowhere", data.family() + "/notes.txt");
    try {
        loadVectorDirectory("KAT_X", "K", rspOnly);
        ADD_FAILURE() << "no error for " << loop;
    } catch (const VectorFileError& e) {
        EXPECT_NE(std::string(e.what()).find("vector file '" + loop + "' is a symbolic link loop"), std::string::npos)
            << e.what();
    }
    fs::remove(loop);
    EXPECT_EQ(loadVectorDirectory("KAT_X", "K", rspOnly).size(), 1u);
}

TEST(LoadVectorDirectory, RecordGivingAFieldTwiceIsAParseErrorNamingFieldFileAndLine) {
    const TempDataDir data;
    const std::string path = data.write("a.rsp", "K = 1\nV = 1\n\nK = 2\nV = 2\nW = 0\nV = 3\n");
    const ScopedDataDir dir(data.root());
    const std::string message = errorOf("KAT_X");
    EXPECT_EQ(message, "vector file '" + path + "' line 7: field 'V' given twice in one record");
    EXPECT_EQ(loadVectorDirectory("KAT_X", "K", {}, {"V"}).at(0).recordCount(), 2u);
}

// A byte-order mark belongs to no line: the header after it stays a header.
TEST(LoadVectorDirectory, ByteOrderMarkAtTheStartIsSkipped) {
    const TempDataDir data;
    data.write("a.rsp", "\xEF\xBB\xBF[L = 20]\nK = 1\n");
    const ScopedDataDir dir(data.root());
    const auto files = loadVectorDirectory("KAT_X", "K");
    ASSERT_EQ(files.size(), 1u);
    const std::vector<Category> expected{{{{"L", "20"}}, {{{"K", "1"}}}}};
    EXPECT_EQ(files[0].categories, expected);
}

// Each line would otherwise be read as something else: a body field, a
// header lost, a record merged into the one before.
TEST(LoadVectorDirectory, LineThatIsNotNameEqualsValueIsAParseErrorAtItsLine) {
    const std::pair<std::string, std::string> cases[] = {
        {"[L 20]\nK = 1\n", "line 1: header \"[L 20]\" has no '='"},
        {"[L = 20]\n  [M = 1]\nK = 1\n",
         "line 2: header \"  [M = 1]\" starts with whitespace, so it is read as a body line"},
        {"K = 1\nV = 2\nK 2\nV = 3\n", "line 3: line \"K 2\" has no '='"},
        // Before the first record: the record it should have opened is lost.
        {"K 1\nV = 2\nK = 2\n", "line 1: line \"K 1\" has no '='"},
    };
    for (const auto& [text, fault] : cases) {
        const TempDataDir data;
        const std::string path = data.write("a.rsp", text);
        const ScopedDataDir dir(data.root());
        EXPECT_EQ(errorOf("KAT_X"), "vector file '" + path + "' " + fault) << text;
    }
    // NIST's bare markers, and notes that hold no record, are no faults.
    const TempDataDir data;
    data.write("a.rsp", "[ENCRYPT]\nK = 1\nFAIL\n[DECRYPT]\nK = 2\n");
    data.write("notes.txt", "Notes, not records.\n  [see above]\n");
    const ScopedDataDir dir(data.root());
    EXPECT_EQ(errorOf("KAT_X"), "(no error)");
}

TEST(LoadVectorDirectory, DirectoryOfSubdirectoriesOnlyGivesNoFiles) {
    const TempDataDir data;
    fs::create_directory(data.family() + "/a");
    fs::create_directory(data.family() + "/b");
    const ScopedDataDir dir(data.root());
    EXPECT_TRUE(loadVectorDirectory("KAT_X", "K").empty());
}

TEST(LoadVectorDirectory, FilterSeesFileNamesAndRunsBeforeAnyFileIsOpened) {
    const TempDataDir data;
    const std::string kept = data.write("SHA1.rsp", "K = 1\n");
    data.write("SHA256.rsp", "K = 2\n");
    makeSocket(data.family() + "/SHA1.sock");  // would fail if opened
    const ScopedDataDir dir(data.root());
    std::vector<std::string> seen;
    const auto files = loadVectorDirectory("KAT_X", "K", [&](std::string_view name) {
        seen.emplace_back(name);
        return name == "SHA1.rsp";
    });
    EXPECT_EQ(pathsOf(files), std::vector<std::string>{kept});
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{"SHA1.rsp", "SHA1.sock", "SHA256.rsp"}));
}

TEST(LoadVectorDirectory, KeepsTheFileSystemsListingOrder) {
    const TempDataDir data;
    for (const char* name : {"m", "b", "zz", "a1", "q", "c", "k7", "e", "y", "d0"}) {
        data.write(name, "K = 1\n");
    }
    const ScopedDataDir dir(data.root());
    std::vector<std::string> expected;
    for (const auto& name : readdirOrder(data.family())) expected.push_back(data.family() + "/" + name);
    EXPECT_EQ(pathsOf(loadVectorDirectory("KAT_X", "K")), expected);
}

TEST(LoadVectorDirectory, DotDataDirResolvesAgainstTheWorkingDirectory) {
    const TempDataDir data;
    data.write("f.rsp", "K = 1\n");
    const ScopedWorkingDirectory cwd(data.root());
    const ScopedDataDir dir(".");
    EXPECT_EQ(pathsOf(loadVectorDirectory("KAT_X", "K")), std::vector<std::string>{"Test/KAT_X/f.rsp"});
}

TEST(LoadVectorDirectory, TrailingSlashesGiveTheSamePaths) {
    const TempDataDir data;
    data.write("f.rsp", "K = 1\n");
    std::vector<std::string> plain, slashed, familySlashed;
    {
        const ScopedDataDir dir(data.root());
        plain = pathsOf(loadVectorDirectory("KAT_X", "K"));
        familySlashed = pathsOf(loadVectorDirectory("KAT_X/", "K"));
    }
    {
        const ScopedDataDir dir(data.root() + "/");
        slashed = pathsOf(loadVectorDirectory("KAT_X", "K"));
    }
    EXPECT_EQ(plain, std::vector<std::string>{data.family() + "/f.rsp"});
    EXPECT_EQ(slashed, plain);
    EXPECT_EQ(familySlashed, plain);
}

TEST(VectorFileNames, FileNameIsTheLastPathComponent) {
    EXPECT_EQ(fileNameOf("/data/Test/KAT_AES/ECBVarKey128.rsp"), "ECBVarKey128.rsp");
    EXPECT_EQ(fileNameOf("ECB_VK.TXT"), "ECB_VK.TXT");
    EXPECT_EQ(fileNameOf("dir/"), "");
}

TEST(VectorFileNames, BaseNameDropsOnlyTheLastExtension) {
    EXPECT_EQ(baseNameOf("ECB_VK.TXT"), "ECB_VK");
    EXPECT_EQ(baseNameOf("ECB_VK.TXT.orig"), "ECB_VK.TXT");
    EXPECT_EQ(baseNameOf("ECB_VK"), "ECB_VK");
    EXPECT_EQ(baseNameOf(".txt"), "");
    EXPECT_EQ(baseNameOf(""), "");
}

}  // namespace
