#pragma once
// CFB8, CFB1, XTS and PKCS#7 padding written the plain way, as the yardstick
// the conformance properties hold every implementation to (the library's own
// generic ones included, which is why nothing here is shared with them). The
// block function comes in as a callable, so this is compiled once.

#include <cstddef>
#include <functional>

#include "zelkor/ByteString.hpp"
#include "zelkor/tests/detail/cipher/TextbookModes.hpp"

namespace zelkor::tests::detail {

using TextbookBlock = std::function<ByteString(const ByteString&)>;

// Next IV: the last blockBytes bytes of IV || ciphertext.
TextbookResult textbookCfb8(const TextbookBlock& encrypt, bool encrypting, const ByteString& iv,
                            const ByteString& bytes);

// The first `bits` bits of `bytes`, most significant first; output bits past
// them are zero. Next IV: the last blockBytes*8 bits of IV || ciphertext bits.
TextbookResult textbookCfb1(const TextbookBlock& encrypt, bool encrypting, const ByteString& iv,
                            const ByteString& bytes, std::size_t bits);

// XTS of one data unit of 16 bytes or more with a 16-byte tweak; `data` is
// the data key's encryption or decryption, as `encrypting` says.
ByteString textbookXts(const TextbookBlock& data, const TextbookBlock& tweakEncrypt, bool encrypting,
                       const ByteString& tweak, const ByteString& bytes);

// The message followed by n bytes of value n, 1 <= n <= blockBytes.
ByteString textbookPkcs7(std::size_t blockBytes, const ByteString& bytes);

}  // namespace zelkor::tests::detail
