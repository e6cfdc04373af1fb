#pragma once
// Byte strings handed to and returned by the primitives under test.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <span>
#include <string_view>
#include <vector>

namespace zelkor {

// An immutable contiguous byte sequence.
class ByteString {
public:
    using value_type = std::uint8_t;
    using const_iterator = std::vector<std::uint8_t>::const_iterator;

    ByteString() = default;
    explicit ByteString(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    ByteString(std::span<const std::uint8_t> bytes) : bytes_(bytes.begin(), bytes.end()) {}
    ByteString(std::initializer_list<std::uint8_t> bytes) : bytes_(bytes) {}
    ByteString(const std::uint8_t* data, std::size_t size) : bytes_(data, data + size) {}

    // The bytes of a text, one per character.
    static ByteString fromText(std::string_view text) {
        return ByteString(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    }

    std::size_t size() const noexcept { return bytes_.size(); }
    bool empty() const noexcept { return bytes_.empty(); }
    const std::uint8_t* data() const noexcept { return bytes_.data(); }
    const_iterator begin() const noexcept { return bytes_.begin(); }
    const_iterator end() const noexcept { return bytes_.end(); }
    std::uint8_t operator[](std::size_t i) const { return bytes_[i]; }
    std::span<const std::uint8_t> span() const noexcept { return bytes_; }
    const std::vector<std::uint8_t>& vector() const noexcept { return bytes_; }

    // The first n bytes (all when n >= size()).
    ByteString take(std::size_t n) const {
        return ByteString(data(), n < size() ? n : size());
    }
    // Everything after the first n bytes (empty when n >= size()).
    ByteString drop(std::size_t n) const {
        return n < size() ? ByteString(data() + n, size() - n) : ByteString();
    }

    friend bool operator==(const ByteString&, const ByteString&) = default;

private:
    std::vector<std::uint8_t> bytes_;
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
    // Consecutive chunks of exactly `chunkSize` bytes, the last holding the rest.
    static ChunkedByteString chunksOf(std::size_t chunkSize, const ByteString& bytes);
    // One chunk holding all of `bytes` (none when it is empty).
    static ChunkedByteString fromStrict(const ByteString& bytes);

    const std::vector<ByteString>& chunks() const noexcept { return chunks_; }
    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    // The contiguous form: the concatenation of the chunks.
    ByteString toStrict() const;

    // Equality is by content, whatever the chunk boundaries.
    friend bool operator==(const ChunkedByteString& a, const ChunkedByteString& b);

private:
    std::vector<ByteString> chunks_;
    std::size_t size_ = 0;
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
