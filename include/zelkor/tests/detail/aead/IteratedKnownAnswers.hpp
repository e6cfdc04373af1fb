#pragma once
// The iterated known answer over every length: one AEAD key, derived from the
// key and tag length, seals 384 messages whose plaintext and AAD grow from 0
// to 127 bytes, and then seals nothing with everything it made as the AAD.
// The last output is the answer. It reaches block indices and AAD lengths
// that short published messages never do, so a fault in either shows here.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zelkor/Aead.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/tests/Algorithms.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/aead/AeadKnownAnswers.hpp"
#include "zelkor/tests/detail/aead/GcmKnownAnswers.hpp"
#include "zelkor/tests/detail/formats/VectorUsage.hpp"

namespace zelkor::tests::aead_detail {

// Every nonce of the iterated check is a 96-bit counter.
inline constexpr std::size_t kIteratedNonceBytes = 12;

// One published output: the key and tag length it is for.
struct IteratedAnswer {
    std::string name;  // "<file name>-<COUNT>"
    int keyBits = 0;
    std::size_t tagBytes = 0;
    ByteString output;
    CaseOrigin origin;
};

// The records of every file of Test/<directory> (COUNT, KEYLEN, TAGLEN, Output)
// for keys of `keyBits`; others are counted as skipped in `usage`, and so are
// records missing a field. A length that is not a number, or an output that is
// not hex, throws std::invalid_argument naming the file and line.
std::vector<IteratedAnswer> loadIteratedAnswers(std::string_view directory, int keyBits,
                                                const std::shared_ptr<detail::VectorUsage>& usage);

// Zero bytes but the last, which is the tag length in bits.
ByteString iteratedKey(int keyBits, std::size_t tagBytes);

// Seals (nonce, AAD, plaintext) with one key and tag length.
using IteratedSeal =
    std::function<AeadSealed(const ByteString& nonce, const ByteString& aad, const ByteString& plaintext)>;

// The ciphertext and tag of the final seal of the iterated check.
ByteString iteratedOutput(const IteratedSeal& seal);

// Throws AssertionFailure naming the key and tag length and both outputs
// when `computed` is not the answer's output.
void checkIteratedOutput(const IteratedAnswer& answer, const ByteString& computed);

// A tag length (or the nonce length) the type does not declare skips the
// case with the reason.
template <Aead A>
void runIterated(const IteratedAnswer& answer) {
    if (std::string reason = gcm_detail::undeclaredLengths<A>(kIteratedNonceBytes, answer.tagBytes);
        !reason.empty()) {
        throw SkipTest(reason);
    }
    const std::optional<A> key = A::buildKey(iteratedKey(answer.keyBits, answer.tagBytes));
    if (!key) throw AssertionFailure(answer.name + ": buildKey refused the iterated check's key");
    const std::size_t tagBytes = answer.tagBytes;
    checkIteratedOutput(answer, iteratedOutput([&key, tagBytes](const ByteString& nonce, const ByteString& aad,
                                                                const ByteString& plaintext) {
                            return key->seal(nonce, aad, plaintext, tagBytes);
                        }));
}

// One case per published output for A's key length, named "<file name>-<COUNT>".
template <Aead A>
std::vector<Test> iteratedTests(std::string_view directory) {
    auto usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath(directory));
    std::vector<Test> out;
    for (IteratedAnswer& answer : loadIteratedAnswers(directory, A::keyLength, usage)) {
        std::string name = answer.name;
        CaseOrigin origin = answer.origin;
        out.push_back(testCase(
            std::move(name), [answer = std::move(answer)] { runIterated<A>(answer); }, std::move(origin)));
    }
    detail::requireUsableVectors(out, usage);
    return out;
}

// An AEAD row's known answers with the iterated check: the row's records
// (if it names any) and then one case per tag length.
template <Aead A>
std::vector<Test> knownAnswersWithIterated(const AlgorithmRow& row) {
    std::vector<Test> out;
    if (!row.knownAnswerDirectory.empty()) out = knownAnswerTests<A>(row.knownAnswerDirectory, row.tagBytes);
    std::vector<Test> iterated = iteratedTests<A>(row.aeadVectors.iterated);
    out.insert(out.end(), std::make_move_iterator(iterated.begin()), std::make_move_iterator(iterated.end()));
    return out;
}

}  // namespace zelkor::tests::aead_detail
