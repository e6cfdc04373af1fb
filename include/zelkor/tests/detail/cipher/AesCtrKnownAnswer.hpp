#pragma once
// One AES-CTR known-answer case: a record of Test/KAT_AES_CTR run through
// both directions of CTR, contiguous and in 37-byte chunks.

#include <cstddef>
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
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

namespace zelkor::tests::aes_detail {

// Why buildKey refused a record's key, as the suites count it: a key of
// another length is another key size; one of the cipher's length was refused.
template <BlockCipher K>
std::string_view keyRefusal(const ByteString& keyBytes) {
    const bool otherSize = keyBytes.size() * 8 != static_cast<std::size_t>(K::keyLength);
    return otherSize ? "another key size" : "key refused by buildKey";
}

template <BlockCipher K>
struct CtrKnownAnswer {
    std::string name;
    CaseOrigin origin;
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
        assertKnownAnswers(
            name,
            {{"by ctr", zelkor::ctr(key, counter, plaintext).first, ciphertext},
             {"by unCtr", zelkor::unCtr(key, counter, ciphertext).first, plaintext},
             {"by ctrLazy on 37-byte chunks", zelkor::ctrLazy(key, counter, chunked(plaintext)).first.toStrict(),
              ciphertext},
             {"by unCtrLazy on 37-byte chunks", zelkor::unCtrLazy(key, counter, chunked(ciphertext)).first.toStrict(),
              plaintext}},
            origin);
    }
};

// The case for one record, named "<file name>-<COUNT>", or none when a field
// is missing, the IV does not decode or buildKey refuses the key (a record of
// another key size); `usage` learns which. Odd-length KEY or IV hex throws here.
template <BlockCipher K>
std::optional<Test> makeCtrCase(const Record& record, CaseOrigin origin, detail::VectorUsage& usage) {
    const auto skip = [&usage](std::string_view reason) {
        usage.skip(reason);
        return std::optional<Test>();
    };
    auto fields = lookupAll<5>(record, {"COUNT", "KEY", "IV", "PLAINTEXT", "CIPHERTEXT"});
    if (!fields) return skip("missing field");
    auto& [count, keyHex, ivHex, plaintextHex, ciphertextHex] = *fields;
    std::optional<IV<K>> counter = IV<K>::decode(hexStringToBS(ivHex));
    if (!counter) return skip("undecodable IV");
    const ByteString keyBytes = hexStringToBS(keyHex);
    std::optional<K> key = K::buildKey(keyBytes);
    if (!key) return skip(keyRefusal<K>(keyBytes));
    usage.use();
    std::string name = std::string(detail::fileNameOf(origin.file)) + "-" + count;
    CtrKnownAnswer<K> knownAnswer{name, origin, std::move(*key), std::move(*counter),
                                  std::move(plaintextHex), std::move(ciphertextHex)};
    return testCase(std::move(name), std::move(knownAnswer), std::move(origin));
}

}  // namespace zelkor::tests::aes_detail
