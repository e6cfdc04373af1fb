#include "zelkor/detail/ExtraModeCore.hpp"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace zelkor::detail {

namespace {

constexpr std::size_t kXtsBlock = 16;

// The register shifted left by one byte, `in` entering at its end.
void shiftInByte(Bytes& reg, std::uint8_t in) {
    for (std::size_t i = 0; i + 1 < reg.size(); ++i) reg[i] = reg[i + 1];
    reg.back() = in;
}

// The register shifted left by one bit, `bit` entering at its end.
void shiftInBit(Bytes& reg, unsigned bit) {
    for (std::size_t i = 0; i + 1 < reg.size(); ++i) {
        reg[i] = static_cast<std::uint8_t>((reg[i] << 1) | (reg[i + 1] >> 7));
    }
    reg.back() = static_cast<std::uint8_t>((reg.back() << 1) | (bit & 1));
}

using XtsBlock = std::array<std::uint8_t, kXtsBlock>;

// The tweak times x in GF(2^128), byte 0 holding the lowest powers.
void timesX(XtsBlock& t) {
    const unsigned carry = t[kXtsBlock - 1] >> 7;
    for (std::size_t i = kXtsBlock - 1; i > 0; --i) {
        t[i] = static_cast<std::uint8_t>((t[i] << 1) | (t[i - 1] >> 7));
    }
    t[0] = static_cast<std::uint8_t>((t[0] << 1) ^ (carry ? 0x87 : 0));
}

// Whole blocks, each XORed with its tweak before and after the block function.
void xtsBlocks(BlockFunction data, const std::vector<XtsBlock>& tweaks, std::uint8_t* bytes) {
    const std::size_t n = tweaks.size() * kXtsBlock;
    if (n == 0) return;
    for (std::size_t b = 0; b < tweaks.size(); ++b) {
        for (std::size_t i = 0; i < kXtsBlock; ++i) bytes[b * kXtsBlock + i] ^= tweaks[b][i];
    }
    const ByteString out = data(ByteSpan(bytes, n));
    for (std::size_t b = 0; b < tweaks.size(); ++b) {
        for (std::size_t i = 0; i < kXtsBlock; ++i) bytes[b * kXtsBlock + i] = out[b * kXtsBlock + i] ^ tweaks[b][i];
    }
}

}  // namespace

FeedbackResult cfb8Run(BlockFunction encrypt, const ByteString& iv, const ByteString& input, bool encrypting) {
    Bytes reg = iv.vector();
    Bytes out;
    out.reserve(input.size());
    for (const std::uint8_t byte : input) {
        const std::uint8_t result = static_cast<std::uint8_t>(byte ^ encrypt(ByteSpan(reg))[0]);
        out.push_back(result);
        shiftInByte(reg, encrypting ? result : byte);
    }
    return {ByteString(std::move(out)), ByteString(std::move(reg))};
}

FeedbackResult cfb1Run(BlockFunction encrypt, const ByteString& iv, const ByteString& input, std::size_t bitCount,
                       bool encrypting) {
    if (input.size() != (bitCount + 7) / 8) {
        throw std::invalid_argument((encrypting ? std::string("cfb1: ") : std::string("unCfb1: ")) +
                                    std::to_string(bitCount) + " bits do not fill exactly " +
                                    std::to_string(input.size()) + " bytes");
    }
    Bytes reg = iv.vector();
    Bytes out(input.size(), 0);
    for (std::size_t bit = 0; bit < bitCount; ++bit) {
        const unsigned shift = 7 - static_cast<unsigned>(bit % 8);
        const unsigned in = (input[bit / 8] >> shift) & 1;
        const unsigned result = in ^ (encrypt(ByteSpan(reg))[0] >> 7);
        out[bit / 8] = static_cast<std::uint8_t>(out[bit / 8] | (result << shift));
        shiftInBit(reg, encrypting ? result : in);
    }
    return {ByteString(std::move(out)), ByteString(std::move(reg))};
}

void requireXtsBlock(std::size_t blockBytes) {
    if (blockBytes != kXtsBlock) {
        throw std::invalid_argument("xts: needs 16-byte blocks, the cipher's are " + std::to_string(blockBytes));
    }
}

ByteString xtsRun(BlockFunction data, BlockFunction tweakEncrypt, const ByteString& tweak, const ByteString& input,
                  bool encrypting) {
    const char* name = encrypting ? "xts" : "unXts";
    if (tweak.size() != kXtsBlock) {
        throw std::invalid_argument(std::string(name) + ": a tweak of " + std::to_string(tweak.size()) +
                                    " bytes, not 16");
    }
    if (input.size() < kXtsBlock) {
        throw std::invalid_argument(std::string(name) + ": a data unit of " + std::to_string(input.size()) +
                                    " bytes, under one 16-byte block");
    }
    const ByteString first = tweakEncrypt(tweak.span());
    XtsBlock t{};
    for (std::size_t i = 0; i < kXtsBlock; ++i) t[i] = first[i];

    const std::size_t whole = input.size() / kXtsBlock;
    const std::size_t tail = input.size() % kXtsBlock;
    // With a partial block, the last whole block is handled with it.
    const std::size_t plain = tail == 0 ? whole : whole - 1;
    std::vector<XtsBlock> tweaks;
    tweaks.reserve(whole + 1);
    for (std::size_t b = 0; b < plain; ++b) {
        tweaks.push_back(t);
        timesX(t);
    }
    Bytes out = input.vector();
    xtsBlocks(data, tweaks, out.data());
    if (tail == 0) return ByteString(std::move(out));

    // Ciphertext stealing: tweak t for the last whole block, t*x for the
    // partial one. Encryption runs the last whole block under t and the
    // rebuilt block under t*x; decryption takes them in the other order.
    XtsBlock next = t;
    timesX(next);
    std::uint8_t* last = out.data() + plain * kXtsBlock;  // the last whole block, then the tail
    xtsBlocks(data, {encrypting ? t : next}, last);
    for (std::size_t i = 0; i < tail; ++i) std::swap(last[i], last[kXtsBlock + i]);
    xtsBlocks(data, {encrypting ? next : t}, last);
    return ByteString(std::move(out));
}

}  // namespace zelkor::detail
