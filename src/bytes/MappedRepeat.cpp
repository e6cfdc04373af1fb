#include "zelkor/tests/detail/bytes/MappedRepeat.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <numeric>
#include <span>
#include <string>
#include <thread>
#include <vector>

#if defined(__linux__)
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace zelkor::tests::detail {

#if defined(__linux__)

namespace {

// Mapped blocks hold at least this much; larger when the message needs more
// mappings than kMaxMappings (the kernel allows about 65530 per process).
constexpr std::uint64_t kBlockBytes = std::uint64_t{2} << 20;
constexpr std::uint64_t kMaxMappings = 8192;
// A repetition period (content length and page size) beyond this is not mapped.
constexpr std::uint64_t kMaxPeriod = std::uint64_t{64} << 20;
// How often the trimmer looks: at 2 GB/s of hashing, 20 MB become resident
// in between. Each drop costs the reader time too (the kernel updates the
// shared pages' counts), so not much more often.
constexpr auto kTrimInterval = std::chrono::milliseconds(10);
// Every this many looks, the whole range loses its entries, whatever order
// it is read in.
constexpr unsigned kFullTrimEvery = 100;
// Blocks without entries that end the search for the reader. After a full
// drop, the blocks the reader crossed since are empty too, so this must
// exceed what it reads in one interval (20 MB at 2 GB/s): 128 MiB leaves room
// for faster digests.
constexpr std::uint64_t kLookahead = 64;

std::string failed(const char* call) { return std::string(call) + " failed: " + std::strerror(errno); }

// The reserved range of `blocks` mapped blocks, and the thread that keeps its
// resident set small. Dropping the entries of the whole range is slow (the
// kernel scans every page-table page the range ever used), so each look
// drops only the blocks a front-to-back reader has left behind, finding the
// reader from which blocks have entries (/proc/self/pagemap). A full drop
// now and then catches other orders; without pagemap every look is a full
// drop.
class Mapping {
public:
    Mapping(void* base, std::size_t blockBytes, std::uint64_t blocks, std::size_t pageSize)
        : base_(static_cast<std::uint8_t*>(base)),
          blockBytes_(blockBytes),
          blocks_(blocks),
          pageSize_(pageSize),
          entries_(blockBytes / pageSize) {}
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;
    ~Mapping() {
        if (trimmer_.joinable()) {
            {
                std::lock_guard lock(mutex_);
                stop_ = true;
            }
            wake_.notify_one();
            trimmer_.join();
        }
        if (pagemap_ >= 0) ::close(pagemap_);
        ::munmap(base_, length());
    }

    std::uint8_t* base() const { return base_; }

    void startTrimming() {
        pagemap_ = ::open("/proc/self/pagemap", O_RDONLY | O_CLOEXEC);
        trimmer_ = std::thread([this] {
            std::unique_lock lock(mutex_);
            for (unsigned look = 1; !wake_.wait_for(lock, kTrimInterval, [this] { return stop_; }); ++look) {
                if (pagemap_ < 0 || look % kFullTrimEvery == 0) drop(0, blocks_);
                else dropPassedBlocks();
            }
        });
    }

private:
    std::size_t length() const { return static_cast<std::size_t>(blocks_) * blockBytes_; }

    // Only the page-table entries go: the memfd keeps the pages, and a read
    // during or after this faults them back in.
    void drop(std::uint64_t first, std::uint64_t end) {
        if (first < end) ::madvise(base_ + first * blockBytes_, (end - first) * blockBytes_, MADV_DONTNEED);
    }

    // Whether any page of the block has an entry now.
    bool hasEntries(std::uint64_t block) {
        const auto first = reinterpret_cast<std::uintptr_t>(base_ + block * blockBytes_) / pageSize_;
        const auto bytes = static_cast<std::size_t>(entries_.size() * sizeof entries_[0]);
        const auto offset = static_cast<off_t>(first * sizeof entries_[0]);
        if (::pread(pagemap_, entries_.data(), bytes, offset) != static_cast<ssize_t>(bytes)) return false;
        return std::any_of(entries_.begin(), entries_.end(), [](std::uint64_t e) { return (e >> 63) != 0; });
    }

    // Past the blocks known to be reached, the reader is in the last block
    // with entries before a run of kLookahead blocks without (a full drop
    // may have emptied the one it just left).
    void dropPassedBlocks() {
        for (std::uint64_t block = reached_, empty = 0; block < blocks_ && empty < kLookahead; ++block) {
            if (hasEntries(block)) {
                reached_ = block + 1;
                empty = 0;
            } else {
                ++empty;
            }
        }
        if (reached_ > 1 && reached_ - 1 > dropped_) {
            drop(dropped_, reached_ - 1);
            dropped_ = reached_ - 1;
        }
    }

    std::uint8_t* base_;
    std::size_t blockBytes_;
    std::uint64_t blocks_;
    std::uintptr_t pageSize_;
    std::vector<std::uint64_t> entries_;  // one block's pagemap entries
    int pagemap_ = -1;
    std::uint64_t reached_ = 0;  // blocks from the start seen with an entry
    std::uint64_t dropped_ = 0;  // blocks from the start dropped since
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread trimmer_;
};

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

std::uint64_t roundUp(std::uint64_t n, std::uint64_t multiple) { return (n + multiple - 1) / multiple * multiple; }

}  // namespace

MappedRepeat mapRepeated(const ByteString& content, std::uint64_t times) {
    if (content.empty() || times == 0) return {ByteString(), {}};
    const std::uint64_t maxLength = std::numeric_limits<std::size_t>::max() / 2;
    if (times > maxLength / content.size()) return {std::nullopt, "longer than the address space"};
    const std::uint64_t length = content.size() * times;
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pageSize <= 0) return {std::nullopt, failed("sysconf(_SC_PAGESIZE)")};
    // A block must start with a whole repetition and end on a page boundary.
    const std::uint64_t period = std::lcm<std::uint64_t>(content.size(), static_cast<std::uint64_t>(pageSize));
    if (period > kMaxPeriod) return {std::nullopt, "pattern too long to map repeatedly"};
    const std::uint64_t block =
        roundUp(std::max(kBlockBytes, (length + kMaxMappings - 1) / kMaxMappings), period);
    const std::uint64_t blocks = (length + block - 1) / block;
    if (blocks * block > maxLength) return {std::nullopt, "longer than the address space"};
    const auto blockBytes = static_cast<std::size_t>(block);
    const auto reserved = static_cast<std::size_t>(blocks * block);

    Fd memory;
    memory.fd = ::memfd_create("zelkor-repeat", MFD_CLOEXEC);
    if (memory.fd < 0) return {std::nullopt, failed("memfd_create")};
    if (::ftruncate(memory.fd, static_cast<off_t>(blockBytes)) != 0) return {std::nullopt, failed("ftruncate")};
    void* base = ::mmap(nullptr, reserved, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (base == MAP_FAILED) return {std::nullopt, failed("mmap of the address range")};
    auto mapping = std::make_shared<Mapping>(base, blockBytes, blocks, static_cast<std::size_t>(pageSize));

    // The first block is written through a mapping of its own, then every
    // block of the range maps the same pages read-only.
    void* fill = ::mmap(nullptr, blockBytes, PROT_READ | PROT_WRITE, MAP_SHARED, memory.fd, 0);
    if (fill == MAP_FAILED) return {std::nullopt, failed("mmap of the block")};
    auto* out = static_cast<std::uint8_t*>(fill);
    for (std::size_t pos = 0; pos < blockBytes; pos += content.size()) {
        std::memcpy(out + pos, content.data(), content.size());
    }
    ::munmap(fill, blockBytes);
    for (std::uint64_t i = 0; i < blocks; ++i) {
        void* at = mapping->base() + i * blockBytes;
        if (::mmap(at, blockBytes, PROT_READ, MAP_SHARED | MAP_FIXED, memory.fd, 0) == MAP_FAILED) {
            return {std::nullopt, failed("mmap of a repetition")};
        }
    }
    mapping->startTrimming();
    const std::span<const std::uint8_t> bytes(mapping->base(), static_cast<std::size_t>(length));
    return {ByteString::viewOf(std::move(mapping), bytes), {}};
}

#else

MappedRepeat mapRepeated(const ByteString& content, std::uint64_t times) {
    if (content.empty() || times == 0) return {ByteString(), {}};
    return {std::nullopt, "this platform cannot map one block of memory many times"};
}

#endif

}  // namespace zelkor::tests::detail
