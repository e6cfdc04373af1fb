#include "zelkor/tests/detail/digest/MonteChain.hpp"

#include <algorithm>
#include <cstdint>

namespace zelkor::tests::sha_detail {

ByteString lastThreeDigests(const ByteString& mdMinus3, const ByteString& mdMinus2, const ByteString& mdMinus1) {
    return ByteString::generate(mdMinus3.size() + mdMinus2.size() + mdMinus1.size(), [&](std::span<std::uint8_t> out) {
        std::uint8_t* at = out.data();
        for (const ByteString* part : {&mdMinus3, &mdMinus2, &mdMinus1}) at = std::copy(part->begin(), part->end(), at);
    });
}

ByteString lastDigest(const ByteString&, const ByteString&, const ByteString& mdMinus1) { return mdMinus1; }

}  // namespace zelkor::tests::sha_detail
