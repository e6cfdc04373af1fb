#pragma once
// Known answers of the modes (CFB8, CFB1, XTS, CBC with PKCS#7 padding, and
// the five and CTR for TDES's and other ciphers' own files) for any block
// cipher, from the sources an algorithm's row names: one case per category of
// a NIST file (each record checked, every failure counted) and one per
// Wycheproof test.

#include <exception>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/ExtraModes.hpp"
#include "zelkor/tests/Algorithms.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/formats/ModeVectors.hpp"

namespace zelkor::tests::mode_detail {

template <BlockCipher K>
K keyOf(const ModeVector& v, const ByteString& bytes) {
    std::optional<K> key = K::buildKey(bytes);
    if (!key) {
        std::ostringstream out;
        out << v.name << ": buildKey refused the key " << bytes << " (from " << v.origin.where() << ")";
        throw AssertionFailure(out.str());
    }
    return std::move(*key);
}

template <BlockCipher K>
IV<K> ivOf(const ModeVector& v) {
    std::optional<IV<K>> iv = IV<K>::decode(v.iv);
    if (!iv) throw AssertionFailure(v.name + ": IV::decode refused the record's IV");
    return std::move(*iv);
}

template <BlockCipher K>
void runCbcPkcs7(const ModeVector& v, const K& key) {
    const IV<K> iv = ivOf<K>(v);
    std::optional<ByteString> opened;
    std::string error;
    try {
        opened = zelkor::unCbcPKCS7(key, iv, v.output);
    } catch (const std::exception& e) {
        error = e.what();
    }
    if (v.mustFail) {
        if (!opened) return;
        std::ostringstream out;
        out << v.name << ": unCbcPKCS7 accepted a ciphertext with a bad pad (from " << v.origin.where()
            << ") and gave " << *opened;
        throw AssertionFailure(out.str());
    }
    if (!opened) {
        throw AssertionFailure(v.name + ": unCbcPKCS7 refused a good ciphertext (from " + v.origin.where() + ")" +
                               (error.empty() ? "" : ": " + error));
    }
    assertKnownAnswers(v.name,
                       {{"as ciphertext by cbcPKCS7", zelkor::cbcPKCS7(key, iv, v.input), v.output},
                        {"as plaintext by unCbcPKCS7", *opened, v.input}},
                       v.origin);
}

template <BlockCipher K>
void runModeVector(const ModeVector& v) {
    if (v.kind == ModeKind::Xts) {
        if constexpr (XtsBlockCipher<K>) {
            const std::size_t half = v.key.size() / 2;
            const K dataKey = keyOf<K>(v, v.key.take(half));
            const K tweakKey = keyOf<K>(v, v.key.drop(half));
            const ByteString computed = v.encrypt ? zelkor::xts(dataKey, tweakKey, v.iv, v.input)
                                                  : zelkor::unXts(dataKey, tweakKey, v.iv, v.input);
            assertKnownAnswer(v.name, {{"", computed}}, v.output, v.origin);
            return;
        } else {
            throw std::logic_error(v.name + ": XTS needs a cipher of 128-bit blocks");
        }
    }
    const K key = keyOf<K>(v, v.key);
    if (v.kind == ModeKind::CbcPkcs7) return runCbcPkcs7(v, key);
    if (v.kind == ModeKind::Ecb) {
        const ByteString computed = v.encrypt ? zelkor::ecb(key, v.input) : zelkor::unEcb(key, v.input);
        return assertKnownAnswer(v.name, {{"", computed}}, v.output, v.origin);
    }
    const IV<K> iv = ivOf<K>(v);
    ByteString computed;
    switch (v.kind) {
    case ModeKind::Cfb8:
        computed = (v.encrypt ? zelkor::cfb8(key, iv, v.input) : zelkor::unCfb8(key, iv, v.input)).first;
        break;
    case ModeKind::Cfb1:
        computed = (v.encrypt ? zelkor::cfb1(key, iv, v.input, v.bits) : zelkor::unCfb1(key, iv, v.input, v.bits)).first;
        break;
    case ModeKind::Cbc:
        computed = (v.encrypt ? zelkor::cbc(key, iv, v.input) : zelkor::unCbc(key, iv, v.input)).first;
        break;
    case ModeKind::Cfb:
        computed = (v.encrypt ? zelkor::cfb(key, iv, v.input) : zelkor::unCfb(key, iv, v.input)).first;
        break;
    case ModeKind::Ctr:
        computed = (v.encrypt ? zelkor::ctr(key, iv, v.input) : zelkor::unCtr(key, iv, v.input)).first;
        break;
    default:
        computed = (v.encrypt ? zelkor::ofb(key, iv, v.input) : zelkor::unOfb(key, iv, v.input)).first;
        break;
    }
    assertKnownAnswer(v.name, {{"", computed}}, v.output, v.origin);
}

// Runs every vector of a group; a failing one does not stop the others. The
// failure names how many failed and shows the first few.
template <BlockCipher K>
void runGroup(const std::vector<ModeVector>& vectors) {
    constexpr std::size_t kShown = 3;
    std::size_t failures = 0;
    std::string shown;
    for (const ModeVector& v : vectors) {
        std::string message;
        try {
            runModeVector<K>(v);
            continue;
        } catch (const AssertionFailure& failure) {
            message = failure.what();
        } catch (const std::exception& error) {
            message = v.name + " (" + v.origin.where() + "): threw " + error.what();
        }
        if (failures++ < kShown) shown += "\n" + message;
    }
    if (failures == 0) return;
    throw AssertionFailure(std::to_string(failures) + " of " + std::to_string(vectors.size()) +
                           " records failed; the first:" + shown);
}

// One case per group of vectors (in the order of their first vector), and one
// per vector without a group.
template <BlockCipher K>
void appendCases(std::vector<Test>& out, LoadedModeVectors loaded) {
    std::vector<Test> cases;
    std::vector<std::vector<ModeVector>> groups;
    for (ModeVector& v : loaded.vectors) {
        if (!v.group.empty() && !groups.empty() && groups.back().front().group == v.group) {
            groups.back().push_back(std::move(v));
        } else {
            groups.push_back({});
            groups.back().push_back(std::move(v));
        }
    }
    for (std::vector<ModeVector>& group : groups) {
        const ModeVector& first = group.front();
        std::string name = first.group.empty() ? first.name : first.group;
        CaseOrigin origin = first.origin;
        origin.records = group.size();
        // Held for the whole run: no spare capacity, no copies of the name.
        for (ModeVector& v : group) std::string().swap(v.group);
        auto shared = std::make_shared<const std::vector<ModeVector>>(std::make_move_iterator(group.begin()),
                                                                      std::make_move_iterator(group.end()));
        cases.push_back(testCase(std::move(name), [shared] { runGroup<K>(*shared); }, std::move(origin)));
    }
    detail::requireUsableVectors(cases, loaded.usage);
    for (Test& test : cases) out.push_back(std::move(test));
}

// Every source the row names, for K's key length.
template <BlockCipher K>
std::vector<Test> modeVectorTests(const AlgorithmRow& row) {
    const AlgorithmRow::ModeVectorSources& sources = row.modeVectors;
    std::vector<Test> out;
    if (!sources.cfbBits.empty()) appendCases<K>(out, loadCfbBitFiles(sources.cfbBits, K::keyLength));
    if (!sources.xts.empty()) appendCases<K>(out, loadNistXts(sources.xts, K::keyLength));
    if (!sources.xtsWycheproof.empty()) appendCases<K>(out, loadWycheproofXts(sources.xtsWycheproof, K::keyLength));
    if (!sources.tdes.empty()) appendCases<K>(out, loadNistTdes(sources.tdes, K::keyLength));
    if (!sources.cipherFiles.empty()) appendCases<K>(out, loadCipherFiles(sources.cipherFiles, K::keyLength));
    if (!sources.cbcPkcs7Wycheproof.empty()) {
        appendCases<K>(out, loadWycheproofCbcPkcs7(sources.cbcPkcs7Wycheproof, K::keyLength));
    }
    return out;
}

}  // namespace zelkor::tests::mode_detail
