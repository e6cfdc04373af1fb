#include "zelkor/tests/detail/checks/BufferSafetyChecks.hpp"

#include <algorithm>
#include <mutex>

#include "zelkor/tests/detail/checks/ConformanceInputs.hpp"

namespace zelkor::tests::detail {

namespace {

std::string bytesWord(std::size_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }

// Appended piece by piece: g++ 12 warns wrongly (-Wrestrict) about a chain of
// string + on temporaries here.
std::string details(const PlacedBytes& placed) {
    std::string out = "(";
    out += bytesWord(placed.bytes.size());
    out += ", ";
    out += describePlacement(placed);
    out += ')';
    return out;
}

const char* verb(Fault::Access access) {
    switch (access) {
    case Fault::Access::Read: return "read";
    case Fault::Access::Write: return "wrote";
    case Fault::Access::Unknown: break;
    }
    return "accessed";
}

// The fault in terms of one argument whose pages hold its address.
std::optional<std::string> onArgument(const Fault& fault, const PlacedArgument& argument) {
    const PlacedBytes& placed = argument.placed;
    if (!placed.placed()) return std::nullopt;
    const auto* address = static_cast<const std::uint8_t*>(fault.address);
    const std::uint8_t* start = placed.bytes.data();
    const std::uint8_t* end = start + placed.bytes.size();
    const std::less<const std::uint8_t*> below;
    if (below(address, placed.dataBegin - placed.pageSize) || !below(address, placed.dataEnd + placed.pageSize)) {
        return std::nullopt;
    }
    // The data pages are readable, so a fault there is a write.
    const bool onGuard = below(address, placed.dataBegin) || !below(address, placed.dataEnd);
    const char* what = onGuard ? verb(fault.access) : "wrote";
    std::string tail = " ";
    tail += details(placed);
    // "the input", "its input", but "chunk 2 of the input".
    const bool chunk = argument.name.starts_with("chunk ");
    if (below(address, start)) {
        return std::string(what) + " " + bytesWord(static_cast<std::size_t>(start - address)) +
               " before the start of " + (chunk ? "" : "the ") + argument.name + tail;
    }
    if (!below(address, end)) {
        return std::string(what) + " " + bytesWord(static_cast<std::size_t>(address - end) + 1) +
               " past the end of " + (chunk ? "" : "the ") + argument.name + tail;
    }
    return std::string("wrote into ") + (chunk ? "" : "its ") + argument.name + " at byte " +
           std::to_string(address - start) + tail;
}

}  // namespace

std::string describeFault(const Fault& fault, const std::vector<PlacedArgument>& arguments) {
    for (const PlacedArgument& argument : arguments) {
        if (auto said = onArgument(fault, argument)) return *said;
    }
    std::string out = std::string("crashed (") + signalName(fault.signal) + ") with ";
    const char* separator = "";
    for (const PlacedArgument& argument : arguments) {
        out += separator;
        const PlacedBytes& placed = argument.placed;
        out += (argument.name.starts_with("chunk ") ? "" : "the ") + argument.name + " " + describeAlignment(placed) +
               " (" + bytesWord(placed.bytes.size()) +
               ", " + describeEdge(placed) + ")";
        separator = ", ";
    }
    return out;
}

std::string describeArguments(const std::vector<PlacedArgument>& arguments) {
    std::string out;
    const char* separator = "";
    for (const PlacedArgument& argument : arguments) {
        out += separator;
        out += (argument.name.starts_with("chunk ") ? "" : "the ") + argument.name + " " + details(argument.placed);
        separator = ", ";
    }
    return out;
}

namespace {

constexpr std::size_t kPlacementsPerCase = 32;

std::size_t drawLength(rc::Random& random, std::size_t b) {
    const std::size_t edges[] = {0, 1, b > 0 ? b - 1 : 0, b, b + 1, 2 * b + 3};
    const std::size_t pick = uniformBelow(random, 7);
    return pick < 6 ? edges[pick] : uniformBelow(random, 4 * b + 1);
}

}  // namespace

SafetyCase SafetyCase::draw(rc::Random& random, std::size_t blockBytes, std::size_t keyBytes) {
    SafetyCase c;
    c.message = uniformBytes(random, drawLength(random, blockBytes));
    c.key = uniformBytes(random, keyBytes != 0 ? keyBytes : drawLength(random, blockBytes));
    c.iv = uniformBytes(random, blockBytes);
    c.blocks = uniformBytes(random, blockBytes * (1 + uniformBelow(random, 4)));
    c.plan = drawChunkPlan(random, blockBytes, c.message.size());
    for (std::size_t i = 0; i < kPlacementsPerCase; ++i) {
        const auto edge = uniformBelow(random, 2) == 0 ? PageEdge::LastByteBeforeGuard : PageEdge::FirstByteAfterGuard;
        c.placements.push_back({edge, uniformBelow(random, kMaxPlacementOffset + 1)});
    }
    return c;
}

std::ostream& operator<<(std::ostream& os, const SafetyCase& c) {
    os << "message of " << c.message.size() << " bytes " << c.message << ", key of " << c.key.size() << " bytes "
       << c.key << ", chunk plan " << c.plan << ", placements [";
    for (std::size_t i = 0; i < c.placements.size(); ++i) os << (i ? ", " : "") << c.placements[i];
    return os << ']';
}

ByteString Placer::place(std::string name, const ByteString& bytes) {
    const Placement placement = placements_.empty() ? Placement{} : placements_[next_++ % placements_.size()];
    PlacedBytes placed = placeBytes(bytes.span(), placement);
    ByteString out = placed.bytes;
    arguments_.push_back({std::move(name), std::move(placed)});
    return out;
}

ChunkedByteString Placer::placeChunks(const std::string& name, const ChunkedByteString& chunks) {
    std::vector<ByteString> placed;
    placed.reserve(chunks.chunks().size());
    for (std::size_t i = 0; i < chunks.chunks().size(); ++i) {
        placed.push_back(place("chunk " + std::to_string(i + 1) + " of the " + name, chunks.chunks()[i]));
    }
    return ChunkedByteString::fromChunks(std::move(placed));
}

void keepAfterFault(const std::vector<PlacedArgument>& arguments) {
    static std::mutex lock;
    static auto* const kept = new std::vector<ByteString>;  // never freed: that is the point
    const std::lock_guard<std::mutex> hold(lock);
    for (const PlacedArgument& argument : arguments) kept->push_back(argument.placed.bytes);
}

Test placementUnavailableCase() {
    return Test{TestProperty{"PlacementUnavailable", [](const std::string&) {
                                 return PropertyResult{PropertyResult::Status::Skipped, placementUnavailableReason()};
                             }}};
}

}  // namespace zelkor::tests::detail
