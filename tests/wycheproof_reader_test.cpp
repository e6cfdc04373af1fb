// The Wycheproof reader on the installed files and on broken JSON.
#include <gtest/gtest.h>

#include <string>

#include "support/DataDir.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"
#include "zelkor/tests/detail/formats/Wycheproof.hpp"

namespace zelkor::tests::detail {
namespace {

std::string installed(const std::string& name) { return testsupport::sourceDataDir() + "/Wycheproof/" + name; }

std::string errorOf(std::string_view text) {
    try {
        parseWycheproof(text, "x.json");
    } catch (const VectorFileError& e) {
        return e.what();
    }
    return "no error";
}

TEST(WycheproofReader, ReadsAesGcmGroupsTestsAndFields) {
    const auto shared = readWycheproofFile(installed("aes_gcm_test.json"));
    const WycheproofFile& file = *shared;
    EXPECT_EQ(file.algorithm, "AES-GCM");
    EXPECT_EQ(file.integer("numberOfTests"), 316);
    std::size_t valid = 0, invalid = 0;
    for (const auto& group : file.groups)
        for (const auto& test : group.tests) (test.result == "valid" ? valid : invalid) += 1;
    EXPECT_EQ(valid, 229u);
    EXPECT_EQ(invalid, 87u);

    const WycheproofGroup& first = file.groups.front();
    EXPECT_EQ(first.text("type"), "AeadTest");
    EXPECT_EQ(first.integer("tagSize"), 128);
    const WycheproofTest& test = first.tests.front();
    EXPECT_EQ(test.tcId, 1);
    EXPECT_EQ(test.hex("key").size() * 8, static_cast<std::size_t>(first.integer("keySize")));
    EXPECT_EQ(test.line, 63u);  // its "{"
    EXPECT_FALSE(file.describeFlag("CounterWrap").empty());
    EXPECT_FALSE(test.flags.empty());
}

TEST(WycheproofReader, ReadsEveryHmacFile) {
    const std::pair<const char*, std::size_t> counts[] = {{"hmac_sha1_test.json", 170}, {"hmac_sha256_test.json", 174},
                                                          {"hmac_sha3_512_test.json", 174},
                                                          {"hmac_sha512_256_test.json", 175}};
    for (const auto& [name, tests] : counts) EXPECT_EQ(readWycheproofFile(installed(name))->testCount(), tests) << name;
}

TEST(WycheproofReader, FaultsNameFileAndPosition) {
    EXPECT_EQ(errorOf("{\"testGroups\": [\n{\"tests\": [}]}"),
              "malformed JSON in vector file 'x.json': parse error at line 2, column 12: syntax error while parsing "
              "value - unexpected '}'; expected '[', '{', or a literal");
    EXPECT_NE(errorOf("").find("'x.json'"), std::string::npos);
    EXPECT_NE(errorOf(std::string(100, '[')).find("nested deeper than 64"), std::string::npos);
    EXPECT_EQ(errorOf("{\"algorithm\": \"A\"}"), "vector file 'x.json' line 1: no member \"testGroups\"");
    EXPECT_EQ(errorOf("{\"testGroups\": [{\"tests\": [\n\n {\"result\": \"valid\"}]}]}"),
              "vector file 'x.json' line 3: no member \"tcId\"");
    const WycheproofFile file =
        parseWycheproof("{\"testGroups\": [{\"tests\": [{\"tcId\": 1, \"result\": \"valid\", \"msg\": \"0g\"}]}]}", "x");
    EXPECT_THROW(file.groups[0].tests[0].hex("msg"), VectorFileError);
    EXPECT_THROW(readWycheproofFile(installed("absent.json")), VectorFileError);
}

// A minimal file around one test's members, the test's "{" at line 2.
std::string oneTest(const std::string& members, const std::string& top = "") {
    return "{" + top + "\"testGroups\": [{\"tagSize\": 128, \"tests\": [\n{\"tcId\": 1, \"result\": \"valid\"" +
           members + "}]}]}";
}

TEST(WycheproofReader, RepeatedKeyIsAnErrorAtTheSecondOne) {
    EXPECT_EQ(errorOf(oneTest(", \"msg\": \"00\", \"msg\": \"01\"")),
              "vector file 'x.json' line 2, column 45: key \"msg\" given twice in one object");
    // The same key in different objects is no repeat.
    EXPECT_EQ(errorOf(oneTest(", \"tagSize\": 128")), "no error");
}

TEST(WycheproofReader, AnythingButWhitespaceAfterTheDocumentIsAnError) {
    EXPECT_EQ(errorOf(oneTest("") + " \n\t\r\n"), "no error");
    EXPECT_EQ(errorOf(oneTest("") + std::string("\n\0{}", 4)),
              "vector file 'x.json' line 3, column 1: text after the JSON document: \"\\x00{}\"");
    // The parser itself refuses other text; it stops at a NUL.
    EXPECT_EQ(errorOf(oneTest("") + "]"), "malformed JSON in vector file 'x.json': parse error at line 2, column 35: "
                                          "syntax error while parsing value - unexpected ']'; expected end of input");
}

TEST(WycheproofReader, FileCutInsideAHugeStringGivesAShortError) {
    const std::string cut = oneTest(", \"msg\": \"" + std::string(2u << 20, 'a'));
    const std::string error = errorOf(cut.substr(0, cut.size() - 5));
    EXPECT_LT(error.size(), 400u) << error.substr(0, 400);
    EXPECT_NE(error.find("malformed JSON in vector file 'x.json'"), std::string::npos) << error.substr(0, 400);
    EXPECT_NE(error.find("missing closing quote; last read: '\"aaaa"), std::string::npos) << error.substr(0, 400);
    EXPECT_NE(error.find("... (2097153 bytes)"), std::string::npos) << error.substr(0, 400);
}

TEST(WycheproofReader, NumberOfTestsMustCountTheTestsPresent) {
    EXPECT_EQ(errorOf(oneTest("", "\"numberOfTests\": 1, ")), "no error");
    EXPECT_EQ(errorOf(oneTest("", "\"numberOfTests\": 2, ")),
              "vector file 'x.json' line 1, column 19: numberOfTests is 2 but the file holds 1 tests");
    EXPECT_EQ(errorOf(oneTest("", "\"numberOfTests\": \"1\", ")),
              "vector file 'x.json' line 1, column 19: numberOfTests is not an integer");
}

TEST(WycheproofReader, SizeOutOfRangeIsAnErrorAtItsValue) {
    EXPECT_EQ(errorOf(oneTest(", \"ivSize\": 65536")), "no error");
    EXPECT_EQ(errorOf(oneTest(", \"ivSize\": -8")),
              "vector file 'x.json' line 2, column 42: ivSize -8 is out of range (0 to 65536 bits)");
    EXPECT_EQ(errorOf(oneTest(", \"tagSize\": 9223372036854775800")),
              "vector file 'x.json' line 2, column 43: tagSize 9223372036854775800 is out of range (0 to 65536 bits)");
    EXPECT_EQ(errorOf(oneTest(", \"keySize\": 18446744073709551616")),
              "vector file 'x.json' line 2, column 43: keySize is not an integer in the range 0 to 65536: "
              "\"18446744073709551616\"");
}

// Cut anywhere, or with a byte changed, the file is an error naming it, or
// still parses: never a crash (run under the sanitizers too).
TEST(WycheproofReader, TruncatedOrDamagedFileIsAnError) {
    const std::string text = readVectorFileText(installed("aes_gcm_test.json"));
    for (std::size_t length = 0; length < text.size(); length += 9973)
        EXPECT_NE(errorOf(text.substr(0, length)).find("'x.json'"), std::string::npos) << length;
    for (std::size_t at = 7; at < text.size(); at += 6007) {
        std::string damaged = text;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x5c);
        const std::string error = errorOf(damaged);
        EXPECT_TRUE(error == "no error" || error.find("'x.json'") != std::string::npos) << at << ": " << error;
    }
}

}  // namespace
}  // namespace zelkor::tests::detail
