#include "zelkor/tests/detail/cipher/TextbookExtraModes.hpp"

#include <cstdint>
#include <vector>

namespace zelkor::tests::detail {

namespace {

using Bits = std::vector<std::uint8_t>;  // one bit per element

Bits bitsOf(const ByteString& bytes) {
    Bits out;
    for (const std::uint8_t byte : bytes) {
        for (int i = 7; i >= 0; --i) out.push_back(static_cast<std::uint8_t>((byte >> i) & 1));
    }
    return out;
}

ByteString bytesOf(const Bits& bits) {
    std::vector<std::uint8_t> out((bits.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < bits.size(); ++i) {
        out[i / 8] = static_cast<std::uint8_t>(out[i / 8] | (bits[i] << (7 - i % 8)));
    }
    return ByteString(std::move(out));
}

// The tweak as a 128-bit number: low and high 64 bits, byte 0 the lowest.
struct Wide {
    std::uint64_t low = 0, high = 0;
};

Wide wideOf(const ByteString& bytes) {
    Wide w;
    for (int i = 7; i >= 0; --i) w.low = (w.low << 8) | bytes[static_cast<std::size_t>(i)];
    for (int i = 15; i >= 8; --i) w.high = (w.high << 8) | bytes[static_cast<std::size_t>(i)];
    return w;
}

ByteString bytesOf(const Wide& w) {
    std::vector<std::uint8_t> out(16);
    for (int i = 0; i < 8; ++i) {
        out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(w.low >> (8 * i));
        out[static_cast<std::size_t>(i + 8)] = static_cast<std::uint8_t>(w.high >> (8 * i));
    }
    return ByteString(std::move(out));
}

// Multiplication by x modulo x^128 + x^7 + x^2 + x + 1.
Wide doubled(const Wide& w) {
    Wide out;
    out.high = (w.high << 1) | (w.low >> 63);
    out.low = (w.low << 1) ^ ((w.high >> 63) ? 0x87u : 0u);
    return out;
}

}  // namespace

TextbookResult textbookCfb8(const TextbookBlock& encrypt, bool encrypting, const ByteString& iv,
                            const ByteString& bytes) {
    ByteString out;
    ByteString reg = iv;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const ByteString in = bytes.drop(i).take(1);
        const ByteString piece = xorBytes(in, encrypt(reg));
        out = out + piece;
        reg = reg.drop(1) + (encrypting ? piece : in);
    }
    return {out, reg};
}

TextbookResult textbookCfb1(const TextbookBlock& encrypt, bool encrypting, const ByteString& iv,
                            const ByteString& bytes, std::size_t bits) {
    const Bits in = bitsOf(bytes);
    Bits reg = bitsOf(iv);
    Bits out;
    for (std::size_t i = 0; i < bits; ++i) {
        const std::uint8_t top = static_cast<std::uint8_t>(encrypt(bytesOf(reg))[0] >> 7);
        const std::uint8_t result = static_cast<std::uint8_t>(in[i] ^ top);
        out.push_back(result);
        reg.erase(reg.begin());
        reg.push_back(encrypting ? result : in[i]);
    }
    while (out.size() % 8 != 0) out.push_back(0);
    return {bytesOf(out), bytesOf(reg)};
}

ByteString textbookXts(const TextbookBlock& data, const TextbookBlock& tweakEncrypt, bool encrypting,
                       const ByteString& tweak, const ByteString& bytes) {
    const std::size_t m = bytes.size() / 16;
    const std::size_t r = bytes.size() % 16;
    std::vector<Wide> t{wideOf(tweakEncrypt(tweak))};
    while (t.size() < m + 1) t.push_back(doubled(t.back()));
    const auto unit = [&](const ByteString& block, std::size_t j) {
        const ByteString tj = bytesOf(t[j]);
        return xorBytes(data(xorBytes(block, tj)), tj);
    };
    std::vector<ByteString> blocks;
    for (std::size_t j = 0; j < m; ++j) blocks.push_back(bytes.drop(16 * j).take(16));
    if (r == 0) {
        ByteString out;
        for (std::size_t j = 0; j < m; ++j) out = out + unit(blocks[j], j);
        return out;
    }
    ByteString out;
    for (std::size_t j = 0; j + 1 < m; ++j) out = out + unit(blocks[j], j);
    const ByteString tailIn = bytes.drop(16 * m);
    // Encryption: CC = E(P[m-1]) under t[m-1]; C[m] = CC's head; C[m-1] = E(P[m] || CC's rest) under t[m].
    // Decryption: PP = D(C[m-1]) under t[m]; P[m] = PP's head; P[m-1] = D(C[m] || PP's rest) under t[m-1].
    const ByteString mixed = unit(blocks[m - 1], encrypting ? m - 1 : m);
    const ByteString rebuilt = tailIn + mixed.drop(r);
    return out + unit(rebuilt, encrypting ? m : m - 1) + mixed.take(r);
}

ByteString textbookPkcs7(std::size_t blockBytes, const ByteString& bytes) {
    const std::size_t n = blockBytes - bytes.size() % blockBytes;
    return bytes + ByteString(std::vector<std::uint8_t>(n, static_cast<std::uint8_t>(n)));
}

}  // namespace zelkor::tests::detail
