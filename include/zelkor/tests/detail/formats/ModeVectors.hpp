#pragma once
// Reading the known answers of CFB8, CFB1, XTS and CBC with PKCS#7 padding:
// NIST CFB8/CFB1 and XTS response files and Wycheproof's XTS and CBC-PKCS#5
// files, kept for one key size. Each record becomes a ModeVector that owns
// its decoded bytes, so the cases built from them are one small type.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/ByteString.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/formats/VectorUsage.hpp"

namespace zelkor::tests::mode_detail {

enum class ModeKind { Cfb8, Cfb1, Xts, CbcPkcs7, Ecb, Cbc, Cfb, Ofb, Ctr };

struct ModeVector {
    std::string name;  // "<file name>-<COUNT>", "<file name>-<tweak form>-<COUNT>", "<file name>-<tcId>"
    // The case it is checked in: the records of one category of a NIST file
    // share one ("<file name>-ENCRYPT"); empty: a case of its own.
    std::string group;
    ModeKind kind = ModeKind::Cfb8;
    bool encrypt = true;    // the record's direction; Wycheproof's go both ways
    bool mustFail = false;  // a ciphertext decryption must refuse
    ByteString key;         // XTS: the data key, then the tweak key
    ByteString iv;          // the IV, or XTS's 16-byte tweak
    ByteString input;
    ByteString output;
    std::size_t bits = 0;  // CFB1: the bit count of input and output
    CaseOrigin origin;
};

struct LoadedModeVectors {
    std::vector<ModeVector> vectors;
    std::shared_ptr<detail::VectorUsage> usage;
};

// NIST CFB8 and CFB1 files of Test/<directory> whose names end in
// "<keyBits>.rsp"; CFB1's PLAINTEXT and CIPHERTEXT are strings of bits.
LoadedModeVectors loadCfbBitFiles(std::string_view directory, int keyBits);

// NIST XTS files of Test/<directory>/tweak-128hexstr and
// Test/<directory>/tweak-dataunitseqno named "...AES<keyBits>.rsp"; the
// data unit number becomes the 16-byte little-endian tweak. Units that are
// not whole bytes are skipped.
LoadedModeVectors loadNistXts(std::string_view directory, int keyBits);

// NIST TDES files of Test/<directory> (ECB, CBC, CFB1, CFB8, CFB64, OFB; the
// known-answer and multi-block files), for keys of keyBits: 192 takes
// KEY1 || KEY2 || KEY3, 128 takes KEY1 || KEY2 of the records whose KEY3 is
// KEY1 (the others are skipped); a record's single KEYs is every key.
LoadedModeVectors loadNistTdes(std::string_view directory, int keyBits);

// A cipher's own files of Test/<directory>, records of keyBits keys: KEY,
// IV, PLAINTEXT, CIPHERTEXT records of the mode named in the file name or,
// failing that, in its opening comments (CFB is CFB of whole blocks; a file
// naming none whose records have no IV is ECB; a file without [ENCRYPT] or
// [DECRYPT] holds encryptions), and tables of "K No.", "P No.", "C No."
// lines, each pair checked both ways under ECB.
LoadedModeVectors loadCipherFiles(std::string_view directory, int keyBits);

// Wycheproof XTS tests of two keyBits keys; shorter IVs are the tweak's first
// bytes, the rest zero.
LoadedModeVectors loadWycheproofXts(std::string_view fileName, int keyBits);

// Wycheproof CBC-PKCS#5 tests of keyBits keys; invalid ones must be refused.
LoadedModeVectors loadWycheproofCbcPkcs7(std::string_view fileName, int keyBits);

}  // namespace zelkor::tests::mode_detail
