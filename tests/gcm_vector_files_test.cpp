// The NIST GCM files as a user may damage or replace them: a FAIL marker where
// it cannot belong, and a file rewritten or replaced behind the parsed records
// the suites share.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "OpenSSLAES.hpp"
#include "support/DataDir.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/GCM.hpp"
#include "zelkor/tests/detail/aead/GcmKnownAnswers.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

namespace {

namespace fs = std::filesystem;
using namespace zelkor;

// One record of NIST's gcmEncryptExtIV128.rsp; `tag` replaces its tag.
std::string encryptionFile(const std::string& tag = "250327c674aaf477aef2675748cf6971", const std::string& extra = "") {
    return "[Keylen = 128]\n[IVlen = 96]\n[PTlen = 0]\n[AADlen = 0]\n[Taglen = 128]\n\n"
           "Count = 0\nKey = 11754cd72aec309bf52f7687212e8957\nIV = 3c819d9a9bed087615030b65\nPT = \nAAD = \nCT = \n"
           "Tag = " + tag + "\n" + extra;
}

// A data directory holding Test/KAT_AES_GCM, removed with everything in it.
class GcmDataDir {
public:
    GcmDataDir() {
        std::string pattern = (fs::temp_directory_path() / "zelkor-gcm-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
        fs::create_directories(family());
    }
    ~GcmDataDir() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    GcmDataDir(const GcmDataDir&) = delete;
    GcmDataDir& operator=(const GcmDataDir&) = delete;

    const std::string& root() const { return root_; }
    std::string family() const { return root_ + "/Test/KAT_AES_GCM"; }
    std::string encryptionPath() const { return family() + "/gcmEncryptExtIV128.rsp"; }

private:
    std::string root_;
};

void writeFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

struct stat statusOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status;
}

// Gives `path` the access and modification times of `from`, as cp -p,
// touch -r or rsync -t would.
void copyTimes(const std::string& path, const struct stat& from) {
    const timespec times[2] = {from.st_atim, from.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

// The failing cases among the known answers of the directory, for OpenSSL's AES.
std::vector<std::string> failingKnownAnswers(const GcmDataDir& data) {
    const testsupport::ScopedDataDir dir(data.root());
    std::vector<tests::Test> suite = tests::makeAESGCMTests<reference::AES128>();
    suite.pop_back();  // the properties
    std::vector<std::string> out;
    for (const auto& report : testsupport::runAll(suite, true)) out.push_back(report.path);
    return out;
}

const std::string kCase = "gcmEncryptExtIV128.rsp-Keylen128-IVlen96-PTlen0-AADlen0-Taglen128";

// The vector-file error of building the GCM suite over the directory's files.
std::string loadError(const GcmDataDir& data) {
    const testsupport::ScopedDataDir dir(data.root());
    try {
        tests::makeAESGCMTests<reference::AES128>();
    } catch (const tests::detail::VectorFileError& e) {
        return e.what();
    }
    return "no error";
}

TEST(GcmVectorFiles, FailMarkerInAnEncryptionFileIsAVectorFileError) {
    const GcmDataDir data;
    writeFile(data.encryptionPath(), encryptionFile() + "FAIL\n");
    EXPECT_EQ(loadError(data), "vector file '" + data.encryptionPath() +
                                   "' line 7: record marked FAIL in an encryption file (only decryption "
                                   "files mark records that must be refused)");
}

// The records' fields are decoded as the file is read: bad hex is an error
// at its record's line then, not a failure of the case.
TEST(GcmVectorFiles, BadHexInARecordIsAVectorFileErrorAtItsLine) {
    const GcmDataDir data;
    writeFile(data.encryptionPath(), encryptionFile("250327c674aaf477aef2675748cf697"));
    EXPECT_EQ(loadError(data), "vector file '" + data.encryptionPath() +
                                   "' line 7: Tag: Not an even number of hex characters in input to hexStringToBS!");
}

// Same size, old modification time: only the change time and, for a file
// renamed over the old one, the inode tell the new records apart.
TEST(GcmVectorFiles, FileRewrittenOrReplacedWithItsOldTimesIsReadAgain) {
    const GcmDataDir data;
    const std::string path = data.encryptionPath();
    writeFile(path, encryptionFile());
    const struct stat original = statusOf(path);
    EXPECT_EQ(failingKnownAnswers(data), std::vector<std::string>{});

    writeFile(path, encryptionFile("250327c674aaf477aef2675748cf6972"));
    copyTimes(path, original);
    EXPECT_EQ(failingKnownAnswers(data), std::vector<std::string>{kCase});

    const std::string replacement = data.root() + "/replacement.rsp";
    writeFile(replacement, encryptionFile());
    copyTimes(replacement, original);
    ASSERT_EQ(std::rename(replacement.c_str(), path.c_str()), 0);
    EXPECT_EQ(failingKnownAnswers(data), std::vector<std::string>{});
}

TEST(GcmVectorFiles, SignatureChangesWithInodeAndChangeTimeAndDistrustsFreshFiles) {
    const GcmDataDir data;
    const std::string path = data.encryptionPath();
    writeFile(path, encryptionFile());
    const struct stat original = statusOf(path);
    const tests::gcm_detail::DirectorySignature first = tests::gcm_detail::directorySignature(data.family());
    EXPECT_FALSE(first.key.empty());
    EXPECT_FALSE(first.settled);  // just written

    const std::string replacement = data.root() + "/replacement.rsp";
    writeFile(replacement, encryptionFile());
    copyTimes(replacement, original);
    ASSERT_EQ(std::rename(replacement.c_str(), path.c_str()), 0);
    const std::string renamed = tests::gcm_detail::directorySignature(data.family()).key;
    EXPECT_NE(renamed, first.key);

    // Rewritten in place until the change time moves on (file systems stamp
    // times in ticks of a few ms).
    const struct stat before = statusOf(path);
    struct stat after = before;
    for (int i = 0; i < 200 && after.st_ctim.tv_sec == before.st_ctim.tv_sec &&
                    after.st_ctim.tv_nsec == before.st_ctim.tv_nsec;
         ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        writeFile(path, encryptionFile("250327c674aaf477aef2675748cf6972"));
        copyTimes(path, original);
        after = statusOf(path);
    }
    ASSERT_EQ(after.st_ino, before.st_ino);
    ASSERT_EQ(after.st_size, before.st_size);
    EXPECT_NE(tests::gcm_detail::directorySignature(data.family()).key, renamed);
}

}  // namespace
