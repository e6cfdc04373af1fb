#pragma once
// The byte-level steps of the block-cipher properties that need no cipher.

#include <cstddef>

#include "zelkor/ByteString.hpp"

namespace zelkor::tests::detail {

// Key bytes of length n from random material: the material followed by one
// 0x00, repeated and cut to n bytes (so short material still varies the key).
// Empty when n <= 0.
ByteString keyBytesFromMaterial(const ByteString& material, long n);

// The first L - (L mod blockBytes) bytes of a chunked string, keeping its own
// chunk boundaries so the chunked modes see cuts inside blocks. Throws
// std::invalid_argument for a block of 0 bytes rather than dividing by it.
ChunkedByteString takeWholeBlocks(const ChunkedByteString& plaintext, std::size_t blockBytes);

}  // namespace zelkor::tests::detail
