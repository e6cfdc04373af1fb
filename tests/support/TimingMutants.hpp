#pragma once
// Primitives that give the right answers but branch or index memory on their
// secrets, one classic way each, for checking that the constant-time groups
// report them. Each wraps a correct implementation (OpenSSL's AES-128 or a
// reference digest), so every other suite passes them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "OpenSSLAES.hpp"
#include "support/CipherMutants.hpp"
#include "support/HashMutants.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/Gcm.hpp"
#include "zelkor/Hmac.hpp"

namespace zelkor::testsupport::mutants {

// A 256-entry byte table, as an S-box or one byte of a T-table.
inline constexpr std::array<std::uint8_t, 256> kLookupTable = [] {
    std::array<std::uint8_t, 256> table{};
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<std::uint8_t>(i * 29 + 99);
    return table;
}();

// AES whose first round is looked up in a 256-entry table indexed by key byte
// xor data byte, as T-table implementations do, in both directions; the
// rounds that give the answer are OpenSSL's.
struct TableLookupAes : Wrapper<TableLookupAes> {
    ByteString key;

    static std::optional<TableLookupAes> buildKey(const ByteString& bytes) {
        std::optional<reference::AES128> inner = reference::AES128::buildKey(bytes);
        if (!inner) return std::nullopt;
        return TableLookupAes{{std::move(*inner)}, ByteString(bytes.span())};
    }
    ByteString encryptBlock(const ByteString& blocks) const {
        firstRound(blocks);
        return inner.encryptBlock(blocks);
    }
    ByteString decryptBlock(const ByteString& blocks) const {
        firstRound(blocks);
        return inner.decryptBlock(blocks);
    }

private:
    void firstRound(const ByteString& blocks) const {
        for (std::size_t i = 0; i < blocks.size(); ++i) state = kLookupTable[(key[i % 16] ^ blocks[i]) & 0xff];
    }
    // Volatile, so the lookups stay in the program.
    static inline volatile std::uint8_t state = 0;
};

// AES whose key schedule doubles each key byte in GF(2^8) the textbook way,
// reducing only when the top bit is set: a branch on a key bit per byte.
struct KeyScheduleBranchesOnKeyBits : Wrapper<KeyScheduleBranchesOnKeyBits> {
    static std::optional<KeyScheduleBranchesOnKeyBits> buildKey(const ByteString& bytes) {
        for (const std::uint8_t byte : bytes) {
            if (byte & 0x80) reductions = reductions + 1;
        }
        return Wrapper::buildKey(bytes);
    }

private:
    static inline volatile unsigned reductions = 0;
};

// HMAC whose key preparation drops the key's trailing zero bytes before
// padding it with zeros (the same block, so the same MAC): the scan stops at
// the first non-zero byte from the end, a branch on key bytes.
template <Hash D>
struct HmacKeyScanStopsAtNonZero : DigestWrapper<HmacKeyScanStopsAtNonZero<D>, D> {
    using Base = DigestWrapper<HmacKeyScanStopsAtNonZero, D>;
    using Base::Base;

    static HmacKeyScanStopsAtNonZero hash(const ByteString& m) { return HmacKeyScanStopsAtNonZero(D::hash(m)); }
    static HmacKeyScanStopsAtNonZero hash(const ChunkedByteString& m) { return HmacKeyScanStopsAtNonZero(D::hash(m)); }
    static HmacKeyScanStopsAtNonZero hmac(const ByteString& key, const ByteString& m) {
        return HmacKeyScanStopsAtNonZero(zelkor::hmac<D>(trimmed(key), m));
    }
    static HmacKeyScanStopsAtNonZero hmac(const ByteString& key, const ChunkedByteString& m) {
        return HmacKeyScanStopsAtNonZero(zelkor::hmac<D>(trimmed(key), m));
    }

private:
    // A key longer than a block is hashed, so only shorter ones are trimmed.
    static ByteString trimmed(const ByteString& key) {
        if (key.size() > Base::kBlockBytes) return key;
        std::size_t used = key.size();
        while (used > 0 && key[used - 1] == 0) --used;
        return key.take(used);
    }
};

// A digest that copies the message's final partial block into its padding
// buffer byte by byte, skipping zero bytes because the buffer starts zeroed: a
// branch on each byte of the final block. Its HMAC is the generic one.
template <Hash D>
struct FinalBlockBranchesOnBytes : DigestWrapper<FinalBlockBranchesOnBytes<D>, D> {
    using Base = DigestWrapper<FinalBlockBranchesOnBytes, D>;
    using Base::Base;

    static FinalBlockBranchesOnBytes hash(const ByteString& m) {
        copyFinalBlock(m);
        return FinalBlockBranchesOnBytes(D::hash(m));
    }
    static FinalBlockBranchesOnBytes hash(const ChunkedByteString& m) { return hash(m.toStrict()); }

private:
    static void copyFinalBlock(const ByteString& m) {
        const std::size_t start = m.size() - m.size() % Base::kBlockBytes;
        for (std::size_t i = start; i < m.size(); ++i) {
            if (m[i] != 0) padding[i - start] = m[i];
        }
    }
    // Volatile, so the copy stays a branch around a store.
    static inline volatile std::uint8_t padding[256] = {};
};

// GCM whose opening compares the tag byte by byte and stops at the first
// difference. Sealing is OpenSSL's; opening reuses it (CTR is its own
// inverse: sealing the ciphertext gives the plaintext, sealing that gives the
// expected tag).
struct EarlyExitTagComparison : Wrapper<EarlyExitTagComparison> {
    GcmSealed gcmEncrypt(const ByteString& iv, const ByteString& aad, const ByteString& plaintext,
                         std::size_t tagBytes) const {
        return zelkor::gcmEncrypt(inner, iv, aad, plaintext, tagBytes);
    }
    std::optional<ByteString> gcmDecrypt(const ByteString& iv, const ByteString& aad, const ByteString& ciphertext,
                                         const ByteString& tag) const {
        const ByteString plaintext = zelkor::gcmEncrypt(inner, iv, aad, ciphertext, tag.size()).ciphertext;
        const ByteString expected = zelkor::gcmEncrypt(inner, iv, aad, plaintext, tag.size()).tag;
        for (std::size_t i = 0; i < tag.size(); ++i) {
            if (expected[i] != tag[i]) return std::nullopt;
        }
        return plaintext;
    }
};

// OpenSSL's AES-128 blocks with no mode or GCM member of their own: the
// library's generic modes and GCM are what run.
struct GenericConstructionsAes : Wrapper<GenericConstructionsAes> {};

// A reference digest's hash with the library's generic HMAC.
template <Hash D>
struct GenericHmacDigest : DigestWrapper<GenericHmacDigest<D>, D> {
    using DigestWrapper<GenericHmacDigest, D>::DigestWrapper;
    static GenericHmacDigest hash(const ByteString& m) { return GenericHmacDigest(D::hash(m)); }
    static GenericHmacDigest hash(const ChunkedByteString& m) { return GenericHmacDigest(D::hash(m)); }
};

}  // namespace zelkor::testsupport::mutants
