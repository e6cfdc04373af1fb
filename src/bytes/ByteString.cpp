#include "zelkor/ByteString.hpp"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

namespace zelkor {

// The block and the bytes in one allocation, which ends with the last byte.
ByteString ByteString::allocate(std::size_t size) {
    ByteString out;
    if (size == 0) return out;
    void* memory = ::operator new(sizeof(Block) + size);
    out.block_ = ::new (memory) Block{};
    out.block_->release = [](Block* block) noexcept {
        block->~Block();
        ::operator delete(block);
    };
    out.data_ = reinterpret_cast<const std::uint8_t*>(out.block_ + 1);
    out.size_ = size;
    return out;
}

struct ByteString::OwnerBlock : Block {
    std::shared_ptr<const void> owner;
};

ByteString ByteString::viewOf(std::shared_ptr<const void> owner, std::span<const std::uint8_t> bytes) {
    ByteString out;
    auto* block = new OwnerBlock{};
    block->owner = std::move(owner);
    block->release = [](Block* b) noexcept { delete static_cast<OwnerBlock*>(b); };
    out.block_ = block;
    out.data_ = bytes.data();
    out.size_ = bytes.size();
    return out;
}

ByteString::ByteString(const std::uint8_t* data, std::size_t size) {
    *this = generate(size, [&](std::span<std::uint8_t> out) {
        if (size != 0) std::memcpy(out.data(), data, size);
    });
}

struct ByteString::VectorBlock : Block {
    std::vector<std::uint8_t> bytes;
};

ByteString::ByteString(std::vector<std::uint8_t> bytes) {
    // A buffer with spare capacity would hide reads past the end from a
    // sanitizer: only one of exactly the right length is taken over.
    if (bytes.capacity() != bytes.size()) {
        *this = ByteString(bytes.data(), bytes.size());
        return;
    }
    if (bytes.empty()) return;
    auto* block = new VectorBlock{};
    block->bytes = std::move(bytes);
    block->release = [](Block* b) noexcept { delete static_cast<VectorBlock*>(b); };
    block_ = block;
    data_ = block->bytes.data();
    size_ = block->bytes.size();
}

bool operator==(const ByteString& a, const ByteString& b) noexcept {
    return a.size_ == b.size_ && (a.data_ == b.data_ || a.size_ == 0 || std::memcmp(a.data_, b.data_, a.size_) == 0);
}

ByteString operator+(const ByteString& a, const ByteString& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return ByteString::generate(a.size() + b.size(), [&](std::span<std::uint8_t> out) {
        std::memcpy(out.data(), a.data(), a.size());
        std::memcpy(out.data() + a.size(), b.data(), b.size());
    });
}

std::ostream& operator<<(std::ostream& os, const ByteString& bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * bytes.size() + 2);
    text.push_back('"');
    for (std::uint8_t b : bytes) {
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 0xF]);
    }
    text.push_back('"');
    return os << text;
}

namespace {

// `content` repeated `times` times in fresh storage.
ByteString repeated(const ByteString& content, std::size_t times) {
    return ByteString::generate(content.size() * times, [&](std::span<std::uint8_t> out) {
        for (std::size_t i = 0; i < times; ++i) std::memcpy(out.data() + i * content.size(), content.data(), content.size());
    });
}

// Chunks of a repeated string are cut from about this many bytes of repetitions.
constexpr std::size_t kRepetitionBytes = std::size_t{1} << 20;

// Ceiling of a / b.
constexpr std::uint64_t ceilDiv(std::uint64_t a, std::uint64_t b) { return (a + b - 1) / b; }

}  // namespace

ChunkedByteString ChunkedByteString::fromChunks(std::vector<ByteString> chunks) {
    ChunkedByteString out;
    out.chunks_.reserve(chunks.size());
    for (auto& chunk : chunks) {
        if (chunk.empty()) continue;
        out.size_ += chunk.size();
        out.chunks_.push_back(std::move(chunk));
    }
    return out;
}

ChunkedByteString ChunkedByteString::chunksOf(std::size_t chunkSize, const ByteString& bytes) {
    if (chunkSize == 0) throw std::invalid_argument("ChunkedByteString::chunksOf: chunk size 0");
    ChunkedByteString out;
    out.chunks_.reserve(bytes.size() / chunkSize + 1);
    for (std::size_t pos = 0; pos < bytes.size(); pos += chunkSize) out.chunks_.push_back(bytes.slice(pos, chunkSize));
    out.size_ = bytes.size();
    return out;
}

ChunkedByteString ChunkedByteString::fromStrict(const ByteString& bytes) {
    ChunkedByteString out;
    if (bytes.empty()) return out;
    out.chunks_.push_back(bytes);
    out.size_ = bytes.size();
    return out;
}

ChunkedByteString ChunkedByteString::repeat(const ByteString& content, std::uint64_t times) {
    ChunkedByteString out;
    if (content.empty() || times == 0) return out;
    const std::size_t period = content.size();
    const std::uint64_t perChunk = std::min<std::uint64_t>(times, ceilDiv(kRepetitionBytes, period));
    out.period_ = period;
    out.repetitions_ = perChunk == 1 ? content : repeated(content, perChunk);
    out.size_ = period * times;
    out.chunks_.reserve(ceilDiv(times, perChunk));
    for (std::uint64_t left = times; left > 0;) {
        const std::uint64_t n = std::min(left, perChunk);
        out.chunks_.push_back(out.repetitions_.take(n * period));
        left -= n;
    }
    return out;
}

ChunkedByteString ChunkedByteString::rechunked(std::span<const std::size_t> chunkSizes) const {
    if (chunkSizes.empty() || std::find(chunkSizes.begin(), chunkSizes.end(), 0) != chunkSizes.end()) {
        throw std::invalid_argument("ChunkedByteString::rechunked: chunk sizes must be given and non-zero");
    }
    ChunkedByteString out;
    out.size_ = size_;
    out.period_ = period_;
    out.repetitions_ = repetitions_;
    if (period_ != 0) {
        // Any chunk starts at some phase within the period and needs at
        // most its length of repetitions after that phase.
        const std::uint64_t longest = std::min<std::uint64_t>(size_, *std::max_element(chunkSizes.begin(), chunkSizes.end()));
        ByteString window = repetitions_;
        if (window.size() < longest + period_) window = repeated(repetitions_.take(period_), ceilDiv(longest + period_, period_));
        std::size_t next = 0;
        for (std::uint64_t pos = 0; pos < size_; pos += out.chunks_.back().size()) {
            const std::uint64_t n = std::min<std::uint64_t>(chunkSizes[next], size_ - pos);
            next = (next + 1) % chunkSizes.size();
            out.chunks_.push_back(window.slice(pos % period_, n));
        }
        return out;
    }
    // Walk the chunks: a new chunk inside one of them is a slice of it, one
    // that spans several is copied together.
    std::size_t index = 0, offset = 0, next = 0;
    for (std::uint64_t pos = 0; pos < size_;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(chunkSizes[next], size_ - pos));
        next = (next + 1) % chunkSizes.size();
        if (chunks_[index].size() - offset >= n) {
            out.chunks_.push_back(chunks_[index].slice(offset, n));
            offset += n;
        } else {
            out.chunks_.push_back(ByteString::generate(n, [&](std::span<std::uint8_t> dest) {
                for (std::size_t done = 0; done < n;) {
                    if (offset == chunks_[index].size()) { ++index; offset = 0; }
                    const std::size_t piece = std::min(n - done, chunks_[index].size() - offset);
                    std::memcpy(dest.data() + done, chunks_[index].data() + offset, piece);
                    done += piece;
                    offset += piece;
                }
            }));
        }
        if (index < chunks_.size() && offset == chunks_[index].size()) { ++index; offset = 0; }
        pos += n;
    }
    return out;
}

ByteString ChunkedByteString::toStrict() const {
    if (chunks_.size() == 1) return chunks_.front();
    return ByteString::generate(static_cast<std::size_t>(size_), [&](std::span<std::uint8_t> out) {
        std::size_t pos = 0;
        for (const auto& chunk : chunks_) {
            std::memcpy(out.data() + pos, chunk.data(), chunk.size());
            pos += chunk.size();
        }
    });
}

bool operator==(const ChunkedByteString& a, const ChunkedByteString& b) {
    if (a.size() != b.size()) return false;
    // Walk both chunk lists in step, comparing the overlapping pieces.
    std::size_t ia = 0, ib = 0, oa = 0, ob = 0;
    const auto& ca = a.chunks();
    const auto& cb = b.chunks();
    while (ia < ca.size() && ib < cb.size()) {
        const std::size_t n = std::min(ca[ia].size() - oa, cb[ib].size() - ob);
        if (std::memcmp(ca[ia].data() + oa, cb[ib].data() + ob, n) != 0) return false;
        oa += n;
        ob += n;
        if (oa == ca[ia].size()) { ++ia; oa = 0; }
        if (ob == cb[ib].size()) { ++ib; ob = 0; }
    }
    return true;
}

std::ostream& operator<<(std::ostream& os, const ChunkedByteString& bytes) {
    os << '[';
    const char* sep = "";
    for (const auto& chunk : bytes.chunks()) {
        os << sep << chunk;
        sep = ", ";
    }
    return os << ']';
}

}  // namespace zelkor
