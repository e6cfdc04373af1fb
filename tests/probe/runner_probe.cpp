// A test program whose tree holds one leaf of every kind of outcome; the unit
// tests run it and read what GoogleTest reports. With
// zelkor_probe_build=missing-vectors, building the tree reads a vector
// directory that is not there.

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string_view>

#include <rapidcheck.h>

#include "zelkor/ByteString.hpp"
#include "zelkor/tests/GTest.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/checks/Generators.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"
#include "zelkor/tests/detail/formats/VectorUsage.hpp"

using namespace zelkor;
using namespace zelkor::tests;

namespace {

// Five records of one file: a record checked by two cases (as checkpoints of
// one chain are), a case checking three records at once, and one more record.
std::vector<Test> recordCases() {
    auto usage = std::make_shared<detail::VectorUsage>("probe-vectors");
    usage->addFile(5);
    for (int i = 0; i < 5; ++i) usage->use();
    const auto at = [&usage](int line, std::size_t records) {
        CaseOrigin origin{"probe.rsp", line, usage};
        origin.records = records;
        return origin;
    };
    return {testCase("first", [] {}, at(10, 1)), testCase("firstAgain", [] {}, at(10, 1)),
            testCase("three", [] {}, at(20, 3)), testCase("last", [] {}, at(30, 1))};
}

// Three cases failing with one error and one failing with its own.
std::vector<Test> sharedCause() {
    const auto nonce = [] { throw std::invalid_argument("nonce must be 12 bytes"); };
    return {testCase("a", nonce), testCase("b", nonce), testCase("c", nonce),
            testCase("own", [] { assertEqual("ownKAT", 1, 2); })};
}

std::vector<Test> tree() {
    if (const char* build = std::getenv("zelkor_probe_build"); build && std::string_view(build) == "missing-vectors") {
        detail::loadVectorDirectory("KAT_NOT_THERE", "COUNT");
    }
    return {
        testGroup("Outcomes",
                  {
                      testCase("passes", [] { assertEqual("same", ByteString{1, 2}, ByteString{1, 2}); }),
                      testCase("fails", [] { assertEqual("probeKAT-3", ByteString{0xab}, ByteString{0xcd}); }),
                      testCase("throws", [] { throw std::runtime_error("probe exploded"); }),
                      testCase("skips", [] { throw SkipTest("not wanted in this run"); }),
                      testProperty("propertyPasses", [](const ByteString& b) { return b.size() <= 4096; }),
                      testProperty("propertyFails", [](const ByteString& b) { return b.size() < 3000; }),
                      testProperty("propertyDiscards", [](const ByteString&) { RC_DISCARD("never usable"); }),
                      testCase(
                          "located",
                          [] {
                              assertKnownAnswer("probeKAT-4", {{"", ByteString{1, 2, 3}}}, ByteString{1, 2, 4},
                                                {"/vectors/CBCMMT192d.txt", 45, nullptr});
                          },
                          {"/vectors/CBCMMT192d.txt", 45, nullptr}),
                  }),
        testGroup("Names", {testCase("dup", [] {}), testCase("dup", [] { throw 1; }), testCase("a-b", [] {})}),
        testGroup("Repeats", {testCase("x", [] {}), testCase("x#2", [] {}), testCase("x", [] {}),
                              testCase("x", [] {})}),
        testGroup("Records", recordCases()),
        testGroup("Causes", sharedCause()),
        testCase("loose", [] {}),
    };
}

}  // namespace

int main(int argc, char** argv) { return defaultMain(tree, argc, argv); }
