// The SHA known-answer suites: selection, numbering and order of the cases,
// what a case computes, and which cases broken digests fail.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "OpenSSLDigests.hpp"
#include "support/DataDir.hpp"
#include "support/HashMutants.hpp"
#include "support/IndependentDigests.hpp"
#include "support/PairReport.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/SHA.hpp"

namespace {

using namespace zelkor;
using testsupport::Outcome;

constexpr const char* kPropertyGroup = "Cryptographic Digest Property Tests";

struct Sha1 {
    static constexpr const char* name = "SHA1";
    static constexpr std::size_t installedCases = 129;
    using Reference = reference::SHA1;
    using Independent = testsupport::NettleSHA1;
    template <class D> static std::vector<tests::Test> build() { return tests::makeSHA1Tests<D>(); }
};
struct Sha224 {
    static constexpr const char* name = "SHA224";
    static constexpr std::size_t installedCases = 129;
    using Reference = reference::SHA224;
    using Independent = testsupport::NettleSHA224;
    template <class D> static std::vector<tests::Test> build() { return tests::makeSHA224Tests<D>(); }
};
struct Sha256 {
    static constexpr const char* name = "SHA256";
    static constexpr std::size_t installedCases = 129;
    using Reference = reference::SHA256;
    using Independent = testsupport::NettleSHA256;
    template <class D> static std::vector<tests::Test> build() { return tests::makeSHA256Tests<D>(); }
};
struct Sha384 {
    static constexpr const char* name = "SHA384";
    static constexpr std::size_t installedCases = 257;
    using Reference = reference::SHA384;
    using Independent = testsupport::NettleSHA384;
    template <class D> static std::vector<tests::Test> build() { return tests::makeSHA384Tests<D>(); }
};
struct Sha512 {
    static constexpr const char* name = "SHA512";
    static constexpr std::size_t installedCases = 257;
    using Reference = reference::SHA512;
    using Independent = testsupport::NettleSHA512;
    template <class D> static std::vector<tests::Test> build() { return tests::makeSHA512Tests<D>(); }
};

// A usable record of the installed files, read here without the suite's code:
// the case name it should get and the length of the message it hashes.
struct ExpectedCase {
    std::string name;
    std::size_t messageBytes;
};

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<ExpectedCase> installedCases(const std::string& algorithm) {
    const auto dir = std::filesystem::path(testsupport::sourceDataDir()) / "Test" / "KAT_SHA";
    std::vector<ExpectedCase> out;
    // directory_iterator lists in the file system's order, as the suite does.
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (!entry.path().filename().string().starts_with(algorithm)) continue;
        for (const auto& category : tests::parseCategories("Len", readFile(entry.path()))) {
            for (const auto& record : category.records) {
                const auto msg = tests::lookup(record, "Msg");
                const auto len = tests::lookup(record, "Len");
                if (!msg || !len || !tests::lookup(record, "MD")) continue;
                const std::size_t bytes = std::min<std::size_t>(std::stoull(*len) / 8, msg->size() / 2);
                out.push_back({"Nist" + algorithm + "-" + std::to_string(out.size() + 1), bytes});
            }
        }
    }
    return out;
}

// The known-answer cases of a SHA suite: all but the trailing property group.
std::vector<tests::Test> casesOf(std::vector<tests::Test> suite) {
    if (!suite.empty()) suite.pop_back();
    return suite;
}

std::vector<std::string> failingNames(const std::vector<tests::Test>& tree) {
    std::vector<std::string> out;
    for (const auto& report : testsupport::runAll(tree, true)) out.push_back(report.path);
    return out;
}

template <class Alg>
class ShaInstalled : public ::testing::Test {
protected:
    testsupport::ScopedDataDir dataDir{testsupport::sourceDataDir()};
};
using Algorithms = ::testing::Types<Sha1, Sha224, Sha256, Sha384, Sha512>;
TYPED_TEST_SUITE(ShaInstalled, Algorithms);

TYPED_TEST(ShaInstalled, NamesCasesInFileOrderThenPropertyGroup) {
    const auto suite = TypeParam::template build<typename TypeParam::Reference>();
    const auto expected = installedCases(TypeParam::name);
    ASSERT_EQ(expected.size(), TypeParam::installedCases);
    ASSERT_EQ(suite.size(), expected.size() + 1);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(suite[i].name(), expected[i].name);
        EXPECT_TRUE(std::holds_alternative<tests::TestCase>(suite[i].node)) << suite[i].name();
    }
    EXPECT_EQ(suite.back().name(), kPropertyGroup);
    EXPECT_TRUE(std::holds_alternative<tests::TestGroup>(suite.back().node));
}

TYPED_TEST(ShaInstalled, EveryCasePassesOnReferenceAndIndependentDigests) {
    EXPECT_EQ(failingNames(casesOf(TypeParam::template build<typename TypeParam::Reference>())),
              std::vector<std::string>{});
    EXPECT_EQ(failingNames(casesOf(TypeParam::template build<typename TypeParam::Independent>())),
              std::vector<std::string>{});
}

TYPED_TEST(ShaInstalled, ChunkRestartFailsExactlyMessagesLongerThan37Bytes) {
    using Mutant = testsupport::RestartsAtChunkBoundaries<typename TypeParam::Reference>;
    const auto cases = casesOf(TypeParam::template build<Mutant>());
    std::vector<std::string> expected;
    for (const auto& c : installedCases(TypeParam::name)) {
        if (c.messageBytes > 37) expected.push_back(c.name);
    }
    ASSERT_FALSE(expected.empty());
    ASSERT_LT(expected.size(), cases.size());

    std::vector<std::string> failed;
    for (const auto& report : testsupport::runAll(cases, true)) {
        failed.push_back(report.path);
        ASSERT_EQ(report.outcome.kind, Outcome::Kind::AssertionFailed) << report.outcome.message;
        EXPECT_TRUE(report.outcome.message.starts_with(report.path + "\n")) << report.outcome.message;
        // Only the chunked form is wrong.
        const auto pair = testsupport::parsePairReport(report.outcome.message);
        EXPECT_EQ(pair.strict, pair.expected1) << report.path;
        EXPECT_NE(pair.chunked, pair.expected2) << report.path;
    }
    EXPECT_EQ(failed, expected);
}

TYPED_TEST(ShaInstalled, PaddingBugFailsExactlyTheAffectedLengths) {
    using Mutant = testsupport::PaddingBugNearBlockEnd<typename TypeParam::Reference>;
    const auto cases = casesOf(TypeParam::template build<Mutant>());
    std::vector<std::string> expected;
    const std::size_t block = TypeParam::Reference::blockLength / 8;
    const std::size_t lengthField = block == 128 ? 16 : 8;
    for (const auto& c : installedCases(TypeParam::name)) {
        if (c.messageBytes % block >= block - lengthField) expected.push_back(c.name);
    }
    ASSERT_FALSE(expected.empty());

    std::vector<std::string> failed;
    for (const auto& report : testsupport::runAll(cases, true)) {
        failed.push_back(report.path);
        ASSERT_EQ(report.outcome.kind, Outcome::Kind::AssertionFailed) << report.outcome.message;
        const auto pair = testsupport::parsePairReport(report.outcome.message);
        EXPECT_NE(pair.strict, pair.expected1) << report.path;
        EXPECT_NE(pair.chunked, pair.expected2) << report.path;
    }
    EXPECT_EQ(failed, expected);
}

TEST(ShaSuite, WitnessOverloadBuildsTheSameList) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    const auto witness = reference::SHA256::hash(ByteString{});
    EXPECT_EQ(testsupport::names(tests::makeSHA256Tests(witness)),
              testsupport::names(tests::makeSHA256Tests<reference::SHA256>()));
}

std::string fixtureDataDir(const std::string& name) { return testsupport::fixturesDir() + "/sha/" + name; }

TEST(ShaSuite, NumberingRunsOnAcrossFilesAndCategoriesInListingOrder) {
    testsupport::ScopedDataDir dataDir(fixtureDataDir("order"));
    const auto suite = tests::makeSHA1Tests<reference::SHA1>();
    // SHA1First.rsp: three usable records, one without MD; SHA1Second.rsp: two
    // usable records, the first with a wrong MD. SHA256Other.rsp and xSHA1.rsp
    // are not selected.
    const std::vector<std::string> expectedNames{"NistSHA1-1", "NistSHA1-2", "NistSHA1-3",
                                                 "NistSHA1-4", "NistSHA1-5", kPropertyGroup};
    EXPECT_EQ(testsupport::names(suite), expectedNames);
    bool firstListedFirst = false;
    for (const auto& entry : std::filesystem::directory_iterator(fixtureDataDir("order") + "/Test/KAT_SHA")) {
        const std::string file = entry.path().filename().string();
        if (file == "SHA1First.rsp" || file == "SHA1Second.rsp") {
            firstListedFirst = file == "SHA1First.rsp";
            break;
        }
    }
    const std::string wrong = firstListedFirst ? "NistSHA1-4" : "NistSHA1-1";
    EXPECT_EQ(failingNames(casesOf(suite)), std::vector<std::string>{wrong});
}

TEST(ShaSuite, WithoutSelectedFilesTheNoUsableVectorsCaseStandsBeforeThePropertyGroup) {
    testsupport::ScopedDataDir dataDir(fixtureDataDir("order"));
    EXPECT_EQ(testsupport::names(tests::makeSHA384Tests<reference::SHA384>()),
              (std::vector<std::string>{"no usable vectors", kPropertyGroup}));
}

TEST(ShaSuite, MissingVectorDirectoryIsAnErrorNamingIt) {
    testsupport::ScopedDataDir dataDir(fixtureDataDir("no-such-dir"));
    try {
        tests::makeSHA1Tests<reference::SHA1>();
        FAIL() << "no exception";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("no-such-dir/Test/KAT_SHA"), std::string::npos) << e.what();
    }
}

constexpr const char* kOddHex = "Not an even number of hex characters in input to hexStringToBS!";

struct EdgeExpectation {
    Outcome::Kind kind;
    std::string message;  // exact for errors, unchecked otherwise
};

TEST(ShaSuite, EdgeRecordsOfTheFixtureFile) {
    testsupport::ScopedDataDir dataDir(fixtureDataDir("edge"));
    const auto cases = casesOf(tests::makeSHA1Tests<reference::SHA1>());
    constexpr auto pass = Outcome::Kind::Passed;
    constexpr auto error = Outcome::Kind::Error;
    const std::vector<EdgeExpectation> expected{
        {pass, ""},  // Len 0, Msg 00: the empty message
        {pass, ""},  // Len 0, empty Msg
        {pass, ""},  // Len 12: cut to one byte
        {pass, ""},  // Len 8 of a three-byte Msg
        {pass, ""},  // Len 800 of a three-byte Msg: all of it
        {pass, ""},  // Len -8
        {pass, ""},  // Len -0
        {pass, ""},  // Len of 30 nines: all of Msg
        {pass, ""},  // Len of minus 30 nines: nothing
        {Outcome::Kind::AssertionFailed, ""},  // Len 16 with the digest of one byte
        {error, R"(Len is not a decimal integer: "12a")"},
        {error, R"(Len is not a decimal integer: "+8")"},
        {error, R"(Len is not a decimal integer: "")"},
        {error, R"(Len is not a decimal integer: "-")"},
        {error, R"(Len is not a decimal integer: "0x10")"},
        {error, kOddHex},  // odd Msg
        {error, kOddHex},  // odd Msg and bad Len: Msg is decoded first
        {error, kOddHex},  // odd MD
        {pass, ""},
    };
    ASSERT_EQ(cases.size(), expected.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string name = "NistSHA1-" + std::to_string(i + 1);
        ASSERT_EQ(cases[i].name(), name);
        const Outcome outcome = testsupport::run(cases[i]);
        EXPECT_EQ(outcome.kind, expected[i].kind) << name << ": " << outcome.message;
        if (expected[i].kind == error) {
            EXPECT_EQ(outcome.message, expected[i].message) << name;
        }
    }
}

TEST(ShaSuite, CasesGiveTheSameOutcomeInAnyOrderAndWhenRepeated) {
    testsupport::ScopedDataDir dataDir(fixtureDataDir("edge"));
    const auto cases = casesOf(tests::makeSHA1Tests<reference::SHA1>());
    std::vector<Outcome::Kind> forward;
    for (const auto& c : cases) forward.push_back(testsupport::run(c).kind);
    for (int round = 0; round < 2; ++round) {
        for (std::size_t i = cases.size(); i-- > 0;) {
            EXPECT_EQ(testsupport::run(cases[i]).kind, forward[i]) << cases[i].name();
        }
    }
}

TEST(ShaSuite, BuildingNeitherDecodesNorHashes) {
    using Counting = testsupport::CountingDigest<reference::SHA1>;
    testsupport::ScopedDataDir dataDir(fixtureDataDir("edge"));
    Counting::calls = 0;
    // The fixture holds odd hex and malformed lengths: building still succeeds.
    const auto suite = tests::makeSHA1Tests<Counting>();
    EXPECT_EQ(Counting::calls, 0);
    EXPECT_EQ(testsupport::run(suite.front()).kind, Outcome::Kind::Passed);
    EXPECT_EQ(Counting::calls, 2);  // the contiguous and the chunked form
}

TEST(ShaSuite, CasesOwnTheirDataAfterTheFilesChange) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("zelkor-sha-owned-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "Test" / "KAT_SHA");
    const auto file = dir / "Test" / "KAT_SHA" / "SHA1.rsp";
    std::ofstream(file) << "Len = 24\nMsg = 616263\nMD = a9993e364706816aba3e25717850c26c9cd0d89d\n";
    std::vector<tests::Test> suite;
    {
        testsupport::ScopedDataDir dataDir(dir.string());
        suite = tests::makeSHA1Tests<reference::SHA1>();
    }
    std::filesystem::remove_all(dir);
    ASSERT_EQ(suite.size(), 2u);
    EXPECT_EQ(testsupport::run(suite.front()).kind, Outcome::Kind::Passed);
}

// The integer reading shared by Len and Tlen.
TEST(ShaHmacFields, ReadsOptionallyNegativeDecimalIntegers) {
    using tests::detail::readDecimalField;
    EXPECT_EQ(readDecimalField("Len", "0"), 0);
    EXPECT_EQ(readDecimalField("Len", "-0"), 0);
    EXPECT_EQ(readDecimalField("Len", "007"), 7);
    EXPECT_EQ(readDecimalField("Len", "-512"), -512);
    EXPECT_EQ(readDecimalField("Len", "9223372036854775807"), std::numeric_limits<long long>::max());
    EXPECT_EQ(readDecimalField("Len", "-9223372036854775808"), std::numeric_limits<long long>::min());
}

TEST(ShaHmacFields, SaturatesInsteadOfOverflowing) {
    using tests::detail::readDecimalField;
    constexpr auto max = std::numeric_limits<long long>::max();
    constexpr auto min = std::numeric_limits<long long>::min();
    EXPECT_EQ(readDecimalField("Len", "9223372036854775808"), max);
    EXPECT_EQ(readDecimalField("Len", "18446744073709551626"), max);  // 2^64 + 10: no wrap-around
    EXPECT_EQ(readDecimalField("Len", std::string(400, '9')), max);
    EXPECT_EQ(readDecimalField("Len", "-9223372036854775809"), min);
    EXPECT_EQ(readDecimalField("Len", "-" + std::string(400, '9')), min);
}

TEST(ShaHmacFields, RejectsEverythingElseNamingFieldAndText) {
    using tests::detail::readDecimalField;
    // The last one is a fullwidth digit one in UTF-8.
    const std::vector<std::string> malformed{"", "-", "+5", " 5", "5 ", "1e3", "0x1", "--5", "5-", "1.0",
                                             "\xef\xbc\x91"};
    for (const auto& text : malformed) {
        EXPECT_THROW(readDecimalField("Tlen", text), std::invalid_argument) << text;
    }
    try {
        readDecimalField("Tlen", "1\x01\"");
        FAIL() << "no exception";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), R"(Tlen is not a decimal integer: "1\x01\"")");
    }
}

TEST(ShaHmacFields, BitLengthsBecomeWholeBytes) {
    using tests::detail::wholeBytesOfBitLength;
    EXPECT_EQ(wholeBytesOfBitLength("-1"), 0u);
    EXPECT_EQ(wholeBytesOfBitLength("-9"), 0u);
    EXPECT_EQ(wholeBytesOfBitLength("7"), 0u);
    EXPECT_EQ(wholeBytesOfBitLength("8"), 1u);
    EXPECT_EQ(wholeBytesOfBitLength("15"), 1u);
    EXPECT_EQ(wholeBytesOfBitLength(std::string(40, '9')),
              static_cast<std::size_t>(std::numeric_limits<long long>::max() / 8));
}

}  // namespace
