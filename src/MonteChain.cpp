#include "zelkor/tests/detail/MonteChain.hpp"

#include <cstdint>

namespace zelkor::tests::sha_detail {

ByteString lastThreeDigests(const ByteString& mdMinus3, const ByteString& mdMinus2, const ByteString& mdMinus1) {
    std::vector<std::uint8_t> message;
    message.reserve(mdMinus3.size() + mdMinus2.size() + mdMinus1.size());
    for (const ByteString* part : {&mdMinus3, &mdMinus2, &mdMinus1}) {
        message.insert(message.end(), part->begin(), part->end());
    }
    return ByteString(std::move(message));
}

ByteString lastDigest(const ByteString&, const ByteString&, const ByteString& mdMinus1) { return mdMinus1; }

}  // namespace zelkor::tests::sha_detail
