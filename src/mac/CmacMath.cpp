#include "zelkor/detail/CmacMath.hpp"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace zelkor::detail {

namespace {

std::uint8_t reductionConstant(std::size_t blockBytes) {
    if (blockBytes == 16) return 0x87;
    if (blockBytes == 8) return 0x1b;
    throw std::invalid_argument("cmac: blocks of " + std::to_string(blockBytes) + " bytes (needs 8 or 16)");
}

// The chaining value, one block at a time; the last block waits until the
// message is known to end, since it alone is masked with a subkey.
class CmacChain {
public:
    CmacChain(std::size_t blockBytes, const EncryptOneBlock& encrypt)
        : blockBytes_(blockBytes), encrypt_(encrypt), state_(blockBytes, 0) {
        pending_.reserve(blockBytes);
    }

    void absorb(const ByteString& chunk) {
        for (std::size_t i = 0; i < chunk.size();) {
            if (pending_.size() == blockBytes_) {
                mix(pending_);
                pending_.clear();
            }
            const std::size_t n = std::min(blockBytes_ - pending_.size(), chunk.size() - i);
            pending_.insert(pending_.end(), chunk.begin() + static_cast<std::ptrdiff_t>(i),
                            chunk.begin() + static_cast<std::ptrdiff_t>(i + n));
            i += n;
        }
    }

    ByteString finish() {
        const std::vector<std::uint8_t> k1 = cmacDouble(encrypted(std::vector<std::uint8_t>(blockBytes_, 0)));
        std::vector<std::uint8_t> last = pending_;
        if (last.size() == blockBytes_) {
            for (std::size_t i = 0; i < blockBytes_; ++i) last[i] ^= k1[i];
        } else {
            const std::vector<std::uint8_t> k2 = cmacDouble(k1);
            last.push_back(0x80);
            last.resize(blockBytes_, 0);
            for (std::size_t i = 0; i < blockBytes_; ++i) last[i] ^= k2[i];
        }
        mix(last);
        return ByteString(state_);
    }

private:
    std::vector<std::uint8_t> encrypted(const std::vector<std::uint8_t>& block) const {
        const ByteString out = encrypt_(ByteString(block));
        if (out.size() != blockBytes_) {
            throw std::length_error("cmac: encryptBlock returned " + std::to_string(out.size()) + " bytes for " +
                                    std::to_string(blockBytes_));
        }
        return out.vector();
    }

    void mix(const std::vector<std::uint8_t>& block) {
        for (std::size_t i = 0; i < blockBytes_; ++i) state_[i] ^= block[i];
        state_ = encrypted(state_);
    }

    std::size_t blockBytes_;
    const EncryptOneBlock& encrypt_;
    std::vector<std::uint8_t> state_;
    std::vector<std::uint8_t> pending_;
};

}  // namespace

std::vector<std::uint8_t> cmacDouble(const std::vector<std::uint8_t>& x) {
    const std::uint8_t constant = reductionConstant(x.size());
    std::vector<std::uint8_t> out(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        const std::uint8_t carry = i + 1 < x.size() ? static_cast<std::uint8_t>(x[i + 1] >> 7) : 0;
        out[i] = static_cast<std::uint8_t>((x[i] << 1) | carry);
    }
    if ((x[0] & 0x80) != 0) out.back() ^= constant;
    return out;
}

ByteString cmacOfChunks(std::size_t blockBytes, const EncryptOneBlock& encrypt, const std::vector<ByteString>& chunks) {
    (void)reductionConstant(blockBytes);
    CmacChain chain(blockBytes, encrypt);
    for (const ByteString& chunk : chunks) chain.absorb(chunk);
    return chain.finish();
}

}  // namespace zelkor::detail
