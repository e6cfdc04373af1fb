#pragma once
// Known-answer tests over the installed Twofish vector files (Test/KAT_TWOFISH),
// followed by the block-cipher property groups.
//
// Each file's kind comes from its base name (the name without its last
// extension), matched exactly:
//
//   base name   test name          KEY       PT        computed value
//   ECB_TLB     "ECB-TLB-E-" + I   record    record    ecb(key, PT), compared with CT
//   ECB_E_M     "ECB-E-" + I       record    record    ecb(key, PT), compared with CT
//   ECB_D_M     "ECB-D-" + I       record    record    unEcb(key, CT), compared with PT
//   ECB_VK      "ECB-E-VK" + I     record    category  ecb(key, PT), compared with CT
//   ECB_VT      "ECB-E-VT-" + I    category  record    ecb(key, PT), compared with CT
//   CBC_E_M     "CBC-E-" + I       record    record    cbc(key, IV, PT) bytes, compared with CT
//   CBC_D_M     "CBC-D-" + I       record    record    unCbc(key, IV, CT) bytes, compared with PT
//
// CT, IV and I always come from the record; "category" means the category's
// header properties ([PT=...], [KEY=...]). The first occurrence of a name counts.
// Every record is one independent case: the "_M" files are not chained.
//
// Building reads and parses the files and decodes the CBC IVs, nothing more:
// KEY, PT and CT are decoded, and the key is built, only when a case runs.
// A record missing a value, or whose IV the cipher's IV type rejects, gives no
// case. An odd-length IV fails the build with the hex decoding error; a file with
// records whose base name is no kind fails it with a std::logic_error naming the file.

#include <cstddef>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/Modes.hpp"
#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/cipher/BlockCipherPropTests.hpp"
#include "zelkor/tests/detail/formats/TwoFishKinds.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

namespace zelkor::tests {

namespace twofish_detail {

// Runs the kind's operation; the next IV that cbc/unCbc return is not checked.
template <BlockCipher K>
ByteString applyOperation(Operation operation, const K& key, const std::optional<IV<K>>& iv,
                          const ByteString& input) {
    switch (operation) {
    case Operation::EcbEncrypt: return zelkor::ecb(key, input);
    case Operation::EcbDecrypt: return zelkor::unEcb(key, input);
    case Operation::CbcEncrypt: return zelkor::cbc(key, iv.value(), input).first;
    case Operation::CbcDecrypt: return zelkor::unCbc(key, iv.value(), input).first;
    }
    throw std::logic_error("Test.TwoFish.applyOperation: non-exhaustive match: unknown operation " +
                           std::to_string(static_cast<int>(operation)));
}

// One work item (a category's properties with one of its records) of a file of
// kind `kind`, or nullptr when the file's base name is no kind. Yields the test
// case, or none when a value is missing or the IV does not decode.
template <BlockCipher K>
std::optional<Test> buildTestFunc(const FileKind* kind, std::string_view path,
                                  const std::vector<Property>& properties, const Record& record, CaseOrigin origin,
                                  detail::VectorUsage& usage) {
    if (kind == nullptr) throwNoFileKind(path);
    const auto skip = [&usage](std::string_view reason) {
        usage.skip(reason);
        return std::optional<Test>();
    };
    const auto in = [&](Source source) -> const std::vector<Field>& {
        return source == Source::CategoryProperties ? properties : record;
    };

    // The IV is decoded as soon as it is found, before CT, PT and I are looked up.
    auto keyHex = lookup(in(kind->keySource), "KEY");
    if (!keyHex) return skip("missing field");
    std::optional<IV<K>> iv;
    if (usesIV(kind->operation)) {
        const auto ivHex = lookup(record, "IV");
        if (!ivHex) return skip("missing field");
        iv = IV<K>::decode(hexStringToBS(*ivHex));
        if (!iv) return skip("undecodable IV");
    }
    auto ctHex = lookup(record, "CT");
    if (!ctHex) return skip("missing field");
    auto ptHex = lookup(in(kind->plainTextSource), "PT");
    if (!ptHex) return skip("missing field");
    const auto label = lookup(record, "I");
    if (!label) return skip("missing field");

    usage.use();
    const Operation operation = kind->operation;
    const bool encrypting = encrypts(operation);
    std::string name = std::string(kind->namePrefix) + *label;
    std::string inputHex = encrypting ? std::move(*ptHex) : std::move(*ctHex);
    std::string expectedHex = encrypting ? std::move(*ctHex) : std::move(*ptHex);
    return testCase(name, [name, operation, iv = std::move(iv), keyHex = std::move(*keyHex),
                           inputHex = std::move(inputHex), expectedHex = std::move(expectedHex), origin] {
        const std::optional<K> key = K::buildKey(hexStringToBS(keyHex));
        if (!key) throwKeyRefused(name, keyHex);
        const ByteString computed = applyOperation(operation, *key, iv, hexStringToBS(inputHex));
        assertKnownAnswer(name, {{"", computed}}, hexStringToBS(expectedHex), origin);
    }, origin);
}

// makeTwoFishTests over the files of Test/<directory>.
template <BlockCipher K>
std::vector<Test> knownAnswerTests(std::string_view directory) {
    auto usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath(directory));
    std::vector<Test> out;
    for (const auto& file : detail::loadVectorDirectory(directory, "I")) {
        usage->addFile(file.recordCount());
        // The kind is decided once per file; a file without records needs none.
        const auto* kind = twofish_detail::findFileKind(detail::baseNameOf(detail::fileNameOf(file.path)));
        for (std::size_t c = 0; c < file.categories.size(); ++c) {
            const auto& category = file.categories[c];
            for (std::size_t r = 0; r < category.records.size(); ++r) {
                auto test = twofish_detail::buildTestFunc<K>(kind, file.path, category.properties, category.records[r],
                                                             file.origin(c, r, usage), *usage);
                if (test) out.push_back(std::move(*test));
            }
        }
    }
    detail::requireUsableVectors(out, usage);
    for (auto& group : makeBlockCipherPropTests<K>()) out.push_back(std::move(group));
    return out;
}

}  // namespace twofish_detail

// One case per usable record of every file of Test/KAT_TWOFISH, in listing
// order (or the failing case "no usable vectors" when there is none), then the
// two block-cipher property groups.
template <BlockCipher K>
std::vector<Test> makeTwoFishTests() {
    return twofish_detail::knownAnswerTests<K>("KAT_TWOFISH");
}

// The witness only selects the cipher type.
template <BlockCipher K>
std::vector<Test> makeTwoFishTests(const K&) {
    return makeTwoFishTests<K>();
}

}  // namespace zelkor::tests
