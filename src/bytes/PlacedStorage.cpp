#include "zelkor/tests/detail/bytes/PlacedStorage.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

#if defined(__unix__) || defined(__APPLE__)
#include <sys/mman.h>
#include <unistd.h>
#define ZELKOR_PLACED_PAGES 1
#if defined(__linux__) && defined(MFD_CLOEXEC)
#define ZELKOR_PLACED_POOL 1
#endif
#endif

namespace zelkor::tests::detail {

std::ostream& operator<<(std::ostream& os, const Placement& placement) {
    os << (placement.edge == PageEdge::LastByteBeforeGuard ? "end at guard" : "start at guard");
    if (placement.offset != 0) os << " +" << placement.offset;
    return os;
}

namespace {

// Where the first of `n` bytes goes in the data region [begin, end).
std::uint8_t* startIn(std::uint8_t* begin, std::uint8_t* end, std::size_t n, Placement placement) {
    if (placement.edge == PageEdge::FirstByteAfterGuard) return begin + placement.offset;
    std::uint8_t* start = end - n;
    if (placement.offset == 0) return start;
    const auto address = reinterpret_cast<std::uintptr_t>(start);
    return start - (address - placement.offset) % kPlacementAlignment;
}

// Fills the bytes next to the input with a fixed pattern.
void fillAround(std::uint8_t* begin, std::uint8_t* end, std::uint8_t* start, std::size_t n) {
    constexpr std::size_t kFilled = kPlacementAlignment;
    std::uint8_t* from = start - std::min<std::size_t>(kFilled, static_cast<std::size_t>(start - begin));
    std::uint8_t* to = start + n + std::min<std::size_t>(kFilled, static_cast<std::size_t>(end - (start + n)));
    for (std::uint8_t* p = from; p < to; ++p) *p = static_cast<std::uint8_t>(0xa5 ^ ((p - from) * 29));
}

void checkPlacement(Placement placement) {
    if (placement.offset > kMaxPlacementOffset) {
        throw std::invalid_argument("placeBytes: offset " + std::to_string(placement.offset) + " is above " +
                                    std::to_string(kMaxPlacementOffset));
    }
}

#ifdef ZELKOR_PLACED_PAGES

std::size_t pageSize() {
    static const auto size = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return size;
}

std::size_t roundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

[[noreturn]] void mapFailed(const char* call, std::size_t bytes) {
    throw std::runtime_error(std::string("placeBytes: ") + call + " of " + std::to_string(bytes) +
                             " bytes failed: " + std::strerror(errno));
}

PlacedBytes finish(std::span<const std::uint8_t> bytes, Placement placement, std::uint8_t* writable,
                   const std::uint8_t* readable, std::size_t dataSize, std::shared_ptr<const void> owner) {
    std::uint8_t* start = startIn(writable, writable + dataSize, bytes.size(), placement);
    fillAround(writable, writable + dataSize, start, bytes.size());
    if (!bytes.empty()) std::memcpy(start, bytes.data(), bytes.size());
    PlacedBytes out;
    out.bytes = ByteString::viewOf(std::move(owner), {readable + (start - writable), bytes.size()});
    out.placement = placement;
    out.dataBegin = readable;
    out.dataEnd = readable + dataSize;
    out.pageSize = pageSize();
    return out;
}

// Pages of their own for one string: a guard page, the data pages, a guard page.
PlacedBytes freshlyMapped(std::span<const std::uint8_t> bytes, Placement placement, bool readOnly) {
    const std::size_t page = pageSize();
    const std::size_t dataSize = roundUp(bytes.size() + kPlacementAlignment, page);
    const std::size_t length = dataSize + 2 * page;
    void* base = mmap(nullptr, length, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) mapFailed("mmap", length);
    std::shared_ptr<const void> owner(base, [length](const void* p) { munmap(const_cast<void*>(p), length); });
    auto* data = static_cast<std::uint8_t*>(base) + page;
    if (mprotect(data, dataSize, PROT_READ | PROT_WRITE) != 0) mapFailed("mprotect", dataSize);
    PlacedBytes out = finish(bytes, placement, data, data, dataSize, std::move(owner));
    if (readOnly && mprotect(data, dataSize, PROT_READ) != 0) mapFailed("mprotect", dataSize);
    return out;
}

#ifdef ZELKOR_PLACED_POOL

// Single data pages, each seen read-only between two guard pages and
// writable elsewhere (the same page of a memory file mapped twice), so a
// string is placed by copying it in. The pages are never unmapped: a page
// goes back to the pool when the last copy of its string is gone.
class PagePool {
public:
    struct Slot {
        std::uint8_t* writable;
        const std::uint8_t* readable;
    };

    static PagePool& instance() {
        static PagePool* const pool = new PagePool;  // never destroyed: strings may outlive statics
        return *pool;
    }

    bool take(Slot& slot) {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (free_.empty() && !grow()) return false;
        slot = free_.back();
        free_.pop_back();
        return true;
    }

    void give(Slot slot) {
        const std::lock_guard<std::mutex> lock(mutex_);
        free_.push_back(slot);
    }

private:
    static constexpr std::size_t kPagesPerGrowth = 32;

    bool grow() {
        if (broken_) return false;
        const std::size_t page = pageSize();
        const int fd = memfd_create("zelkor-placed", MFD_CLOEXEC);
        if (fd < 0) return broken_ = true, false;
        void* writable = MAP_FAILED;
        void* reserved = MAP_FAILED;
        bool ok = ftruncate(fd, static_cast<off_t>(kPagesPerGrowth * page)) == 0;
        if (ok) writable = mmap(nullptr, kPagesPerGrowth * page, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (ok) reserved = mmap(nullptr, 3 * kPagesPerGrowth * page, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        ok = ok && writable != MAP_FAILED && reserved != MAP_FAILED;
        // Three pages per slot: a guard page, the data page, a guard page.
        for (std::size_t i = 0; ok && i < kPagesPerGrowth; ++i) {
            void* at = static_cast<std::uint8_t*>(reserved) + (3 * i + 1) * page;
            ok = mmap(at, page, PROT_READ, MAP_SHARED | MAP_FIXED, fd, static_cast<off_t>(i * page)) != MAP_FAILED;
        }
        close(fd);
        if (!ok) {
            if (writable != MAP_FAILED) munmap(writable, kPagesPerGrowth * page);
            if (reserved != MAP_FAILED) munmap(reserved, 3 * kPagesPerGrowth * page);
            return broken_ = true, false;
        }
        for (std::size_t i = 0; i < kPagesPerGrowth; ++i) {
            free_.push_back({static_cast<std::uint8_t*>(writable) + i * page,
                             static_cast<const std::uint8_t*>(reserved) + (3 * i + 1) * page});
        }
        return true;
    }

    std::mutex mutex_;
    std::vector<Slot> free_;
    bool broken_ = false;
};

bool pooled(std::span<const std::uint8_t> bytes, Placement placement, PlacedBytes& out) {
    if (bytes.size() + kPlacementAlignment > pageSize()) return false;
    PagePool::Slot slot{};
    if (!PagePool::instance().take(slot)) return false;
    std::shared_ptr<const void> owner(slot.readable, [slot](const void*) { PagePool::instance().give(slot); });
    out = finish(bytes, placement, slot.writable, slot.readable, pageSize(), std::move(owner));
    return true;
}

#endif  // ZELKOR_PLACED_POOL
#endif  // ZELKOR_PLACED_PAGES

}  // namespace

bool placementAvailable() noexcept {
#ifdef ZELKOR_PLACED_PAGES
    return true;
#else
    return false;
#endif
}

std::string placementUnavailableReason() {
    return placementAvailable() ? std::string()
                                : "placing bytes against inaccessible pages needs mmap and mprotect, "
                                  "which this platform does not have";
}

PlacedBytes placeBytes(std::span<const std::uint8_t> bytes, Placement placement, bool readOnly) {
    checkPlacement(placement);
#ifdef ZELKOR_PLACED_PAGES
#ifdef ZELKOR_PLACED_POOL
    PlacedBytes out;
    if (readOnly && pooled(bytes, placement, out)) return out;
#endif
    return freshlyMapped(bytes, placement, readOnly);
#else
    (void)readOnly;
    PlacedBytes out;
    out.bytes = ByteString(bytes);
    out.placement = placement;
    return out;
#endif
}

std::string describeAlignment(const PlacedBytes& placed) {
    const auto offset = reinterpret_cast<std::uintptr_t>(placed.bytes.data()) % kPlacementAlignment;
    if (offset == 0) return "on a 64-byte boundary";
    return std::to_string(offset) + (offset == 1 ? " byte" : " bytes") + " past a 64-byte boundary";
}

std::string describeEdge(const PlacedBytes& placed) {
    if (!placed.placed()) return "ordinary storage";
    const auto bytesWord = [](std::size_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); };
    const std::uint8_t* start = placed.bytes.data();
    if (placed.placement.edge == PageEdge::FirstByteAfterGuard) {
        const auto gap = static_cast<std::size_t>(start - placed.dataBegin);
        return gap == 0 ? "first byte after an inaccessible page"
                        : "first byte " + bytesWord(gap) + " after an inaccessible page";
    }
    const auto gap = static_cast<std::size_t>(placed.dataEnd - (start + placed.bytes.size()));
    return gap == 0 ? "last byte before an inaccessible page"
                    : "last byte " + bytesWord(gap) + " before an inaccessible page";
}

std::string describePlacement(const PlacedBytes& placed) {
    if (!placed.placed() || placed.placement.offset == 0) return describeEdge(placed);
    return describeAlignment(placed) + ", " + describeEdge(placed);
}

}  // namespace zelkor::tests::detail
