#pragma once
// Deliberately broken digest types, as wrappers over a correct one, for
// checking that the known-answer suites catch the faults they are meant to.

#include <atomic>
#include <cstddef>
#include <optional>
#include <stdexcept>
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

// Wrong in both forms (the digest of the message with a zero byte appended)
// exactly for the message lengths that `wrongAt` picks, as padding code with an
// off-by-one at one boundary is.
template <Hash D, bool (*wrongAt)(std::size_t messageBytes)>
struct WrongAtLengths : DigestWrapper<WrongAtLengths<D, wrongAt>, D> {
    using DigestWrapper<WrongAtLengths, D>::DigestWrapper;

    static WrongAtLengths hash(const ByteString& message) {
        return WrongAtLengths(D::hash(wrongAt(message.size()) ? message + ByteString{0x00} : message));
    }
    static WrongAtLengths hash(const ChunkedByteString& message) { return hash(message.toStrict()); }
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

// The first OutputBits of D's digest, as a SHA-512/t that starts from
// SHA-512's initial values instead of its own: wrong for every message.
template <Hash D, int OutputBits>
class TruncatedDigest {
public:
    static constexpr int outputLength = OutputBits;
    static constexpr int blockLength = D::blockLength;

    static TruncatedDigest hash(const ByteString& message) { return TruncatedDigest(D::hash(message)); }
    static TruncatedDigest hash(const ChunkedByteString& message) { return TruncatedDigest(D::hash(message)); }

    ByteString encode() const { return bytes_; }
    static std::optional<TruncatedDigest> decode(const ByteString& bytes) {
        if (bytes.size() < kBytes) return std::nullopt;
        return TruncatedDigest(bytes.take(kBytes));
    }
    friend bool operator==(const TruncatedDigest&, const TruncatedDigest&) = default;

private:
    static constexpr std::size_t kBytes = OutputBits / 8;
    explicit TruncatedDigest(const D& full) : bytes_(full.encode().take(kBytes)) {}
    explicit TruncatedDigest(ByteString bytes) : bytes_(std::move(bytes)) {}
    ByteString bytes_;
};

// HMAC that leaves out the bytes of the message after its last whole block,
// in both forms; right for messages of whole blocks.
template <Hash D>
struct HmacDropsPartialBlock : DigestWrapper<HmacDropsPartialBlock<D>, D> {
    using Base = DigestWrapper<HmacDropsPartialBlock, D>;
    using Base::Base;

    static HmacDropsPartialBlock hash(const ByteString& message) { return HmacDropsPartialBlock(D::hash(message)); }
    static HmacDropsPartialBlock hash(const ChunkedByteString& message) {
        return HmacDropsPartialBlock(D::hash(message));
    }
    static HmacDropsPartialBlock hmac(const ByteString& key, const ByteString& message) {
        return HmacDropsPartialBlock(
            zelkor::hmac<D>(key, message.take(message.size() - message.size() % Base::kBlockBytes)));
    }
    static HmacDropsPartialBlock hmac(const ByteString& key, const ChunkedByteString& message) {
        return hmac(key, message.toStrict());
    }
};

// The chunked form streams into a context that only the contiguous form
// resets, so a chunked call right after another chunked call hashes the
// previous chunked message in front of its own. Known-answer cases that hash
// contiguously before every chunked call never see it.
template <Hash D>
struct ChunkedStateLeaks : DigestWrapper<ChunkedStateLeaks<D>, D> {
    using DigestWrapper<ChunkedStateLeaks, D>::DigestWrapper;

    static ChunkedStateLeaks hash(const ByteString& message) {
        leftover() = ByteString();
        return ChunkedStateLeaks(D::hash(message));
    }
    static ChunkedStateLeaks hash(const ChunkedByteString& message) {
        ByteString bytes = message.toStrict();
        ChunkedStateLeaks digest(D::hash(leftover() + bytes));
        leftover() = std::move(bytes);
        return digest;
    }

private:
    static ByteString& leftover() {
        static thread_local ByteString bytes;
        return bytes;
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

// Own HMAC that refuses an empty key, as some libraries do; right for every
// other key.
template <Hash D>
struct HmacRefusesEmptyKey : DigestWrapper<HmacRefusesEmptyKey<D>, D> {
    using DigestWrapper<HmacRefusesEmptyKey, D>::DigestWrapper;

    static HmacRefusesEmptyKey hash(const ByteString& message) { return HmacRefusesEmptyKey(D::hash(message)); }
    static HmacRefusesEmptyKey hash(const ChunkedByteString& message) {
        return HmacRefusesEmptyKey(D::hash(message));
    }
    template <class Message>
    static HmacRefusesEmptyKey hmac(const ByteString& key, const Message& message) {
        if (key.size() == 0) throw std::invalid_argument("empty HMAC key");
        return HmacRefusesEmptyKey(zelkor::hmac<D>(key, message));
    }
};

// Own HMAC that pads (or hashes) the key to 64 bytes, SHA-2's block, whatever
// the digest: right for MD5, SHA-1 and SHA-224/256, wrong for SHA-3, whose
// HMAC block is its rate.
template <Hash D>
struct HmacKeyBlockOf64Bytes : DigestWrapper<HmacKeyBlockOf64Bytes<D>, D> {
    using DigestWrapper<HmacKeyBlockOf64Bytes, D>::DigestWrapper;

    static HmacKeyBlockOf64Bytes hash(const ByteString& message) { return HmacKeyBlockOf64Bytes(D::hash(message)); }
    static HmacKeyBlockOf64Bytes hash(const ChunkedByteString& message) {
        return HmacKeyBlockOf64Bytes(D::hash(message));
    }
    template <class Message>
    static HmacKeyBlockOf64Bytes hmac(const ByteString& key, const Message& message) {
        return HmacKeyBlockOf64Bytes(zelkor::hmac<Block64>(key, message).inner);
    }

private:
    // D seen with a block of 512 bits, for the generic HMAC.
    struct Block64 {
        static constexpr int outputLength = D::outputLength;
        static constexpr int blockLength = 512;
        D inner;
        static Block64 hash(const ByteString& m) { return {D::hash(m)}; }
        static Block64 hash(const ChunkedByteString& m) { return {D::hash(m)}; }
        ByteString encode() const { return inner.encode(); }
        static std::optional<Block64> decode(const ByteString& bytes) {
            std::optional<D> d = D::decode(bytes);
            if (!d) return std::nullopt;
            return Block64{std::move(*d)};
        }
        friend bool operator==(const Block64&, const Block64&) = default;
    };
};

// HMAC over SHA-512/256 computed as HMAC-SHA-512 cut to 32 bytes: the
// truncated tag of the wrong construction (RFC 4868's HMAC-SHA-512-256 is
// not HMAC over SHA-512/256). Hashing is right.
template <Hash D512_256, Hash D512>
struct HmacIsTruncatedHmacSHA512 : DigestWrapper<HmacIsTruncatedHmacSHA512<D512_256, D512>, D512_256> {
    using Self = HmacIsTruncatedHmacSHA512;
    using DigestWrapper<Self, D512_256>::DigestWrapper;

    static Self hash(const ByteString& message) { return Self(D512_256::hash(message)); }
    static Self hash(const ChunkedByteString& message) { return Self(D512_256::hash(message)); }
    template <class Message>
    static Self hmac(const ByteString& key, const Message& message) {
        return Self(*D512_256::decode(zelkor::hmac<D512>(key, message).encode()));
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
