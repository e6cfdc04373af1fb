#pragma once
// Known-answer tests for AES: every usable record of the installed NIST vector
// files (Test/KAT_AES) becomes one case, followed by the block-cipher property
// groups.

#include <cstddef>
#include <memory>
#include <optional>
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
#include "zelkor/tests/detail/cipher/AesCtrKnownAnswer.hpp"
#include "zelkor/tests/detail/formats/AesFileModes.hpp"
#include "zelkor/tests/detail/cipher/BlockCipherPropTests.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

namespace zelkor::tests {

namespace aes_detail {

// The file's operation applied to one input; the next IV of a mode is dropped.
template <BlockCipher K>
ByteString applyOperation(FileMode fileMode, const K& key, const std::optional<IV<K>>& iv,
                          const ByteString& input) {
    const bool encrypt = fileMode.direction == Direction::Encrypt;
    switch (fileMode.mode) {
    case Mode::ECB: return encrypt ? key.encryptBlock(input) : key.decryptBlock(input);
    case Mode::CBC: return (encrypt ? zelkor::cbc(key, *iv, input) : zelkor::unCbc(key, *iv, input)).first;
    case Mode::CFB: return (encrypt ? zelkor::cfb(key, *iv, input) : zelkor::unCfb(key, *iv, input)).first;
    case Mode::OFB: return (encrypt ? zelkor::ofb(key, *iv, input) : zelkor::unOfb(key, *iv, input)).first;
    }
    throwUnknownMode("applyOperation", fileMode.mode);
}

// One known-answer case. It owns its key, IV and field texts; the input and
// expected output are decoded only when it runs.
template <BlockCipher K>
struct KnownAnswer {
    std::string name;
    FileMode fileMode;
    K key;
    std::optional<IV<K>> iv;  // present exactly for the modes with an IV
    std::string inputHex;
    std::string expectedHex;
    CaseOrigin origin;

    void operator()() const {
        const ByteString computed = applyOperation(fileMode, key, iv, hexStringToBS(inputHex));
        assertKnownAnswer(name, {{"", computed}}, hexStringToBS(expectedHex), origin);
    }
};

// The case for one record, or none when a field is missing, the IV does not
// decode or buildKey refuses the key; `usage` learns which. Odd-length KEY or
// IV hex throws here.
template <BlockCipher K>
std::optional<Test> makeCase(std::string_view fileName, FileMode fileMode, const Record& record, CaseOrigin origin,
                             detail::VectorUsage& usage) {
    const auto skip = [&usage](std::string_view reason) {
        usage.skip(reason);
        return std::optional<Test>();
    };
    std::optional<IV<K>> iv;
    if (usesIV(fileMode.mode)) {
        const std::optional<std::string> ivHex = lookup(record, "IV");
        if (!ivHex) return skip("missing field");
        iv = IV<K>::decode(hexStringToBS(*ivHex));
        if (!iv) return skip("undecodable IV");
    }
    const std::optional<std::string> count = lookup(record, "COUNT");
    const std::optional<std::string> ciphertext = lookup(record, "CIPHERTEXT");
    const std::optional<std::string> plaintext = lookup(record, "PLAINTEXT");
    const std::optional<std::string> keyHex = lookup(record, "KEY");
    if (!count || !ciphertext || !plaintext || !keyHex) return skip("missing field");
    const ByteString keyBytes = hexStringToBS(*keyHex);
    std::optional<K> key = K::buildKey(keyBytes);
    if (!key) return skip(keyRefusal<K>(keyBytes));

    usage.use();
    std::string name = std::string(fileName) + "-" + *count;
    const bool encrypt = fileMode.direction == Direction::Encrypt;
    KnownAnswer<K> knownAnswer{name,
                               fileMode,
                               std::move(*key),
                               std::move(iv),
                               encrypt ? *plaintext : *ciphertext,
                               encrypt ? *ciphertext : *plaintext,
                               origin};
    return testCase(std::move(name), std::move(knownAnswer), std::move(origin));
}

}  // namespace aes_detail

namespace aes_detail {

// makeAESTests over the files of Test/<directory>.
template <BlockCipher K>
std::vector<Test> knownAnswerTests(std::string_view directory) {
    auto usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath(directory));
    std::vector<Test> out;
    for (const detail::LoadedFile& file : detail::loadVectorDirectory(directory, "COUNT")) {
        usage->addFile(file.recordCount());
        const std::string_view fileName = detail::fileNameOf(file.path);
        const std::optional<aes_detail::FileMode> fileMode = aes_detail::fileModeOf(fileName);
        if (!fileMode) {
            usage->skip("file name gives no mode", file.recordCount());
            continue;
        }
        for (std::size_t c = 0; c < file.categories.size(); ++c) {
            const auto& records = file.categories[c].records;
            for (std::size_t r = 0; r < records.size(); ++r) {
                if (auto test = aes_detail::makeCase<K>(fileName, *fileMode, records[r], file.origin(c, r, usage),
                                                        *usage)) {
                    out.push_back(std::move(*test));
                }
            }
        }
    }
    detail::requireUsableVectors(out, usage);
    for (Test& group : makeBlockCipherPropTests<K>()) out.push_back(std::move(group));
    return out;
}

}  // namespace aes_detail

// Reads Test/KAT_AES now (throwing on I/O errors and on odd-length KEY or IV
// hex), and returns one case per usable record, named "<file name>-<COUNT>",
// in listing, category and record order, then the two block-cipher property
// groups. Each file's categories go with that file's own name. When no record
// is usable, a failing case "no usable vectors" says why each was skipped.
template <BlockCipher K>
std::vector<Test> makeAESTests() {
    return aes_detail::knownAnswerTests<K>("KAT_AES");
}

// The witness only selects the cipher type.
template <BlockCipher K>
std::vector<Test> makeAESTests(const K&) {
    return makeAESTests<K>();
}

namespace aes_detail {

// makeAESCTRTests over the files of Test/<directory>.
template <BlockCipher K>
std::vector<Test> ctrTests(std::string_view directory) {
    auto usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath(directory));
    std::vector<Test> out;
    for (const detail::LoadedFile& file : detail::loadVectorDirectory(directory, "COUNT")) {
        usage->addFile(file.recordCount());
        for (std::size_t c = 0; c < file.categories.size(); ++c) {
            const auto& records = file.categories[c].records;
            for (std::size_t r = 0; r < records.size(); ++r) {
                if (auto test = aes_detail::makeCtrCase<K>(records[r], file.origin(c, r, usage), *usage)) {
                    out.push_back(std::move(*test));
                }
            }
        }
    }
    detail::requireUsableVectors(out, usage);
    return out;
}

}  // namespace aes_detail

// Reads Test/KAT_AES_CTR now and returns one case per record of the cipher's
// key size, named "<file name>-<COUNT>", in listing, category and record order;
// no property groups. Each case checks ctr, unCtr, ctrLazy and unCtrLazy.
template <BlockCipher K>
std::vector<Test> makeAESCTRTests() {
    return aes_detail::ctrTests<K>("KAT_AES_CTR");
}

template <BlockCipher K>
std::vector<Test> makeAESCTRTests(const K&) {
    return makeAESCTRTests<K>();
}

}  // namespace zelkor::tests
