#pragma once
// Known answers for HKDF and PBKDF2 types: records and Wycheproof files. A
// failure names the record, or the test's tcId, comment and flags.

#include <exception>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zelkor/ByteString.hpp"
#include "zelkor/Kdf.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/formats/KdfVectors.hpp"
#include "zelkor/tests/detail/formats/VectorUsage.hpp"

namespace zelkor::tests::kdf_detail {

inline std::string prefixOf(const std::string& name, const std::string& about) {
    return about.empty() ? name : name + " (" + about + ")";
}

// A valid vector: derive, and expand of extract, give the OKM. An invalid one
// (a length over 255 hash lengths): derive and expand both refuse it with an
// exception.
template <Hkdf H>
void runHkdfVector(const HkdfVector& v) {
    const std::string prefix = prefixOf(v.name, v.about);
    if (!v.valid) {
        const ByteString prk = H::extract(v.salt, v.ikm);
        for (int form = 0; form < 2; ++form) {
            ByteString out;
            try {
                out = form == 0 ? H::derive(v.ikm, v.salt, v.info, v.length) : H::expand(prk, v.info, v.length);
            } catch (const std::exception&) {
                continue;
            }
            throw AssertionFailure(prefix + ": " + (form == 0 ? "derive" : "expand") + " gave " +
                                   std::to_string(out.size()) + " bytes for a length of " +
                                   std::to_string(v.length) + " bytes it must refuse");
        }
        return;
    }
    assertKnownAnswer(prefix,
                      {{"derive", H::derive(v.ikm, v.salt, v.info, v.length)},
                       {"expand of extract", H::expand(H::extract(v.salt, v.ikm), v.info, v.length)}},
                      v.okm, v.origin);
}

template <Pbkdf2 P>
void runPbkdf2Vector(const Pbkdf2Vector& v) {
    if (v.longCase) requireLongKdfRuns(v);
    assertKnownAnswer(prefixOf(v.name, v.about), {{"derive", P::derive(v.password, v.salt, v.iterations, v.length)}},
                      v.derived, v.origin);
}

template <class V, class Run>
std::vector<Test> casesOf(KdfVectors<V> vectors, Run run) {
    std::vector<Test> out;
    out.reserve(vectors.vectors.size());
    for (V& v : vectors.vectors) {
        std::string name = v.name;
        CaseOrigin origin = v.origin;
        out.push_back(testCase(std::move(name), [v = std::move(v), run] { run(v); }, std::move(origin)));
    }
    detail::requireUsableVectors(out, vectors.usage);
    return out;
}

template <Hkdf H>
std::vector<Test> hkdfKnownAnswerTests(std::string_view directory, std::string_view hashName) {
    return casesOf(hkdfRecords(directory, hashName), &runHkdfVector<H>);
}

template <Hkdf H>
std::vector<Test> hkdfWycheproofTests(std::string_view fileName) {
    return casesOf(wycheproofHkdfTests(fileName), &runHkdfVector<H>);
}

template <Pbkdf2 P>
std::vector<Test> pbkdf2KnownAnswerTests(std::string_view directory, std::string_view prefix) {
    return casesOf(pbkdf2Records(directory, prefix, static_cast<std::size_t>(P::hashLength) / 8),
                   &runPbkdf2Vector<P>);
}

template <Pbkdf2 P>
std::vector<Test> pbkdf2WycheproofTests(std::string_view fileName) {
    return casesOf(wycheproofPbkdf2Tests(fileName, static_cast<std::size_t>(P::hashLength) / 8), &runPbkdf2Vector<P>);
}

}  // namespace zelkor::tests::kdf_detail
