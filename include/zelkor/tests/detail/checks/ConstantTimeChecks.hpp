#pragma once
// The machinery of the constant-time groups: secret copies of a case's inputs,
// each call run with them and its memcheck reports counted, the result made
// public again and compared with the same call on the ordinary inputs, and the
// words a failure is reported in.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <type_traits>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/ConstantTime.hpp"
#include "zelkor/Gcm.hpp"
#include "zelkor/tests/Test.hpp"

namespace zelkor::tests::detail {

// "160 secret-dependent branches or memory indexes", "1 secret-dependent
// branch or memory index".
std::string reportCount(std::uint64_t reports);

// The one case of a constant-time group where no checker runs: skipped with
// the reason and the command that runs the group under memcheck. `checkerBuilt`:
// whether the caller was compiled with valgrind's headers.
Test constantTimeUnavailableCase(bool checkerBuilt);

// Fixed inputs: the same bytes in every run, so counts can be compared
// between runs and implementations. `salt` tells inputs of one call apart.
ByteString patternBytes(std::size_t size, std::uint8_t salt);

// Cuts `bytes` into chunks of 1, n - 1 and n + 1 bytes in turn (n > 1), so
// chunk boundaries fall inside blocks as well as on them.
ChunkedByteString unevenChunks(const ByteString& bytes, std::size_t n);

// "(chunked, 3 chunks)".
std::string chunkedNote(const ChunkedByteString& chunks);

// Marks a call's result public again, part by part (byte strings, IVs, pairs,
// optionals, sealed GCM output).
inline void declassifyValue(const ByteString& bytes) { declassify(bytes); }
inline void declassifyValue(const ChunkedByteString& bytes) { declassify(bytes); }
template <class K>
void declassifyValue(const IV<K>& iv) { declassify(iv.bytes()); }
inline void declassifyValue(const GcmSealed& sealed) {
    declassify(sealed.ciphertext);
    declassify(sealed.tag);
}
template <class A, class B>
void declassifyValue(const std::pair<A, B>& pair) {
    declassifyValue(pair.first);
    declassifyValue(pair.second);
}
template <class T>
void declassifyValue(const std::optional<T>& value) {
    declassify(&value, sizeof value);
    if (value) declassifyValue(*value);
}

// The form a result is compared in: a digest by its encoding (its own storage
// may be out of reach), everything else as it is.
template <class T>
auto comparable(T value) {
    if constexpr (Encodable<T> && !std::is_same_v<T, ByteString>) return value.encode();
    else return value;
}

// A result as failure reports show it.
template <class T>
void renderResult(std::ostream& os, const T& value) {
    if constexpr (std::is_same_v<T, GcmSealed>) {
        os << "ciphertext ";
        render(os, value.ciphertext);
        os << ", tag ";
        render(os, value.tag);
    } else if constexpr (requires { value.has_value(); }) {
        if (value) renderResult(os, *value);
        else os << "nothing";
    } else {
        render(os, value);
    }
}

struct Unchanged {
    template <class T>
    T operator()(T value) const {
        return value;
    }
};

// The calls of one case, run with secret inputs. Only one such case runs at a
// time in the process, so the reports counted across a call are its own.
class SecretCalls {
public:
    SecretCalls();
    ~SecretCalls();
    SecretCalls(const SecretCalls&) = delete;
    SecretCalls& operator=(const SecretCalls&) = delete;

    // A copy of the bytes in storage of its own, marked secret until the case
    // ends (the ordinary bytes stay public for the unmarked calls).
    ByteString secret(const ByteString& bytes);
    ChunkedByteString secret(const ChunkedByteString& chunks);

    // Runs the call on the ordinary inputs (`plain`), then on the secret ones
    // (`marked`) counting memcheck's reports, makes the result public and
    // requires it to equal the ordinary one (each result first goes through
    // `publish`, e.g. a key to its encryption of a block). Returns the count.
    template <class Marked, class Plain, class Publish = Unchanged>
    std::uint64_t run(const std::string& call, Marked&& marked, Plain&& plain, Publish&& publish = {}) {
        const auto expected = comparable(publish(plain()));
        const std::uint64_t before = constantTimeReports();
        auto result = marked();
        const std::uint64_t reports = constantTimeReports() - before;
        auto actual = comparable(publish(std::move(result)));
        declassifyValue(actual);
        if (!(actual == expected)) {
            std::ostringstream msg;
            msg << call << " gave a different result with its secrets marked: ";
            renderResult(msg, actual);
            msg << "\n unmarked it gave: ";
            renderResult(msg, expected);
            problems_.push_back(msg.str());
        }
        return reports;
    }

    // The same, and a call with any report is a finding of the case.
    template <class Marked, class Plain, class Publish = Unchanged>
    void check(const std::string& call, Marked&& marked, Plain&& plain, Publish&& publish = {}) {
        const std::uint64_t reports =
            run(call, std::forward<Marked>(marked), std::forward<Plain>(plain), std::forward<Publish>(publish));
        if (reports > 0) leak(call, reports);
    }

    // "<call>: <count> in one call (memcheck printed each with its stack above)".
    void leak(std::string_view call, std::uint64_t reports);
    // Any other finding, as it is to be printed.
    void problem(std::string text) { problems_.push_back(std::move(text)); }

    // Throws AssertionFailure listing every finding of the case, one a line.
    void requireNone() const;

private:
    std::unique_lock<std::mutex> lock_;
    std::vector<ByteString> secrets_;
    std::vector<std::string> problems_;
};

}  // namespace zelkor::tests::detail
