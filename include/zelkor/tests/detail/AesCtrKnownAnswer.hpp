#pragma once
// One AES-CTR known-answer case: a record of Test/KAT_AES_CTR run through
// both directions of CTR, contiguous and in 37-byte chunks.

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/Modes.hpp"
#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/VectorDirectory.hpp"

namespace zelkor::tests::aes_detail {

template <BlockCipher K>
struct CtrKnownAnswer {
    std::string name;
    std::string path;  // the vector file of the record
    K key;
    IV<K> counter;     // the initial counter block
    std::string plaintextHex;
    std::string ciphertextHex;

    // Fails unless ((ctr, unCtr), (ctrLazy, unCtrLazy)) give
    // ((CIPHERTEXT, PLAINTEXT), (CIPHERTEXT, PLAINTEXT)).
    void operator()() const {
        const ByteString plaintext = hexStringToBS(plaintextHex);
        const ByteString ciphertext = hexStringToBS(ciphertextHex);
        const auto chunked = [](const ByteString& bytes) { return ChunkedByteString::chunksOf(37, bytes); };
        const std::pair contiguous{zelkor::ctr(key, counter, plaintext).first,
                                   zelkor::unCtr(key, counter, ciphertext).first};
        const std::pair lazy{zelkor::ctrLazy(key, counter, chunked(plaintext)).first.toStrict(),
                             zelkor::unCtrLazy(key, counter, chunked(ciphertext)).first.toStrict()};
        const std::pair known{ciphertext, plaintext};
        assertEqual(name, std::pair{contiguous, lazy}, std::pair{known, known});
    }
};

// The case for one record, named "<file name>-<COUNT>", or none when a field
// is missing, the IV does not decode or buildKey refuses the key (a record of
// another key size). Odd-length KEY or IV hex throws here.
template <BlockCipher K>
std::optional<Test> makeCtrCase(const std::string& path, const Record& record) {
    auto fields = lookupAll<5>(record, {"COUNT", "KEY", "IV", "PLAINTEXT", "CIPHERTEXT"});
    if (!fields) return std::nullopt;
    auto& [count, keyHex, ivHex, plaintextHex, ciphertextHex] = *fields;
    std::optional<IV<K>> counter = IV<K>::decode(hexStringToBS(ivHex));
    if (!counter) return std::nullopt;
    std::optional<K> key = K::buildKey(hexStringToBS(keyHex));
    if (!key) return std::nullopt;
    std::string name = std::string(detail::fileNameOf(path)) + "-" + count;
    CtrKnownAnswer<K> knownAnswer{name, path, std::move(*key), std::move(*counter),
                                  std::move(plaintextHex), std::move(ciphertextHex)};
    return testCase(std::move(name), std::move(knownAnswer));
}

}  // namespace zelkor::tests::aes_detail
