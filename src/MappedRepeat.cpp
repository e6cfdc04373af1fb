#include "zelkor/tests/detail/MappedRepeat.hpp"

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

#if defined(__linux__)
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
// How often the page-table entries are dropped: at a few GB/s of hashing, a
// few tens of MB become resident in between.
constexpr auto kTrimInterval = std::chrono::milliseconds(5);

std::string failed(const char* call) { return std::string(call) + " failed: " + std::strerror(errno); }

// The reserved range and the thread that keeps its resident set small.
class Mapping {
public:
    Mapping(void* base, std::size_t length) : base_(base), length_(length) {}
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
        ::munmap(base_, length_);
    }

    std::uint8_t* base() const { return static_cast<std::uint8_t*>(base_); }

    void startTrimming() {
        trimmer_ = std::thread([this] {
            std::unique_lock lock(mutex_);
            while (!wake_.wait_for(lock, kTrimInterval, [this] { return stop_; })) {
                // Only the page-table entries go: the memfd keeps the pages,
                // and a read during or after this faults them back in.
                ::madvise(base_, length_, MADV_DONTNEED);
            }
        });
    }

private:
    void* base_;
    std::size_t length_;
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
    auto mapping = std::make_shared<Mapping>(base, reserved);

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
