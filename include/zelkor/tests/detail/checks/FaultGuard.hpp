#pragma once
// Runs a call so that a memory fault inside it (SIGSEGV, SIGBUS) ends the call
// instead of the process: the fault is returned to the caller, which reports
// it as the failure of its check.
//
// A process-wide handler, installed on first use, jumps back to the guarded
// call of the faulting thread (signals from memory faults are delivered to
// the thread that faults, and each thread keeps its own jump target). A fault
// outside a guarded call goes to the handler that was there before, so
// sanitizers and the default action see it as usual. Frames left by the jump
// are not unwound: what the faulting call allocated is lost, which is the
// price of going on after a memory fault; LeakSanitizer, when linked in, is
// told to leave what guarded calls allocate out of its reports.

#include <optional>
#include <type_traits>
#include <utility>

namespace zelkor::tests::detail {

struct Fault {
    enum class Access { Read, Write, Unknown };
    int signal = 0;
    const void* address = nullptr;  // as the processor reported it (0 for some faults)
    Access access = Access::Unknown;
};

// The signal's name, e.g. "SIGSEGV".
const char* signalName(int signal);

// Whether calls can be guarded here (POSIX signals).
bool faultGuardAvailable() noexcept;

namespace guard {
// Runs call(context); false with `fault` set when it faulted.
bool runGuarded(void (*call)(void*), void* context, Fault& fault);
}  // namespace guard

// Runs f(); the fault that stopped it, if any. Exceptions from f propagate.
template <class F>
std::optional<Fault> guarded(F&& f) {
    using Callable = std::remove_reference_t<F>;
    Fault fault;
    if (guard::runGuarded([](void* context) { (*static_cast<Callable*>(context))(); },
                          const_cast<void*>(static_cast<const void*>(&f)), fault)) {
        return std::nullopt;
    }
    return fault;
}

}  // namespace zelkor::tests::detail
