// Must not compile: a digest with an hmac for contiguous messages only. The
// conformance group's build is to fail with the library's signature message
// for hmac, as the HMAC builders' does, not a conversion error from its inside.

#include <optional>

#include "zelkor/tests/Conformance.hpp"

struct SingleHmacDigest {
    static constexpr int outputLength = 8;
    static constexpr int blockLength = 8;
    static SingleHmacDigest hash(const zelkor::ByteString&) { return {}; }
    static SingleHmacDigest hash(const zelkor::ChunkedByteString&) { return {}; }
    static SingleHmacDigest hmac(const zelkor::ByteString&, const zelkor::ByteString&) { return {}; }
    zelkor::ByteString encode() const { return zelkor::ByteString{0}; }
    static std::optional<SingleHmacDigest> decode(const zelkor::ByteString&) { return SingleHmacDigest{}; }
    friend bool operator==(const SingleHmacDigest&, const SingleHmacDigest&) = default;
};

std::vector<zelkor::tests::Test> conformanceOfSingleHmacDigest() {
    return zelkor::tests::makeHashConformanceTests<SingleHmacDigest>();
}
