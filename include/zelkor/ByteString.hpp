#pragma once
// Byte strings handed to and returned by the primitives under test.

#include <cstddef>
#include <cstdint>
#include <atomic>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace zelkor {

// An immutable contiguous byte sequence over shared storage: a view of
// `size()` bytes kept alive by an owner that copies share. Copies, `take`,
// `drop` and `slice` copy no byte. Fresh storage is allocated at exactly the
// length it holds, so a read one past the end is outside the allocation.
class ByteString {
public:
    using value_type = std::uint8_t;
    using const_iterator = const std::uint8_t*;

    ByteString() = default;
    // Takes over the vector's buffer when it has no spare capacity; this
    // and the other constructors otherwise copy the bytes into fresh storage.
    explicit ByteString(std::vector<std::uint8_t> bytes);
    ByteString(std::span<const std::uint8_t> bytes) : ByteString(bytes.data(), bytes.size()) {}
    ByteString(std::initializer_list<std::uint8_t> bytes) : ByteString(std::data(bytes), bytes.size()) {}
    ByteString(const std::uint8_t* data, std::size_t size);

    // The bytes of a text, one per character.
    static ByteString fromText(std::string_view text) {
        return ByteString(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    }

    // `size` bytes of fresh storage written once by `fill(std::span<std::uint8_t>)`,
    // immutable afterwards.
    template <class Fill>
    static ByteString generate(std::size_t size, Fill&& fill) {
        ByteString out = allocate(size);
        std::forward<Fill>(fill)(std::span<std::uint8_t>(const_cast<std::uint8_t*>(out.data_), size));
        return out;
    }

    // The bytes in `bytes`, kept alive by `owner` and never copied: for
    // storage the caller placed itself (mapped pages, a larger buffer). An
    // empty view keeps its address, so a read through it is still a read
    // of the placed storage.
    static ByteString viewOf(std::shared_ptr<const void> owner, std::span<const std::uint8_t> bytes);

    ByteString(const ByteString& other) noexcept : block_(other.block_), data_(other.data_), size_(other.size_) {
        if (block_ != nullptr) block_->refs.fetch_add(1, std::memory_order_relaxed);
    }
    ByteString(ByteString&& other) noexcept
        : block_(std::exchange(other.block_, nullptr)), data_(std::exchange(other.data_, nullptr)),
          size_(std::exchange(other.size_, 0)) {}
    ByteString& operator=(ByteString other) noexcept {
        std::swap(block_, other.block_);
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        return *this;
    }
    ~ByteString() {
        if (block_ != nullptr && block_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) block_->release(block_);
    }

    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    const std::uint8_t* data() const noexcept { return data_; }
    const_iterator begin() const noexcept { return data_; }
    const_iterator end() const noexcept { return data_ + size_; }
    std::uint8_t operator[](std::size_t i) const { return data_[i]; }
    std::span<const std::uint8_t> span() const noexcept { return {data_, size_}; }
    // A copy of the bytes in a vector of their own.
    std::vector<std::uint8_t> vector() const { return {begin(), end()}; }

    // The first n bytes (all when n >= size()), sharing this storage.
    ByteString take(std::size_t n) const { return slice(0, n); }
    // Everything after the first n bytes (empty when n >= size()), sharing this storage.
    ByteString drop(std::size_t n) const { return n < size_ ? slice(n, size_ - n) : ByteString(); }
    // The n bytes from `offset` on, cut at the end, sharing this storage.
    ByteString slice(std::size_t offset, std::size_t n) const {
        if (offset >= size_) return {};
        ByteString out = *this;
        out.data_ += offset;
        out.size_ = n < size_ - offset ? n : size_ - offset;
        return out;
    }

    friend bool operator==(const ByteString& a, const ByteString& b) noexcept;

private:
    // The head of a storage block, counting the byte strings that use it.
    // Fresh bytes follow it in the same allocation; other blocks hold an
    // owner of storage placed elsewhere.
    struct Block {
        std::atomic<std::size_t> refs{1};
        void (*release)(Block*) noexcept;
    };
    struct OwnerBlock;
    struct VectorBlock;

    static ByteString allocate(std::size_t size);

    Block* block_ = nullptr;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

ByteString operator+(const ByteString& a, const ByteString& b);

// Standard text rendering, used in every failure report: lowercase hex in
// double quotes, e.g. "00ff10"; the empty string renders as "".
std::ostream& operator<<(std::ostream& os, const ByteString& bytes);

// An immutable byte sequence held as an ordered list of non-empty chunks.
class ChunkedByteString {
public:
    ChunkedByteString() = default;

    // Empty chunks are dropped.
    static ChunkedByteString fromChunks(std::vector<ByteString> chunks);
    // Consecutive chunks of exactly `chunkSize` bytes, the last holding the
    // rest; each chunk is a slice of `bytes`.
    static ChunkedByteString chunksOf(std::size_t chunkSize, const ByteString& bytes);
    // One chunk holding all of `bytes` (none when it is empty).
    static ChunkedByteString fromStrict(const ByteString& bytes);
    // `content` repeated `times` times, every chunk a slice of one storage
    // that holds a few repetitions: memory stays the same whatever `times`.
    static ChunkedByteString repeat(const ByteString& content, std::uint64_t times);

    const std::vector<ByteString>& chunks() const noexcept { return chunks_; }
    std::uint64_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    // The contiguous form: the concatenation of the chunks (no copy for one chunk).
    ByteString toStrict() const;
    // The same bytes cut into chunks of the given sizes, taken in turn and
    // cycled, the last chunk holding what remains. A chunk inside one
    // chunk of this string is a slice of it; on a repeated string every
    // chunk is a slice of the shared repetitions, so the cost is the number
    // of chunks made, whatever the length.
    ChunkedByteString rechunked(std::span<const std::size_t> chunkSizes) const;

    // Equality is by content, whatever the chunk boundaries.
    friend bool operator==(const ChunkedByteString& a, const ChunkedByteString& b);

private:
    std::vector<ByteString> chunks_;
    std::uint64_t size_ = 0;
    // Set on a repeated string: the repeated content's length, and storage
    // holding enough whole repetitions to cut any chunk from.
    std::size_t period_ = 0;
    ByteString repetitions_;
};

// Renders the chunks as a bracketed list, e.g. ["0001", "02"].
std::ostream& operator<<(std::ostream& os, const ChunkedByteString& bytes);

// GoogleTest would print these byte by byte as containers; use the rendering above.
inline void PrintTo(const ByteString& bytes, std::ostream* os) { *os << bytes; }
inline void PrintTo(const ChunkedByteString& bytes, std::ostream* os) { *os << bytes; }

// RapidCheck's rendering of counterexamples: short values as above, long ones
// cut to their first bytes with the length, unless the environment sets
// zelkor_tests_full_values=1.
void showValue(const ByteString& bytes, std::ostream& os);
void showValue(const ChunkedByteString& bytes, std::ostream& os);

}  // namespace zelkor
