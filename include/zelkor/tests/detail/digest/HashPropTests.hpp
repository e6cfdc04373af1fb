#pragma once
// The generic property group for any digest type.

#include "zelkor/Hash.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/checks/Generators.hpp"

namespace zelkor::tests {

// One group, "Cryptographic Digest Property Tests": chunked and contiguous
// hashing agree, the encoding has outputLength/8 bytes, a digest survives
// encode/decode, and both lengths are whole bytes.
template <Hash D>
Test makeHashPropTests() {
    return testGroup(
        "Cryptographic Digest Property Tests",
        {
            testProperty("LazyStrictEqual",
                         [](const ChunkedByteString& x) {
                             return D::hash(x) == D::hash(x.toStrict());
                         }),
            testProperty("DigestLen",
                         [](const ChunkedByteString& x) {
                             const auto hasLength = [](const ByteString& b) {
                                 constexpr long outputBytes = static_cast<long>(D::outputLength) >> 3;
                                 return static_cast<long>(b.size()) == outputBytes;
                             };
                             return hasLength(D::hash(x).encode()) && hasLength(D::hash(x.toStrict()).encode());
                         }),
            testProperty("GetPutHash",
                         [](const ChunkedByteString& x) {
                             const D h = D::hash(x.toStrict());
                             const std::optional<D> back = D::decode(h.encode());
                             return back.has_value() && *back == h;
                         }),
            testProperty("BlockLengthIsByteAligned", [] { return D::blockLength % 8 == 0; }),
            testProperty("OutputLengthIsByteAligned", [] { return D::outputLength % 8 == 0; }),
        });
}

// The witness only selects the digest type.
template <Hash D>
Test makeHashPropTests(const D&) {
    return makeHashPropTests<D>();
}

}  // namespace zelkor::tests
