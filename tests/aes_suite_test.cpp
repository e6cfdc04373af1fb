// The AES known-answer suite: what it builds from the installed NIST vectors and
// from hand-made directories, and which cases a broken cipher fails.

#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "OpenSSLAES.hpp"
#include "support/CipherMutants.hpp"
#include "support/DataDir.hpp"
#include "support/IndependentCiphers.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/AES.hpp"

namespace {

using zelkor::reference::AES128;
using zelkor::reference::AES192;
using zelkor::reference::AES256;
using zelkor::testsupport::Outcome;
using Kind = Outcome::Kind;
using Suite = std::vector<zelkor::tests::Test>;
namespace mutants = zelkor::testsupport::mutants;
namespace fs = std::filesystem;

const std::vector<std::string> kPropertyGroups = {"Block Cipher tests (ident)",
                                                  "Block Cipher tests (lazy/string bytestring equality)"};
const std::string kOddHex = "Not an even number of hex characters in input to hexStringToBS!";

std::string installedAesDir() { return zelkor::testsupport::sourceDataDir() + "/Test/KAT_AES"; }

template <class K>
Suite installedSuite() {
    zelkor::testsupport::ScopedDataDir dataDir(zelkor::testsupport::sourceDataDir());
    return zelkor::tests::makeAESTests<K>();
}

template <class K = AES128>
Suite fixtureSuite(const std::string& name) {
    zelkor::testsupport::ScopedDataDir dataDir(zelkor::testsupport::fixturesDir() + "/aes/" + name);
    return zelkor::tests::makeAESTests<K>();
}

// The known-answer cases: everything ahead of the two property groups.
std::vector<const zelkor::tests::TestCase*> casesOf(const Suite& suite) {
    std::vector<const zelkor::tests::TestCase*> out;
    for (const auto& test : suite) {
        if (const auto* unit = std::get_if<zelkor::tests::TestCase>(&test.node)) out.push_back(unit);
    }
    return out;
}

std::vector<std::string> caseNames(const Suite& suite) {
    std::vector<std::string> out;
    for (const auto* unit : casesOf(suite)) out.push_back(unit->name);
    return out;
}

// The cases that did not pass, by name, with their outcome.
std::multimap<std::string, Outcome> failures(const Suite& suite) {
    std::multimap<std::string, Outcome> out;
    for (const auto& test : suite) {
        if (!std::holds_alternative<zelkor::tests::TestCase>(test.node)) continue;
        Outcome outcome = zelkor::testsupport::run(test);
        if (outcome.kind != Kind::Passed) out.emplace(test.name(), std::move(outcome));
    }
    return out;
}

// The cases whose name `pred` accepts (a name may stand for several cases).
template <class Pred>
std::multiset<std::string> casesWhere(const Suite& suite, Pred pred) {
    std::multiset<std::string> out;
    for (const auto& name : caseNames(suite)) {
        if (pred(name)) out.insert(name);
    }
    return out;
}

std::multiset<std::string> namesOf(const std::multimap<std::string, Outcome>& failed) {
    std::multiset<std::string> out;
    for (const auto& entry : failed) out.insert(entry.first);
    return out;
}

std::string fileOf(const std::string& caseName) { return caseName.substr(0, caseName.rfind('-')); }

// How many records each installed file holds, by counting its COUNT lines.
std::map<std::string, std::size_t> recordsPerFile(const std::string& keyBits) {
    std::map<std::string, std::size_t> out;
    for (const auto& entry : fs::directory_iterator(installedAesDir())) {
        const std::string name = entry.path().filename().string();
        if (!name.ends_with(keyBits + "e.txt") && !name.ends_with(keyBits + "d.txt")) continue;
        std::ifstream in(entry.path());
        std::size_t count = 0;
        for (std::string line; std::getline(in, line);) count += line.rfind("COUNT", 0) == 0;
        out[name] = count;
    }
    return out;
}

std::map<std::string, std::size_t> casesPerFile(const Suite& suite) {
    std::map<std::string, std::size_t> out;
    for (const auto& name : caseNames(suite)) ++out[fileOf(name)];
    return out;
}

template <class K>
void expectInstalledSuite(std::size_t cases, const std::string& keyBits) {
    const Suite suite = installedSuite<K>();
    ASSERT_EQ(suite.size(), cases + 2);
    EXPECT_EQ(casesOf(suite).size(), cases);
    EXPECT_EQ(zelkor::testsupport::names(suite)[cases], kPropertyGroups[0]);
    EXPECT_EQ(zelkor::testsupport::names(suite)[cases + 1], kPropertyGroups[1]);
    // Every record of every file of this key size, and nothing else.
    EXPECT_EQ(casesPerFile(suite), recordsPerFile(keyBits));
    const auto failed = failures(suite);
    EXPECT_TRUE(failed.empty()) << failed.begin()->first << ": " << failed.begin()->second.message;
}

TEST(AesSuite, InstalledVectorsAES128) { expectInstalledSuite<AES128>(2352, "128"); }
TEST(AesSuite, InstalledVectorsAES192) { expectInstalledSuite<AES192>(2880, "192"); }
TEST(AesSuite, InstalledVectorsAES256) { expectInstalledSuite<AES256>(3320, "256"); }

TEST(AesSuite, InstalledVectorsPassWithTheGenericModes) {
    const Suite suite = installedSuite<zelkor::testsupport::GenericAES128>();
    EXPECT_EQ(casesOf(suite).size(), 2352u);
    EXPECT_TRUE(failures(suite).empty());
}

TEST(AesSuite, CasesKeepRecordOrderAndWitnessOverloadIsTheSameCall) {
    const Suite suite = installedSuite<AES128>();
    std::map<std::string, std::vector<std::string>> countsByFile;
    for (const auto& name : caseNames(suite)) {
        countsByFile[fileOf(name)].push_back(name.substr(name.rfind('-') + 1));
    }
    const auto& varTxt = countsByFile.at("ECBVarTxt128e.txt");
    ASSERT_EQ(varTxt.size(), 128u);
    for (std::size_t i = 0; i < varTxt.size(); ++i) EXPECT_EQ(varTxt[i], std::to_string(i));

    zelkor::testsupport::ScopedDataDir dataDir(zelkor::testsupport::sourceDataDir());
    const auto witness = *AES128::buildKey(zelkor::ByteString(std::vector<std::uint8_t>(16, 0)));
    EXPECT_EQ(zelkor::testsupport::names(zelkor::tests::makeAESTests(witness)),
              zelkor::testsupport::names(suite));
}

// Both directories of "CBCVarKey128e.txt"-style names, and the exact mode table.
TEST(AesSuite, ModeComesFromTheFileName) {
    using zelkor::tests::aes_detail::Direction;
    using zelkor::tests::aes_detail::FileMode;
    using zelkor::tests::aes_detail::fileModeOf;
    using zelkor::tests::aes_detail::Mode;
    using zelkor::tests::aes_detail::modeText;
    EXPECT_EQ(modeText("CBCVarKey128e.txt"), "CBCe");
    EXPECT_EQ(modeText("ECBGFSbox256d.txt"), "ECBd");
    EXPECT_EQ(fileModeOf("CFB128VarTxt128e.txt"), (FileMode{Mode::CFB, Direction::Encrypt}));
    EXPECT_EQ(fileModeOf("OFBMMT192d.txt"), (FileMode{Mode::OFB, Direction::Decrypt}));
    EXPECT_EQ(fileModeOf("CFB8VarTxt128e.txt"), std::nullopt);
    EXPECT_EQ(fileModeOf("cbcvarkey128e.txt"), std::nullopt);
    EXPECT_EQ(fileModeOf("CTRVarTxt128e.txt"), std::nullopt);
    EXPECT_EQ(modeText("EC"), "ECC");  // shorter than three characters
    EXPECT_EQ(fileModeOf("ECBe"), (FileMode{Mode::ECB, Direction::Encrypt}));  // no extension
    EXPECT_EQ(fileModeOf("ECBVarTxt128e.txt.bak"), std::nullopt);              // only the last extension goes
    EXPECT_EQ(modeText(".txt"), std::nullopt);
}

TEST(AesSuite, LowerCaseNamesGiveNoCases) {
    EXPECT_EQ(caseNames(fixtureSuite("lower-case")),
              (std::vector<std::string>{"ECBVarTxt128e.txt-0", "ECBVarTxt128e.txt-1"}));
}

TEST(AesSuite, OnlyCfb128FilesGiveCfbCases) {
    const Suite suite = fixtureSuite("cfb8");
    EXPECT_EQ(caseNames(suite),
              (std::vector<std::string>{"CFB128VarTxt128e.txt-0", "CFB128VarTxt128e.txt-1"}));
    EXPECT_TRUE(failures(suite).empty());
}

TEST(AesSuite, CbcRecordWithoutIVIsSkipped) {
    const Suite suite = fixtureSuite("cbc-without-iv");
    EXPECT_EQ(caseNames(suite), (std::vector<std::string>{"CBCVarTxt128e.txt-0", "CBCVarTxt128e.txt-2"}));
    EXPECT_TRUE(failures(suite).empty());
}

TEST(AesSuite, RepeatedCountGivesTwoCasesOfTheSameName) {
    const Suite suite = fixtureSuite("duplicate-count");
    EXPECT_EQ(caseNames(suite), (std::vector<std::string>{"ECBVarTxt128e.txt-0", "ECBVarTxt128e.txt-0"}));
    EXPECT_TRUE(failures(suite).empty());
}

// Each file's categories stay with that file's own name, whatever the listing order.
TEST(AesSuite, SecondCategoryOfAFileKeepsItsFileName) {
    const Suite suite = fixtureSuite("two-categories");
    std::multiset<std::string> names;
    for (const auto& name : caseNames(suite)) names.insert(name);
    EXPECT_EQ(names, (std::multiset<std::string>{"ECBTwo128e.txt-0", "ECBTwo128e.txt-1", "ECBTwo128e.txt-2",
                                                 "ECBOne128d.txt-7"}));
    EXPECT_TRUE(failures(suite).empty());
}

TEST(AesSuite, EmptyAndCommentOnlyFilesGiveNoCasesAndShiftNothing) {
    const Suite suite = fixtureSuite("empty-file");
    EXPECT_EQ(caseNames(suite), (std::vector<std::string>{"ECBVarTxt128d.txt-0", "ECBVarTxt128d.txt-1"}));
    EXPECT_TRUE(failures(suite).empty());
}

TEST(AesSuite, FileWithEmptyBaseNameGivesNoCases) {
    EXPECT_EQ(caseNames(fixtureSuite("dot-txt")),
              (std::vector<std::string>{"ECBVarTxt128e.txt-0", "ECBVarTxt128e.txt-1"}));
}

TEST(AesSuite, OddLengthKeyOrIVFailsTheBuild) {
    for (const std::string fixture : {"odd-key", "odd-iv"}) {
        try {
            fixtureSuite(fixture);
            ADD_FAILURE() << fixture << ": no exception";
        } catch (const zelkor::tests::HexDecodeError& error) {
            EXPECT_EQ(error.what(), kOddHex) << fixture;
        }
    }
}

TEST(AesSuite, OddLengthPlaintextFailsOnlyItsCase) {
    const Suite suite = fixtureSuite("odd-plaintext");
    ASSERT_EQ(caseNames(suite).size(), 3u);
    const auto failed = failures(suite);
    ASSERT_EQ(namesOf(failed), std::multiset<std::string>{"ECBVarTxt128e.txt-1"});
    EXPECT_EQ(failed.begin()->second.kind, Kind::Error);
    EXPECT_EQ(failed.begin()->second.message, kOddHex);
}

// A directory made for one test, removed afterwards.
class TempDataDir {
public:
    TempDataDir() {
        std::string pattern = (fs::temp_directory_path() / "zelkor-aes-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
    }
    ~TempDataDir() { fs::remove_all(root_); }
    TempDataDir(const TempDataDir&) = delete;
    TempDataDir& operator=(const TempDataDir&) = delete;
    const fs::path& root() const { return root_; }

private:
    fs::path root_;
};

TEST(AesSuite, EmptyVectorDirectoryGivesTheFailingNoUsableVectorsCase) {
    TempDataDir data;
    fs::create_directories(data.root() / "Test" / "KAT_AES" / "subdir");
    zelkor::testsupport::ScopedDataDir dataDir(data.root().string());
    std::vector<std::string> expected = kPropertyGroups;
    expected.insert(expected.begin(), "no usable vectors");
    EXPECT_EQ(zelkor::testsupport::names(zelkor::tests::makeAESTests<AES128>()), expected);
}

// Mutants: each fault fails exactly the cases it should.

TEST(AesSuite, KeyScheduleBugFor192BitKeysFailsExactlyThe192BitCases) {
    const Suite suite = installedSuite<mutants::Aes192KeyScheduleBug>();
    ASSERT_EQ(casesOf(suite).size(), 2352u + 2880u + 3320u);
    const auto failed = failures(suite);
    const auto expected =
        casesWhere(suite, [](const std::string& n) { return fileOf(n).find("192") != n.npos; });
    EXPECT_EQ(expected.size(), 2880u);
    EXPECT_EQ(namesOf(failed), expected);
    for (const auto& [name, outcome] : failed) EXPECT_EQ(outcome.kind, Kind::AssertionFailed) << name;
}

TEST(AesSuite, WrongDecryptionFailsExactlyTheDecryptFiles) {
    const Suite suite = installedSuite<mutants::WrongDecryption>();
    const auto failed = failures(suite);
    EXPECT_EQ(namesOf(failed),
              casesWhere(suite, [](const std::string& n) { return fileOf(n).ends_with("d.txt"); }));
    // The report: case name, the computed bytes as expected, the file's PLAINTEXT as actual.
    const Outcome& first = failed.find("ECBVarTxt128d.txt-0")->second;
    EXPECT_EQ(first.message.rfind("ECBVarTxt128d.txt-0\nexpected: \"81", 0), 0u) << first.message;
    EXPECT_NE(first.message.find("but got: \"80000000000000000000000000000000\""), std::string::npos)
        << first.message;
}

// A failure names the vector file and the line where its record starts.
TEST(AesSuite, FailurePointsAtTheRecordInTheVectorFile) {
    const auto failed = failures(installedSuite<mutants::WrongDecryption>());
    const std::string& message = failed.find("ECBVarTxt128d.txt-0")->second.message;
    const std::string file = installedAesDir() + "/ECBVarTxt128d.txt";
    const auto at = message.find("(16 bytes, from " + file + ":");
    ASSERT_NE(at, std::string::npos) << message;
    const int line = std::stoi(message.substr(at + 16 + file.size() + 1));
    std::ifstream in(file);
    std::string text;
    for (int i = 0; i < line; ++i) std::getline(in, text);
    EXPECT_EQ(text.rfind("COUNT = 0", 0), 0u) << "line " << line << ": " << text;
    EXPECT_NE(message.find("(16 bytes, computed by the implementation)"), std::string::npos) << message;
    EXPECT_NE(message.find("first difference at byte 0"), std::string::npos) << message;
}

// No usable record makes one failing case that says why, never an empty green run.
TEST(AesSuite, NoUsableRecordIsAFailingCaseGivingTheReasons) {
    struct RefusesEveryKey : mutants::Wrapper<RefusesEveryKey> {
        static std::optional<RefusesEveryKey> buildKey(const zelkor::ByteString&) { return std::nullopt; }
    };
    const auto onlyFailure = [](const Suite& suite) {
        const auto failed = failures(suite);
        EXPECT_EQ(failed.size(), 1u);
        EXPECT_EQ(failed.begin()->first, "no usable vectors");
        EXPECT_EQ(failed.begin()->second.kind, Kind::Error);
        return failed.begin()->second.message;
    };
    const std::string otherSize = onlyFailure(fixtureSuite<AES256>("two-categories"));
    EXPECT_NE(otherSize.find("KAT_AES: 2 files, 4 records read: 0 used, 4 skipped (4 another key size)"),
              std::string::npos)
        << otherSize;
    const std::string refused = onlyFailure(installedSuite<RefusesEveryKey>());
    EXPECT_NE(refused.find("120 files, 8552 records read: 0 used, 8552 skipped ("), std::string::npos) << refused;
    EXPECT_NE(refused.find("2352 key refused by buildKey"), std::string::npos) << refused;
}

TEST(AesSuite, Cfb8FeedbackFailsExactlyTheCfbCases) {
    const Suite suite = installedSuite<mutants::Cfb8Feedback>();
    EXPECT_EQ(namesOf(failures(suite)),
              casesWhere(suite, [](const std::string& n) { return n.starts_with("CFB128"); }));
}

// Faults that known answers cannot see: the property groups catch them.
TEST(AesSuite, NextIVAndChunkingFaultsPassEveryCase) {
    EXPECT_TRUE(failures(installedSuite<mutants::CbcWrongNextIV>()).empty());
    EXPECT_TRUE(failures(installedSuite<mutants::OfbLazyRestarts>()).empty());
    EXPECT_TRUE(failures(installedSuite<mutants::CtrLazyRestarts>()).empty());
}

}  // namespace
