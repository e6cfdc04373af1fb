#include "zelkor/tests/Algorithms.hpp"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace zelkor::tests {

namespace {

using enum Algorithm;
using enum KnownAnswerFormat;
using enum MonteChainRule;

// A digest with NIST's known answers and Monte Carlo file, and whichever HMAC
// sources exist for it.
constexpr AlgorithmRow digest(Algorithm algorithm, std::string_view name, int output, int block,
                              std::string_view katDirectory, MonteChainRule chain, std::string_view monteFile,
                              std::string_view hmacNist, std::string_view hmacRfc, std::string_view hmacWycheproof) {
    return {algorithm, name,  PrimitiveKind::Digest, output,  block,          {0, 0, 0}, 0,     0,    NistDigest,
            katDirectory, name, monteFile, chain, hmacNist, hmacRfc, hmacWycheproof, {}, false, name, {}};
}

constexpr AlgorithmRow aes(Algorithm algorithm, std::string_view name, int keyBits) {
    AlgorithmRow row{algorithm, name, PrimitiveKind::BlockCipher, 0, 128, {keyBits, 0, 0}, 0, 0, NistAes, "KAT_AES",
                     {}, {}, None, {}, {}, {}, "KAT_AES_CTR", true, {}, {}};
    // NIST's XTS files cover XTS-AES-128 and -256 only.
    row.modeVectors.cfbBits = "KAT_AES_CFB_BITS";
    row.modeVectors.xts = keyBits == 192 ? "" : "KAT_AES_XTS";
    row.modeVectors.xtsWycheproof = "aes_xts_test.json";
    row.modeVectors.cbcPkcs7Wycheproof = "aes_cbc_pkcs5_test.json";
    return row;
}

// An AEAD with its known-answer records (if any) and its Wycheproof file.
constexpr AlgorithmRow aead(Algorithm algorithm, std::string_view name, int keyBits, std::size_t nonceBytes,
                            std::size_t tagBytes, KnownAnswerFormat format, std::string_view katDirectory,
                            std::string_view wycheproof) {
    return {algorithm, name, PrimitiveKind::Aead, 0,    0,     {keyBits, 0, 0}, nonceBytes, tagBytes, format,
            katDirectory, {}, {}, None, {}, {}, {}, {}, false, {}, wycheproof};
}

// Triple DES of three keys or two: its known answers are NIST's files of every
// mode, read as mode vectors.
constexpr AlgorithmRow tdes() {
    AlgorithmRow row{TDES, "TDES", PrimitiveKind::BlockCipher, 0, 64, {192, 128, 0}, 0, 0, NistAes, {}, {}, {},
                     None, {}, {}, {}, {}, false, {}, {}};
    row.modeVectors.tdes = "KAT_TDES";
    return row;
}

// The table. Its order is the order of the Algorithm values.
constexpr std::array<AlgorithmRow, 22> kTable{{
    {MD5, "MD5", PrimitiveKind::Digest, 128, 512, {0, 0, 0}, 0, 0, Md5, "KAT_MD5", {}, {}, None, {}, "MD5", {}, {},
     false, "MD5", {}},
    digest(SHA1, "SHA1", 160, 512, "KAT_SHA", LastThreeDigests, "SHA1Monte.rsp", "SHA1", "SHA1",
           "hmac_sha1_test.json"),
    digest(SHA224, "SHA224", 224, 512, "KAT_SHA", LastThreeDigests, "SHA224Monte.rsp", "SHA224", "SHA224",
           "hmac_sha224_test.json"),
    digest(SHA256, "SHA256", 256, 512, "KAT_SHA", LastThreeDigests, "SHA256Monte.rsp", "SHA256", "SHA256",
           "hmac_sha256_test.json"),
    digest(SHA384, "SHA384", 384, 1024, "KAT_SHA", LastThreeDigests, "SHA384Monte.rsp", "SHA384", "SHA384",
           "hmac_sha384_test.json"),
    digest(SHA512, "SHA512", 512, 1024, "KAT_SHA", LastThreeDigests, "SHA512Monte.rsp", "SHA512", "SHA512",
           "hmac_sha512_test.json"),
    digest(SHA512_224, "SHA512_224", 224, 1024, "KAT_SHA512t", LastThreeDigests, "SHA512_224Monte.rsp", {}, {},
           "hmac_sha512_224_test.json"),
    digest(SHA512_256, "SHA512_256", 256, 1024, "KAT_SHA512t", LastThreeDigests, "SHA512_256Monte.rsp", {}, {},
           "hmac_sha512_256_test.json"),
    digest(SHA3_224, "SHA3_224", 224, 1152, "KAT_SHA3", LastDigest, "SHA3_224Monte.rsp", {}, {},
           "hmac_sha3_224_test.json"),
    digest(SHA3_256, "SHA3_256", 256, 1088, "KAT_SHA3", LastDigest, "SHA3_256Monte.rsp", {}, {},
           "hmac_sha3_256_test.json"),
    digest(SHA3_384, "SHA3_384", 384, 832, "KAT_SHA3", LastDigest, "SHA3_384Monte.rsp", {}, {},
           "hmac_sha3_384_test.json"),
    digest(SHA3_512, "SHA3_512", 512, 576, "KAT_SHA3", LastDigest, "SHA3_512Monte.rsp", {}, {},
           "hmac_sha3_512_test.json"),
    aes(AES128, "AES128", 128),
    aes(AES192, "AES192", 192),
    aes(AES256, "AES256", 256),
    {Twofish, "Twofish", PrimitiveKind::BlockCipher, 0, 128, {128, 192, 256}, 0, 0, TwofishTables, "KAT_TWOFISH", {},
     {}, None, {}, {}, {}, {}, false, {}, {}},
    aead(ChaCha20Poly1305, "ChaCha20Poly1305", 256, 12, 16, AeadRecords, "KAT_CHACHA20_POLY1305",
         "chacha20_poly1305_test.json"),
    aead(XChaCha20Poly1305, "XChaCha20Poly1305", 256, 24, 16, AeadRecords, {}, "xchacha20_poly1305_test.json"),
    aead(AES128_GCM, "AES128_GCM", 128, 12, 16, NistGcm, "KAT_AES_GCM", "aes_gcm_test.json"),
    aead(AES192_GCM, "AES192_GCM", 192, 12, 16, NistGcm, "KAT_AES_GCM", "aes_gcm_test.json"),
    aead(AES256_GCM, "AES256_GCM", 256, 12, 16, NistGcm, "KAT_AES_GCM", "aes_gcm_test.json"),
    tdes(),
}};

constexpr bool tableInEnumOrder() {
    for (std::size_t i = 0; i < kTable.size(); ++i) {
        if (static_cast<std::size_t>(kTable[i].algorithm) != i) return false;
    }
    return true;
}
static_assert(tableInEnumOrder(), "the rows must follow the order of the Algorithm values");

constexpr std::array<std::pair<CheckKind, std::string_view>, 12> kCheckNames{{
    {CheckKind::KnownAnswers, "Known answers"},
    {CheckKind::MonteCarlo, "Monte Carlo"},
    {CheckKind::Hmac, "HMAC"},
    {CheckKind::Ctr, "CTR"},
    {CheckKind::Gcm, "GCM"},
    {CheckKind::Wycheproof, "Wycheproof"},
    {CheckKind::Properties, "Properties"},
    {CheckKind::Conformance, "Conformance"},
    {CheckKind::BufferSafety, "Buffer safety"},
    {CheckKind::LongMessages, "Long messages"},
    {CheckKind::ConstantTime, "Constant time"},
    {CheckKind::ModeVectors, "Mode known answers"},
}};

std::string keyLengthsText(const std::array<int, 3>& keyBits) {
    std::vector<std::string> lengths;
    for (int bits : keyBits) {
        if (bits != 0) lengths.push_back(std::to_string(bits));
    }
    std::string text;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        if (i > 0) text += i + 1 == lengths.size() ? " or " : ", ";
        text += lengths[i] + (i + 1 == lengths.size() ? "" : "-");
    }
    return text + "-bit keys";
}

std::string shapeText(const AlgorithmRow& row) {
    if (row.kind == PrimitiveKind::Aead) {
        return "an AEAD of " + keyLengthsText(row.keyBits) + " taking " + std::to_string(row.nonceBytes) +
               "-byte nonces and " + std::to_string(row.tagBytes) + "-byte tags";
    }
    if (row.kind == PrimitiveKind::Digest) {
        return "a digest of " + std::to_string(row.outputBits) + "-bit output and " + std::to_string(row.blockBits) +
               "-bit blocks";
    }
    return "a block cipher of " + std::to_string(row.blockBits) + "-bit blocks and " + keyLengthsText(row.keyBits);
}

[[noreturn]] void refuse(std::string_view caller, const AlgorithmRow& row, const std::string& given) {
    throw std::invalid_argument(std::string(caller) + ": " + std::string(row.name) + " needs " + shapeText(row) +
                                ", but the type given is " + given);
}

}  // namespace

std::vector<CheckKind> AlgorithmRow::checks() const {
    std::vector<CheckKind> out;
    for (const auto& [kind, name] : kCheckNames) {
        if (has(kind)) out.push_back(kind);
    }
    return out;
}

bool AlgorithmRow::has(CheckKind check) const {
    switch (check) {
    case CheckKind::KnownAnswers: return !knownAnswerDirectory.empty();
    case CheckKind::MonteCarlo: return !monteFile.empty();
    case CheckKind::Hmac: return !hmacNist.empty() || !hmacRfc.empty() || !hmacWycheproof.empty();
    case CheckKind::Ctr: return !ctrDirectory.empty();
    case CheckKind::Gcm: return gcm;
    case CheckKind::Wycheproof: return !wycheproof.empty();
    case CheckKind::Properties: return kind == PrimitiveKind::Aead;
    case CheckKind::Conformance: return kind != PrimitiveKind::Aead;
    case CheckKind::BufferSafety: return true;
    case CheckKind::LongMessages: return !longMessages.empty();
    case CheckKind::ConstantTime: return true;
    case CheckKind::ModeVectors: return modeVectors.any();
    }
    return false;
}

std::span<const AlgorithmRow> algorithmTable() { return kTable; }

const AlgorithmRow& algorithmRow(Algorithm algorithm) {
    const auto index = static_cast<std::size_t>(algorithm);
    if (index >= kTable.size()) {
        throw std::invalid_argument("unknown algorithm " + std::to_string(index));
    }
    return kTable[index];
}

std::string_view algorithmName(Algorithm algorithm) { return algorithmRow(algorithm).name; }

std::ostream& operator<<(std::ostream& os, Algorithm algorithm) { return os << algorithmName(algorithm); }

std::string_view checkKindName(CheckKind kind) {
    for (const auto& [each, name] : kCheckNames) {
        if (each == kind) return name;
    }
    throw std::invalid_argument("unknown kind of check " + std::to_string(static_cast<int>(kind)));
}

namespace table_detail {

void requireDigestShape(std::string_view caller, Algorithm algorithm, int outputLength, int blockLength) {
    const AlgorithmRow& row = algorithmRow(algorithm);
    if (row.kind == PrimitiveKind::Digest && row.outputBits == outputLength && row.blockBits == blockLength) return;
    refuse(caller, row,
           "a digest of " + std::to_string(outputLength) + "-bit output and " + std::to_string(blockLength) +
               "-bit blocks");
}

void requireCipherShape(std::string_view caller, Algorithm algorithm, int blockSize, int keyLength) {
    const AlgorithmRow& row = algorithmRow(algorithm);
    const bool keyFits =
        keyLength > 0 && std::find(row.keyBits.begin(), row.keyBits.end(), keyLength) != row.keyBits.end();
    if (row.kind == PrimitiveKind::BlockCipher && row.blockBits == blockSize && keyFits) return;
    refuse(caller, row,
           "a block cipher of " + std::to_string(blockSize) + "-bit blocks and " + std::to_string(keyLength) +
               "-bit keys");
}

void requireAeadShape(std::string_view caller, Algorithm algorithm, int keyLength, bool takesNonce, bool takesTag) {
    const AlgorithmRow& row = algorithmRow(algorithm);
    if (row.kind == PrimitiveKind::Aead && row.keyBits[0] == keyLength && takesNonce && takesTag) return;
    std::string given = "an AEAD of " + std::to_string(keyLength) + "-bit keys";
    if (row.kind == PrimitiveKind::Aead && !takesNonce) {
        given += " that does not take " + std::to_string(row.nonceBytes) + "-byte nonces";
    } else if (row.kind == PrimitiveKind::Aead && !takesTag) {
        given += " that does not take " + std::to_string(row.tagBytes) + "-byte tags";
    }
    refuse(caller, row, given);
}

void requireCheck(std::string_view caller, Algorithm algorithm, CheckKind kind) {
    const AlgorithmRow& row = algorithmRow(algorithm);
    if (row.has(kind)) return;
    throw std::invalid_argument(std::string(caller) + ": " + std::string(row.name) + " has no " +
                                std::string(checkKindName(kind)) + " checks");
}

}  // namespace table_detail

}  // namespace zelkor::tests
