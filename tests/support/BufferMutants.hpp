#pragma once
// Primitives that mishandle the memory of their inputs but compute the right
// answers: only placing the inputs against inaccessible pages, read-only and
// at odd alignments shows them. The over-reads are done without the
// sanitizers' checks, as an uninstrumented library would do them, so they
// are seen through the pages alone also in sanitizer builds.

#include <array>
#include <cstddef>
#include <cstdint>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "support/CipherMutants.hpp"
#include "support/HashMutants.hpp"
#include "zelkor/Hmac.hpp"
#include "zelkor/Modes.hpp"

namespace zelkor::testsupport::mutants {

// Reads the last partial block of `bytes` as a whole block of `blockBytes`,
// straight from the input, and keeps only the bytes that belong to it.
__attribute__((no_sanitize("address", "thread"), noinline)) inline std::uint8_t readTailAsWholeBlock(
    const ByteString& bytes, std::size_t blockBytes) {
    const std::size_t tail = bytes.size() % blockBytes;
    if (tail == 0) return 0;
    const volatile std::uint8_t* from = bytes.data() + (bytes.size() - tail);
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < blockBytes; ++i) {
        const std::uint8_t byte = from[i];
        if (i < tail) sum = static_cast<std::uint8_t>(sum + byte);
    }
    return sum;
}

// A digest that loads the last partial block of its message (of each chunk,
// in the chunked form) as a whole block from the input.
template <Hash D>
struct TailLoadedAsWholeBlock : DigestWrapper<TailLoadedAsWholeBlock<D>, D> {
    using Base = DigestWrapper<TailLoadedAsWholeBlock, D>;
    using Base::Base;

    static TailLoadedAsWholeBlock hash(const ByteString& message) {
        readTailAsWholeBlock(message, Base::kBlockBytes);
        return TailLoadedAsWholeBlock(D::hash(message));
    }
    static TailLoadedAsWholeBlock hash(const ChunkedByteString& message) {
        for (const ByteString& chunk : message.chunks()) readTailAsWholeBlock(chunk, Base::kBlockBytes);
        return TailLoadedAsWholeBlock(D::hash(message));
    }
};

// An HMAC that XORs the inner pad into the caller's key buffer and back
// (keys of at most a block), instead of into a copy of its own.
template <Hash D>
struct PadsXoredIntoKey : DigestWrapper<PadsXoredIntoKey<D>, D> {
    using Base = DigestWrapper<PadsXoredIntoKey, D>;
    using Base::Base;

    static PadsXoredIntoKey hash(const ByteString& message) { return PadsXoredIntoKey(D::hash(message)); }
    static PadsXoredIntoKey hash(const ChunkedByteString& message) { return PadsXoredIntoKey(D::hash(message)); }
    static PadsXoredIntoKey hmac(const ByteString& key, const ByteString& message) {
        xorPadTwice(key);
        return PadsXoredIntoKey(zelkor::hmac<D>(key, message));
    }
    static PadsXoredIntoKey hmac(const ByteString& key, const ChunkedByteString& message) {
        xorPadTwice(key);
        return PadsXoredIntoKey(zelkor::hmac<D>(key, message));
    }

private:
    static void xorPadTwice(const ByteString& key) {
        if (key.size() > Base::kBlockBytes) return;
        auto* bytes = const_cast<volatile std::uint8_t*>(key.data());
        for (std::size_t i = 0; i < key.size(); ++i) bytes[i] = static_cast<std::uint8_t>(bytes[i] ^ 0x36);
        for (std::size_t i = 0; i < key.size(); ++i) bytes[i] = static_cast<std::uint8_t>(bytes[i] ^ 0x36);
    }
};

// A CTR of its own that reads a whole block of input for the last partial
// block (the keystream is right: the extra bytes are dropped).
struct CtrReadsWholeTailBlock : Wrapper<CtrReadsWholeTailBlock> {
    Result ctr(const IV<CtrReadsWholeTailBlock>& iv, const ByteString& bytes) const {
        readTailAsWholeBlock(bytes, 16);
        auto [out, next] = zelkor::ctr(inner, innerIV(iv), bytes);
        return {std::move(out), ivAs<CtrReadsWholeTailBlock>(next)};
    }
    Result unCtr(const IV<CtrReadsWholeTailBlock>& iv, const ByteString& bytes) const { return ctr(iv, bytes); }
};

// A CBC decryption that decrypts block by block into its input buffer and
// returns a copy of it.
struct CbcDecryptsInPlace : Wrapper<CbcDecryptsInPlace> {
    Result unCbc(const IV<CbcDecryptsInPlace>& iv, const ByteString& bytes) const {
        auto* buffer = const_cast<std::uint8_t*>(bytes.data());
        std::array<std::uint8_t, 16> previous{};
        std::copy_n(iv.bytes().begin(), 16, previous.begin());
        for (std::size_t at = 0; at + 16 <= bytes.size(); at += 16) {
            std::array<std::uint8_t, 16> ciphertext{};
            std::array<std::uint8_t, 16> plain{};
            std::copy_n(buffer + at, 16, ciphertext.begin());
            {
                const ByteString decrypted = inner.decryptBlock(ByteString(ciphertext.data(), 16));
                std::copy_n(decrypted.begin(), 16, plain.begin());
            }
            for (std::size_t i = 0; i < 16; ++i) buffer[at + i] = plain[i] ^ previous[i];
            previous = ciphertext;
        }
        return {ByteString(bytes.data(), bytes.size()), *IV<CbcDecryptsInPlace>::decode(ByteString(previous))};
    }
};

#if defined(__x86_64__)
// An AES whose encryptBlock loads its input 16 bytes at a time with an
// aligned vector load (movdqa): right on 16-byte aligned input, a processor
// fault at any other address.
struct AlignedLoadAes : Wrapper<AlignedLoadAes> {
    ByteString encryptBlock(const ByteString& blocks) const {
        for (std::size_t at = 0; at + 16 <= blocks.size(); at += 16) {
            __m128i block = _mm_setzero_si128();
            asm volatile("movdqa (%1), %0" : "=x"(block) : "r"(blocks.data() + at) : "memory");
            (void)block;
        }
        return inner.encryptBlock(blocks);
    }
};
#endif

}  // namespace zelkor::testsupport::mutants
