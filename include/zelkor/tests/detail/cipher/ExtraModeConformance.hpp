#pragma once
// Conformance of CFB8, CFB1, CBC with PKCS#7 padding and XTS: the operations
// (own members or the generic ones) against the plain forms of
// TextbookExtraModes.hpp, in both directions, with next IVs and refusals.
// CFB1 and CFB8 make one block call per bit or byte, so their messages are
// short: a few bytes, and in one case of eight just over a block.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <rapidcheck.h>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/ExtraModes.hpp"
#include "zelkor/tests/detail/checks/ConformanceFailures.hpp"
#include "zelkor/tests/detail/checks/ConformanceInputs.hpp"
#include "zelkor/tests/detail/cipher/BlockCipherPropTests.hpp"
#include "zelkor/tests/detail/cipher/TextbookExtraModes.hpp"

namespace zelkor::tests::detail {

template <BlockCipher K>
TextbookBlock textbookEncrypt(const K& key) {
    return [&key](const ByteString& block) { return key.encryptBlock(block); };
}

template <BlockCipher K>
TextbookBlock textbookDecrypt(const K& key) {
    return [&key](const ByteString& block) { return key.decryptBlock(block); };
}

inline Context modeContext(const std::string& what, std::size_t keyBytes, std::size_t messageBytes) {
    Context context(what);
    context.key(keyBytes).message(messageBytes);
    return context;
}

// A short message: 1..3 bytes, or a block and one byte in one case of eight.
template <BlockCipher K>
ByteString shortFeedbackMessage(const CipherCase<K>& c) {
    const std::size_t length = c.keyStart == 0 ? blockBytes<K>() + 1 : 1 + c.shortLength % 3;
    return c.message.take(length);
}

template <BlockCipher K>
void cfb8MatchesTextbook(const CipherCase<K>& c) {
    const K key = keyOrDiscard<K>(c.key);
    const IV<K> iv = *IV<K>::decode(c.iv);
    for (const ByteString& message : {ByteString(), shortFeedbackMessage(c)}) {
        for (const bool encrypt : {true, false}) {
            const TextbookResult want = textbookCfb8(textbookEncrypt(key), encrypt, c.iv, message);
            const auto [bytes, next] = encrypt ? zelkor::cfb8(key, iv, message) : zelkor::unCfb8(key, iv, message);
            const char* name = encrypt ? "cfb8" : "unCfb8";
            requireBytes([&] { return modeContext(std::string(name) + ", bytes", c.key.size(), message.size()); },
                         bytes, want.bytes);
            requireBytes([&] { return modeContext(std::string(name) + ", next IV", c.key.size(), message.size()); },
                         next.bytes(), want.nextIV);
        }
    }
}

// A bit count that ends inside a byte in seven cases of eight, on its
// boundary in the eighth, and no bits at all.
template <BlockCipher K>
void cfb1MatchesTextbook(const CipherCase<K>& c) {
    const K key = keyOrDiscard<K>(c.key);
    const IV<K> iv = *IV<K>::decode(c.iv);
    const ByteString message = shortFeedbackMessage(c);
    const std::size_t unused = c.ivPosition % 8;
    for (const std::size_t bits : {std::size_t{0}, 8 * message.size() - unused}) {
        const ByteString in = message.take((bits + 7) / 8);
        for (const bool encrypt : {true, false}) {
            const TextbookResult want = textbookCfb1(textbookEncrypt(key), encrypt, c.iv, in, bits);
            const auto [bytes, next] =
                encrypt ? zelkor::cfb1(key, iv, in, bits) : zelkor::unCfb1(key, iv, in, bits);
            const auto at = [&](const char* what) {
                return [&, what] {
                    return modeContext(std::string(encrypt ? "cfb1" : "unCfb1") + ", " + what, c.key.size(),
                                       in.size())
                        .part(std::to_string(bits) + " bits");
                };
            };
            requireBytes(at("bits"), bytes, want.bytes);
            requireBytes(at("next IV"), next.bytes(), want.nextIV);
        }
    }
}

// Whether unCbcPKCS7 gave no plaintext (an exception counts as a refusal).
template <BlockCipher K>
std::optional<ByteString> unpaddedOrNone(const K& key, const IV<K>& iv, const ByteString& ciphertext) {
    try {
        return zelkor::unCbcPKCS7(key, iv, ciphertext);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// Encryption pads and chains as the plain form does, decryption gives the
// message back, and ciphertexts whose last block decrypts to a bad pad (a 0,
// a count over the block size, one pad byte off) or that are empty or not
// whole blocks give no plaintext.
template <BlockCipher K>
void cbcPkcs7MatchesTextbook(const CipherCase<K>& c) {
    const K key = keyOrDiscard<K>(c.key);
    const IV<K> iv = *IV<K>::decode(c.iv);
    const std::size_t b = blockBytes<K>();
    const ByteString message = c.message.take(c.shortLength);
    const ByteString want = textbookCbc(key, true, c.iv, textbookPkcs7(b, message)).bytes;
    requireBytes([&] { return modeContext("cbcPKCS7", c.key.size(), message.size()); },
                 zelkor::cbcPKCS7(key, iv, message), want);
    const std::optional<ByteString> back = zelkor::unCbcPKCS7(key, iv, want);
    require(back.has_value(), [&] { return modeContext("unCbcPKCS7 refused a good pad", c.key.size(), b); });
    requireBytes([&] { return modeContext("unCbcPKCS7", c.key.size(), want.size()); }, *back, message);

    const ByteString prefix = c.message.take(c.shortLength - c.shortLength % b);
    const std::size_t count = 2 + c.ivPosition % (b > 2 ? b - 1 : 1);  // 2..b
    struct Bad {
        const char* what;
        std::vector<std::uint8_t> block;
    };
    std::vector<Bad> bads;
    std::vector<std::uint8_t> block = c.message.drop(c.message.size() - b).vector();
    block[b - 1] = 0;
    bads.push_back({"a 0 pad byte", block});
    if (b < 255) {
        block[b - 1] = static_cast<std::uint8_t>(b + 1);
        bads.push_back({"a pad count over the block size", block});
    }
    if (count <= b) {
        for (std::size_t i = b - count; i < b; ++i) block[i] = static_cast<std::uint8_t>(count);
        block[b - count + c.keyStart % (count - 1)] ^= c.ivMask;
        bads.push_back({"one pad byte off", block});
    }
    for (const Bad& bad : bads) {
        const ByteString ciphertext = textbookCbc(key, true, c.iv, prefix + ByteString(bad.block)).bytes;
        const std::optional<ByteString> got = unpaddedOrNone(key, iv, ciphertext);
        require(!got.has_value(), [&] {
            return modeContext(std::string("unCbcPKCS7 gave a plaintext for a last block with ") + bad.what,
                               c.key.size(), ciphertext.size());
        });
    }
    for (const ByteString& cut : {ByteString(), want.take(want.size() - 1)}) {
        require(!unpaddedOrNone(key, iv, cut).has_value(), [&] {
            return modeContext("unCbcPKCS7 gave a plaintext for a ciphertext of partial blocks", c.key.size(),
                               cut.size());
        });
    }
}

// The second key of an XTS case: the last key bytes of the message.
template <BlockCipher K>
K tweakKeyOf(const CipherCase<K>& c) {
    return keyOrDiscard<K>(c.message.drop(c.message.size() - c.key.size()));
}

// Units of 16, 17, 31, 32, 33 and the whole message's bytes, and one drawn
// length up to 64: both directions as the plain form. A unit under 16 bytes
// is refused.
template <XtsBlockCipher K>
void xtsMatchesTextbook(const CipherCase<K>& c) {
    const K key = keyOrDiscard<K>(c.key);
    const K tweakKey = tweakKeyOf(c);
    const ByteString source = c.message + c.message;
    const std::size_t drawn = 16 + (7 * c.shortLength + c.keyStart) % 49;
    for (const std::size_t length : {std::size_t{16}, std::size_t{17}, std::size_t{31}, std::size_t{32},
                                     std::size_t{33}, c.message.size(), drawn}) {
        const ByteString unit = source.take(length);
        const ByteString enc = zelkor::xts(key, tweakKey, c.iv, unit);
        const ByteString dec = zelkor::unXts(key, tweakKey, c.iv, unit);
        requireBytes([&] { return modeContext("xts", c.key.size(), length); }, enc,
                     textbookXts(textbookEncrypt(key), textbookEncrypt(tweakKey), true, c.iv, unit));
        requireBytes([&] { return modeContext("unXts", c.key.size(), length); }, dec,
                     textbookXts(textbookDecrypt(key), textbookEncrypt(tweakKey), false, c.iv, unit));
    }
    const ByteString small = c.message.take(c.shortLength % 16);
    bool refused = false;
    try {
        (void)zelkor::xts(key, tweakKey, c.iv, small);
    } catch (const std::invalid_argument&) {
        refused = true;
    }
    require(refused, [&] { return modeContext("xts accepted a unit under 16 bytes", c.key.size(), small.size()); });
}

// Decryption undoes encryption at every length from 16 to 64 bytes (every
// eighth per case from a random start: a run of 100 cases misses a given
// length with probability below 2e-6) and, in one case of eight, on a unit of
// 4 KiB and some bytes.
template <XtsBlockCipher K>
void xtsRoundTrip(const CipherCase<K>& c) {
    const K key = keyOrDiscard<K>(c.key);
    const K tweakKey = tweakKeyOf(c);
    ByteString source = c.message;
    while (source.size() < (c.keyStart == 1 ? 4096 + 16 : 64)) source = source + source;
    std::vector<std::size_t> lengths;
    if (c.keyStart == 1) lengths.push_back(4096 + c.shortLength % 16);
    for (std::size_t length = 16 + c.keyStart; length <= 64; length += kLengthStride) lengths.push_back(length);
    for (const std::size_t length : lengths) {
        const ByteString unit = source.take(length);
        const ByteString enc = zelkor::xts(key, tweakKey, c.iv, unit);
        require(enc.size() == length && enc != unit,
                [&] { return modeContext("xts left the unit unchanged or changed its length", c.key.size(), length); });
        requireBytes([&] { return modeContext("unXts after xts", c.key.size(), length); },
                     zelkor::unXts(key, tweakKey, c.iv, enc), unit);
    }
}

}  // namespace zelkor::tests::detail
