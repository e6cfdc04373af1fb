#pragma once
// Shared utilities and the generic property suites: hex decoding, random byte
// strings, and the block-cipher and hash property suites.

#include <stdexcept>
#include <string_view>

#include "zelkor/ByteString.hpp"
#include "zelkor/tests/detail/cipher/BlockCipherPropTests.hpp"
#include "zelkor/tests/detail/checks/Generators.hpp"
#include "zelkor/tests/detail/digest/HashPropTests.hpp"

namespace zelkor::tests {

// Raised by hexStringToBS. For input of odd length the message is exactly
// "Not an even number of hex characters in input to hexStringToBS!".
class HexDecodeError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// Decodes pairs of hex digits from the front. A pair reads as the longest run
// of hex digits at its start ("7z" is 0x07), so only a pair whose first
// character is not a hex digit is an error; an odd length always is.
ByteString hexStringToBS(std::string_view hex);

}  // namespace zelkor::tests
