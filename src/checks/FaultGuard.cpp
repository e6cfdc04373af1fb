#include "zelkor/tests/detail/checks/FaultGuard.hpp"

#if defined(__unix__) || defined(__APPLE__)
#include <csetjmp>
#include <csignal>
#include <mutex>

#include <pthread.h>
#if defined(__linux__) && defined(__x86_64__)
#include <ucontext.h>
#endif
#define ZELKOR_FAULT_GUARD 1
#endif

// LeakSanitizer's switches, when a sanitizer runtime is linked in: what a
// guarded call allocates is left out of leak reports, since a call stopped by
// a fault never frees it.
extern "C" {
__attribute__((weak)) void __lsan_disable();
__attribute__((weak)) void __lsan_enable();
}

namespace zelkor::tests::detail {

const char* signalName(int signal) {
#ifdef ZELKOR_FAULT_GUARD
    switch (signal) {
    case SIGSEGV: return "SIGSEGV";
    case SIGBUS: return "SIGBUS";
    }
#endif
    (void)signal;
    return "a signal";
}

bool faultGuardAvailable() noexcept {
#ifdef ZELKOR_FAULT_GUARD
    return true;
#else
    return false;
#endif
}

#ifdef ZELKOR_FAULT_GUARD

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS};
struct sigaction previousActions[2];

// The guarded call running on this thread, if any, and what stopped it.
struct GuardState {
    sigjmp_buf* target = nullptr;
    Fault fault;
};
thread_local GuardState guardState;

Fault::Access accessOf(void* context) {
#if defined(__linux__) && defined(__x86_64__)
    // The page-fault error code: bit 1 is set for a write.
    const auto* uc = static_cast<const ucontext_t*>(context);
    return (uc->uc_mcontext.gregs[REG_ERR] & 2) != 0 ? Fault::Access::Write : Fault::Access::Read;
#else
    (void)context;
    return Fault::Access::Unknown;
#endif
}

// A fault outside a guarded call: hand it to whoever handled it before.
void passOn(int signal, siginfo_t* info, void* context) {
    const struct sigaction& previous = previousActions[signal == SIGSEGV ? 0 : 1];
    if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
        previous.sa_sigaction(signal, info, context);
    } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
    } else {
        // Back to the default action; the faulting access runs again and ends the process.
        sigaction(signal, &previous, nullptr);
    }
}

void onFault(int signal, siginfo_t* info, void* context) {
    GuardState& state = guardState;
    sigjmp_buf* const target = state.target;
    if (target == nullptr) return passOn(signal, info, context);
    state.target = nullptr;
    state.fault = Fault{signal, info->si_addr, accessOf(context)};
    siglongjmp(*target, 1);
}

void installOnce() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        struct sigaction action {};
        action.sa_sigaction = onFault;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        for (int i = 0; i < 2; ++i) sigaction(kSignals[i], &action, &previousActions[i]);
    });
}

}  // namespace

namespace guard {

// Leak checking off for this thread while an object of this type lives.
struct NoLeakChecks {
    NoLeakChecks() {
        if (__lsan_disable != nullptr) __lsan_disable();
    }
    ~NoLeakChecks() {
        if (__lsan_enable != nullptr) __lsan_enable();
    }
    NoLeakChecks(const NoLeakChecks&) = delete;
    NoLeakChecks& operator=(const NoLeakChecks&) = delete;
};

bool runGuarded(void (*call)(void*), void* context, Fault& fault) {
    installOnce();
    const NoLeakChecks noLeakChecks;
    GuardState& state = guardState;
    sigjmp_buf* const outer = state.target;
    sigjmp_buf target;
    // The signal mask is not saved (that costs a system call per guarded
    // call); after a fault the two signals are unblocked again instead.
    if (sigsetjmp(target, 0) != 0) {
        state.target = outer;
        fault = state.fault;
        sigset_t faults;
        sigemptyset(&faults);
        for (const int signal : kSignals) sigaddset(&faults, signal);
        pthread_sigmask(SIG_UNBLOCK, &faults, nullptr);
        return false;
    }
    state.target = &target;
    try {
        call(context);
    } catch (...) {
        state.target = outer;
        throw;
    }
    state.target = outer;
    return true;
}

}  // namespace guard

#else

namespace guard {

bool runGuarded(void (*call)(void*), void* context, Fault&) {
    call(context);
    return true;
}

}  // namespace guard

#endif

}  // namespace zelkor::tests::detail
