#include "zelkor/ByteString.hpp"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace zelkor {

ByteString operator+(const ByteString& a, const ByteString& b) {
    std::vector<std::uint8_t> out;
    out.reserve(a.size() + b.size());
    out.insert(out.end(), a.begin(), a.end());
    out.insert(out.end(), b.begin(), b.end());
    return ByteString(std::move(out));
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
    // Every chunk is non-empty, so the chunks go straight in without the
    // filtering copy of fromChunks.
    ChunkedByteString out;
    out.chunks_.reserve(bytes.size() / chunkSize + 1);
    for (std::size_t pos = 0; pos < bytes.size(); pos += chunkSize) {
        out.chunks_.emplace_back(bytes.data() + pos, std::min(chunkSize, bytes.size() - pos));
    }
    out.size_ = bytes.size();
    return out;
}

ChunkedByteString ChunkedByteString::fromStrict(const ByteString& bytes) {
    return fromChunks({bytes});
}

ByteString ChunkedByteString::toStrict() const {
    if (chunks_.size() == 1) return chunks_.front();
    std::vector<std::uint8_t> out;
    out.reserve(size_);
    for (const auto& chunk : chunks_) out.insert(out.end(), chunk.begin(), chunk.end());
    return ByteString(std::move(out));
}

bool operator==(const ChunkedByteString& a, const ChunkedByteString& b) {
    if (a.size() != b.size()) return false;
    // Walk both chunk lists in step, comparing the overlapping pieces.
    std::size_t ia = 0, ib = 0, oa = 0, ob = 0;
    const auto& ca = a.chunks();
    const auto& cb = b.chunks();
    while (ia < ca.size() && ib < cb.size()) {
        const std::size_t n = std::min(ca[ia].size() - oa, cb[ib].size() - ob);
        if (!std::equal(ca[ia].data() + oa, ca[ia].data() + oa + n, cb[ib].data() + ob)) return false;
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
