#pragma once
// Deliberately broken digest types, as wrappers over a correct one, for
// checking that the known-answer suites catch the faults they are meant to.

#include <atomic>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "zelkor/ByteString.hpp"
#include "zelkor/Hash.hpp"
#include "zelkor/Hmac.hpp"

namespace zelkor::testsupport {

// What every wrapper shares with the digest it wraps: lengths, encoding,
// decoding and equality. `Self` chooses how hashing goes wrong.
template <class Self, Hash D>
class DigestWrapper {
public:
    static constexpr int outputLength = D::outputLength;
    static constexpr int blockLength = D::blockLength;

    explicit DigestWrapper(D inner) : inner_(std::move(inner)) {}

    ByteString encode() const { return inner_.encode(); }
    static std::optional<Self> decode(const ByteString& bytes) {
        std::optional<D> inner = D::decode(bytes);
        if (!inner) return std::nullopt;
        return Self(std::move(*inner));
    }
    friend bool operator==(const Self& a, const Self& b) { return a.inner_ == b.inner_; }

protected:
    static constexpr std::size_t kBlockBytes = static_cast<std::size_t>(D::blockLength) / 8;

private:
    D inner_;
};

// Starts afresh at every chunk, so the chunked hash is that of the last chunk
// alone; its HMAC does the same with the message chunks. Right for contiguous
// input and for messages of one chunk.
template <Hash D>
struct RestartsAtChunkBoundaries : DigestWrapper<RestartsAtChunkBoundaries<D>, D> {
    using DigestWrapper<RestartsAtChunkBoundaries, D>::DigestWrapper;

    static RestartsAtChunkBoundaries hash(const ByteString& message) {
        return RestartsAtChunkBoundaries(D::hash(message));
    }
    static RestartsAtChunkBoundaries hash(const ChunkedByteString& message) {
        return hash(lastChunk(message));
    }
    static RestartsAtChunkBoundaries hmac(const ByteString& key, const ByteString& message) {
        return RestartsAtChunkBoundaries(zelkor::hmac<D>(key, message));
    }
    static RestartsAtChunkBoundaries hmac(const ByteString& key, const ChunkedByteString& message) {
        return hmac(key, lastChunk(message));
    }

private:
    static ByteString lastChunk(const ChunkedByteString& message) {
        return message.chunks().empty() ? ByteString() : message.chunks().back();
    }
};

// Mishandles the padding when the message length field no longer fits into
// the last block (length mod block size >= block size - LengthFieldBytes), as
// an implementation does that forgets the extra block: those messages get a
// wrong digest in both forms. The field is 8 bytes for 64-byte blocks (MD5,
// SHA-1, SHA-224/256) and 16 for 128-byte blocks (SHA-384/512).
template <Hash D, std::size_t LengthFieldBytes = (D::blockLength >= 1024 ? 16 : 8)>
struct PaddingBugNearBlockEnd : DigestWrapper<PaddingBugNearBlockEnd<D, LengthFieldBytes>, D> {
    using Base = DigestWrapper<PaddingBugNearBlockEnd, D>;
    using Base::Base;

    static bool hitsBug(std::size_t messageBytes) {
        return messageBytes % Base::kBlockBytes >= Base::kBlockBytes - LengthFieldBytes;
    }
    static PaddingBugNearBlockEnd hash(const ByteString& message) {
        // The wrong digest: that of the message with a zero byte appended.
        if (!hitsBug(message.size())) return PaddingBugNearBlockEnd(D::hash(message));
        return PaddingBugNearBlockEnd(D::hash(message + ByteString{0x00}));
    }
    static PaddingBugNearBlockEnd hash(const ChunkedByteString& message) { return hash(message.toStrict()); }
};

// HMAC that uses a key longer than a block cut to the block size instead of
// hashing it first; right for every shorter key.
template <Hash D>
struct LongHmacKeyNotHashed : DigestWrapper<LongHmacKeyNotHashed<D>, D> {
    using Base = DigestWrapper<LongHmacKeyNotHashed, D>;
    using Base::Base;

    static LongHmacKeyNotHashed hash(const ByteString& message) {
        return LongHmacKeyNotHashed(D::hash(message));
    }
    static LongHmacKeyNotHashed hash(const ChunkedByteString& message) {
        return LongHmacKeyNotHashed(D::hash(message));
    }
    static LongHmacKeyNotHashed hmac(const ByteString& key, const ByteString& message) {
        return LongHmacKeyNotHashed(zelkor::hmac<D>(key.take(Base::kBlockBytes), message));
    }
    static LongHmacKeyNotHashed hmac(const ByteString& key, const ChunkedByteString& message) {
        return LongHmacKeyNotHashed(zelkor::hmac<D>(key.take(Base::kBlockBytes), message));
    }
};

// Decodes input shorter than a digest by padding it with zeros, and compares
// digests on all but their last byte; hashing is right.
template <Hash D>
struct LaxEncoding {
    static constexpr int outputLength = D::outputLength;
    static constexpr int blockLength = D::blockLength;
    static constexpr std::size_t kBytes = static_cast<std::size_t>(D::outputLength) / 8;
    D inner;

    static LaxEncoding hash(const ByteString& message) { return {D::hash(message)}; }
    static LaxEncoding hash(const ChunkedByteString& message) { return {D::hash(message)}; }
    ByteString encode() const { return inner.encode(); }
    static std::optional<LaxEncoding> decode(const ByteString& bytes) {
        const std::size_t missing = bytes.size() < kBytes ? kBytes - bytes.size() : 0;
        std::optional<D> inner = D::decode(bytes + ByteString(std::vector<std::uint8_t>(missing, 0)));
        if (!inner) return std::nullopt;
        return LaxEncoding{std::move(*inner)};
    }
    friend bool operator==(const LaxEncoding& a, const LaxEncoding& b) {
        return a.encode().take(kBytes - 1) == b.encode().take(kBytes - 1);
    }
};

// A correct digest that counts its hash calls, to show when hashing happens.
// Its HMAC is the generic one, so HMAC work is counted too.
template <Hash D>
struct CountingDigest : DigestWrapper<CountingDigest<D>, D> {
    using DigestWrapper<CountingDigest, D>::DigestWrapper;

    static inline std::atomic<long> calls{0};

    static CountingDigest hash(const ByteString& message) {
        ++calls;
        return CountingDigest(D::hash(message));
    }
    static CountingDigest hash(const ChunkedByteString& message) {
        ++calls;
        return CountingDigest(D::hash(message));
    }
};

}  // namespace zelkor::testsupport
