#pragma once
// Byte strings placed where an out-of-bounds access faults: right before or
// right after an inaccessible page, at a chosen offset from a 64-byte
// boundary, and read-only, so a primitive that reads past its input, before
// it, or writes into it is stopped at the access that does it.
//
// POSIX systems map the pages (mmap/mprotect); on Linux a pool of pages
// mapped twice, once read-only between inaccessible guard pages and once
// writable, makes placing a string cost a copy and no system call. Where
// pages cannot be mapped, placeBytes gives ordinary storage and
// placementAvailable() says so.

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <span>
#include <string>

#include "zelkor/ByteString.hpp"

namespace zelkor::tests::detail {

inline constexpr std::size_t kPlacementAlignment = 64;
inline constexpr std::size_t kMaxPlacementOffset = 15;

enum class PageEdge {
    LastByteBeforeGuard,   // the input ends where an inaccessible page begins
    FirstByteAfterGuard,   // the input starts where an inaccessible page ends
};

struct Placement {
    PageEdge edge = PageEdge::LastByteBeforeGuard;
    // 0: right at the edge. 1..15: the first byte this many bytes past a
    // 64-byte boundary, as near the edge as that allows (within 63 bytes of
    // it for LastByteBeforeGuard, exactly `offset` bytes after it otherwise).
    std::size_t offset = 0;

    friend bool operator==(const Placement&, const Placement&) = default;
};

std::ostream& operator<<(std::ostream& os, const Placement& placement);

// Whether placeBytes can put bytes against inaccessible pages here, and if
// not, why.
bool placementAvailable() noexcept;
std::string placementUnavailableReason();

// Placed bytes and the pages around them. The data pages run from
// dataBegin to dataEnd; one inaccessible page of pageSize bytes lies on each
// side. All null for ordinary storage.
struct PlacedBytes {
    ByteString bytes;
    Placement placement;
    const std::uint8_t* dataBegin = nullptr;
    const std::uint8_t* dataEnd = nullptr;
    std::size_t pageSize = 0;

    bool placed() const noexcept { return dataBegin != nullptr; }
};

// A copy of `bytes` at `placement`, read-only when `readOnly` (writable
// otherwise, for checking the storage itself). The pages stay mapped as long
// as a copy of the byte string lives. The other bytes of the data pages near
// the input hold a fixed filler, so a read past the end that stays inside
// the page changes the result of a primitive that uses what it read.
PlacedBytes placeBytes(std::span<const std::uint8_t> bytes, Placement placement, bool readOnly = true);

// Where the bytes lie, e.g. "last byte before an inaccessible page" or
// "3 bytes past a 64-byte boundary, first byte 3 bytes after an inaccessible page".
std::string describePlacement(const PlacedBytes& placed);

// Where they lie against their inaccessible page alone, e.g. "last byte
// before an inaccessible page", "first byte 3 bytes after an inaccessible page".
std::string describeEdge(const PlacedBytes& placed);

// Their offset from the 64-byte boundary below them, e.g.
// "3 bytes past a 64-byte boundary" or "on a 64-byte boundary".
std::string describeAlignment(const PlacedBytes& placed);

}  // namespace zelkor::tests::detail
