#pragma once
// Marking bytes secret for a constant-time checker: valgrind's memcheck.
//
// Bytes marked secret look uninitialised to memcheck, and so does everything
// computed from them; memcheck then reports every conditional jump and every
// memory address that depends on them, which is exactly a secret-dependent
// branch or table index. Marking changes no byte. A value that is public by
// design (a MAC comparison's accept/reject outcome, a length) can be marked
// public again with declassify, after which nothing computed from it is
// reported.
//
// With valgrind's headers (ZELKOR_HAVE_VALGRIND, set by the package's CMake
// target when it found them) these are valgrind's client requests, a few
// instructions that do nothing when the program does not run under valgrind;
// without them every function here does nothing and no checker is ever active.

#include <cstddef>
#include <cstdint>

#include "zelkor/ByteString.hpp"

#if defined(ZELKOR_HAVE_VALGRIND)
#include <valgrind/memcheck.h>
#include <valgrind/valgrind.h>
#endif

namespace zelkor {

// The two builds get different inline namespaces, so a program whose parts
// were compiled with and without valgrind's headers still has one definition
// of each function.
#if defined(ZELKOR_HAVE_VALGRIND)
inline namespace ct_memcheck {

// Whether memcheck watches this process: under another valgrind tool, or
// natively, marking does nothing.
inline bool constantTimeCheckerActive() noexcept {
    if (RUNNING_ON_VALGRIND == 0) return false;
    // Memcheck answers its own requests with -1 (nonzero); other tools leave the default 0.
    unsigned char probe = 0;
    return VALGRIND_MAKE_MEM_DEFINED(&probe, 1) != 0;
}

inline void markSecret(const void* data, std::size_t size) noexcept {
    if (size > 0) (void)VALGRIND_MAKE_MEM_UNDEFINED(data, size);
}

inline void declassify(const void* data, std::size_t size) noexcept {
    if (size > 0) (void)VALGRIND_MAKE_MEM_DEFINED(data, size);
}

// The number of errors the checker has reported in this process so far,
// repeats of one place included; 0 without a checker. The difference across
// a call is the number of secret-dependent branches and indexes it took.
inline std::uint64_t constantTimeReports() noexcept { return VALGRIND_COUNT_ERRORS; }

}  // namespace ct_memcheck
#else
inline namespace ct_none {

inline bool constantTimeCheckerActive() noexcept { return false; }
inline void markSecret(const void*, std::size_t) noexcept {}
inline void declassify(const void*, std::size_t) noexcept {}
inline std::uint64_t constantTimeReports() noexcept { return 0; }

}  // namespace ct_none
#endif

// Whether this build can check at all (it found valgrind's headers).
inline constexpr bool kConstantTimeCheckerBuilt =
#if defined(ZELKOR_HAVE_VALGRIND)
    true;
#else
    false;
#endif

inline void markSecret(const ByteString& bytes) noexcept { markSecret(bytes.data(), bytes.size()); }
inline void declassify(const ByteString& bytes) noexcept { declassify(bytes.data(), bytes.size()); }
inline void declassify(const ChunkedByteString& bytes) noexcept {
    for (const ByteString& chunk : bytes.chunks()) declassify(chunk);
}

}  // namespace zelkor
