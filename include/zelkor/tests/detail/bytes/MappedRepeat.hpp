#pragma once
// A long repeated message as one contiguous ByteString backed by a few pages:
// the same block of memory mapped over and over into one address range, so
// that a digest's contiguous form can take several GiB in one call.

#include <cstdint>
#include <optional>
#include <string>

#include "zelkor/ByteString.hpp"

namespace zelkor::tests::detail {

// The bytes, or why the platform could not map them.
struct MappedRepeat {
    std::optional<ByteString> bytes;
    std::string unavailable;
};

// `content` repeated `times` times. On Linux: a memfd holding about 2 MiB of
// whole repetitions, mapped read-only again and again over a reserved address
// range, the last mapping cut short by the view. Physical memory is that one
// block (plus page tables), whatever the length. The resident set counted
// for the process would still grow with every page read (each mapping's
// pages count once touched, although they are all the same few pages), so
// while the bytes are alive a helper thread drops the page-table entries of
// the blocks a reader has passed every 10 ms; a later read faults them back
// in from the memfd. Elsewhere, or when a step fails (no memfd, no address
// space, too many mappings), no bytes and the reason.
MappedRepeat mapRepeated(const ByteString& content, std::uint64_t times);

}  // namespace zelkor::tests::detail
