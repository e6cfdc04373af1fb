#pragma once
// Storage for the decoded fields of vector files. A file's text is twice the
// size of the bytes its hex fields hold, and a record's fields are small: one
// arena holds them all, so that the text can be dropped once it is read and no
// field costs an allocation of its own.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace zelkor::tests::detail {

// Decodes `hex` (an even number of characters, as hexStringToBS reads them)
// into `out`, which holds exactly hex.size() / 2 bytes. Throws HexDecodeError
// as hexStringToBS does.
void decodeHexInto(std::string_view hex, std::span<std::uint8_t> out);

// What is put in never moves: the spans and views it gives stay valid for
// as long as the arena lives.
class ByteArena {
public:
    ByteArena() = default;
    ByteArena(const ByteArena&) = delete;
    ByteArena& operator=(const ByteArena&) = delete;

    // The bytes `hex` stands for; throws HexDecodeError for bad hex.
    std::span<const std::uint8_t> hex(std::string_view hex);
    // A copy of `text`.
    std::string_view text(std::string_view text);
    // Room for `bytes` bytes, left for the caller to fill.
    std::span<std::uint8_t> take(std::size_t bytes);

private:

    std::vector<std::unique_ptr<std::uint8_t[]>> blocks_;
    std::uint8_t* next_ = nullptr;
    std::size_t left_ = 0;
};

}  // namespace zelkor::tests::detail
