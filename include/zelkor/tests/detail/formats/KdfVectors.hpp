#pragma once
// The vectors of HKDF and PBKDF2, read once into plain records: the
// non-template half of the KDF known-answer and Wycheproof builders.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/ByteString.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/formats/VectorUsage.hpp"

namespace zelkor::tests::kdf_detail {

struct HkdfVector {
    std::string name;   // "<file name>-<COUNT>" or "<file name>-<tcId>"
    CaseOrigin origin;
    std::string about;  // Wycheproof: comment, flags and result
    ByteString ikm, salt, info, okm;
    std::size_t length = 0;
    bool valid = true;  // false: the length must be refused with an exception
};

struct Pbkdf2Vector {
    std::string name;
    CaseOrigin origin;
    std::string about;
    ByteString password, salt, derived;
    std::uint64_t iterations = 0;
    std::size_t length = 0;
    bool longCase = false;  // runs only when the environment sets zelkor_tests_long=1
};

template <class V>
struct KdfVectors {
    std::shared_ptr<detail::VectorUsage> usage;
    std::vector<V> vectors;
};

// Records COUNT, Hash, IKM, salt, info, L, OKM of the files of Test/<directory>
// whose Hash is `hashName` (e.g. "SHA-256"); records of other hashes are
// skipped and counted.
KdfVectors<HkdfVector> hkdfRecords(std::string_view directory, std::string_view hashName);

// The tests of Wycheproof/<fileName> (HkdfTest groups: ikm, salt, info, size, okm).
KdfVectors<HkdfVector> wycheproofHkdfTests(std::string_view fileName);

// Records COUNT, PASSWORD, SALT, ITERATIONS, LENGTH, DERIVED_KEY of the files of
// Test/<directory> whose names start with `prefix`. PASSWORD and SALT are
// text, "\0" standing for a zero byte.
KdfVectors<Pbkdf2Vector> pbkdf2Records(std::string_view directory, std::string_view prefix, std::size_t hashBytes);

// The tests of Wycheproof/<fileName> (PbkdfTest: password, salt, iterationCount, dkLen, dk).
KdfVectors<Pbkdf2Vector> wycheproofPbkdf2Tests(std::string_view fileName, std::size_t hashBytes);

// Marks the long cases of one file's vectors, in file order. A case runs by
// default when it takes at most 2 iterations, or when it is the file's first
// case of more and takes at most 100,000 iterations times output blocks; the
// others are long (millions of iterations, and the bulk of the 4096-iteration
// cases, whose cost the first one already shows).
void markLongCases(std::vector<Pbkdf2Vector>& vectors, std::size_t firstOfFile, std::size_t hashBytes);

// Throws SkipTest unless the environment sets zelkor_tests_long=1.
void requireLongKdfRuns(const Pbkdf2Vector& vector);

}  // namespace zelkor::tests::kdf_detail
