#pragma once
// CMAC over bytes, given the block encryption as a function: the non-template
// part of zelkor::cmac.

#include <cstddef>
#include <functional>
#include <vector>

#include "zelkor/ByteString.hpp"

namespace zelkor::detail {

// One block through the cipher; its result must be a block long.
using EncryptOneBlock = std::function<ByteString(const ByteString&)>;

// The CMAC of the message given as chunks, under a cipher of blockBytes (8 or
// 16) bytes; the full tag, one block long. Chunks are read in place, never
// gathered into one buffer.
ByteString cmacOfChunks(std::size_t blockBytes, const EncryptOneBlock& encrypt, const std::vector<ByteString>& chunks);

// x shifted left by one bit, the constant of its block size XORed in when the
// bit shifted out was set: how both subkeys are made from E(0).
std::vector<std::uint8_t> cmacDouble(const std::vector<std::uint8_t>& x);

}  // namespace zelkor::detail
