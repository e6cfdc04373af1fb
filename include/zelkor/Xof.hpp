#pragma once
// Extendable-output functions (XOFs): a message absorbed in any number of
// pieces, then as many output bytes as wanted.
//
// An XOF type X is default-constructible (a fresh state) and declares its
// rate and whether it squeezes in several calls:
//
//   static constexpr int rateLength;                 // bits absorbed per permutation
//   static constexpr bool squeezesRepeatedly;        // squeeze may be called again
//   void absorb(const ByteString& bytes);            // the next piece of the message
//   ByteString squeeze(std::size_t bytes);           // the next bytes of output
//
// Absorbing pieces one after another is absorbing their concatenation, and
// squeezing n bytes then m bytes gives the n + m bytes of one squeeze. absorb
// after the first squeeze throws (any std::exception); so does a second
// squeeze of a type that does not squeeze repeatedly.

#include <concepts>
#include <cstddef>

#include "zelkor/ByteString.hpp"

namespace zelkor {

template <class X>
concept Xof = std::default_initializable<X> && requires(X& x, const ByteString& s, std::size_t n) {
    { X::rateLength } -> std::convertible_to<int>;
    { X::squeezesRepeatedly } -> std::convertible_to<bool>;
    x.absorb(s);
    { x.squeeze(n) } -> std::same_as<ByteString>;
};

}  // namespace zelkor
