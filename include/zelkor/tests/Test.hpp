#pragma once
// The test tree that every builder returns: named groups, unit test cases and
// RapidCheck properties. Running it is the business of a runner (GTest.hpp).

#include <concepts>
#include <cstddef>
#include <type_traits>
#include <functional>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include <rapidcheck.h>

#include "zelkor/ByteString.hpp"
#include "zelkor/tests/detail/run/Report.hpp"

namespace zelkor::tests {

// The verdict of one property run, with RapidCheck's report (counterexample,
// and for a failure the RC_PARAMS line that reproduces it); for a skipped
// property the report is the reason.
struct PropertyResult {
    enum class Status { Passed, Failed, GaveUp, Skipped };
    Status status = Status::Passed;
    std::string report;
};

namespace detail {
class VectorUsage;
}

// Where a known-answer case comes from: the vector file and the line of its
// record (failures are reported there), and the loading of the directory it
// belongs to, for the end-of-run summary. Empty for cases of other origins.
struct CaseOrigin {
    std::string file;
    int line = 0;
    std::shared_ptr<const detail::VectorUsage> usage;
    // The records of `usage` the case checks (one case may check a whole
    // category of records, or none when it stands for an unusable directory).
    // Cases sharing a file and line share their records.
    std::size_t records = 1;

    // "file:line", or the file alone when the line is unknown.
    std::string where() const;
};

// The origin of a record at `line` of `file` (a line beyond int's range is
// left unknown).
CaseOrigin lineOrigin(std::string file, std::size_t line, std::shared_ptr<const detail::VectorUsage> usage);

// A unit test case: `run` returns normally on success, throws AssertionFailure
// when an assertion does not hold and anything else on an error.
struct TestCase {
    std::string name;
    std::function<void()> run;
    CaseOrigin origin;
};

// A property. `check` takes the identifier RapidCheck files the property under
// (the runner passes the full test name) so that RC_PARAMS="reproduce=..."
// replays exactly this property.
struct TestProperty {
    std::string name;
    std::function<PropertyResult(const std::string& id)> check;
};

struct Test;

struct TestGroup {
    std::string name;
    std::vector<Test> tests;
};

struct Test {
    std::variant<TestCase, TestProperty, TestGroup> node;

    const std::string& name() const;
};

Test testCase(std::string name, std::function<void()> assertion);
Test testCase(std::string name, std::function<void()> assertion, CaseOrigin origin);
Test testGroup(std::string name, std::vector<Test> tests);

namespace detail {
PropertyResult checkProperty(const rc::detail::Property& property, const std::string& id);
}

// Any RapidCheck testable: a callable whose arguments are drawn with
// rc::Arbitrary and which returns void or bool (or uses RC_ASSERT / RC_PRE).
template <class Prop>
Test testProperty(std::string name, Prop prop) {
    auto property = rc::detail::toProperty(std::move(prop));
    return Test{TestProperty{std::move(name), [property = std::move(property)](const std::string& id) {
                                 return detail::checkProperty(property, id);
                             }}};
}

// Thrown by assertEqual; any other exception escaping a case is an error.
class AssertionFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Thrown by a case that is not to run here (e.g. a long-message case unless
// the environment asks for them): the runner reports it skipped, with the
// message as the reason, never passed.
class SkipTest : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws SkipTest("<what>: runs only when the environment sets
// zelkor_tests_long=1") unless the environment sets it: cases that take
// seconds to minutes each run only when asked for.
void requireLongCases(const std::string& what);

namespace detail {

template <class T>
concept Streamable = requires(std::ostream& os, const T& v) { os << v; };

template <class T>
concept Encodable = requires(const T& v) { v.encode(); };

// How values appear in failure reports: byte strings as their hex, cut to a
// window around `focus` when long (see detail/Report.hpp); other values by
// their operator<< where they have one, a digest as the rendering of its
// encoding, a pair as (first, second).
template <class T>
void render(std::ostream& os, const T& value, std::size_t focus = 0) {
    if constexpr (std::is_same_v<T, ByteString>) {
        writeBytes(os, value, focus);
    } else if constexpr (std::is_same_v<T, ChunkedByteString>) {
        showValue(value, os);
    } else if constexpr (Streamable<T>) {
        os << value;
    } else if constexpr (Encodable<T>) {
        render(os, value.encode(), focus);
    } else {
        static_assert(sizeof(T) == 0, "no text rendering for this type");
    }
}

template <class A, class B>
void render(std::ostream& os, const std::pair<A, B>& value, std::size_t = 0) {
    os << '(';
    render(os, value.first);
    os << ", ";
    render(os, value.second);
    os << ')';
}

}  // namespace detail

// Passes when expected == actual; otherwise throws AssertionFailure whose
// message is the prefix followed by both values.
template <class T>
void assertEqual(std::string_view prefix, const T& expected, const T& actual) {
    if (expected == actual) return;
    std::ostringstream msg;
    if (!prefix.empty()) msg << prefix << '\n';
    std::size_t focus = 0;
    if constexpr (std::is_same_v<T, ByteString>) focus = detail::firstDifference(expected, actual).value_or(0);
    msg << "expected: ";
    detail::render(msg, expected, focus);
    msg << "\n but got: ";
    detail::render(msg, actual, focus);
    throw AssertionFailure(msg.str());
}

// One value a known-answer case computed; `how` says how when a case computes
// the answer more than one way (e.g. "from 37-byte chunks"), else it is empty.
struct Computed {
    std::string_view how;
    ByteString value;
};

// Passes when every computed value equals the known one. Otherwise throws
// AssertionFailure naming the case, then for each value that differs: the
// computed value as expected and the known one as actual, each labelled with
// where it comes from and its length, and the offset of the first difference.
// Long values are shown as a window around that offset.
void assertKnownAnswer(std::string_view prefix, std::initializer_list<Computed> computed, const ByteString& known,
                       const CaseOrigin& origin);

// The same for a case whose computed values have different known answers
// (e.g. the ciphertext for encryption and the plaintext for decryption).
struct Comparison {
    std::string_view how;
    ByteString computed;
    ByteString known;
};
void assertKnownAnswers(std::string_view prefix, std::initializer_list<Comparison> comparisons,
                        const CaseOrigin& origin);

}  // namespace zelkor::tests
