#pragma once
// AES from nettle with XTS of its own, through nettle's XTS over any cipher
// of 16-byte blocks: the second XTS the AES rows' XTS vectors are checked
// against. The type is tested as AES; its xts and unXts members replace the
// library's generic XTS.

#include <memory>
#include <optional>

#include "zelkor/ByteString.hpp"

namespace zelkor::testsupport {

namespace nettle_xts_detail {

// nettle's AES schedules of one key (16, 24 or 32 bytes), both directions.
struct AesKeys;
std::shared_ptr<const AesKeys> makeAesKeys(const ByteString& key);
ByteString aesBlocks(const AesKeys& key, bool encrypt, const ByteString& blocks);
// A tweak of other than 16 bytes, or a data unit under 16 bytes, throws
// std::invalid_argument (nettle itself would abort).
ByteString xts(const AesKeys& dataKey, const AesKeys& tweakKey, bool encrypt, const ByteString& tweak,
               const ByteString& bytes);

}  // namespace nettle_xts_detail

template <int Bits>
class NettleXtsAES {
public:
    static_assert(Bits == 128 || Bits == 192 || Bits == 256);
    static constexpr int blockSize = 128;
    static constexpr int keyLength = Bits;

    static std::optional<NettleXtsAES> buildKey(const ByteString& key) {
        if (key.size() != Bits / 8) return std::nullopt;
        return NettleXtsAES(nettle_xts_detail::makeAesKeys(key));
    }

    ByteString encryptBlock(const ByteString& b) const { return nettle_xts_detail::aesBlocks(*keys_, true, b); }
    ByteString decryptBlock(const ByteString& b) const { return nettle_xts_detail::aesBlocks(*keys_, false, b); }

    ByteString xts(const NettleXtsAES& tweakKey, const ByteString& tweak, const ByteString& bytes) const {
        return nettle_xts_detail::xts(*keys_, *tweakKey.keys_, true, tweak, bytes);
    }
    ByteString unXts(const NettleXtsAES& tweakKey, const ByteString& tweak, const ByteString& bytes) const {
        return nettle_xts_detail::xts(*keys_, *tweakKey.keys_, false, tweak, bytes);
    }

private:
    explicit NettleXtsAES(std::shared_ptr<const nettle_xts_detail::AesKeys> keys) : keys_(std::move(keys)) {}
    std::shared_ptr<const nettle_xts_detail::AesKeys> keys_;
};

}  // namespace zelkor::testsupport
