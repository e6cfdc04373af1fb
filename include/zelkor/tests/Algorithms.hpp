#pragma once
// The algorithms this library has vectors for, as one table: for each, its
// name, kind of primitive, shape, and where its vectors are. The kinds of
// check that apply follow from the row: a row that names a Monte Carlo file
// gets "Monte Carlo", one that names HMAC sources gets "HMAC", and so on.
// makeAllTests and the builders of Checks.hpp read nothing else, so adding an
// algorithm whose vectors come in a format the library reads is one row.

#include <array>
#include <cstddef>
#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zelkor::tests {

enum class Algorithm {
    MD5, SHA1, SHA224, SHA256, SHA384, SHA512, SHA512_224, SHA512_256,
    SHA3_224, SHA3_256, SHA3_384, SHA3_512,
    AES128, AES192, AES256, Twofish,
    ChaCha20Poly1305, XChaCha20Poly1305,
    AES128_GCM, AES192_GCM, AES256_GCM,
    AES128_CCM, AES192_CCM, AES256_CCM,
    ChaCha20, XChaCha20,
    AES128_KW, AES192_KW, AES256_KW, AES128_KWP, AES192_KWP, AES256_KWP,
    AES128_KW_INV, AES192_KW_INV, AES256_KW_INV, AES128_KWP_INV, AES192_KWP_INV, AES256_KWP_INV,
    SHAKE128, SHAKE256,
    AES128_CMAC, AES192_CMAC, AES256_CMAC,
    HKDF_SHA1, HKDF_SHA256, HKDF_SHA384, HKDF_SHA512,
    PBKDF2_SHA1, PBKDF2_SHA224, PBKDF2_SHA256, PBKDF2_SHA384, PBKDF2_SHA512,
    Poly1305, SipHash24,
    KMAC128, KMAC256,
    TDES,  // three keys (192 bits) or two (128)
    TDES_CMAC,
    AES128_SIV, AES192_SIV, AES256_SIV,  // two AES keys: 256, 384 or 512 bits
    AES128_GCM_SIV, AES256_GCM_SIV,
    AES128_EAX, AES192_EAX, AES256_EAX,
    AES128_OCB,
    Camellia, ARIA, SM4, SEED, CAST5, Blowfish, IDEA,
    AES192_OCB, AES256_OCB,
    // CCM, GCM and CMAC over the block ciphers above, one row per key size
    Camellia128_CCM, Camellia192_CCM, Camellia256_CCM, ARIA128_CCM, ARIA192_CCM, ARIA256_CCM,
    ARIA128_GCM, ARIA192_GCM, ARIA256_GCM, SM4_CCM, SM4_GCM, SEED_CCM, SEED_GCM,
    Camellia128_CMAC, Camellia192_CMAC, Camellia256_CMAC, ARIA128_CMAC, ARIA192_CMAC, ARIA256_CMAC,
};

// The algorithm's name as written above, e.g. "SHA512_256".
std::string_view algorithmName(Algorithm algorithm);
std::ostream& operator<<(std::ostream& os, Algorithm algorithm);

// The contract a type must satisfy to be tested as the algorithm.
enum class PrimitiveKind { Digest, BlockCipher, Aead, StreamCipher, KeyWrap, Xof, Mac, Hkdf, Pbkdf2 };

// The kinds of check, in the order makeAllTests gives their groups.
enum class CheckKind {
    KnownAnswers, MonteCarlo, Hmac, Ctr, Gcm, Wycheproof, Properties, Conformance, BufferSafety, LongMessages,
    ConstantTime,
    ModeVectors,  // known answers of CFB8, CFB1, XTS and CBC with PKCS#7 padding
};

// The group name of a kind of check, e.g. "Known answers".
std::string_view checkKindName(CheckKind kind);

// How the known answers of an algorithm are read.
enum class KnownAnswerFormat {
    NistDigest,     // NIST .rsp digest files: Len, Msg, MD; then the digest property group
    Md5,            // RFC 1321's test suite, then the lengths of Test/KAT_MD5
    NistAes,        // NIST AES .rsp files of every mode, filtered by key size
    TwofishTables,  // the Twofish authors' tables
    AeadRecords,    // Key, IV, AAD, Plaintext, Ciphertext, Tag; a Result marks a record to refuse
    NistGcm,        // NIST GCM .rsp files by category, filtered by key size
    NistCcm,        // NIST CCM .rsp files (and generated ones alike) by category, filtered by key size
    StreamRecords,  // KEY, NONCE, INITIAL_BLOCK_COUNTER, PLAINTEXT, CIPHERTEXT
    NistKeyWrap,    // NIST <prefix>_AE_<bits>.txt and <prefix>_AD_<bits>.txt (prefix KW, KWP, KW_inv, KWP_inv)
    NistXof,        // NIST <prefix>ShortMsg.rsp, LongMsg.rsp, VariableOut.rsp; the Monte file beside them
    MacRecords,     // COUNT, KEY, MESSAGE (or MSG), OUTPUT (or TAG) records of the files starting with the prefix
    HkdfRecords,    // COUNT, Hash, IKM, salt, info, L, OKM records of the row's hash
    Pbkdf2Records,  // COUNT, PASSWORD, SALT, ITERATIONS, LENGTH, DERIVED_KEY of the files starting with the prefix
};

// How a Monte Carlo checkpoint's next message is made from the last digests.
enum class MonteChainRule {
    None,
    LastThreeDigests,  // SHA-1 and SHA-2
    LastDigest,        // SHA-3
};

struct AlgorithmRow {
    Algorithm algorithm;
    std::string_view name;
    PrimitiveKind kind;

    // Shape, in bits: a digest's output and block (the rate for SHA-3); a
    // cipher's block and the key lengths it may have (0 ends the list); an
    // AEAD's key, and the nonce and tag lengths the algorithm defines (bytes).
    int outputBits;
    int blockBits;
    std::array<int, 3> keyBits;
    std::size_t nonceBytes = 0;
    std::size_t tagBytes = 0;

    // Vector sources; an empty name means the algorithm has none of that kind.
    KnownAnswerFormat knownAnswers;
    std::string_view knownAnswerDirectory;  // under Test/, for the NIST formats
    std::string_view knownAnswerPrefix;     // file-name prefix that selects the algorithm's files
    std::string_view monteFile;             // under Test/KAT_SHA_MONTE
    MonteChainRule monteChain;
    std::string_view hmacNist;              // algorithm of the [L=..] sections of Test/KAT_HMAC
    std::string_view hmacRfc;               // algorithm of Test/KAT_HMAC_RFC
    std::string_view hmacWycheproof;        // file under Wycheproof/
    std::string_view ctrDirectory;          // under Test/, CTR records of the cipher's key size
    bool gcm;                               // NIST's Test/KAT_AES_GCM and Wycheproof's aes_gcm_test.json
    std::string_view longMessages;          // algorithm of Test/KAT_LONG
    std::string_view wycheproof;            // file under Wycheproof/ (AEADs, MACs, KDFs)

    // KDFs: the value of the Hash field that selects the row's records from
    // files shared by several hashes ("SHA-256").
    struct KdfSources {
        std::string_view recordHash;
    } kdf = {};

    // Known answers of the modes of zelkor/ExtraModes.hpp; empty: none.
    struct ModeVectorSources {
        std::string_view cfbBits;             // under Test/: NIST CFB8 and CFB1 files, by key size
        std::string_view xts;                 // under Test/: NIST XTS files, both tweak forms
        std::string_view xtsWycheproof;       // file under Wycheproof/
        std::string_view cbcPkcs7Wycheproof;  // file under Wycheproof/
        std::string_view tdes;                // under Test/: NIST TDES files of every mode
        // Under Test/: a cipher's own files, by key size: KEY, IV, PLAINTEXT,
        // CIPHERTEXT records of the mode the file names (ECB, CBC, CFB, OFB,
        // CTR), or tables of "K No.", "P No.", "C No." lines (ECB).
        std::string_view cipherFiles;
        bool any() const {
            return !cfbBits.empty() || !xts.empty() || !xtsWycheproof.empty() || !cbcPkcs7Wycheproof.empty() ||
                   !tdes.empty() || !cipherFiles.empty();
        }
    };
    ModeVectorSources modeVectors{};

    // An AEAD's Wycheproof file beside `wycheproof`, read the same way: a
    // GCM's GMAC tests (GCM over an empty plaintext), SIV's nonce-based tests.
    struct AeadSources {
        std::string_view moreWycheproof;  // file under Wycheproof/
        // Under Test/: the outputs of the iterated check over every key and
        // tag length (OCB), read with the known answers.
        std::string_view iterated;
    } aeadVectors{};

    // The kinds of check that apply, in makeAllTests' order.
    std::vector<CheckKind> checks() const;
    bool has(CheckKind kind) const;
};

// Every row, in the order of the Algorithm values.
std::span<const AlgorithmRow> algorithmTable();

// The row of `algorithm`; std::invalid_argument for a value outside the enum.
const AlgorithmRow& algorithmRow(Algorithm algorithm);

namespace table_detail {

// Throw std::invalid_argument, naming `caller`, the algorithm's shape and
// the type's, when a digest or cipher type of these figures cannot be tested
// as `algorithm`.
void requireDigestShape(std::string_view caller, Algorithm algorithm, int outputLength, int blockLength);
void requireCipherShape(std::string_view caller, Algorithm algorithm, int blockSize, int keyLength);
// For an AEAD type: its key length, and whether it takes the algorithm's
// nonce and tag lengths.
void requireAeadShape(std::string_view caller, Algorithm algorithm, int keyLength, bool takesNonce, bool takesTag);
// For a stream cipher type: its key and block length, and whether it takes
// the algorithm's nonce length.
void requireStreamShape(std::string_view caller, Algorithm algorithm, int keyLength, int blockLength, bool takesNonce);
// For a key wrap type: its key length and the key-data lengths it declares.
void requireKeyWrapShape(std::string_view caller, Algorithm algorithm, int keyLength,
                         const std::function<bool(std::size_t)>& acceptsLength);
// For an XOF type: its rate in bits.
void requireXofShape(std::string_view caller, Algorithm algorithm, int rateLength);
// A key wrap row's construction: KWP rather than KW, wrapping with the inverse cipher.
bool keyWrapPadded(const AlgorithmRow& row);
bool keyWrapInverse(const AlgorithmRow& row);
// For a MAC type (or one a MAC is built over): its full tag length, and
// whether it takes the algorithm's key and tag lengths; isMac false for a
// type that is neither.
void requireMacShape(std::string_view caller, Algorithm algorithm, bool isMac, int tagLength, bool takesKey,
                     bool takesTag);
// For an HKDF or PBKDF2 type (blockLength 0) or a digest they are built over:
// its hash length, and whether it is of the row's kind at all.
void requireKdfShape(std::string_view caller, Algorithm algorithm, bool isKdf, int hashLength, int blockLength);

// Throw std::invalid_argument when `kind` does not apply to `algorithm`.
void requireCheck(std::string_view caller, Algorithm algorithm, CheckKind kind);

}  // namespace table_detail

}  // namespace zelkor::tests
