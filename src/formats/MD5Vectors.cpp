#include <array>
#include <sstream>
#include <stdexcept>
#include <string>

#include "zelkor/tests/MD5.hpp"

namespace zelkor::tests::md5_detail {

namespace {

struct Entry {
    Vector vector;
    std::string_view message;
    int line;  // of this entry, where a failing case is reported
};

constexpr std::array<Entry, kVectorCount> kEntries{{
    {{"md5KAT1", "d41d8cd98f00b204e9800998ecf8427e"}, "", __LINE__},
    {{"md5KAT2", "0cc175b9c0f1b6a831c399e269772661"}, "a", __LINE__},
    {{"md5KAT3", "900150983cd24fb0d6963f7d28e17f72"}, "abc", __LINE__},
    {{"md5KAT4", "f96b697d7cb7938d525a2f31aaf161d0"}, "message digest", __LINE__},
    {{"md5KAT5", "c3fcd3d76192e4007dfb496cca67e13b"}, "abcdefghijklmnopqrstuvwxyz", __LINE__},
    {{"md5KAT6", "d174ab98d277d9f5a5611c2c9f419d9f"},
     "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", __LINE__},
    {{"md5KAT7", "57edf4a22be3c955ac49da2e2107b67a"},
     "12345678901234567890123456789012345678901234567890123456789012345678901234567890", __LINE__},
}};

ChunkedByteString doublingChunks(std::string_view text) {
    std::vector<ByteString> chunks;
    std::size_t chunkSize = 32;
    for (std::size_t pos = 0; pos < text.size(); pos += chunkSize, chunkSize *= 2) {
        chunks.push_back(ByteString::fromText(text.substr(pos, chunkSize)));
    }
    return ChunkedByteString::fromChunks(std::move(chunks));
}

const std::array<ChunkedByteString, kVectorCount>& messages() {
    static const std::array<ChunkedByteString, kVectorCount> built = [] {
        std::array<ChunkedByteString, kVectorCount> out;
        for (std::size_t i = 0; i < kVectorCount; ++i) out[i] = doublingChunks(kEntries[i].message);
        return out;
    }();
    return built;
}

}  // namespace

const Vector& vector(std::size_t index) { return kEntries.at(index).vector; }

const ChunkedByteString& message(std::size_t index) { return messages().at(index); }

CaseOrigin origin(std::size_t index) { return CaseOrigin{__FILE__, kEntries.at(index).line, nullptr}; }

void fromRightFailed(std::string_view prefix, const ByteString& encoded) {
    std::ostringstream msg;
    msg << "Test.MD5.fromRight: non-exhaustive match: the digest type could not decode the known digest "
        << encoded << " of " << prefix;
    throw std::logic_error(msg.str());
}

}  // namespace zelkor::tests::md5_detail
