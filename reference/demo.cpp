// Runs every suite of zelkor-tests against the reference primitives, one
// top-level group per primitive, and prints GoogleTest's report and a summary.

#include <utility>
#include <vector>

#include "ReferencePrimitives.hpp"
#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/GTest.hpp"
#include "zelkor/tests/MD5.hpp"

using namespace zelkor;
using namespace zelkor::tests;

namespace {

std::vector<Test> digestSuites() {
    std::vector<Test> out;
    out.push_back(testGroup("MD5", makeMD5Tests<reference::MD5>()));
    out.push_back(testGroup("SHA1", {makeHashPropTests<reference::SHA1>()}));
    out.push_back(testGroup("SHA224", {makeHashPropTests<reference::SHA224>()}));
    out.push_back(testGroup("SHA256", {makeHashPropTests<reference::SHA256>()}));
    out.push_back(testGroup("SHA384", {makeHashPropTests<reference::SHA384>()}));
    out.push_back(testGroup("SHA512", {makeHashPropTests<reference::SHA512>()}));
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    return defaultMain(digestSuites(), argc, argv);
}
