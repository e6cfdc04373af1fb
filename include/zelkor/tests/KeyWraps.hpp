#pragma once
// Tests for any key wrap (zelkor/KeyWrap.hpp) and for the generic AES-KW and
// AES-KWP over a block cipher.

#include <vector>

#include "zelkor/KeyWrap.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/keywrap/KeyWrapShape.hpp"

namespace zelkor::tests {

// One group, "Key wrap properties":
// - "UnwrapUndoesWrap": for key data of declared lengths (8 to 4104 bytes,
//   around the 8-byte halves), wrap gives 8 bytes more than the data padded
//   to 8 bytes and unwrap gives the data back;
// - "AnyChangedBitIsRefused": a wrapped key with one bit changed gives nothing
//   (or an exception);
// - "UndeclaredLengthsAreRefused": wrap throws for every length of 0 to 40
//   bytes the type does not declare, and unwrap refuses wrapped keys of 0, 8,
//   15 and 17 bytes.
template <KeyWrap W>
std::vector<Test> makeKeyWrapPropertyTests() {
    return keywrap_detail::propertyTests(keywrap_detail::keyWrapShape<W>());
}

// One group, "Key wrap buffer safety": the key given to buildKey, the key
// data of wrap and the wrapped key of unwrap (also with a bit changed) placed
// against an inaccessible page and read-only during the call.
template <KeyWrap W>
std::vector<Test> makeKeyWrapBufferSafetyTests() {
    return keywrap_detail::bufferSafetyTests(keywrap_detail::keyWrapShape<W>());
}

// One group, "Key wrap conformance", for a type that exposes its block
// cipher (blockCipher(), as KeyWrapOf does): its wrap and unwrap against the
// generic construction over that cipher's blocks (KW or KWP, forward or
// inverse as `variant` says), and wrapped keys the generic construction makes
// with a wrong integrity value, a length indicator that does not fit the
// padding or padding that is not zero, all refused. Without a block cipher
// the group holds one skipped case saying so.
template <KeyWrap W>
std::vector<Test> makeKeyWrapConformanceTests(keywrap_detail::KeyWrapVariant variant) {
    return keywrap_detail::conformanceTests(keywrap_detail::keyWrapShape<W>(), variant);
}

}  // namespace zelkor::tests
