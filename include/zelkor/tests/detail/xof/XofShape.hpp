#pragma once
// An XOF type seen through plain functions, so that the checks of every XOF
// are compiled once, in the library, and a type costs one small template.

#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "zelkor/ByteString.hpp"
#include "zelkor/Xof.hpp"
#include "zelkor/tests/Test.hpp"

namespace zelkor::tests::xof_detail {

// The calls of one fresh state.
struct XofState {
    std::function<void(const ByteString&)> absorb;
    std::function<ByteString(std::size_t)> squeeze;
};

struct XofShape {
    std::size_t rateBytes = 0;
    bool squeezesRepeatedly = false;
    std::function<XofState()> fresh;
};

template <Xof X>
XofShape xofShape() {
    XofShape shape;
    shape.rateBytes = static_cast<std::size_t>(X::rateLength) / 8;
    shape.squeezesRepeatedly = X::squeezesRepeatedly;
    shape.fresh = [] {
        auto state = std::make_shared<X>();
        return XofState{[state](const ByteString& b) { state->absorb(b); },
                        [state](std::size_t n) { return state->squeeze(n); }};
    };
    return shape;
}

std::vector<Test> propertyTests(const XofShape& shape);
std::vector<Test> bufferSafetyTests(const XofShape& shape);
// The NIST files <prefix>ShortMsg.rsp, <prefix>LongMsg.rsp and
// <prefix>VariableOut.rsp of Test/<directory>.
std::vector<Test> knownAnswerTests(const XofShape& shape, std::string_view directory, std::string_view prefix);
// <prefix>Monte.rsp of Test/<directory>: one case per checkpoint, all but
// the first long cases.
std::vector<Test> monteTests(const XofShape& shape, std::string_view directory, std::string_view prefix);

}  // namespace zelkor::tests::xof_detail
