#pragma once
// Triple DES from nettle, the second implementation the TDES vectors and the
// OpenSSL reference are checked against: three keys (Bits 192) or two (128,
// the third being the first). nettle's key setup reports weak keys, which
// some known-answer records use on purpose; they are taken all the same.

#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include <nettle/des.h>

#include "zelkor/ByteString.hpp"

namespace zelkor::testsupport {

template <int Bits>
class NettleTDES {
public:
    static constexpr int blockSize = 64;
    static constexpr int keyLength = Bits;

    static std::optional<NettleTDES> buildKey(const ByteString& key) {
        if (key.size() != Bits / 8) return std::nullopt;
        std::vector<std::uint8_t> three = key.vector();
        if (Bits == 128) three.insert(three.end(), key.begin(), key.begin() + 8);
        auto ctx = std::make_shared<des3_ctx>();
        (void)des3_set_key(ctx.get(), three.data());
        return NettleTDES(std::move(ctx));
    }

    ByteString encryptBlock(const ByteString& blocks) const {
        return run(blocks, [&](std::uint8_t* out) { des3_encrypt(ctx_.get(), blocks.size(), out, blocks.data()); });
    }
    ByteString decryptBlock(const ByteString& blocks) const {
        return run(blocks, [&](std::uint8_t* out) { des3_decrypt(ctx_.get(), blocks.size(), out, blocks.data()); });
    }

private:
    explicit NettleTDES(std::shared_ptr<const des3_ctx> ctx) : ctx_(std::move(ctx)) {}

    template <class Crypt>
    static ByteString run(const ByteString& blocks, Crypt&& crypt) {
        if (blocks.size() % DES3_BLOCK_SIZE != 0) throw std::invalid_argument("nettle TDES: not whole blocks");
        return ByteString::generate(blocks.size(), [&](std::span<std::uint8_t> out) { crypt(out.data()); });
    }

    std::shared_ptr<const des3_ctx> ctx_;
};

}  // namespace zelkor::testsupport
