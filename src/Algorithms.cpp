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

// The row with a second Wycheproof file.
constexpr AlgorithmRow withMoreWycheproof(AlgorithmRow row, std::string_view wycheproof) {
    row.aeadVectors.moreWycheproof = wycheproof;
    return row;
}

// The row with the iterated check's outputs.
constexpr AlgorithmRow withIterated(AlgorithmRow row, std::string_view directory) {
    row.aeadVectors.iterated = directory;
    return row;
}

// A stream cipher of 256-bit keys and 512-bit blocks with its known-answer records.
constexpr AlgorithmRow stream(Algorithm algorithm, std::string_view name, std::size_t nonceBytes,
                              std::string_view katDirectory) {
    return {algorithm, name, PrimitiveKind::StreamCipher, 0, 512, {256, 0, 0}, nonceBytes, 0, StreamRecords,
            katDirectory, {}, {}, None, {}, {}, {}, {}, false, {}, {}};
}

// AES-KW or AES-KWP with NIST's files of `prefix` (KW, KWP, KW_inv, KWP_inv)
// and, for the forward ones, a Wycheproof file.
constexpr AlgorithmRow keyWrap(Algorithm algorithm, std::string_view name, int keyBits, std::string_view prefix,
                               std::string_view wycheproof) {
    return {algorithm, name, PrimitiveKind::KeyWrap, 0, 128, {keyBits, 0, 0}, 0, 0, NistKeyWrap, "KAT_AES_KW",
            prefix, {}, None, {}, {}, {}, {}, false, {}, wycheproof};
}

// An XOF of the given rate with NIST's files, the Monte Carlo file among them,
// and long-message records under its name.
constexpr AlgorithmRow xof(Algorithm algorithm, std::string_view name, int rate, std::string_view monteFile) {
    return {algorithm, name, PrimitiveKind::Xof, 0, rate, {0, 0, 0}, 0, 0, NistXof, "KAT_SHAKE", name, monteFile,
            None, {}, {}, {}, {}, false, name, {}};
}

// A MAC over a block cipher (CMAC): its tag, block and key, its records
// under Test/KAT_CMAC and its Wycheproof file. The tag is a whole block.
constexpr AlgorithmRow cmac(Algorithm algorithm, std::string_view name, int keyBits, std::string_view filePrefix,
                            std::string_view wycheproof, int blockBits = 128) {
    return {algorithm, name, PrimitiveKind::Mac, blockBits, blockBits, {keyBits, 0, 0}, 0,
            static_cast<std::size_t>(blockBits / 8), MacRecords, "KAT_CMAC",
            filePrefix, {}, None, {}, {}, {}, {}, false, {}, wycheproof};
}

// CMAC over a block cipher with no records of its own: its Wycheproof file only.
constexpr AlgorithmRow wycheproofCmac(Algorithm algorithm, std::string_view name, int keyBits,
                                      std::string_view wycheproof) {
    AlgorithmRow row = cmac(algorithm, name, keyBits, {}, wycheproof);
    row.knownAnswerDirectory = {};
    return row;
}

// A MAC of its own: its tag, block and key, its records and Wycheproof file.
constexpr AlgorithmRow mac(Algorithm algorithm, std::string_view name, int tagBits, int blockBits, int keyBits,
                           std::string_view katDirectory, std::string_view filePrefix, std::string_view wycheproof) {
    return {algorithm, name, PrimitiveKind::Mac, tagBits, blockBits, {keyBits, 0, 0}, 0,
            static_cast<std::size_t>(tagBits / 8), MacRecords, katDirectory, filePrefix, {}, None, {}, {}, {}, {},
            false, {}, wycheproof};
}

// HKDF or PBKDF2 over a digest of `output` bits and `block`-bit blocks: its
// records (selected by their Hash field or by file prefix) and Wycheproof file.
constexpr AlgorithmRow kdf(Algorithm algorithm, std::string_view name, PrimitiveKind kind, int output, int block,
                           std::string_view katDirectory, std::string_view filePrefix, std::string_view recordHash,
                           std::string_view wycheproof) {
    return {algorithm,  name, kind, output, block, {0, 0, 0}, 0, 0,
            kind == PrimitiveKind::Hkdf ? HkdfRecords : Pbkdf2Records, katDirectory, filePrefix, {}, None, {}, {}, {},
            {}, false, {}, wycheproof, {recordHash}};
}

// Triple DES of three keys or two: its known answers are NIST's files of every
// mode, read as mode vectors.
constexpr AlgorithmRow tdes() {
    AlgorithmRow row{TDES, "TDES", PrimitiveKind::BlockCipher, 0, 64, {192, 128, 0}, 0, 0, NistAes, {}, {}, {},
                     None, {}, {}, {}, {}, false, {}, {}};
    row.modeVectors.tdes = "KAT_TDES";
    return row;
}

// A block cipher whose known answers are its own files under Test/ (and, for
// some, Wycheproof's CBC with PKCS#7 padding), read as mode vectors.
constexpr AlgorithmRow cipher(Algorithm algorithm, std::string_view name, int blockBits, std::array<int, 3> keyBits,
                              std::string_view files, std::string_view cbcPkcs7Wycheproof) {
    AlgorithmRow row{algorithm, name, PrimitiveKind::BlockCipher, 0, blockBits, keyBits, 0, 0, NistAes, {}, {}, {},
                     None, {}, {}, {}, {}, false, {}, {}};
    row.modeVectors.cipherFiles = files;
    row.modeVectors.cbcPkcs7Wycheproof = cbcPkcs7Wycheproof;
    return row;
}

// The table. Its order is the order of the Algorithm values.
constexpr auto kTable = std::to_array<AlgorithmRow>({
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
    aead(XChaCha20Poly1305, "XChaCha20Poly1305", 256, 24, 16, AeadRecords, "KAT_XCHACHA20_POLY1305",
         "xchacha20_poly1305_test.json"),
    withMoreWycheproof(aead(AES128_GCM, "AES128_GCM", 128, 12, 16, NistGcm, "KAT_AES_GCM", "aes_gcm_test.json"),
                       "aes_gmac_test.json"),
    withMoreWycheproof(aead(AES192_GCM, "AES192_GCM", 192, 12, 16, NistGcm, "KAT_AES_GCM", "aes_gcm_test.json"),
                       "aes_gmac_test.json"),
    withMoreWycheproof(aead(AES256_GCM, "AES256_GCM", 256, 12, 16, NistGcm, "KAT_AES_GCM", "aes_gcm_test.json"),
                       "aes_gmac_test.json"),
    aead(AES128_CCM, "AES128_CCM", 128, 12, 16, NistCcm, "KAT_AES_CCM", "aes_ccm_test.json"),
    aead(AES192_CCM, "AES192_CCM", 192, 12, 16, NistCcm, "KAT_AES_CCM", "aes_ccm_test.json"),
    aead(AES256_CCM, "AES256_CCM", 256, 12, 16, NistCcm, "KAT_AES_CCM", "aes_ccm_test.json"),
    stream(ChaCha20, "ChaCha20", 12, "KAT_CHACHA20"),
    stream(XChaCha20, "XChaCha20", 24, "KAT_XCHACHA20"),
    keyWrap(AES128_KW, "AES128_KW", 128, "KW", "aes_wrap_test.json"),
    keyWrap(AES192_KW, "AES192_KW", 192, "KW", "aes_wrap_test.json"),
    keyWrap(AES256_KW, "AES256_KW", 256, "KW", "aes_wrap_test.json"),
    keyWrap(AES128_KWP, "AES128_KWP", 128, "KWP", "aes_kwp_test.json"),
    keyWrap(AES192_KWP, "AES192_KWP", 192, "KWP", "aes_kwp_test.json"),
    keyWrap(AES256_KWP, "AES256_KWP", 256, "KWP", "aes_kwp_test.json"),
    keyWrap(AES128_KW_INV, "AES128_KW_INV", 128, "KW_inv", {}),
    keyWrap(AES192_KW_INV, "AES192_KW_INV", 192, "KW_inv", {}),
    keyWrap(AES256_KW_INV, "AES256_KW_INV", 256, "KW_inv", {}),
    keyWrap(AES128_KWP_INV, "AES128_KWP_INV", 128, "KWP_inv", {}),
    keyWrap(AES192_KWP_INV, "AES192_KWP_INV", 192, "KWP_inv", {}),
    keyWrap(AES256_KWP_INV, "AES256_KWP_INV", 256, "KWP_inv", {}),
    xof(SHAKE128, "SHAKE128", 1344, "SHAKE128Monte.rsp"),
    xof(SHAKE256, "SHAKE256", 1088, "SHAKE256Monte.rsp"),
    cmac(AES128_CMAC, "AES128_CMAC", 128, "nist-800-38b-aes128", "aes_cmac_test.json"),
    cmac(AES192_CMAC, "AES192_CMAC", 192, "nist-800-38b-aes192", "aes_cmac_test.json"),
    cmac(AES256_CMAC, "AES256_CMAC", 256, "nist-800-38b-aes256", "aes_cmac_test.json"),
    kdf(HKDF_SHA1, "HKDF_SHA1", PrimitiveKind::Hkdf, 160, 512, "KAT_HKDF", {}, "SHA-1", "hkdf_sha1_test.json"),
    kdf(HKDF_SHA256, "HKDF_SHA256", PrimitiveKind::Hkdf, 256, 512, "KAT_HKDF", {}, "SHA-256", "hkdf_sha256_test.json"),
    kdf(HKDF_SHA384, "HKDF_SHA384", PrimitiveKind::Hkdf, 384, 1024, {}, {}, {}, "hkdf_sha384_test.json"),
    kdf(HKDF_SHA512, "HKDF_SHA512", PrimitiveKind::Hkdf, 512, 1024, {}, {}, {}, "hkdf_sha512_test.json"),
    kdf(PBKDF2_SHA1, "PBKDF2_SHA1", PrimitiveKind::Pbkdf2, 160, 512, "KAT_PBKDF2", "rfc-6070-PBKDF2-SHA1", {},
        "pbkdf2_hmacsha1_test.json"),
    kdf(PBKDF2_SHA224, "PBKDF2_SHA224", PrimitiveKind::Pbkdf2, 224, 512, {}, {}, {}, "pbkdf2_hmacsha224_test.json"),
    kdf(PBKDF2_SHA256, "PBKDF2_SHA256", PrimitiveKind::Pbkdf2, 256, 512, "KAT_PBKDF2", "rfc-7914-PBKDF2-SHA256", {},
        "pbkdf2_hmacsha256_test.json"),
    kdf(PBKDF2_SHA384, "PBKDF2_SHA384", PrimitiveKind::Pbkdf2, 384, 1024, {}, {}, {}, "pbkdf2_hmacsha384_test.json"),
    kdf(PBKDF2_SHA512, "PBKDF2_SHA512", PrimitiveKind::Pbkdf2, 512, 1024, {}, {}, {}, "pbkdf2_hmacsha512_test.json"),
    mac(Poly1305, "Poly1305", 128, 128, 256, "KAT_POLY1305", "rfc7539", {}),
    mac(SipHash24, "SipHash24", 64, 64, 128, "KAT_SIPHASH", "siphash-2-4", "siphash_2_4_test.json"),
    mac(KMAC128, "KMAC128", 256, 1344, 256, "KAT_KMAC", "kmac128", "kmac128_no_customization_test.json"),
    mac(KMAC256, "KMAC256", 512, 1088, 256, "KAT_KMAC", "kmac256", "kmac256_no_customization_test.json"),
    tdes(),
    cmac(TDES_CMAC, "TDES_CMAC", 192, "nist-800-38b-3des", {}, 64),
    withMoreWycheproof(aead(AES128_SIV, "AES128_SIV", 256, 0, 16, AeadRecords, "KAT_AES_SIV", "aes_siv_cmac_test.json"),
                       "aead_aes_siv_cmac_test.json"),
    withMoreWycheproof(aead(AES192_SIV, "AES192_SIV", 384, 0, 16, AeadRecords, "KAT_AES_SIV", "aes_siv_cmac_test.json"),
                       "aead_aes_siv_cmac_test.json"),
    withMoreWycheproof(aead(AES256_SIV, "AES256_SIV", 512, 0, 16, AeadRecords, "KAT_AES_SIV", "aes_siv_cmac_test.json"),
                       "aead_aes_siv_cmac_test.json"),
    aead(AES128_GCM_SIV, "AES128_GCM_SIV", 128, 12, 16, AeadRecords, "KAT_AES_GCM_SIV", "aes_gcm_siv_test.json"),
    aead(AES256_GCM_SIV, "AES256_GCM_SIV", 256, 12, 16, AeadRecords, "KAT_AES_GCM_SIV", "aes_gcm_siv_test.json"),
    aead(AES128_EAX, "AES128_EAX", 128, 16, 16, AeadRecords, {}, "aes_eax_test.json"),
    aead(AES192_EAX, "AES192_EAX", 192, 16, 16, AeadRecords, {}, "aes_eax_test.json"),
    aead(AES256_EAX, "AES256_EAX", 256, 16, 16, AeadRecords, {}, "aes_eax_test.json"),
    withIterated(aead(AES128_OCB, "AES128_OCB", 128, 12, 16, AeadRecords, "KAT_AES_OCB3", {}), "KAT_AES_OCB3_ITERATED"),
    cipher(Camellia, "Camellia", 128, {128, 192, 256}, "KAT_CAMELLIA", "camellia_cbc_pkcs5_test.json"),
    cipher(ARIA, "ARIA", 128, {128, 192, 256}, "KAT_ARIA", "aria_cbc_pkcs5_test.json"),
    cipher(SM4, "SM4", 128, {128, 0, 0}, "KAT_SM4", {}),
    cipher(SEED, "SEED", 128, {128, 0, 0}, "KAT_SEED", {}),
    cipher(CAST5, "CAST5", 64, {128, 80, 40}, "KAT_CAST5", {}),
    cipher(Blowfish, "Blowfish", 64, {128, 64, 0}, "KAT_BLOWFISH", {}),
    cipher(IDEA, "IDEA", 64, {128, 0, 0}, "KAT_IDEA", {}),
    withIterated(aead(AES192_OCB, "AES192_OCB", 192, 12, 16, AeadRecords, {}, {}), "KAT_AES_OCB3_ITERATED"),
    withIterated(aead(AES256_OCB, "AES256_OCB", 256, 12, 16, AeadRecords, {}, {}), "KAT_AES_OCB3_ITERATED"),
    aead(Camellia128_CCM, "Camellia128_CCM", 128, 12, 16, AeadRecords, {}, "camellia_ccm_test.json"),
    aead(Camellia192_CCM, "Camellia192_CCM", 192, 12, 16, AeadRecords, {}, "camellia_ccm_test.json"),
    aead(Camellia256_CCM, "Camellia256_CCM", 256, 12, 16, AeadRecords, {}, "camellia_ccm_test.json"),
    aead(ARIA128_CCM, "ARIA128_CCM", 128, 12, 16, AeadRecords, {}, "aria_ccm_test.json"),
    aead(ARIA192_CCM, "ARIA192_CCM", 192, 12, 16, AeadRecords, {}, "aria_ccm_test.json"),
    aead(ARIA256_CCM, "ARIA256_CCM", 256, 12, 16, AeadRecords, {}, "aria_ccm_test.json"),
    aead(ARIA128_GCM, "ARIA128_GCM", 128, 12, 16, AeadRecords, {}, "aria_gcm_test.json"),
    aead(ARIA192_GCM, "ARIA192_GCM", 192, 12, 16, AeadRecords, {}, "aria_gcm_test.json"),
    aead(ARIA256_GCM, "ARIA256_GCM", 256, 12, 16, AeadRecords, {}, "aria_gcm_test.json"),
    aead(SM4_CCM, "SM4_CCM", 128, 12, 16, AeadRecords, {}, "sm4_ccm_test.json"),
    aead(SM4_GCM, "SM4_GCM", 128, 12, 16, AeadRecords, {}, "sm4_gcm_test.json"),
    aead(SEED_CCM, "SEED_CCM", 128, 12, 16, AeadRecords, {}, "seed_ccm_test.json"),
    aead(SEED_GCM, "SEED_GCM", 128, 12, 16, AeadRecords, {}, "seed_gcm_test.json"),
    wycheproofCmac(Camellia128_CMAC, "Camellia128_CMAC", 128, "camellia_cmac_test.json"),
    wycheproofCmac(Camellia192_CMAC, "Camellia192_CMAC", 192, "camellia_cmac_test.json"),
    wycheproofCmac(Camellia256_CMAC, "Camellia256_CMAC", 256, "camellia_cmac_test.json"),
    wycheproofCmac(ARIA128_CMAC, "ARIA128_CMAC", 128, "aria_cmac_test.json"),
    wycheproofCmac(ARIA192_CMAC, "ARIA192_CMAC", 192, "aria_cmac_test.json"),
    wycheproofCmac(ARIA256_CMAC, "ARIA256_CMAC", 256, "aria_cmac_test.json"),
});

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
    if (row.kind == PrimitiveKind::Xof) return "an XOF of rate " + std::to_string(row.blockBits) + " bits";
    if (row.kind == PrimitiveKind::KeyWrap) {
        return std::string("a key wrap of ") + keyLengthsText(row.keyBits) + " taking key data of " +
               (table_detail::keyWrapPadded(row) ? "1 byte or more" : "multiples of 8 bytes, 16 or more");
    }
    if (row.kind == PrimitiveKind::StreamCipher) {
        return "a stream cipher of " + keyLengthsText(row.keyBits) + ", " + std::to_string(row.blockBits) +
               "-bit blocks and " + std::to_string(row.nonceBytes) + "-byte nonces";
    }
    if (row.kind == PrimitiveKind::Aead) {
        return "an AEAD of " + keyLengthsText(row.keyBits) + " taking " + std::to_string(row.nonceBytes) +
               "-byte nonces and " + std::to_string(row.tagBytes) + "-byte tags";
    }
    if (row.kind == PrimitiveKind::Hkdf || row.kind == PrimitiveKind::Pbkdf2) {
        return std::string(row.kind == PrimitiveKind::Hkdf ? "an HKDF" : "a PBKDF2") + " of a " +
               std::to_string(row.outputBits) + "-bit hash (or a digest of " + std::to_string(row.outputBits) +
               "-bit output and " + std::to_string(row.blockBits) + "-bit blocks)";
    }
    if (row.kind == PrimitiveKind::Mac) {
        return "a MAC of " + keyLengthsText(row.keyBits) + " and " + std::to_string(row.tagBytes) +
               "-byte tags" +
               (row.name.ends_with("_CMAC")
                    ? " (or a block cipher of " + std::to_string(row.blockBits) + "-bit blocks for its CMAC)"
                    : std::string());
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
    case CheckKind::KnownAnswers: return !knownAnswerDirectory.empty() || !aeadVectors.iterated.empty();
    case CheckKind::MonteCarlo: return !monteFile.empty();
    case CheckKind::Hmac: return !hmacNist.empty() || !hmacRfc.empty() || !hmacWycheproof.empty();
    case CheckKind::Ctr: return !ctrDirectory.empty();
    case CheckKind::Gcm: return gcm;
    case CheckKind::Wycheproof: return !wycheproof.empty();
    // A digest's properties are those of its HMAC as a MAC.
    case CheckKind::Properties: return kind != PrimitiveKind::BlockCipher;
    // Conformance compares a construction with the generic one over the
    // library's building blocks: none exists for an AEAD, stream cipher or XOF row.
    case CheckKind::Conformance:
        return kind != PrimitiveKind::Aead && kind != PrimitiveKind::StreamCipher && kind != PrimitiveKind::Xof;
    case CheckKind::BufferSafety: return true;
    case CheckKind::LongMessages: return !longMessages.empty();
    case CheckKind::ConstantTime:
        return kind == PrimitiveKind::Digest || kind == PrimitiveKind::BlockCipher || kind == PrimitiveKind::Aead;
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

void requireStreamShape(std::string_view caller, Algorithm algorithm, int keyLength, int blockLength, bool takesNonce) {
    const AlgorithmRow& row = algorithmRow(algorithm);
    if (row.kind == PrimitiveKind::StreamCipher && row.keyBits[0] == keyLength && row.blockBits == blockLength &&
        takesNonce) {
        return;
    }
    std::string given = "a stream cipher of " + std::to_string(keyLength) + "-bit keys and " +
                        std::to_string(blockLength) + "-bit blocks";
    if (row.kind == PrimitiveKind::StreamCipher && !takesNonce) {
        given += " that does not take " + std::to_string(row.nonceBytes) + "-byte nonces";
    }
    refuse(caller, row, given);
}

void requireMacShape(std::string_view caller, Algorithm algorithm, bool isMac, int tagLength, bool takesKey,
                     bool takesTag) {
    const AlgorithmRow& row = algorithmRow(algorithm);
    if (row.kind == PrimitiveKind::Mac && isMac && tagLength == row.outputBits && takesKey && takesTag) return;
    if (!isMac) refuse(caller, row, "neither a MAC nor a block cipher a MAC of it is built over");
    std::string given = "a MAC of " + std::to_string(tagLength) + "-bit tags";
    if (row.kind == PrimitiveKind::Mac && !takesKey) {
        given += " that does not take " + keyLengthsText(row.keyBits);
    } else if (row.kind == PrimitiveKind::Mac && !takesTag) {
        given += " that does not take " + std::to_string(row.tagBytes) + "-byte tags";
    }
    refuse(caller, row, given);
}

void requireXofShape(std::string_view caller, Algorithm algorithm, int rateLength) {
    const AlgorithmRow& row = algorithmRow(algorithm);
    if (row.kind == PrimitiveKind::Xof && row.blockBits == rateLength) return;
    refuse(caller, row, "an XOF of rate " + std::to_string(rateLength) + " bits");
}

bool keyWrapPadded(const AlgorithmRow& row) { return row.knownAnswerPrefix.starts_with("KWP"); }
bool keyWrapInverse(const AlgorithmRow& row) { return row.knownAnswerPrefix.ends_with("_inv"); }

void requireKeyWrapShape(std::string_view caller, Algorithm algorithm, int keyLength,
                         const std::function<bool(std::size_t)>& acceptsLength) {
    const AlgorithmRow& row = algorithmRow(algorithm);
    const bool padded = row.kind == PrimitiveKind::KeyWrap && keyWrapPadded(row);
    const bool takes = padded ? acceptsLength(1) && acceptsLength(9) : acceptsLength(16) && acceptsLength(24);
    if (row.kind == PrimitiveKind::KeyWrap && row.keyBits[0] == keyLength && takes) return;
    std::string given = "a key wrap of " + std::to_string(keyLength) + "-bit keys";
    if (row.kind == PrimitiveKind::KeyWrap && !takes) {
        given += padded ? " that does not take key data of 1 and 9 bytes"
                        : " that does not take key data of 16 and 24 bytes";
    }
    refuse(caller, row, given);
}

void requireKdfShape(std::string_view caller, Algorithm algorithm, bool isKdf, int hashLength, int blockLength) {
    const AlgorithmRow& row = algorithmRow(algorithm);
    const bool kdfRow = row.kind == PrimitiveKind::Hkdf || row.kind == PrimitiveKind::Pbkdf2;
    if (kdfRow && isKdf && hashLength == row.outputBits && (blockLength == 0 || blockLength == row.blockBits)) return;
    if (!isKdf) refuse(caller, row, "neither of that kind nor a digest it is built over");
    refuse(caller, row,
           blockLength == 0 ? "a KDF of a " + std::to_string(hashLength) + "-bit hash"
                            : "a digest of " + std::to_string(hashLength) + "-bit output and " +
                                  std::to_string(blockLength) + "-bit blocks");
}

void requireCheck(std::string_view caller, Algorithm algorithm, CheckKind kind) {
    const AlgorithmRow& row = algorithmRow(algorithm);
    if (row.has(kind)) return;
    throw std::invalid_argument(std::string(caller) + ": " + std::string(row.name) + " has no " +
                                std::string(checkKindName(kind)) + " checks");
}

}  // namespace table_detail

}  // namespace zelkor::tests
