#pragma once
// Triple DES backed by OpenSSL's block function (EDE with three keys, or with
// two, the third being the first); its modes are the library's generic ones.

#include <memory>
#include <optional>

#include "zelkor/ByteString.hpp"

namespace zelkor::reference {

namespace detail {

// OpenSSL contexts for both directions, made once by buildKey and only copied
// afterwards, so copies of a key may be used from several threads at once.
struct TDESSchedule;

std::shared_ptr<const TDESSchedule> makeTDESSchedule(const ByteString& key);
// Whole 8-byte blocks, each on its own; other input throws std::invalid_argument.
ByteString tdesBlocks(const TDESSchedule& key, bool encrypt, const ByteString& blocks);

}  // namespace detail

// Bits is 192 (three keys) or 128 (two keys).
template <int Bits>
class OpenSSLTDES {
public:
    static_assert(Bits == 192 || Bits == 128);
    static constexpr int blockSize = 64;
    static constexpr int keyLength = Bits;

    // Exactly keyLength/8 bytes (parity bits ignored), else none.
    static std::optional<OpenSSLTDES> buildKey(const ByteString& key) {
        if (key.size() != Bits / 8) return std::nullopt;
        return OpenSSLTDES(detail::makeTDESSchedule(key));
    }

    ByteString encryptBlock(const ByteString& b) const { return detail::tdesBlocks(*schedule_, true, b); }
    ByteString decryptBlock(const ByteString& b) const { return detail::tdesBlocks(*schedule_, false, b); }

private:
    explicit OpenSSLTDES(std::shared_ptr<const detail::TDESSchedule> schedule) : schedule_(std::move(schedule)) {}
    std::shared_ptr<const detail::TDESSchedule> schedule_;
};

using TDES3 = OpenSSLTDES<192>;
using TDES2 = OpenSSLTDES<128>;

}  // namespace zelkor::reference
