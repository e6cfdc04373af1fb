// The Twofish known-answer suite: what it builds from the installed vectors and
// from hand-made directories, and that it catches broken ciphers case by case.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "NettleTwofish.hpp"
#include "support/DataDir.hpp"
#include "support/IndependentCiphers.hpp"
#include "support/TreeRunner.hpp"
#include "support/TwofishMutants.hpp"
#include "zelkor/tests/TwoFish.hpp"

namespace {

using zelkor::reference::Twofish;
using KatTest = zelkor::tests::Test;
using zelkor::tests::TestCase;
using zelkor::testsupport::Outcome;
using Kind = Outcome::Kind;

const std::vector<std::string> kPropertyGroups = {"Block Cipher tests (ident)",
                                                  "Block Cipher tests (lazy/string bytestring equality)"};
// What a builder gives when it can use no record.
const std::vector<std::string> kNoUsableVectors = {"no usable vectors", "Block Cipher tests (ident)",
                                                   "Block Cipher tests (lazy/string bytestring equality)"};
const std::string kOddHex = "Not an even number of hex characters in input to hexStringToBS!";

template <class K>
std::vector<KatTest> installedSuite() {
    zelkor::testsupport::ScopedDataDir dataDir(zelkor::testsupport::sourceDataDir());
    const auto witness = K::buildKey(zelkor::ByteString(std::vector<std::uint8_t>(32, 0)));
    return zelkor::tests::makeTwoFishTests(witness.value());
}

std::string fixture(const std::string& name) {
    return zelkor::testsupport::fixturesDir() + "/twofish/" + name;
}

template <class K = Twofish>
std::vector<KatTest> fixtureSuite(const std::string& name) {
    zelkor::testsupport::ScopedDataDir dataDir(fixture(name));
    return zelkor::tests::makeTwoFishTests<K>();
}

std::vector<std::string> topLevelNames(const std::vector<KatTest>& suite) {
    return zelkor::testsupport::names(suite);
}

std::vector<std::string> withGroups(std::vector<std::string> caseNames) {
    caseNames.insert(caseNames.end(), kPropertyGroups.begin(), kPropertyGroups.end());
    return caseNames;
}

// A test name split into its kind prefix and its I value ("ECB-E-VK12" -> "ECB-E-VK", "12").
std::pair<std::string, std::string> splitName(const std::string& name) {
    const std::size_t digits = name.find_last_not_of("0123456789") + 1;
    return {name.substr(0, digits), name.substr(digits)};
}

struct CaseResult {
    std::string name;
    int keySection;  // 0, 1, 2: the installed files hold 128-, 192-, then 256-bit keys
    Outcome outcome;
};

// Runs the known-answer cases (the entries ahead of the property groups). I starts
// again at 1 in each key-size section of a file, which gives each case's section.
std::vector<CaseResult> runCases(const std::vector<KatTest>& suite) {
    std::vector<CaseResult> out;
    std::map<std::string, int> sectionOfPrefix;
    for (const auto& test : suite) {
        if (!std::holds_alternative<TestCase>(test.node)) continue;
        const auto [prefix, label] = splitName(test.name());
        const auto it = sectionOfPrefix.try_emplace(prefix, -1).first;
        if (label == "1") ++it->second;
        out.push_back({test.name(), it->second, zelkor::testsupport::run(test)});
    }
    return out;
}

// "name: kind: message" of every case whose outcome differs from `expected(case)`.
template <class Expect>
std::vector<std::string> unexpected(const std::vector<CaseResult>& results, Expect expected) {
    std::vector<std::string> out;
    for (const auto& r : results) {
        if (r.outcome.kind != expected(r)) {
            out.push_back(r.name + " (section " + std::to_string(r.keySection) +
                          "): " + zelkor::testsupport::kindName(r.outcome.kind) + ": " + r.outcome.message);
        }
    }
    return out;
}

// Outcome of every property, by name.
std::map<std::string, Kind> runProperties(const std::vector<KatTest>& suite) {
    std::map<std::string, Kind> out;
    for (const auto& test : suite) {
        if (std::holds_alternative<TestCase>(test.node)) continue;
        for (const auto& report : zelkor::testsupport::runAll({test})) out[report.path] = report.outcome.kind;
    }
    return out;
}

std::map<std::string, Kind> allPropertiesPass() {
    std::map<std::string, Kind> out;
    for (const char* mode : {"ECB", "CBC", "CFB", "OFB", "CTR"}) {
        const std::string lazyName = std::string(mode) == "ECB" ? "StringLazyEq" : "StrictLazyEq";
        out[kPropertyGroups[0] + "/" + mode + "EncDecID"] = Kind::Passed;
        out[kPropertyGroups[1] + "/" + mode + lazyName] = Kind::Passed;
    }
    return out;
}

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// ---- the installed vectors

TEST(TwoFishSuite, InstalledVectorsGiveEachKindItsCasesThenThePropertyGroups) {
    const auto suite = installedSuite<Twofish>();
    std::map<std::string, int> casesOfPrefix;
    std::vector<std::string> trailing;
    for (const auto& test : suite) {
        if (std::holds_alternative<TestCase>(test.node)) {
            ASSERT_TRUE(trailing.empty()) << test.name() << " comes after a property group";
            ++casesOfPrefix[splitName(test.name()).first];
        } else {
            trailing.push_back(test.name());
        }
    }
    const std::map<std::string, int> expected = {
        {"ECB-TLB-E-", 147}, {"ECB-E-", 147}, {"ECB-D-", 147}, {"ECB-E-VK", 576},
        {"ECB-E-VT-", 384},  {"CBC-E-", 147}, {"CBC-D-", 147},
    };
    EXPECT_EQ(casesOfPrefix, expected);
    EXPECT_EQ(suite.size(), 1695u + 2u);
    EXPECT_EQ(trailing, kPropertyGroups);

    const auto names = topLevelNames(suite);
    for (const char* name :
         {"ECB-TLB-E-7", "ECB-E-7", "ECB-D-7", "ECB-E-VK12", "ECB-E-VT-12", "CBC-E-7", "CBC-D-7"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
    }
}

TEST(TwoFishSuite, ReferenceTwofishPassesEveryCaseAndProperty) {
    const auto suite = installedSuite<Twofish>();
    const auto results = runCases(suite);
    EXPECT_EQ(results.size(), 1695u);
    EXPECT_EQ(unexpected(results, [](const CaseResult&) { return Kind::Passed; }),
              std::vector<std::string>{});
    EXPECT_EQ(runProperties(suite), allPropertiesPass());
}

// libgcrypt refuses 192-bit Twofish keys: those cases end with the refused-key
// error, and everything else passes.
TEST(TwoFishSuite, LibgcryptTwofishPassesEveryCaseItHasAKeyFor) {
    const auto suite = installedSuite<zelkor::testsupport::GcryptTwofish>();
    const auto results = runCases(suite);
    EXPECT_EQ(unexpected(results, [](const CaseResult& r) {
                  return r.keySection == 1 ? Kind::Error : Kind::Passed;
              }),
              std::vector<std::string>{});
    const auto refused = std::count_if(results.begin(), results.end(), [](const CaseResult& r) {
        return startsWith(r.outcome.message, "Test.TwoFish: buildKey refused the key ");
    });
    EXPECT_EQ(refused, 5 * 49 + 192 + 128);
    EXPECT_EQ(runProperties(suite), allPropertiesPass());
}

TEST(TwoFishSuite, WrongKeyScheduleFor192BitKeysFailsExactlyThe192BitCases) {
    using Mutant = zelkor::testsupport::Wrong192BitKeySchedule<Twofish>;
    const auto suite = installedSuite<Mutant>();
    const auto results = runCases(suite);
    EXPECT_EQ(unexpected(results, [](const CaseResult& r) {
                  return r.keySection == 1 ? Kind::AssertionFailed : Kind::Passed;
              }),
              std::vector<std::string>{});
    EXPECT_EQ(runProperties(suite), allPropertiesPass());  // they draw 256-bit keys only
}

TEST(TwoFishSuite, WrongDecryptionFailsExactlyTheDecryptingCases) {
    using Mutant = zelkor::testsupport::WrongDecryption<Twofish>;
    const auto suite = installedSuite<Mutant>();
    EXPECT_EQ(unexpected(runCases(suite), [](const CaseResult& r) {
                  const bool decrypts = startsWith(r.name, "ECB-D-") || startsWith(r.name, "CBC-D-");
                  return decrypts ? Kind::AssertionFailed : Kind::Passed;
              }),
              std::vector<std::string>{});
    auto expected = allPropertiesPass();
    expected[kPropertyGroups[0] + "/ECBEncDecID"] = Kind::PropertyFailed;
    expected[kPropertyGroups[0] + "/CBCEncDecID"] = Kind::PropertyFailed;
    EXPECT_EQ(runProperties(suite), expected);
}

TEST(TwoFishSuite, CbcIgnoringTheIVFailsExactlyTheCbcCases) {
    using Mutant = zelkor::testsupport::CbcIgnoresIV<Twofish>;
    const auto suite = installedSuite<Mutant>();
    EXPECT_EQ(unexpected(runCases(suite), [](const CaseResult& r) {
                  return startsWith(r.name, "CBC-") ? Kind::AssertionFailed : Kind::Passed;
              }),
              std::vector<std::string>{});
    // Consistent on its own terms: no property notices.
    EXPECT_EQ(runProperties(suite), allPropertiesPass());
}

TEST(TwoFishSuite, FailureReportShowsTheCiphersOutputAsExpected) {
    using Mutant = zelkor::testsupport::WrongDecryption<Twofish>;
    const auto suite = fixtureSuite<Mutant>("cbc_ivs");
    const auto results = runCases(suite);
    ASSERT_EQ(results.size(), 2u);
    // PT = D(0, CT) xor IV = IV; the mutant flips the low bit of the last byte.
    const std::string& message = results[0].outcome.message;
    EXPECT_EQ(message.rfind("CBC-D-3\n"
                            "expected: \"a65116beedf753c8115a0db471d6123c\" (16 bytes, computed by the implementation)\n"
                            " but got: \"a65116beedf753c8115a0db471d6123d\" (16 bytes, from ",
                            0),
              0u)
        << message;
    EXPECT_TRUE(message.ends_with("/CBC_D_M.txt:17)\nfirst difference at byte 15")) << message;
}

// ---- file names and kinds

using FixtureFile = std::pair<std::string, std::string>;  // (fixture directory, file name)
class UnknownFileName : public testing::TestWithParam<FixtureFile> {};

TEST_P(UnknownFileName, WithRecordsFailsTheBuildNamingTheFile) {
    const auto [fixtureName, fileName] = GetParam();
    const std::string baseName = fileName.substr(0, fileName.rfind('.'));
    try {
        fixtureSuite(fixtureName);
        FAIL() << "built a suite from " << fileName;
    } catch (const std::logic_error& error) {
        const std::string message = error.what();
        EXPECT_TRUE(startsWith(message, "Test.TwoFish.buildTestFunc: non-exhaustive match")) << message;
        EXPECT_NE(message.find('"' + baseName + '"'), std::string::npos) << message;
        EXPECT_NE(message.find(fixture(fixtureName) + "/Test/KAT_TWOFISH/" + fileName), std::string::npos)
            << message;
    }
}

INSTANTIATE_TEST_SUITE_P(TwoFishSuite, UnknownFileName,
                         testing::Values(FixtureFile{"unknown_base_name", "ECB_TBL.txt"},
                                         FixtureFile{"lowercase_name", "ecb_vk.txt"},
                                         FixtureFile{"double_extension", "ECB_VK.TXT.orig"}),
                         [](const auto& info) { return info.param.first; });

TEST(TwoFishSuite, FileWithoutExtensionIsItsOwnBaseName) {
    // Also holds notes.md without records (no kind needed) and a subdirectory (not read).
    const auto suite = fixtureSuite("no_extension");
    EXPECT_EQ(topLevelNames(suite), withGroups({"ECB-E-VK1", "ECB-E-VK2"}));
    // Record 2 carries an odd-length PT of its own: only the category's PT is used.
    EXPECT_EQ(unexpected(runCases(suite), [](const CaseResult&) { return Kind::Passed; }),
              std::vector<std::string>{});
}

TEST(TwoFishSuite, CategoryValuesGivenAsBodyLinesLeaveEveryRecordSkipped) {
    EXPECT_EQ(topLevelNames(fixtureSuite("pt_in_body")), kNoUsableVectors);
}

// ---- what is decoded when

TEST(TwoFishSuite, OddLengthIVFailsTheBuildEvenWithoutCtPtAndI) {
    try {
        fixtureSuite("odd_iv");
        FAIL() << "built a suite with an odd-length IV";
    } catch (const zelkor::tests::HexDecodeError& error) {
        EXPECT_EQ(std::string(error.what()), kOddHex);
    }
}

TEST(TwoFishSuite, CbcRecordsWithoutKeyOrWithShortIVAreSkippedAndSpareIVBytesIgnored) {
    const auto suite = fixtureSuite("cbc_ivs");
    EXPECT_EQ(topLevelNames(suite), withGroups({"CBC-D-3", "CBC-D-4"}));
    EXPECT_EQ(unexpected(runCases(suite), [](const CaseResult&) { return Kind::Passed; }),
              std::vector<std::string>{});
}

TEST(TwoFishSuite, OddKeyPtOrCtFailOnlyTheirOwnCaseWhenItRuns) {
    const auto suite = fixtureSuite("deferred_hex");
    EXPECT_EQ(topLevelNames(suite),
              withGroups({"ECB-TLB-E-1", "ECB-TLB-E-2", "ECB-TLB-E-3", "ECB-TLB-E-4", "ECB-TLB-E-4"}));
    const auto results = runCases(suite);
    EXPECT_EQ(unexpected(results, [](const CaseResult& r) {
                  return r.name == "ECB-TLB-E-4" ? Kind::Passed : Kind::Error;
              }),
              std::vector<std::string>{});
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(results[i].outcome.message, kOddHex) << results[i].name;
}

TEST(TwoFishSuite, RefusedKeyEndsItsCaseWithAnErrorNamingTheKey) {
    const auto results = runCases(fixtureSuite("refused_key"));
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(unexpected(results, [](const CaseResult& r) {
                  return r.name == "ECB-E-2" ? Kind::Error : Kind::Passed;
              }),
              std::vector<std::string>{});
    EXPECT_EQ(results[1].outcome.message,
              "Test.TwoFish: buildKey refused the key 00112233445566778899 of ECB-E-2");
}

TEST(TwoFishSuite, CasesOwnTheirDataAndRunRepeatedly) {
    KatTest kept = fixtureSuite("cbc_ivs").front();  // the builder's list and the data dir are gone
    for (int round = 0; round < 2; ++round) EXPECT_EQ(zelkor::testsupport::run(kept).kind, Kind::Passed);
}

// ---- directories

class TemporaryDataDir {
public:
    TemporaryDataDir() : root_(std::filesystem::temp_directory_path() /
                               ("zelkor-twofish-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(root_ / "Test" / "KAT_TWOFISH");
    }
    ~TemporaryDataDir() { std::filesystem::remove_all(root_); }
    std::filesystem::path vectorDir() const { return root_ / "Test" / "KAT_TWOFISH"; }
    std::string root() const { return root_.string(); }

private:
    std::filesystem::path root_;
};

TEST(TwoFishSuite, EmptyVectorDirectoryGivesTheNoUsableVectorsCase) {
    TemporaryDataDir dir;
    zelkor::testsupport::ScopedDataDir dataDir(dir.root());
    EXPECT_EQ(topLevelNames(zelkor::tests::makeTwoFishTests<Twofish>()), kNoUsableVectors);
}

TEST(TwoFishSuite, VectorDirectoryOfSubdirectoriesGivesTheNoUsableVectorsCase) {
    TemporaryDataDir dir;
    std::filesystem::create_directories(dir.vectorDir() / "ECB_TLB.txt");
    std::filesystem::create_directories(dir.vectorDir() / "ECB_TBL");
    zelkor::testsupport::ScopedDataDir dataDir(dir.root());
    EXPECT_EQ(topLevelNames(zelkor::tests::makeTwoFishTests<Twofish>()), kNoUsableVectors);
}

TEST(TwoFishSuite, MissingVectorDirectoryFailsTheBuildNamingIt) {
    TemporaryDataDir dir;
    zelkor::testsupport::ScopedDataDir dataDir(dir.root() + "/nowhere");
    try {
        zelkor::tests::makeTwoFishTests<Twofish>();
        FAIL() << "built a suite from a missing directory";
    } catch (const std::exception& error) {
        EXPECT_NE(std::string(error.what()).find(dir.root() + "/nowhere/Test/KAT_TWOFISH"), std::string::npos)
            << error.what();
    }
}

}  // namespace
