#pragma once
// CMACs with one classic fault each, as own cmac members over OpenSSL's
// AES-128 blocks (see CipherMutants.hpp), and a MAC taking a tag length it
// does not declare.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "OpenSSLMacs.hpp"
#include "support/CipherMutants.hpp"
#include "zelkor/ByteString.hpp"

namespace zelkor::testsupport::mutants {

enum class CmacFault {
    SubkeyWithoutConditionalXor,  // subkeys are plain left shifts, 0x87 never XORed in
    PadsCompleteLastBlock,        // a complete last block is padded and masked like a partial one
};

template <CmacFault Fault>
struct FaultyCmac : Wrapper<FaultyCmac<Fault>> {
    using Block = std::vector<std::uint8_t>;

    ByteString cmac(const ByteString& message) const {
        const Block k1 = twice(encrypt(Block(16, 0)));
        const Block k2 = twice(k1);
        const bool whole = !message.empty() && message.size() % 16 == 0;
        const bool complete = whole && Fault != CmacFault::PadsCompleteLastBlock;
        // A padded complete block is a block of padding alone after it.
        const std::size_t blocks = message.empty() ? 1 : (message.size() + 15) / 16 + (whole && !complete ? 1 : 0);
        Block state(16, 0);
        for (std::size_t b = 0; b < blocks; ++b) {
            Block block(16, 0);
            for (std::size_t i = 0; i < 16; ++i) {
                const std::size_t at = 16 * b + i;
                if (at < message.size()) block[i] = message[at];
                else if (at == message.size()) block[i] = 0x80;
            }
            if (b + 1 == blocks) {
                xorInto(block, complete ? k1 : k2);
            }
            xorInto(state, block);
            state = encrypt(state);
        }
        return ByteString(std::move(state));
    }

private:
    Block encrypt(const Block& block) const { return this->inner.encryptBlock(ByteString(block)).vector(); }

    static void xorInto(Block& into, const Block& with) {
        for (std::size_t i = 0; i < into.size(); ++i) into[i] ^= with[i];
    }

    static Block twice(const Block& x) {
        Block out(16);
        for (std::size_t i = 0; i < 16; ++i) {
            out[i] = static_cast<std::uint8_t>((x[i] << 1) | (i + 1 < 16 ? x[i + 1] >> 7 : 0));
        }
        if (Fault != CmacFault::SubkeyWithoutConditionalXor && (x[0] & 0x80) != 0) out[15] ^= 0x87;
        return out;
    }
};

// OpenSSL's CMAC-AES-128 declaring tags of 8 to 16 bytes but taking 4 to 16.
class CmacTakingUndeclaredTags {
    using Inner = reference::OpenSSLCmacAes128;

public:
    static constexpr int tagLength = 128;
    static bool acceptsKey(std::size_t bytes) { return Inner::acceptsKey(bytes); }
    static bool acceptsTag(std::size_t bytes) { return bytes >= 8 && bytes <= 16; }
    static std::optional<CmacTakingUndeclaredTags> buildKey(const ByteString& bytes) {
        std::optional<Inner> inner = Inner::buildKey(bytes);
        if (!inner) return std::nullopt;
        return CmacTakingUndeclaredTags(*inner);
    }
    ByteString tag(const ByteString& message, std::size_t n) const { return inner_.tag(message, n); }
    ByteString tag(const ChunkedByteString& message, std::size_t n) const { return inner_.tag(message, n); }

private:
    explicit CmacTakingUndeclaredTags(Inner inner) : inner_(std::move(inner)) {}
    Inner inner_;
};

}  // namespace zelkor::testsupport::mutants
