#pragma once
// How the conformance properties fail: each failure names the lengths its
// check used (a drawn case covers several messages, keys and cuts, and its
// printed form does not say which one failed), as
//   "<what>: key of K bytes, message of M bytes, chunk sizes [a, b, ...]"
// with the parts that apply. The text is built only when a check fails: the
// checks run in tight loops.

#include <exception>
#include <string>
#include <utility>

#include <rapidcheck.h>

#include "zelkor/ByteString.hpp"
#include "zelkor/tests/detail/run/Report.hpp"

namespace zelkor::tests::detail {

class Context {
public:
    explicit Context(std::string what) : text_(std::move(what)) {}
    Context& part(const std::string& text) {
        text_ += (first_ ? ": " : ", ") + text;
        first_ = false;
        return *this;
    }
    Context& bytes(const char* what, std::size_t count) {
        return part(std::string(what) + " of " + std::to_string(count) + " bytes");
    }
    Context& key(std::size_t count) { return bytes("key", count); }
    Context& message(std::size_t count) { return bytes("message", count); }
    Context& chunks(const ChunkedByteString& chunked) {
        std::string sizes = "chunk sizes [";
        const char* sep = "";
        for (const ByteString& chunk : chunked.chunks()) {
            sizes += sep + std::to_string(chunk.size());
            sep = ", ";
        }
        return part(sizes + "]");
    }
    const std::string& text() const { return text_; }

private:
    std::string text_;
    bool first_ = true;
};

[[noreturn]] inline void failCase(const std::string& text) {
    throw rc::detail::CaseResult(rc::detail::CaseResult::Type::Failure, text);
}

// `describe` returns the Context of the check; it is called on failure only.
template <class Describe>
void require(bool holds, Describe&& describe) {
    if (!holds) failCase(describe().text());
}

template <class Describe>
void requireBytes(Describe&& describe, const ByteString& actual, const ByteString& expected) {
    if (actual == expected) return;
    requireSameBytes(describe().text(), actual, expected);
}

// Digests are compared with their ==; a failure shows their encodings.
template <class D, class Describe>
void requireSameDigest(Describe&& describe, const D& actual, const D& expected) {
    if (actual == expected) return;
    const std::string text = describe().text();
    requireSameBytes(text, actual.encode(), expected.encode());
    failCase(text + " (== fails although the encodings are equal)");
}

// The result of `call`, or a failed case naming the check and the exception.
template <class Call, class Describe>
auto callOrFail(Call&& call, Describe&& describe) -> decltype(call()) {
    std::string error;
    try {
        return call();
    } catch (const std::exception& e) {
        error = e.what();
    }
    failCase(describe().text() + ": threw " + error);
}

}  // namespace zelkor::tests::detail
