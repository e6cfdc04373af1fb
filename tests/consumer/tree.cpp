// A test program built on the installed runner: three leaves, registered with
// CTest in more shards than it has tests.
#include "zelkor/tests/All.hpp"  // every installed header must compile for a consumer
#include "zelkor/tests/GTest.hpp"
#include "zelkor/tests/Test.hpp"

using namespace zelkor::tests;

int main(int argc, char** argv) {
    const std::vector<Test> tree{testGroup("Consumer", {
                                                           testCase("one", [] { assertEqual("one", 1, 1); }),
                                                           testCase("two", [] { assertEqual("two", 2, 2); }),
                                                           testProperty("commutes", [](int a, int b) {
                                                               return a + 0LL + b == b + 0LL + a;
                                                           }),
                                                       })};
    return defaultMain(tree, argc, argv);
}
