#pragma once
// The parts of CCM that do not depend on the block cipher's type: formatting
// the authenticated input (B0, the AAD with its length, the payload), CBC-MAC
// and the counter blocks. Compiled into the library; zelkor/Ccm.hpp hands them
// the cipher's encryptBlock.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "zelkor/ByteString.hpp"

namespace zelkor::detail {

using CcmBlock = std::array<std::uint8_t, 16>;

// Encrypts a run of whole 16-byte blocks in place.
using CcmEncryptBlocks = std::function<void(std::span<std::uint8_t>)>;

// std::invalid_argument naming the value: a nonce other than 7 to 13 bytes, a
// tag other than 4 to 16 bytes and even, a payload too long for the length
// field the nonce leaves (15 - nonce bytes).
void checkCcmLengths(std::size_t nonceBytes, std::size_t tagBytes, std::size_t payloadBytes);

// B0, then the AAD's length and the AAD (when there is AAD) padded to whole
// blocks, then the payload padded to whole blocks. The nonce may be 1 to 14
// bytes here; the length field is 15 - nonce bytes.
std::vector<std::uint8_t> ccmFormatInput(const ByteString& nonce, const ByteString& aad, const ByteString& payload,
                                         std::size_t tagBytes);

// The AAD's length as CCM writes it before the AAD: 2 bytes below 2^16 - 2^8,
// then 0xff 0xfe and 4 bytes below 2^32, else 0xff 0xff and 8 bytes.
std::vector<std::uint8_t> ccmAadLengthField(std::uint64_t aadBytes);

// The last block of CBC-MAC (zero IV) over whole blocks.
CcmBlock ccmCbcMac(const CcmEncryptBlocks& encrypt, std::span<const std::uint8_t> blocks);

// `text` xor the keystream of counter blocks 1, 2, ...; `s0` receives the
// encrypted counter block 0, which masks the tag.
ByteString ccmCounterMode(const CcmEncryptBlocks& encrypt, const ByteString& nonce, const ByteString& text,
                          CcmBlock& s0);

// Ciphertext and tag; lengths are the caller's to check.
std::pair<ByteString, ByteString> ccmSealWith(const CcmEncryptBlocks& encrypt, const ByteString& nonce,
                                              const ByteString& aad, const ByteString& payload,
                                              std::size_t tagBytes);

// The payload when the tag matches (compared in constant time), else none;
// lengths are the caller's to check.
std::optional<ByteString> ccmOpenWith(const CcmEncryptBlocks& encrypt, const ByteString& nonce,
                                      const ByteString& aad, const ByteString& ciphertext, const ByteString& tag);

}  // namespace zelkor::detail
