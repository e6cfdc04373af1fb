#pragma once
// The generic CFB8, CFB1, XTS and PKCS#7 padding, written once over a block
// function whose type is erased, so that they are compiled into the library
// rather than instantiated for every cipher type.

#include <cstddef>
#include <optional>

#include "zelkor/ByteString.hpp"
#include "zelkor/detail/ModeEngines.hpp"

namespace zelkor::detail {

// One direction of a cipher's block function: whole blocks in, as many out.
struct BlockFunction {
    const void* key;
    ByteString (*apply)(const void* key, ByteSpan blocks);
    ByteString operator()(ByteSpan blocks) const { return apply(key, blocks); }
};

template <class K>
BlockFunction encryptionOf(const K& key) {
    return {&key, [](const void* k, ByteSpan blocks) { return encryptBlocks(*static_cast<const K*>(k), blocks); }};
}

template <class K>
BlockFunction decryptionOf(const K& key) {
    return {&key, [](const void* k, ByteSpan blocks) { return decryptBlocks(*static_cast<const K*>(k), blocks); }};
}

struct FeedbackResult {
    ByteString bytes;
    ByteString nextIV;  // the shift register after the last unit
};

// CFB with 8-bit feedback over whole bytes.
FeedbackResult cfb8Run(BlockFunction encrypt, const ByteString& iv, const ByteString& input, bool encrypting);

// CFB with 1-bit feedback over the first `bitCount` bits of `input`, each
// byte's most significant bit first; `input` must hold exactly
// ceil(bitCount / 8) bytes (std::invalid_argument otherwise). Output bits past
// bitCount are zero.
FeedbackResult cfb1Run(BlockFunction encrypt, const ByteString& iv, const ByteString& input, std::size_t bitCount,
                       bool encrypting);

// XTS over 16-byte blocks: `data` is the data key's encryption (decryption
// when !encrypting), `tweakEncrypt` the tweak key's encryption. The tweak must
// be 16 bytes and the input at least 16 (std::invalid_argument otherwise).
ByteString xtsRun(BlockFunction data, BlockFunction tweakEncrypt, const ByteString& tweak, const ByteString& input,
                  bool encrypting);

// Whether the block function gives 16-byte blocks; xtsRun's callers check it.
void requireXtsBlock(std::size_t blockBytes);

}  // namespace zelkor::detail
