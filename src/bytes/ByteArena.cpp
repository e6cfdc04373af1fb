#include "zelkor/tests/detail/bytes/ByteArena.hpp"

#include <cstring>

namespace zelkor::tests::detail {

namespace {

// Blocks of 64 KiB; a request of more than a quarter of that gets a block of
// its own, so that no more than a quarter of a block is left unused.
constexpr std::size_t kBlockBytes = std::size_t{64} << 10;

}  // namespace

std::span<std::uint8_t> ByteArena::take(std::size_t bytes) {
    if (bytes == 0) return {};
    if (bytes > kBlockBytes / 4) {
        blocks_.push_back(std::make_unique_for_overwrite<std::uint8_t[]>(bytes));
        return {blocks_.back().get(), bytes};
    }
    if (bytes > left_) {
        blocks_.push_back(std::make_unique_for_overwrite<std::uint8_t[]>(kBlockBytes));
        next_ = blocks_.back().get();
        left_ = kBlockBytes;
    }
    const std::span<std::uint8_t> out(next_, bytes);
    next_ += bytes;
    left_ -= bytes;
    return out;
}

std::span<const std::uint8_t> ByteArena::hex(std::string_view hex) {
    if (hex.size() % 2 != 0) decodeHexInto(hex, {});  // throws before any room is taken
    const std::span<std::uint8_t> out = take(hex.size() / 2);
    decodeHexInto(hex, out);
    return out;
}

std::string_view ByteArena::text(std::string_view text) {
    const std::span<std::uint8_t> out = take(text.size());
    if (!out.empty()) std::memcpy(out.data(), text.data(), text.size());
    return {reinterpret_cast<const char*>(out.data()), out.size()};
}

}  // namespace zelkor::tests::detail
