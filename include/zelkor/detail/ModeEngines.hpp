#pragma once
// The engines behind the generic cipher modes. Each engine takes its input
// piece by piece (a piece boundary may fall anywhere, also inside a block),
// appends its output as it goes and keeps only the state of the current block,
// so a chunked message is processed as a stream, never copied into one buffer.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"

namespace zelkor::detail {

using Bytes = std::vector<std::uint8_t>;

// Overwrites `to` with the bytes of `from`, reusing its buffer.
inline void assignBytes(Bytes& to, const ByteString& from) { to.assign(from.begin(), from.end()); }
using ByteSpan = std::span<const std::uint8_t>;

// The block size of K in bytes. Every mode walks the input block by block, so
// a block of 0 bytes is refused instead of dividing by it or looping forever.
template <class K>
std::size_t requireBlockBytes(const char* operation) {
    const std::size_t n = blockBytes<K>();
    if (n == 0) {
        throw std::invalid_argument(std::string(operation) + ": the cipher's block size (" +
                                    std::to_string(K::blockSize) + " bits) is less than one byte");
    }
    return n;
}

inline void requireWholeBlocks(const char* operation, std::size_t length, std::size_t blockBytes) {
    if (length % blockBytes != 0) {
        throw std::invalid_argument(std::string(operation) + ": input of " + std::to_string(length) +
                                    " bytes is not a whole number of " + std::to_string(blockBytes) +
                                    "-byte blocks");
    }
}

// encryptBlock / decryptBlock of the cipher under test, checked to keep the
// length: every engine indexes its output block by block.
template <class K>
ByteString encryptBlocks(const K& key, ByteSpan blocks) {
    ByteString out = key.encryptBlock(ByteString(blocks));
    if (out.size() != blocks.size()) {
        throw std::length_error("encryptBlock returned " + std::to_string(out.size()) + " bytes for " +
                                std::to_string(blocks.size()) + " bytes of input");
    }
    return out;
}

template <class K>
ByteString decryptBlocks(const K& key, ByteSpan blocks) {
    ByteString out = key.decryptBlock(ByteString(blocks));
    if (out.size() != blocks.size()) {
        throw std::length_error("decryptBlock returned " + std::to_string(out.size()) + " bytes for " +
                                std::to_string(blocks.size()) + " bytes of input");
    }
    return out;
}

// Adds 1 to a big-endian integer, wrapping to 0 after all-FF.
inline void incrementBigEndian(Bytes& counter) {
    for (auto it = counter.rbegin(); it != counter.rend(); ++it) {
        if (++*it != 0) return;
    }
}

// Groups a stream of pieces into runs of whole blocks. The bytes of a block
// cut by a piece boundary wait here until the next piece completes it.
class BlockAssembler {
public:
    explicit BlockAssembler(std::size_t blockBytes) : block_(blockBytes) { pending_.reserve(block_); }

    // Calls sink(run) for each run of whole blocks that `piece` completes.
    template <class Sink>
    void feed(ByteSpan piece, Sink&& sink) {
        if (!pending_.empty()) {
            const std::size_t take = std::min(block_ - pending_.size(), piece.size());
            pending_.insert(pending_.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(take));
            piece = piece.subspan(take);
            if (pending_.size() < block_) return;
            sink(ByteSpan(pending_));
            pending_.clear();
        }
        const std::size_t whole = piece.size() - piece.size() % block_;
        if (whole > 0) sink(piece.first(whole));
        pending_.assign(piece.begin() + static_cast<std::ptrdiff_t>(whole), piece.end());
    }

    std::size_t pendingBytes() const noexcept { return pending_.size(); }

private:
    std::size_t block_;
    Bytes pending_;
};

inline void append(Bytes& out, const ByteString& bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

// ECB: every block on its own, whole runs at a time.
template <class K, bool Encrypt>
class EcbEngine {
public:
    EcbEngine(const K& key, std::size_t blockBytes) : key_(key), blocks_(blockBytes) {}

    void update(ByteSpan in, Bytes& out) {
        blocks_.feed(in, [&](ByteSpan run) {
            append(out, Encrypt ? encryptBlocks(key_, run) : decryptBlocks(key_, run));
        });
    }

private:
    const K& key_;
    BlockAssembler blocks_;
};

// CBC encryption: each plaintext block is XORed with the previous ciphertext
// block (the IV for the first) before it is encrypted.
template <class K>
class CbcEncryptEngine {
public:
    CbcEncryptEngine(const K& key, const IV<K>& iv, std::size_t blockBytes)
        : key_(key), blocks_(blockBytes), chain_(iv.bytes().vector()) {}

    void update(ByteSpan in, Bytes& out) {
        blocks_.feed(in, [&](ByteSpan run) {
            const std::size_t n = chain_.size();
            for (std::size_t pos = 0; pos < run.size(); pos += n) {
                for (std::size_t i = 0; i < n; ++i) chain_[i] ^= run[pos + i];
                assignBytes(chain_, encryptBlocks(key_, ByteSpan(chain_)));
                out.insert(out.end(), chain_.begin(), chain_.end());
            }
        });
    }

    // The last ciphertext block, or the IV when there was none.
    IV<K> nextIV() const { return *IV<K>::decode(ByteString(chain_)); }

private:
    const K& key_;
    BlockAssembler blocks_;
    Bytes chain_;
};

// CBC decryption: a whole run is decrypted in one call, then each block is
// XORed with the ciphertext block before it.
template <class K>
class CbcDecryptEngine {
public:
    CbcDecryptEngine(const K& key, const IV<K>& iv, std::size_t blockBytes)
        : key_(key), blocks_(blockBytes), chain_(iv.bytes().vector()) {}

    void update(ByteSpan in, Bytes& out) {
        blocks_.feed(in, [&](ByteSpan run) {
            const ByteString plain = decryptBlocks(key_, run);
            const std::size_t n = chain_.size();
            for (std::size_t pos = 0; pos < run.size(); pos += n) {
                const std::uint8_t* previous = pos == 0 ? chain_.data() : run.data() + pos - n;
                for (std::size_t i = 0; i < n; ++i) out.push_back(plain[pos + i] ^ previous[i]);
            }
            chain_.assign(run.end() - static_cast<std::ptrdiff_t>(n), run.end());
        });
    }

    // The last ciphertext block, or the IV when there was none.
    IV<K> nextIV() const { return *IV<K>::decode(ByteString(chain_)); }

private:
    const K& key_;
    BlockAssembler blocks_;
    Bytes chain_;
};

// The three stream modes XOR the data with a keystream made block by block
// (CTR encrypts the counter blocks an update needs in one call); a trailing
// partial block uses a prefix of its keystream block.

// CFB (full-block feedback): the keystream block is the encryption of the
// previous ciphertext block (the IV for the first).
template <class K, bool Encrypt>
class CfbEngine {
public:
    CfbEngine(const K& key, const IV<K>& iv, std::size_t blockBytes)
        : key_(key), register_(iv.bytes().vector()), cipherBlock_(blockBytes), used_(blockBytes) {}

    void update(ByteSpan in, Bytes& out) {
        const std::size_t n = register_.size();
        for (std::uint8_t byte : in) {
            if (used_ == n) {
                keystream_ = encryptBlocks(key_, ByteSpan(register_));
                used_ = 0;
            }
            const std::uint8_t result = byte ^ keystream_[used_];
            out.push_back(result);
            cipherBlock_[used_++] = Encrypt ? result : byte;
            if (used_ == n) register_ = cipherBlock_;
        }
    }

    // The last whole ciphertext block, or the IV when there was none.
    IV<K> nextIV() const { return *IV<K>::decode(ByteString(register_)); }

private:
    const K& key_;
    Bytes register_;     // the last whole ciphertext block
    Bytes cipherBlock_;  // the ciphertext block being filled
    ByteString keystream_;
    std::size_t used_;   // keystream bytes used so far; a full count means none is ready
};

// OFB: each keystream block is the encryption of the one before (of the IV
// for the first). Encryption and decryption are the same operation.
template <class K>
class OfbEngine {
public:
    OfbEngine(const K& key, const IV<K>& iv, std::size_t blockBytes)
        : key_(key), keystream_(iv.bytes().vector()), used_(blockBytes) {}

    void update(ByteSpan in, Bytes& out) {
        const std::size_t n = keystream_.size();
        for (std::uint8_t byte : in) {
            if (used_ == n) {
                assignBytes(keystream_, encryptBlocks(key_, ByteSpan(keystream_)));
                used_ = 0;
            }
            out.push_back(byte ^ keystream_[used_++]);
        }
    }

    // The last keystream block made (also when only a prefix was used), or
    // the IV when there was none.
    IV<K> nextIV() const { return *IV<K>::decode(ByteString(keystream_)); }

private:
    const K& key_;
    Bytes keystream_;
    std::size_t used_;
};

// CTR: the keystream block is the encryption of the counter, which starts at
// the IV read as a big-endian integer and goes up by one per block. The
// counter blocks that an update needs are encrypted in one call; each of them
// is used (at least a prefix), so the counter still moves on per block used.
template <class K>
class CtrEngine {
public:
    CtrEngine(const K& key, const IV<K>& iv, std::size_t)
        : key_(key), counter_(iv.bytes().vector()), used_(0) {}

    void update(ByteSpan in, Bytes& out) {
        for (std::size_t pos = 0; pos < in.size();) {
            if (used_ == keystream_.size()) makeKeystream(in.size() - pos);
            const std::size_t take = std::min(in.size() - pos, keystream_.size() - used_);
            for (std::size_t i = 0; i < take; ++i) out.push_back(in[pos + i] ^ keystream_[used_ + i]);
            pos += take;
            used_ += take;
        }
    }

    // The counter after the last block used (also a partial one).
    IV<K> nextIV() const { return *IV<K>::decode(ByteString(counter_)); }

private:
    static constexpr std::size_t kMaxBatchBlocks = 64;

    // The keystream for the next `bytes` bytes of input (at most a batch).
    void makeKeystream(std::size_t bytes) {
        const std::size_t n = counter_.size();
        const std::size_t blocks = std::min((bytes + n - 1) / n, kMaxBatchBlocks);
        Bytes counters;
        counters.reserve(blocks * n);
        for (std::size_t b = 0; b < blocks; ++b) {
            counters.insert(counters.end(), counter_.begin(), counter_.end());
            incrementBigEndian(counter_);
        }
        keystream_ = encryptBlocks(key_, ByteSpan(counters));
        used_ = 0;
    }

    const K& key_;
    Bytes counter_;
    ByteString keystream_;  // made but not yet used: keystream_[used_..]
    std::size_t used_;
};

// Runs an engine over contiguous input.
template <class Engine>
ByteString runContiguous(Engine& engine, const ByteString& in) {
    Bytes out;
    out.reserve(in.size());
    engine.update(in.span(), out);
    return ByteString(std::move(out));
}

// Runs an engine chunk by chunk; each input chunk yields the output it
// completes (empty output chunks are dropped).
template <class Engine>
ChunkedByteString runChunked(Engine& engine, const ChunkedByteString& in) {
    std::vector<ByteString> outChunks;
    outChunks.reserve(in.chunks().size());
    for (const ByteString& chunk : in.chunks()) {
        Bytes out;
        out.reserve(chunk.size() + 64);
        engine.update(chunk.span(), out);
        outChunks.emplace_back(std::move(out));
    }
    return ChunkedByteString::fromChunks(std::move(outChunks));
}

}  // namespace zelkor::detail
