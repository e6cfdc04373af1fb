#include "zelkor/detail/CcmMath.hpp"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "zelkor/detail/GcmMath.hpp"

namespace zelkor::detail {

namespace {

// The bytes of the length field that a nonce of `nonceBytes` leaves.
std::size_t lengthFieldBytes(std::size_t nonceBytes) {
    if (nonceBytes < 1 || nonceBytes > 14) {
        throw std::invalid_argument("CCM: nonce of " + std::to_string(nonceBytes) + " bytes cannot be formatted");
    }
    return 15 - nonceBytes;
}

// Whether `value` fits in `bytes` bytes.
bool fitsIn(std::uint64_t value, std::size_t bytes) { return bytes >= 8 || value >> (8 * bytes) == 0; }

void putBigEndian(std::uint8_t* out, std::size_t bytes, std::uint64_t value) {
    for (std::size_t i = 0; i < bytes; ++i) {
        out[bytes - 1 - i] = i < 8 ? static_cast<std::uint8_t>(value >> (8 * i)) : 0;
    }
}

void padToBlock(std::vector<std::uint8_t>& bytes) { bytes.resize((bytes.size() + 15) / 16 * 16, 0); }

// Counter block i: flags (the length field's size less one), nonce, i.
CcmBlock counterBlock(const ByteString& nonce, std::uint64_t i) {
    const std::size_t q = lengthFieldBytes(nonce.size());
    CcmBlock block{};
    block[0] = static_cast<std::uint8_t>(q - 1);
    std::copy(nonce.begin(), nonce.end(), block.begin() + 1);
    putBigEndian(block.data() + 1 + nonce.size(), q, i);
    return block;
}

}  // namespace

void checkCcmLengths(std::size_t nonceBytes, std::size_t tagBytes, std::size_t payloadBytes) {
    if (nonceBytes < 7 || nonceBytes > 13) {
        throw std::invalid_argument("CCM: nonce of " + std::to_string(nonceBytes) + " bytes (7 to 13 are taken)");
    }
    if (tagBytes < 4 || tagBytes > 16 || tagBytes % 2 != 0) {
        throw std::invalid_argument("CCM: tag of " + std::to_string(tagBytes) +
                                    " bytes (4, 6, 8, 10, 12, 14 or 16 are taken)");
    }
    if (!fitsIn(payloadBytes, 15 - nonceBytes)) {
        throw std::invalid_argument("CCM: payload of " + std::to_string(payloadBytes) + " bytes does not fit the " +
                                    std::to_string(15 - nonceBytes) + "-byte length field of a " +
                                    std::to_string(nonceBytes) + "-byte nonce");
    }
}

std::vector<std::uint8_t> ccmAadLengthField(std::uint64_t aadBytes) {
    std::vector<std::uint8_t> field;
    if (aadBytes < 0xff00) {
        field.resize(2);
        putBigEndian(field.data(), 2, aadBytes);
    } else if (aadBytes <= 0xffffffffu) {
        field = {0xff, 0xfe, 0, 0, 0, 0};
        putBigEndian(field.data() + 2, 4, aadBytes);
    } else {
        field = {0xff, 0xff, 0, 0, 0, 0, 0, 0, 0, 0};
        putBigEndian(field.data() + 2, 8, aadBytes);
    }
    return field;
}

std::vector<std::uint8_t> ccmFormatInput(const ByteString& nonce, const ByteString& aad, const ByteString& payload,
                                         std::size_t tagBytes) {
    const std::size_t q = lengthFieldBytes(nonce.size());
    if (!fitsIn(payload.size(), q)) throw std::invalid_argument("CCM: payload too long for the nonce's length field");
    std::vector<std::uint8_t> input(16, 0);
    const std::uint8_t tagField = tagBytes >= 2 ? static_cast<std::uint8_t>(((tagBytes - 2) / 2) & 7) : 0;
    input[0] = static_cast<std::uint8_t>((aad.size() > 0 ? 0x40 : 0) | (tagField << 3) | (q - 1));
    std::copy(nonce.begin(), nonce.end(), input.begin() + 1);
    putBigEndian(input.data() + 1 + nonce.size(), q, payload.size());
    if (aad.size() > 0) {
        const std::vector<std::uint8_t> length = ccmAadLengthField(aad.size());
        input.insert(input.end(), length.begin(), length.end());
        input.insert(input.end(), aad.begin(), aad.end());
        padToBlock(input);
    }
    input.insert(input.end(), payload.begin(), payload.end());
    padToBlock(input);
    return input;
}

CcmBlock ccmCbcMac(const CcmEncryptBlocks& encrypt, std::span<const std::uint8_t> blocks) {
    CcmBlock chain{};
    for (std::size_t pos = 0; pos + 16 <= blocks.size(); pos += 16) {
        for (std::size_t i = 0; i < 16; ++i) chain[i] ^= blocks[pos + i];
        encrypt(chain);
    }
    return chain;
}

ByteString ccmCounterMode(const CcmEncryptBlocks& encrypt, const ByteString& nonce, const ByteString& text,
                          CcmBlock& s0) {
    constexpr std::size_t kBatchBlocks = 64;
    const std::size_t blocks = (text.size() + 15) / 16;
    std::vector<std::uint8_t> out(text.begin(), text.end());
    std::vector<std::uint8_t> keystream;
    // Block 0 first (for the tag), then the payload's counters in batches.
    s0 = counterBlock(nonce, 0);
    encrypt(s0);
    for (std::size_t first = 0; first < blocks; first += kBatchBlocks) {
        const std::size_t count = std::min(kBatchBlocks, blocks - first);
        keystream.resize(count * 16);
        for (std::size_t b = 0; b < count; ++b) {
            const CcmBlock counter = counterBlock(nonce, first + b + 1);
            std::copy(counter.begin(), counter.end(), keystream.begin() + static_cast<std::ptrdiff_t>(b * 16));
        }
        encrypt(keystream);
        const std::size_t end = std::min(out.size(), (first + count) * 16);
        for (std::size_t i = first * 16; i < end; ++i) out[i] ^= keystream[i - first * 16];
    }
    return ByteString(std::move(out));
}

std::pair<ByteString, ByteString> ccmSealWith(const CcmEncryptBlocks& encrypt, const ByteString& nonce,
                                              const ByteString& aad, const ByteString& payload,
                                              std::size_t tagBytes) {
    const CcmBlock mac = ccmCbcMac(encrypt, ccmFormatInput(nonce, aad, payload, tagBytes));
    CcmBlock s0{};
    ByteString ciphertext = ccmCounterMode(encrypt, nonce, payload, s0);
    std::vector<std::uint8_t> tag(std::min<std::size_t>(tagBytes, 16));
    for (std::size_t i = 0; i < tag.size(); ++i) tag[i] = static_cast<std::uint8_t>(mac[i] ^ s0[i]);
    return {std::move(ciphertext), ByteString(std::move(tag))};
}

std::optional<ByteString> ccmOpenWith(const CcmEncryptBlocks& encrypt, const ByteString& nonce,
                                      const ByteString& aad, const ByteString& ciphertext, const ByteString& tag) {
    CcmBlock s0{};
    const ByteString payload = ccmCounterMode(encrypt, nonce, ciphertext, s0);
    const CcmBlock mac = ccmCbcMac(encrypt, ccmFormatInput(nonce, aad, payload, tag.size()));
    CcmBlock expected{};
    for (std::size_t i = 0; i < 16; ++i) expected[i] = static_cast<std::uint8_t>(mac[i] ^ s0[i]);
    if (tag.size() > 16 || !constantTimeEqual(std::span(expected.data(), tag.size()), tag.span())) {
        return std::nullopt;
    }
    return payload;
}

}  // namespace zelkor::detail
