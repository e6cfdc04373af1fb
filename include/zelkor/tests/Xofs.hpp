#pragma once
// Tests for any XOF (zelkor/Xof.hpp).

#include <vector>

#include "zelkor/Xof.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/xof/XofShape.hpp"

namespace zelkor::tests {

// One group, "XOF properties":
// - "SplitSqueezeEqualsOneSqueeze" and "SqueezeAcrossTheRate" (types that
//   squeeze repeatedly; otherwise one skipped case says why): any split of
//   the output over several squeezes, across the rate and byte by byte, gives
//   the bytes of one squeeze;
// - "ShorterOutputIsPrefix": n bytes are the first n of any longer output;
// - "ChunkedAbsorbEqualsContiguous": a message absorbed in pieces (lengths
//   around the rate) gives the output of one absorb;
// - "AbsorbAfterSqueezeIsRefused": absorb after a squeeze throws, and so does
//   a second squeeze of a type that declares one only; a squeeze of 0 bytes
//   gives none.
template <Xof X>
std::vector<Test> makeXofPropertyTests() {
    return xof_detail::propertyTests(xof_detail::xofShape<X>());
}

// One group, "XOF buffer safety": each absorbed piece placed against an
// inaccessible page and read-only during the call.
template <Xof X>
std::vector<Test> makeXofBufferSafetyTests() {
    return xof_detail::bufferSafetyTests(xof_detail::xofShape<X>());
}

}  // namespace zelkor::tests
