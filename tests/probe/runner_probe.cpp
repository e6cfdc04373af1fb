// A test program whose tree holds one leaf of every kind of outcome; the unit
// tests run it and read what GoogleTest reports.

#include <stdexcept>

#include <rapidcheck.h>

#include "zelkor/ByteString.hpp"
#include "zelkor/tests/GTest.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/Generators.hpp"

using namespace zelkor;
using namespace zelkor::tests;

int main(int argc, char** argv) {
    std::vector<Test> tree{
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
        testCase("loose", [] {}),
    };
    return defaultMain(tree, argc, argv);
}
