#pragma once
// Reading the GCM vectors: the NIST files of Test/KAT_AES_GCM by category and
// the Wycheproof AES-GCM tests, keeping what fits one key size and counting
// the rest in the usage.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/aead/GcmKnownAnswers.hpp"
#include "zelkor/tests/detail/formats/VectorUsage.hpp"

namespace zelkor::tests::gcm_detail {

inline constexpr std::string_view kNistGcmDirectory = "KAT_AES_GCM";
inline constexpr std::string_view kWycheproofGcmFile = "aes_gcm_test.json";

// A category's records of the key size, in file order.
struct NistGcmCategoryData {
    std::string name;  // "<file name>-Keylen128-IVlen96-PTlen0-AADlen0-Taglen128"
    std::string file;  // its path
    bool encrypt = true;
    std::shared_ptr<const std::vector<NistGcmRecord>> records;
};

// Every category of every file (listing order) with records of `keyBits`-bit
// keys. The direction comes from the file name ("Encrypt" or "Decrypt"); other
// files, records missing a field and other key sizes are counted as skipped.
// The files (17 MB, of three key sizes) are parsed once per process and shared
// by the builders of the three key sizes, as long as the directory's files
// keep their names, sizes and modification times.
std::vector<NistGcmCategoryData> loadNistGcm(int keyBits, detail::VectorUsage& usage);

struct WycheproofGcmCase {
    std::string name;  // "aes_gcm_test.json-<tcId>"
    WycheproofGcmTest test;
    std::string file;
    std::size_t line = 0;
};

// The tests of `keyBits`-bit keys of the Wycheproof AEAD file at usage.directory() (AES-GCM's, or any
// other of the AEAD schema; GMAC's MAC tests and deterministic AEAD tests read as AEAD tests), in file
// order; other key sizes are counted as skipped. A member missing or with bad hex throws VectorFileError
// naming the file and line.
std::vector<WycheproofGcmCase> loadWycheproofGcm(int keyBits, detail::VectorUsage& usage);

}  // namespace zelkor::tests::gcm_detail
