#pragma once
// The machinery of the buffer-safety groups: random cases, placing a call's
// arguments, running the call guarded and comparing it with the same call on
// ordinary storage, and the words a failure is reported in.

#include <cstddef>
#include <exception>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <rapidcheck.h>

#include "zelkor/ByteString.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/checks/FaultGuard.hpp"
#include "zelkor/tests/detail/bytes/PlacedStorage.hpp"

namespace zelkor::tests::detail {

// One placed argument of a call, with the name reports give it ("input",
// "chunk 2 of the message").
struct PlacedArgument {
    std::string name;
    PlacedBytes placed;
};

// What a fault did, in terms of the call's placed arguments, e.g. "read 1 byte
// past the end of the message (17 bytes, last byte before an inaccessible
// page)", "wrote into its input at byte 3 (32 bytes, ...)", or for a fault
// on no argument's pages "crashed (SIGSEGV) with the input 3 bytes past a
// 64-byte boundary (16 bytes, ...)".
std::string describeFault(const Fault& fault, const std::vector<PlacedArgument>& arguments);

// "the key (16 bytes, ...), the input (33 bytes, ...)".
std::string describeArguments(const std::vector<PlacedArgument>& arguments);

// The random part of a case: the bytes of every argument, a chunk plan for
// the message, and the placements the arguments take in turn.
struct SafetyCase {
    ByteString key;
    ByteString iv;
    ByteString message;
    ByteString blocks;  // one to four whole blocks (ciphers)
    std::vector<std::size_t> plan;
    std::vector<Placement> placements;

    // Message and (when keyBytes is 0) key lengths are 0, 1, b-1, b, b+1,
    // 2b+3 or uniform over 0..4b, each with probability 1/7.
    static SafetyCase draw(rc::Random& random, std::size_t blockBytes, std::size_t keyBytes);
};

std::ostream& operator<<(std::ostream& os, const SafetyCase& c);

// A case for a primitive with blocks of BlockBytes and keys of KeyBytes
// (0: a drawn length), as a type for rc::Arbitrary.
template <std::size_t BlockBytes, std::size_t KeyBytes>
struct SafetyCaseOf : SafetyCase {};

// Places the arguments of one call after another, each at the case's next
// placement, and remembers those of the current call for the report.
class Placer {
public:
    explicit Placer(const std::vector<Placement>& placements) : placements_(placements) {}

    // Starts the arguments of a new call.
    void newCall() { arguments_.clear(); }
    ByteString place(std::string name, const ByteString& bytes);
    // Each chunk placed on its own, named "chunk i of the <name>".
    ChunkedByteString placeChunks(const std::string& name, const ChunkedByteString& chunks);

    const std::vector<PlacedArgument>& arguments() const noexcept { return arguments_; }

private:
    const std::vector<Placement>& placements_;
    std::size_t next_ = 0;
    std::vector<PlacedArgument> arguments_;
};

// Keeps the arguments of a call that a fault stopped for the rest of the
// process: copies the call made of them were never released, so their pages
// must not be reused (and a leak checker must not call them lost).
void keepAfterFault(const std::vector<PlacedArgument>& arguments);

template <class T>
struct CallOutcome {
    std::optional<T> value;
    std::string error;  // what an exception said, when one ended the call

    friend bool operator==(const CallOutcome& a, const CallOutcome& b) {
        return a.value.has_value() ? b.value.has_value() && *a.value == *b.value : a.error == b.error;
    }
};

template <class T>
void renderOutcome(std::ostream& os, const CallOutcome<T>& outcome) {
    if (!outcome.value) {
        os << "an exception: " << outcome.error;
    } else if constexpr (requires { outcome.value->has_value(); }) {
        if (*outcome.value) render(os, **outcome.value);
        else os << "nothing";
    } else {
        render(os, *outcome.value);
    }
}

template <class F>
auto outcomeOf(F&& f) -> CallOutcome<decltype(f())> {
    try {
        return {f(), {}};
    } catch (const std::exception& error) {
        return {std::nullopt, error.what()};
    }
}

// Runs call(false) on ordinary storage, then call(true) on the placed
// arguments, both under the fault guard. Fails the case when either faults
// or the placed result (or exception) differs from the ordinary one, naming
// `operation` (the operation and its form) and the arguments.
template <class Call>
void requireSafeCall(std::string_view operation, const std::vector<PlacedArgument>& arguments, Call&& call) {
    using Outcome = decltype(outcomeOf([&] { return call(false); }));
    std::optional<Outcome> ordinary;
    if (const std::optional<Fault> fault = guarded([&] { ordinary = outcomeOf([&] { return call(false); }); })) {
        RC_FAIL(std::string(operation) + " crashed (" + signalName(fault->signal) + ") on ordinary storage");
    }
    std::optional<Outcome> placed;
    if (const std::optional<Fault> fault = guarded([&] { placed = outcomeOf([&] { return call(true); }); })) {
        keepAfterFault(arguments);
        RC_FAIL(std::string(operation) + " " + describeFault(*fault, arguments));
    }
    if (*placed == *ordinary) return;
    std::ostringstream msg;
    msg << operation << " gave a different result on placed storage: ";
    renderOutcome(msg, *placed);
    msg << "\n on ordinary storage it gave: ";
    renderOutcome(msg, *ordinary);
    msg << "\n placed arguments: " << describeArguments(arguments);
    RC_FAIL(msg.str());
}

// The one case of a buffer-safety group where nothing can be placed: skipped
// with the reason.
Test placementUnavailableCase();

}  // namespace zelkor::tests::detail

namespace rc {

template <std::size_t BlockBytes, std::size_t KeyBytes>
struct Arbitrary<zelkor::tests::detail::SafetyCaseOf<BlockBytes, KeyBytes>> {
    using Case = zelkor::tests::detail::SafetyCaseOf<BlockBytes, KeyBytes>;
    static Gen<Case> arbitrary() {
        return [](const Random& random, int) {
            Random r = random;
            return shrinkable::just(Case{zelkor::tests::detail::SafetyCase::draw(r, BlockBytes, KeyBytes)});
        };
    }
};

}  // namespace rc
