#include "OpenSSLChaCha20.hpp"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include <openssl/evp.h>

#include "OpenSSLErrors.hpp"

namespace zelkor::reference {

namespace {

// OpenSSL's 16-byte IV is the 32-bit block counter then the nonce; a block
// past 2^32 goes into the nonce's first word, as OpenSSL's own carry would.
std::array<std::uint8_t, 16> openSSLIv(const ByteString& nonce, std::uint64_t offset, std::uint64_t bytes) {
    if (nonce.size() != 12) {
        throw std::invalid_argument("OpenSSL ChaCha20: nonce of " + std::to_string(nonce.size()) + " bytes, needs 12");
    }
    if (bytes > std::numeric_limits<std::uint64_t>::max() - offset) {
        throw std::out_of_range("OpenSSL ChaCha20: bytes past 2^64 of the stream");
    }
    std::uint64_t word0 = 0;
    for (int i = 3; i >= 0; --i) word0 = word0 << 8 | nonce.data()[i];
    const std::uint64_t block = offset / 64;
    const std::uint64_t high = word0 + (block >> 32);
    const std::uint64_t lastBlock = bytes == 0 ? block : (offset + bytes - 1) / 64;
    const std::uint64_t first = high << 32 | (block & 0xffffffffu);
    if (high > 0xffffffffu || lastBlock - block > std::numeric_limits<std::uint64_t>::max() - first) {
        throw std::out_of_range("OpenSSL ChaCha20: past the end of its 64-bit counter");
    }
    std::array<std::uint8_t, 16> iv{};
    for (int i = 0; i < 4; ++i) {
        iv[i] = static_cast<std::uint8_t>(block >> (8 * i));
        iv[4 + i] = static_cast<std::uint8_t>(high >> (8 * i));
    }
    for (int i = 4; i < 12; ++i) iv[4 + i] = nonce.data()[i];
    return iv;
}

detail::CipherCtx startAt(const std::uint8_t* key, const ByteString& nonce, std::uint64_t offset,
                          std::uint64_t bytes) {
    const std::array<std::uint8_t, 16> iv = openSSLIv(nonce, offset, bytes);
    detail::CipherCtx ctx = detail::newCipherCtx();
    detail::check(EVP_EncryptInit_ex(ctx.get(), EVP_chacha20(), nullptr, key, iv.data()), "EVP_EncryptInit_ex");
    // Into the block: OpenSSL keeps the rest of it for the next update.
    std::uint8_t skipped[64];
    const std::uint8_t zeros[64] = {};
    int length = 0;
    if (offset % 64 != 0) {
        detail::check(EVP_EncryptUpdate(ctx.get(), skipped, &length, zeros, static_cast<int>(offset % 64)),
                      "EVP_EncryptUpdate");
    }
    return ctx;
}

ByteString update(EVP_CIPHER_CTX* ctx, const ByteString& bytes) {
    std::vector<std::uint8_t> out(bytes.size());
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t step = std::min<std::size_t>(bytes.size() - done, 1u << 30);
        int length = 0;
        detail::check(EVP_EncryptUpdate(ctx, out.data() + done, &length, bytes.data() + done, static_cast<int>(step)),
                      "EVP_EncryptUpdate");
        done += step;
    }
    return ByteString(std::move(out));
}

}  // namespace

std::optional<OpenSSLChaCha20> OpenSSLChaCha20::buildKey(const ByteString& bytes) {
    if (bytes.size() != 32) return std::nullopt;
    OpenSSLChaCha20 cipher;
    std::copy(bytes.begin(), bytes.end(), cipher.key_.begin());
    return cipher;
}

ByteString OpenSSLChaCha20::apply(const ByteString& nonce, std::uint64_t offset, const ByteString& bytes) const {
    detail::CipherCtx ctx = startAt(key_.data(), nonce, offset, bytes.size());
    return update(ctx.get(), bytes);
}

ChunkedByteString OpenSSLChaCha20::apply(const ByteString& nonce, std::uint64_t offset,
                                         const ChunkedByteString& bytes) const {
    detail::CipherCtx ctx = startAt(key_.data(), nonce, offset, bytes.size());
    std::vector<ByteString> out;
    for (const ByteString& chunk : bytes.chunks()) out.push_back(update(ctx.get(), chunk));
    return ChunkedByteString::fromChunks(std::move(out));
}

}  // namespace zelkor::reference
