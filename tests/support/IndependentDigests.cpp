#include "support/IndependentDigests.hpp"

#include <memory>
#include <stdexcept>
#include <string>

#include <nettle/nettle-meta.h>

namespace zelkor::testsupport::detail {
namespace {

const nettle_hash& hashOf(NettleAlgorithm algorithm) {
    switch (algorithm) {
    case NettleAlgorithm::MD5: return nettle_md5;
    case NettleAlgorithm::SHA1: return nettle_sha1;
    case NettleAlgorithm::SHA224: return nettle_sha224;
    case NettleAlgorithm::SHA256: return nettle_sha256;
    case NettleAlgorithm::SHA384: return nettle_sha384;
    case NettleAlgorithm::SHA512: return nettle_sha512;
    case NettleAlgorithm::SHA512_224: return nettle_sha512_224;
    case NettleAlgorithm::SHA512_256: return nettle_sha512_256;
    case NettleAlgorithm::SHA3_224: return nettle_sha3_224;
    case NettleAlgorithm::SHA3_256: return nettle_sha3_256;
    case NettleAlgorithm::SHA3_384: return nettle_sha3_384;
    case NettleAlgorithm::SHA3_512: return nettle_sha3_512;
    }
    throw std::invalid_argument("unknown nettle digest " + std::to_string(static_cast<int>(algorithm)));
}

}  // namespace

void nettleDigest(NettleAlgorithm algorithm, std::span<const ByteString> chunks, std::span<std::uint8_t> out) {
    const nettle_hash& hash = hashOf(algorithm);
    if (out.size() != hash.digest_size) {
        throw std::logic_error(std::string("nettle ") + hash.name + " gives " + std::to_string(hash.digest_size) +
                               " bytes, the digest type holds " + std::to_string(out.size()));
    }
    // nettle's contexts are plain structs of words; max_align_t storage suits them all.
    const std::size_t words = (hash.context_size + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
    auto context = std::make_unique<std::max_align_t[]>(words);
    hash.init(context.get());
    for (const ByteString& chunk : chunks) hash.update(context.get(), chunk.size(), chunk.data());
    hash.digest(context.get(), out.size(), out.data());
}

}  // namespace zelkor::testsupport::detail
