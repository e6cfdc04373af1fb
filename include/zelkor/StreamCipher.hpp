#pragma once
// Stream ciphers: a keystream chosen by key and nonce, XORed into bytes from
// any byte offset of the stream (the same call encrypts and decrypts).
//
// A stream cipher type S is its own key type and declares the lengths it
// takes and what happens at the end of its block counter:
//
//   static constexpr int keyLength;                 // bits
//   static constexpr int blockLength;               // bits of one keystream block
//   static constexpr int counterLength;             // bits of the block counter
//   static constexpr CounterEnd counterEnd;         // see below
//   static std::optional<S> buildKey(const ByteString&);   // none for a key it refuses
//   static bool acceptsNonce(std::size_t bytes);
//   ByteString apply(const ByteString& nonce, std::uint64_t offset, const ByteString& bytes) const;
//   ChunkedByteString apply(const ByteString& nonce, std::uint64_t offset,
//                           const ChunkedByteString& bytes) const;
//
// apply gives `bytes` XOR the keystream bytes offset, offset + 1, ...; the
// chunked form gives the same bytes, whatever the chunks. Both throw (any
// std::exception) for a nonce length the type does not accept.
//
// The stream of one nonce has 2^counterLength blocks. A call that needs a
// block past them (or an offset past 2^64 bytes) does what counterEnd says:
//   Refused           it throws and gives nothing;
//   CarriesIntoNonce  the counter goes on into the nonce's first 32-bit
//                     little-endian word, as one wider counter: block
//                     2^counterLength of nonce N is block 0 of N with that word
//                     plus one (the 64-bit counter of the original ChaCha).
//                     Safe only where nonces never differ in that word alone.

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "zelkor/ByteString.hpp"

namespace zelkor {

enum class CounterEnd { Refused, CarriesIntoNonce };

template <class S>
concept StreamCipher =
    std::copy_constructible<S> &&
    requires(const S& s, const ByteString& b, const ChunkedByteString& c, std::uint64_t offset, std::size_t n) {
        { S::keyLength } -> std::convertible_to<int>;
        { S::blockLength } -> std::convertible_to<int>;
        { S::counterLength } -> std::convertible_to<int>;
        { S::counterEnd } -> std::convertible_to<CounterEnd>;
        { S::buildKey(b) } -> std::same_as<std::optional<S>>;
        { S::acceptsNonce(n) } -> std::same_as<bool>;
        { s.apply(b, offset, b) } -> std::same_as<ByteString>;
        { s.apply(b, offset, c) } -> std::same_as<ChunkedByteString>;
    };

}  // namespace zelkor
