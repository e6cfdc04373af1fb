#pragma once
// Tests for any stream cipher (zelkor/StreamCipher.hpp), over the nonce
// lengths and the end of the block counter its type declares.

#include <string_view>
#include <vector>

#include "zelkor/StreamCipher.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/stream/StreamShape.hpp"

namespace zelkor::tests {

// One group, "Stream cipher properties":
// - "ChunkedEqualsOneShot": any chunking of the input, from any offset, gives
//   the bytes of one call; "EverySplitEqualsOneShot" cuts a 150-byte input at
//   every position, from offsets inside and at the start of a block;
// - "OffsetEqualsSkippedBytes": starting at offset o gives what starting at
//   0 gives for o more bytes, cut; far into the stream, starting i bytes later
//   gives the same bytes from i on;
// - "OtherNonceOtherKeystream": a nonce one bit apart changes the keystream;
// - "EmptyInput": no bytes in, none out, at any offset;
// - "CounterEnd": the last bytes before the end of the block counter work
//   and agree with each other; past it, what the type declares happens: a
//   refusal with an exception (nothing given), or the counter carried into
//   the nonce's first word; anything else fails;
// - "UndeclaredLengthsAreRefused": nonce lengths the type does not declare
//   (0, one more and one less than each declared length, 8, 12, 16, 24 and
//   32 bytes) are refused by both forms of apply with an exception.
template <StreamCipher S>
std::vector<Test> makeStreamCipherPropertyTests() {
    return stream_detail::propertyTests(stream_detail::streamShape<S>());
}

// One group, "Stream cipher buffer safety": the key given to buildKey, the
// nonce and the input of apply (and each chunk of the chunked form) placed
// against an inaccessible page and read-only during the call (see
// BufferSafety.hpp).
template <StreamCipher S>
std::vector<Test> makeStreamCipherBufferSafetyTests() {
    return stream_detail::bufferSafetyTests(stream_detail::streamShape<S>());
}

// One case per record of Test/<directory> (KEY, NONCE, INITIAL_BLOCK_COUNTER,
// PLAINTEXT, CIPHERTEXT), named "<file name>-<COUNT>": the input from byte
// INITIAL_BLOCK_COUNTER x block of the stream gives the ciphertext, in one
// call and in chunks of 1, 63 and 64 bytes.
template <StreamCipher S>
std::vector<Test> makeStreamCipherKnownAnswerTests(std::string_view directory) {
    return stream_detail::knownAnswerTests(stream_detail::streamShape<S>(), directory);
}

// The witness only selects the type.
template <StreamCipher S>
std::vector<Test> makeStreamCipherPropertyTests(const S&) {
    return makeStreamCipherPropertyTests<S>();
}
template <StreamCipher S>
std::vector<Test> makeStreamCipherBufferSafetyTests(const S&) {
    return makeStreamCipherBufferSafetyTests<S>();
}

}  // namespace zelkor::tests
