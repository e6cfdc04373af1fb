#include "zelkor/tests/detail/formats/TwoFishKinds.hpp"

#include <array>
#include <stdexcept>

#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

namespace zelkor::tests::twofish_detail {

namespace {

constexpr Source kRecord = Source::RecordFields;
constexpr Source kProperties = Source::CategoryProperties;
using enum Operation;

// The test-name prefix carries no "-" before I for the variable-key kind.
constexpr std::array<FileKind, 7> kFileKinds{{
    {"ECB_TLB", "ECB-TLB-E-", kRecord, kRecord, EcbEncrypt},
    {"ECB_E_M", "ECB-E-", kRecord, kRecord, EcbEncrypt},
    {"ECB_D_M", "ECB-D-", kRecord, kRecord, EcbDecrypt},
    {"ECB_VK", "ECB-E-VK", kRecord, kProperties, EcbEncrypt},
    {"ECB_VT", "ECB-E-VT-", kProperties, kRecord, EcbEncrypt},
    {"CBC_E_M", "CBC-E-", kRecord, kRecord, CbcEncrypt},
    {"CBC_D_M", "CBC-D-", kRecord, kRecord, CbcDecrypt},
}};

}  // namespace

bool encrypts(Operation operation) { return operation == EcbEncrypt || operation == CbcEncrypt; }

bool usesIV(Operation operation) { return operation == CbcEncrypt || operation == CbcDecrypt; }

const FileKind* findFileKind(std::string_view baseName) {
    for (const auto& kind : kFileKinds) {
        if (kind.baseName == baseName) return &kind;
    }
    return nullptr;
}

void throwNoFileKind(std::string_view path) {
    const std::string_view baseName = detail::baseNameOf(detail::fileNameOf(path));
    throw std::logic_error("Test.TwoFish.buildTestFunc: non-exhaustive match: no file kind for base name \"" +
                           std::string(baseName) + "\" (file " + std::string(path) + ")");
}

void throwKeyRefused(std::string_view testName, std::string_view keyHex) {
    throw std::runtime_error("Test.TwoFish: buildKey refused the key " + std::string(keyHex) + " of " +
                             std::string(testName));
}

}  // namespace zelkor::tests::twofish_detail
