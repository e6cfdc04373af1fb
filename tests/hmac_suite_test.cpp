// The HMAC known-answer suites: selection of categories, names, what a case
// computes, and which cases broken HMACs fail.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
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
#include "zelkor/tests/HMAC.hpp"
#include "zelkor/tests/ParseNistKATs.hpp"

namespace {

using namespace zelkor;
using testsupport::Outcome;

struct Sha1 {
    static constexpr const char* name = "SHA1";
    static constexpr const char* l = "20";
    static constexpr std::size_t installedCases = 300;
    using Reference = reference::SHA1;
    using Independent = testsupport::NettleSHA1;
    template <class D> static std::vector<tests::Test> build() { return tests::makeSHA1HMACTests<D>(); }
};
struct Sha224 {
    static constexpr const char* name = "SHA224";
    static constexpr const char* l = "28";
    static constexpr std::size_t installedCases = 375;
    using Reference = reference::SHA224;
    using Independent = testsupport::NettleSHA224;
    template <class D> static std::vector<tests::Test> build() { return tests::makeSHA224HMACTests<D>(); }
};
struct Sha256 {
    static constexpr const char* name = "SHA256";
    static constexpr const char* l = "32";
    static constexpr std::size_t installedCases = 225;
    using Reference = reference::SHA256;
    using Independent = testsupport::NettleSHA256;
    template <class D> static std::vector<tests::Test> build() { return tests::makeSHA256HMACTests<D>(); }
};
struct Sha384 {
    static constexpr const char* name = "SHA384";
    static constexpr const char* l = "48";
    static constexpr std::size_t installedCases = 300;
    using Reference = reference::SHA384;
    using Independent = testsupport::NettleSHA384;
    template <class D> static std::vector<tests::Test> build() { return tests::makeSHA384HMACTests<D>(); }
};
struct Sha512 {
    static constexpr const char* name = "SHA512";
    static constexpr const char* l = "64";
    static constexpr std::size_t installedCases = 375;
    using Reference = reference::SHA512;
    using Independent = testsupport::NettleSHA512;
    template <class D> static std::vector<tests::Test> build() { return tests::makeSHA512HMACTests<D>(); }
};

// A selected record of the installed file, read here without the suite's code.
struct ExpectedCase {
    std::string name;
    std::size_t keyBytes;
    std::size_t messageBytes;
};

std::vector<ExpectedCase> installedCases(const std::string& algorithm, const std::string& l) {
    const auto path = std::filesystem::path(testsupport::sourceDataDir()) / "Test" / "KAT_HMAC" / "HMAC.rsp";
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::vector<ExpectedCase> out;
    for (const auto& category : tests::parseCategories("Count", text.str())) {
        if (tests::lookup(category.properties, "L") != l) continue;
        for (const auto& record : category.records) {
            const auto count = tests::lookup(record, "Count");
            const auto key = tests::lookup(record, "Key");
            const auto msg = tests::lookup(record, "Msg");
            if (!key || !msg || !tests::lookup(record, "Mac") || !tests::lookup(record, "Tlen")) continue;
            out.push_back({"NistHMAC" + algorithm + "-\"" + *count + "\"", key->size() / 2, msg->size() / 2});
        }
    }
    return out;
}

std::vector<Outcome::Kind> outcomes(const std::vector<tests::Test>& cases) {
    std::vector<Outcome::Kind> out;
    for (const auto& c : cases) out.push_back(testsupport::run(c).kind);
    return out;
}

template <class Alg>
class HmacInstalled : public ::testing::Test {
protected:
    testsupport::ScopedDataDir dataDir{testsupport::sourceDataDir()};
    std::vector<ExpectedCase> expected = installedCases(Alg::name, Alg::l);
};
using Algorithms = ::testing::Types<Sha1, Sha224, Sha256, Sha384, Sha512>;
TYPED_TEST_SUITE(HmacInstalled, Algorithms);

TYPED_TEST(HmacInstalled, OneCasePerRecordOfItsLengthAndNothingElse) {
    const auto suite = TypeParam::template build<typename TypeParam::Reference>();
    ASSERT_EQ(this->expected.size(), TypeParam::installedCases);
    ASSERT_EQ(suite.size(), this->expected.size());
    for (std::size_t i = 0; i < suite.size(); ++i) {
        EXPECT_EQ(suite[i].name(), this->expected[i].name);
        EXPECT_TRUE(std::holds_alternative<tests::TestCase>(suite[i].node)) << suite[i].name();
    }
}

TYPED_TEST(HmacInstalled, EveryCasePassesOnReferenceAndOnGenericHmacOverIndependentDigests) {
    const auto failures = [](const std::vector<tests::Test>& cases) {
        return testsupport::runAll(cases, true).size();
    };
    EXPECT_EQ(failures(TypeParam::template build<typename TypeParam::Reference>()), 0u);
    EXPECT_EQ(failures(TypeParam::template build<typename TypeParam::Independent>()), 0u);
}

TYPED_TEST(HmacInstalled, UnhashedLongKeysFailExactlyTheRecordsWithKeysLongerThanABlock) {
    using Mutant = testsupport::LongHmacKeyNotHashed<typename TypeParam::Reference>;
    const auto cases = TypeParam::template build<Mutant>();
    const std::size_t block = TypeParam::Reference::blockLength / 8;
    std::vector<Outcome::Kind> expected;
    std::size_t longKeys = 0;
    for (const auto& c : this->expected) {
        longKeys += c.keyBytes > block;
        expected.push_back(c.keyBytes > block ? Outcome::Kind::AssertionFailed : Outcome::Kind::Passed);
    }
    ASSERT_GT(longKeys, 0u);
    ASSERT_LT(longKeys, expected.size());
    EXPECT_EQ(outcomes(cases), expected);
}

TYPED_TEST(HmacInstalled, ChunkRestartFailsLongMessagesInTheChunkedFormOnly) {
    using Mutant = testsupport::RestartsAtChunkBoundaries<typename TypeParam::Reference>;
    const auto cases = TypeParam::template build<Mutant>();
    ASSERT_EQ(cases.size(), this->expected.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Outcome outcome = testsupport::run(cases[i]);
        if (this->expected[i].messageBytes <= 37) {
            EXPECT_EQ(outcome.kind, Outcome::Kind::Passed) << cases[i].name();
            continue;
        }
        ASSERT_EQ(outcome.kind, Outcome::Kind::AssertionFailed) << cases[i].name() << outcome.message;
        EXPECT_TRUE(outcome.message.starts_with(cases[i].name() + "\n")) << outcome.message;
        const auto pair = testsupport::parsePairReport(outcome.message);
        EXPECT_EQ(pair.strict, pair.expected1) << cases[i].name();
        EXPECT_NE(pair.chunked, pair.expected2) << cases[i].name();
    }
}

TEST(HmacSuite, WitnessOverloadBuildsTheSameList) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    const auto witness = reference::SHA384::hash(ByteString{});
    EXPECT_EQ(testsupport::names(tests::makeSHA384HMACTests(witness)),
              testsupport::names(tests::makeSHA384HMACTests<reference::SHA384>()));
}

std::string edgeDataDir() { return testsupport::fixturesDir() + "/hmac/edge"; }

constexpr const char* kOddHex = "Not an even number of hex characters in input to hexStringToBS!";

struct EdgeExpectation {
    std::string name;
    Outcome::Kind kind;
    std::string message;  // exact for errors, unchecked otherwise
};

TEST(HmacSuite, EdgeRecordsOfTheFixtureFile) {
    testsupport::ScopedDataDir dataDir(edgeDataDir());
    const auto cases = tests::makeSHA1HMACTests<reference::SHA1>();
    constexpr auto pass = Outcome::Kind::Passed;
    constexpr auto error = Outcome::Kind::Error;
    // The record without Key yields no case; categories with L=020 or without
    // L are not selected.
    const std::vector<EdgeExpectation> expected{
        {R"(NistHMACSHA1-"007")", pass, ""},  // Tlen 10: the MAC's first ten bytes
        {R"(NistHMACSHA1-"")", pass, ""},     // empty Count
        {R"(NistHMACSHA1-"3")", pass, ""},    // Tlen 64: the whole 20-byte MAC
        {R"(NistHMACSHA1-"4")", Outcome::Kind::AssertionFailed, ""},  // Mac one byte longer than the MAC
        {R"(NistHMACSHA1-"5")", error, R"(Tlen is not a decimal integer: "12x")"},
        {R"(NistHMACSHA1-"6")", error, kOddHex},  // odd Key
        {R"(NistHMACSHA1-"7")", pass, ""},        // empty Msg
        {R"(NistHMACSHA1-"8")", pass, ""},        // Tlen -3: empty tag, empty Mac
        {R"(NistHMACSHA1-"9")", pass, ""},        // Tlen of 25 nines
        {R"(NistHMACSHA1-"a\"b\\c")", pass, ""},  // 80-byte key, 54-byte message
        {R"(NistHMACSHA1-"caf\xe9")", pass, ""},
        {R"(NistHMACSHA1-"007")", pass, ""},  // a second category with L=20: names repeat
    };
    ASSERT_EQ(cases.size(), expected.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(cases[i].name(), expected[i].name);
        const Outcome outcome = testsupport::run(cases[i]);
        EXPECT_EQ(outcome.kind, expected[i].kind) << expected[i].name << ": " << outcome.message;
        if (expected[i].kind == error) {
            EXPECT_EQ(outcome.message, expected[i].message) << expected[i].name;
        }
    }
}

TEST(HmacSuite, MutantsFailOnlyTheirRecordsOfTheFixtureFile) {
    testsupport::ScopedDataDir dataDir(edgeDataDir());
    auto changed = outcomes(tests::makeSHA1HMACTests<reference::SHA1>());
    // Only record 10 has a key longer than a block and a message longer than 37 bytes.
    changed[9] = Outcome::Kind::AssertionFailed;
    using LongKeyMutant = testsupport::LongHmacKeyNotHashed<reference::SHA1>;
    using RestartMutant = testsupport::RestartsAtChunkBoundaries<reference::SHA1>;
    EXPECT_EQ(outcomes(tests::makeSHA1HMACTests<LongKeyMutant>()), changed);
    EXPECT_EQ(outcomes(tests::makeSHA1HMACTests<RestartMutant>()), changed);
}

std::vector<std::string> namesAndOutcomes(const std::vector<tests::Test>& cases) {
    std::vector<std::string> out;
    for (const auto& c : cases) {
        out.push_back(c.name() + " " + testsupport::kindName(testsupport::run(c).kind));
    }
    return out;
}

TEST(HmacSuite, OneFileServesEveryBuilderWithItsOwnLength) {
    testsupport::ScopedDataDir dataDir(edgeDataDir());
    const std::string passed = testsupport::kindName(Outcome::Kind::Passed);
    EXPECT_EQ(namesAndOutcomes(tests::makeSHA224HMACTests<reference::SHA224>()),
              std::vector<std::string>{R"(NistHMACSHA224-"0" )" + passed});
    EXPECT_EQ(namesAndOutcomes(tests::makeSHA256HMACTests<reference::SHA256>()),
              std::vector<std::string>{R"(NistHMACSHA256-"0" )" + passed});
    EXPECT_EQ(namesAndOutcomes(tests::makeSHA384HMACTests<reference::SHA384>()),
              std::vector<std::string>{R"(NistHMACSHA384-"0" )" + passed});
    EXPECT_EQ(namesAndOutcomes(tests::makeSHA512HMACTests<reference::SHA512>()),
              std::vector<std::string>{R"(NistHMACSHA512-"0" )" + passed});
}

TEST(HmacSuite, BuildingNeitherDecodesNorComputes) {
    using Counting = testsupport::CountingDigest<reference::SHA1>;
    testsupport::ScopedDataDir dataDir(edgeDataDir());
    Counting::calls = 0;
    // The fixture holds an odd Key and a malformed Tlen: building still succeeds.
    const auto cases = tests::makeSHA1HMACTests<Counting>();
    EXPECT_EQ(cases.size(), 12u);
    EXPECT_EQ(Counting::calls, 0);
    EXPECT_EQ(testsupport::run(cases.front()).kind, Outcome::Kind::Passed);
    EXPECT_EQ(Counting::calls, 4);  // inner and outer hash, for each form
}

class TempHmacDir {
public:
    explicit TempHmacDir(const std::string& content)
        : root_(std::filesystem::temp_directory_path() / ("zelkor-hmac-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(root_ / "Test" / "KAT_HMAC");
        std::ofstream(root_ / "Test" / "KAT_HMAC" / "vectors.rsp") << content;
    }
    ~TempHmacDir() { std::filesystem::remove_all(root_); }
    std::string path() const { return root_.string(); }

private:
    std::filesystem::path root_;
};

TEST(HmacSuite, CasesOwnTheirDataAfterTheFilesChange) {
    std::vector<tests::Test> cases;
    {
        TempHmacDir dir("[L=20]\nCount = 1\nTlen = 20\nKey = 4a656665\n"
                        "Msg = 7768617420646f2079612077616e7420666f72206e6f7468696e673f\n"
                        "Mac = effcdf6ae5eb2fa2d27416d5f184df9c259a7c79\n");
        testsupport::ScopedDataDir dataDir(dir.path());
        cases = tests::makeSHA1HMACTests<reference::SHA1>();
    }
    ASSERT_EQ(cases.size(), 1u);
    EXPECT_EQ(testsupport::run(cases.front()).kind, Outcome::Kind::Passed);
}

TEST(HmacSuite, AlgToLenCoversTheFiveNamesOnly) {
    using tests::hmac_detail::algToLen;
    EXPECT_EQ(algToLen("SHA1"), "20");
    EXPECT_EQ(algToLen("SHA224"), "28");
    EXPECT_EQ(algToLen("SHA256"), "32");
    EXPECT_EQ(algToLen("SHA384"), "48");
    EXPECT_EQ(algToLen("SHA512"), "64");
    try {
        algToLen("MD5");
        FAIL() << "no exception";
    } catch (const std::logic_error& e) {
        EXPECT_NE(std::string(e.what()).find("Test.HMAC.algToLen"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("\"MD5\""), std::string::npos) << e.what();
    }
}

TEST(HmacSuite, UnknownAlgorithmFailsOnlyOnceACategoryHasAnL) {
    {
        TempHmacDir dir("[X=1]\nCount = 0\nTlen = 1\nKey = 00\nMsg = 00\nMac = 00\n");
        testsupport::ScopedDataDir dataDir(dir.path());
        EXPECT_EQ(testsupport::names(tests::hmac_detail::getTests<reference::SHA1>("MD5")),
                  std::vector<std::string>{"no usable vectors"});
    }
    TempHmacDir dir("[L=16]\nCount = 0\nTlen = 1\nKey = 00\nMsg = 00\nMac = 00\n");
    testsupport::ScopedDataDir dataDir(dir.path());
    EXPECT_THROW(tests::hmac_detail::getTests<reference::SHA1>("MD5"), std::logic_error);
}

TEST(ShaHmacFields, QuotesCountTextsUnambiguously) {
    using tests::detail::quoteText;
    EXPECT_EQ(quoteText(""), R"("")");
    EXPECT_EQ(quoteText("007"), R"("007")");
    EXPECT_EQ(quoteText(" ~"), R"(" ~")");
    EXPECT_EQ(quoteText(R"(a"b\c)"), R"("a\"b\\c")");
    EXPECT_EQ(quoteText(std::string("\x00\x1f\x7f\x80\xff", 5)), R"("\x00\x1f\x7f\x80\xff")");
}

}  // namespace
