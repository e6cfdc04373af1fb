#pragma once
// Tests for any MAC (zelkor/Mac.hpp), over the key and tag lengths its type
// declares.

#include <vector>

#include "zelkor/Mac.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/mac/MacPropTests.hpp"

namespace zelkor::tests {

// One group, "MAC properties": the tag of a message cut into chunks at, just
// before and just after block boundaries (8, 16, 64, 128 and 136 bytes) is
// the tag of the contiguous message; every declared tag length gives a tag of
// that length, the prefix of the full tag (unless the type declares
// tagDependsOnLength); a key with one byte inverted gives another tag; the
// empty message has a full-length tag, not that of one zero byte; and the case
// "UndeclaredLengthsAreRefused": undeclared key lengths are refused by
// buildKey and undeclared tag lengths by tag with an exception.
template <Mac M>
std::vector<Test> makeMacPropertyTests() {
    using namespace mac_detail;
    return {testGroup("MAC properties",
                      {testProperty("ChunkedEqualsContiguous", &chunkedEqualsContiguous<M>),
                       testProperty("TagOfEveryDeclaredLength", &tagOfEveryDeclaredLength<M>),
                       testProperty("KeySensitivity", &keySensitivity<M>),
                       testProperty("EmptyMessage", &emptyMessage<M>),
                       testCase("UndeclaredLengthsAreRefused", &undeclaredLengthsAreRefused<M>)})};
}

// The witness only selects the type.
template <Mac M>
std::vector<Test> makeMacPropertyTests(const M&) {
    return makeMacPropertyTests<M>();
}

}  // namespace zelkor::tests
