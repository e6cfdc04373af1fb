#include "NettleTwofish.hpp"

#include <stdexcept>
#include <string>
#include <vector>

#include <nettle/twofish.h>

namespace zelkor::reference {

namespace detail {
struct TwofishSchedule {
    twofish_ctx ctx;
};
}  // namespace detail

namespace {

void requireWholeBlocks(const char* operation, std::size_t length) {
    if (length % TWOFISH_BLOCK_SIZE != 0) {
        throw std::invalid_argument(std::string("Twofish::") + operation + ": input of " + std::to_string(length) +
                                    " bytes is not a whole number of 16-byte blocks");
    }
}

}  // namespace

std::optional<Twofish> Twofish::buildKey(const ByteString& key) {
    if (key.size() != 16 && key.size() != 24 && key.size() != 32) return std::nullopt;
    auto schedule = std::make_shared<detail::TwofishSchedule>();
    twofish_set_key(&schedule->ctx, key.size(), key.data());
    return Twofish(std::move(schedule));
}

ByteString Twofish::encryptBlock(const ByteString& blocks) const {
    requireWholeBlocks("encryptBlock", blocks.size());
    return ByteString::generate(blocks.size(), [&](std::span<std::uint8_t> out) {
        twofish_encrypt(&schedule_->ctx, blocks.size(), out.data(), blocks.data());
    });
}

ByteString Twofish::decryptBlock(const ByteString& blocks) const {
    requireWholeBlocks("decryptBlock", blocks.size());
    return ByteString::generate(blocks.size(), [&](std::span<std::uint8_t> out) {
        twofish_decrypt(&schedule_->ctx, blocks.size(), out.data(), blocks.data());
    });
}

}  // namespace zelkor::reference
