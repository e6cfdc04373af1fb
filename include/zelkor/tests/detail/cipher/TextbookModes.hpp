#pragma once
// The five modes written the plain way, one encryptBlock / decryptBlock call
// per block, as the yardstick the conformance properties hold every mode
// implementation to (the library's own generic engines included, which is
// why nothing here is shared with them).
//
// Next IV: CBC and CFB give the last whole ciphertext block (the IV when there
// is none); OFB gives the last keystream block made, a trailing partial block
// included; CTR gives the IV plus the number of blocks used, big-endian,
// modulo 2^blockSize. A trailing partial block takes the first bytes of its
// keystream block. ECB and CBC expect whole blocks.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"

namespace zelkor::tests::detail {

struct TextbookResult {
    ByteString bytes;
    ByteString nextIV;
};

inline ByteString xorBytes(const ByteString& a, const ByteString& b) {
    std::vector<std::uint8_t> out(a.size() < b.size() ? a.size() : b.size());
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<std::uint8_t>(a[i] ^ b[i]);
    return ByteString(std::move(out));
}

// The big-endian integer `bytes` plus `n`, modulo 2^(8 * size).
inline ByteString addBigEndian(const ByteString& bytes, std::uint64_t n) {
    std::vector<std::uint8_t> out = bytes.vector();
    for (std::size_t i = out.size(); i-- > 0 && n != 0;) {
        const std::uint64_t sum = out[i] + (n & 0xff);
        out[i] = static_cast<std::uint8_t>(sum);
        n = (n >> 8) + (sum >> 8);
    }
    return ByteString(std::move(out));
}

// The blocks of `bytes`, the last one possibly partial.
template <class K>
std::vector<ByteString> blocksOf(const ByteString& bytes) {
    std::vector<ByteString> out;
    for (std::size_t at = 0; at < bytes.size(); at += blockBytes<K>()) {
        out.push_back(bytes.drop(at).take(blockBytes<K>()));
    }
    return out;
}

template <class K>
ByteString textbookEcb(const K& key, bool encrypt, const ByteString& bytes) {
    ByteString out;
    for (const ByteString& block : blocksOf<K>(bytes)) {
        out = out + (encrypt ? key.encryptBlock(block) : key.decryptBlock(block));
    }
    return out;
}

template <class K>
TextbookResult textbookCbc(const K& key, bool encrypt, const ByteString& iv, const ByteString& bytes) {
    ByteString out;
    ByteString chain = iv;
    for (const ByteString& block : blocksOf<K>(bytes)) {
        if (encrypt) {
            chain = key.encryptBlock(xorBytes(block, chain));
            out = out + chain;
        } else {
            out = out + xorBytes(key.decryptBlock(block), chain);
            chain = block;
        }
    }
    return {out, chain};
}

template <class K>
TextbookResult textbookCfb(const K& key, bool encrypt, const ByteString& iv, const ByteString& bytes) {
    ByteString out;
    ByteString feedback = iv;
    for (const ByteString& block : blocksOf<K>(bytes)) {
        const ByteString piece = xorBytes(block, key.encryptBlock(feedback));
        out = out + piece;
        // A partial block ends the message and is not fed back.
        if (block.size() == blockBytes<K>()) feedback = encrypt ? piece : block;
    }
    return {out, feedback};
}

template <class K>
TextbookResult textbookOfb(const K& key, const ByteString& iv, const ByteString& bytes) {
    ByteString out;
    ByteString keystream = iv;
    for (const ByteString& block : blocksOf<K>(bytes)) {
        keystream = key.encryptBlock(keystream);
        out = out + xorBytes(block, keystream);
    }
    return {out, keystream};
}

template <class K>
TextbookResult textbookCtr(const K& key, const ByteString& iv, const ByteString& bytes) {
    ByteString out;
    ByteString counter = iv;
    for (const ByteString& block : blocksOf<K>(bytes)) {
        out = out + xorBytes(block, key.encryptBlock(counter));
        counter = addBigEndian(counter, 1);
    }
    return {out, counter};
}

}  // namespace zelkor::tests::detail
