#pragma once
// Camellia of 128-bit keys with FL and FL^-1 exchanged between the two
// halves at both layers: a consistent cipher (decryption still undoes
// encryption, with the same exchange), so only published answers see it. The
// FlSwapped = false form is the same code with the layers the right way
// round; the tests run it too, so that the mutant is known to fail for the
// exchange alone.

#include <array>
#include <cstdint>
#include <optional>

#include "zelkor/ByteString.hpp"

namespace zelkor::testsupport {

namespace camellia_detail {

struct Subkeys {
    std::array<std::uint64_t, 4> kw;   // whitening
    std::array<std::uint64_t, 18> k;   // rounds
    std::array<std::uint64_t, 4> ke;   // FL layers
};

Subkeys expand128(const ByteString& key);
ByteString crypt(const Subkeys& keys, bool encrypt, bool flSwapped, const ByteString& blocks);

}  // namespace camellia_detail

template <bool FlSwapped>
class SmallCamellia128 {
public:
    static constexpr int blockSize = 128;
    static constexpr int keyLength = 128;

    static std::optional<SmallCamellia128> buildKey(const ByteString& key) {
        if (key.size() != 16) return std::nullopt;
        return SmallCamellia128(camellia_detail::expand128(key));
    }
    ByteString encryptBlock(const ByteString& b) const { return camellia_detail::crypt(keys_, true, FlSwapped, b); }
    ByteString decryptBlock(const ByteString& b) const { return camellia_detail::crypt(keys_, false, FlSwapped, b); }

private:
    explicit SmallCamellia128(camellia_detail::Subkeys keys) : keys_(keys) {}
    camellia_detail::Subkeys keys_;
};

namespace mutants {
using CamelliaFlSwapped = SmallCamellia128<true>;
}  // namespace mutants

}  // namespace zelkor::testsupport
