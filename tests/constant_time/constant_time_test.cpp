// The constant-time groups under valgrind's memcheck: the reference
// primitives and the library's generic constructions pass, leaky references
// and each timing mutant are reported with the call and its count. CTest runs
// this program under memcheck, and its OpenSSL AES test once more per other
// OpenSSL AES code path; outside memcheck every test is skipped.

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "ReferencePrimitives.hpp"
#include "support/NettleAes.hpp"
#include "support/TimingMutants.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/ConstantTime.hpp"
#include "zelkor/tests/AeadConstantTime.hpp"
#include "zelkor/tests/ConstantTime.hpp"

namespace {

using namespace zelkor;
namespace ref = zelkor::reference;
namespace mutants = zelkor::testsupport::mutants;
using Tree = std::vector<tests::Test>;

// The failing cases of the tree ("group/case"), with their messages; printed,
// so the log shows the counts.
std::map<std::string, std::string> findings(const Tree& tree) {
    std::map<std::string, std::string> out;
    for (const auto& report : testsupport::runAll(tree, true)) {
        std::cout << report.path << ": " << testsupport::kindName(report.outcome.kind) << "\n"
                  << report.outcome.message << "\n";
        out[report.path] = report.outcome.message;
    }
    return out;
}

template <class K>
Tree cipherAndGcm() {
    Tree tree = tests::makeBlockCipherConstantTimeTests<K>();
    for (tests::Test& group : tests::makeGCMConstantTimeTests<K>()) tree.push_back(std::move(group));
    return tree;
}

// Every case of the tree passes.
void expectClean(const Tree& tree) { EXPECT_EQ(findings(tree), (std::map<std::string, std::string>{})); }

// The case `leaf` fails with a message matching `pattern`.
void expectReported(const std::map<std::string, std::string>& found, const std::string& leaf,
                    const std::string& pattern) {
    const auto it = found.find(leaf);
    ASSERT_NE(it, found.end()) << leaf << " was not reported";
    EXPECT_TRUE(std::regex_search(it->second, std::regex(pattern))) << it->second << "\n does not match " << pattern;
}

const std::string kPerCall = " secret-dependent branch(es)? or memory index(es)? in one call \\(memcheck printed";

class ConstantTime : public ::testing::Test {
protected:
    void SetUp() override {
        if (!constantTimeCheckerActive()) GTEST_SKIP() << "runs under valgrind's memcheck (ctest runs it there)";
    }
};

// OpenSSL picks its AES code from the processor's capabilities, which
// OPENSSL_ia32cap masks; CTest runs this test once per code path and names it
// in zelkor_ct_openssl_aes. With AES-NI (the default) every call passes.
TEST_F(ConstantTime, OpenSSLAesDependsOnItsCodePath) {
    const Tree tree = cipherAndGcm<ref::AES128>();
    const char* path = std::getenv("zelkor_ct_openssl_aes");
    if (path == nullptr) return expectClean(tree);
    const auto found = findings(tree);
    const std::string blocks = "Block Cipher constant time/encryptBlock and decryptBlock";
    if (std::string(path) == "vector-permute") {
        // AES-NI masked (OPENSSL_ia32cap="~0x200000000000000"): the block
        // functions, ECB, CBC encryption, CFB and OFB take the vector-permute
        // AES and pass; CBC decryption, CTR and GCM take the bit-sliced AES,
        // which leaves inputs under 8 blocks to the table-based AES: reported.
        EXPECT_EQ(found.count(blocks) + found.count("Block Cipher constant time/ECB") +
                      found.count("Block Cipher constant time/CFB") + found.count("Block Cipher constant time/OFB"),
                  0u);
        expectReported(found, "Block Cipher constant time/CBC", "^unCbc \\(contiguous\\): [1-9][0-9]*" + kPerCall);
        expectReported(found, "Block Cipher constant time/CTR", "ctr \\(contiguous\\): [1-9][0-9]*" + kPerCall);
        expectReported(found, "GCM constant time/gcmEncrypt", "gcmEncrypt \\(12-byte IV\\): [1-9][0-9]*" + kPerCall);
        return;
    }
    // Every capability off (OPENSSL_ia32cap=""): table-based AES everywhere.
    ASSERT_EQ(std::string(path), "table");
    expectReported(found, blocks, "encryptBlock: [1-9][0-9]*" + kPerCall);
    expectReported(found, "Block Cipher constant time/ECB", "ecb \\(contiguous\\): [1-9][0-9]*" + kPerCall);
    expectReported(found, "Block Cipher constant time/CTR", "ctr \\(contiguous\\): [1-9][0-9]*" + kPerCall);
    expectReported(found, "GCM constant time/gcmEncrypt", "gcmEncrypt \\(12-byte IV\\): [1-9][0-9]*" + kPerCall);
}

TEST_F(ConstantTime, OpenSSLDigestsAndHmacPass) {
    expectClean(tests::makeHashConstantTimeTests<ref::SHA1>());
    expectClean(tests::makeHashConstantTimeTests<ref::SHA256>());
    expectClean(tests::makeHashConstantTimeTests<ref::SHA512>());
    expectClean(tests::makeHashConstantTimeTests<ref::SHA3_256>());
}

// The library's own modes, GCM (its tag comparison included) and HMAC over
// constant-time primitives.
TEST_F(ConstantTime, GenericConstructionsPass) {
    expectClean(cipherAndGcm<mutants::GenericConstructionsAes>());
    expectClean(tests::makeHashConstantTimeTests<mutants::GenericHmacDigest<ref::SHA256>>());
}

// nettle's AES key setup looks key bytes up in the S-box; its encryption takes
// AES-NI.
TEST_F(ConstantTime, NettleAesKeySetupIsReported) {
    const auto found = findings(tests::makeBlockCipherConstantTimeTests<testsupport::NettleAES128>());
    expectReported(found, "Block Cipher constant time/buildKey", "buildKey: [1-9][0-9]*" + kPerCall);
    EXPECT_EQ(found.size(), 1u);
}

// The reference Twofish (nettle's) has key-dependent S-boxes: a finding of
// the reference itself, listed in the README.
TEST_F(ConstantTime, NettleTwofishIsReported) {
    const auto found = findings(tests::makeBlockCipherConstantTimeTests<ref::Twofish>());
    expectReported(found, "Block Cipher constant time/buildKey", "buildKey: [1-9][0-9]*" + kPerCall);
    expectReported(found, "Block Cipher constant time/encryptBlock and decryptBlock",
                   "encryptBlock: [1-9][0-9]*" + kPerCall);
}

TEST_F(ConstantTime, TableIndexedByKeyAndDataIsReported) {
    const auto found = findings(tests::makeBlockCipherConstantTimeTests<mutants::TableLookupAes>());
    expectReported(found, "Block Cipher constant time/encryptBlock and decryptBlock", "encryptBlock: 16" + kPerCall);
    expectReported(found, "Block Cipher constant time/encryptBlock and decryptBlock",
                   "decryptBlock \\(3 blocks\\): 48" + kPerCall);
    expectReported(found, "Block Cipher constant time/CBC", "cbc \\(contiguous\\): 32" + kPerCall);
    EXPECT_EQ(found.count("Block Cipher constant time/buildKey"), 0u);
}

TEST_F(ConstantTime, KeyScheduleBranchingOnKeyBitsIsReported) {
    const auto found = findings(tests::makeBlockCipherConstantTimeTests<mutants::KeyScheduleBranchesOnKeyBits>());
    expectReported(found, "Block Cipher constant time/buildKey", "^buildKey: 16" + kPerCall);
    EXPECT_EQ(found.size(), 1u);
}

TEST_F(ConstantTime, HmacKeyPreparationBranchingOnKeyBytesIsReported) {
    const auto found = findings(tests::makeHashConstantTimeTests<mutants::HmacKeyScanStopsAtNonZero<ref::SHA256>>());
    expectReported(found, "Digest constant time/hmac", "hmac \\(32-byte key, contiguous\\): [1-9][0-9]*" + kPerCall);
    EXPECT_EQ(found.size(), 1u);
}

TEST_F(ConstantTime, FinalBlockBranchingOnMessageBytesIsReported) {
    const auto found = findings(tests::makeHashConstantTimeTests<mutants::FinalBlockBranchesOnBytes<ref::SHA256>>());
    expectReported(found, "Digest constant time/hash", "hash \\(contiguous\\): 3" + kPerCall);
    expectReported(found, "Digest constant time/hash", "hash \\(chunked, 3 chunks\\): 3" + kPerCall);
}

TEST_F(ConstantTime, EarlyExitTagComparisonIsReported) {
    const auto found = findings(tests::makeGCMConstantTimeTests<mutants::EarlyExitTagComparison>());
    expectReported(found, "GCM constant time/gcmDecrypt (count independent of the forged tag byte)",
                   "gcmDecrypt: 1 secret-dependent branch or memory index with a tag forged at its first byte, 16 "
                   "with one forged at its last \\(16 with the valid tag\\)");
    EXPECT_EQ(found.size(), 1u);
}

// The AEAD group: OpenSSL's and libsodium's ChaCha20-Poly1305 pass; an open
// that compares the tag byte by byte, stopping at the first difference, is
// reported by the count's dependence on where the forged tag differs.
TEST_F(ConstantTime, AeadsPassAndAnEarlyExitOpenIsReported) {
    expectClean(tests::makeAeadConstantTimeTests<ref::OpenSSLChaCha20Poly1305>());
    expectClean(tests::makeAeadConstantTimeTests<ref::SodiumChaCha20Poly1305>());
    const auto found = findings(tests::makeAeadConstantTimeTests<GcmAead<mutants::EarlyExitTagComparison>>());
    expectReported(found, "AEAD constant time/open (count independent of the forged tag byte)",
                   "open: 1 secret-dependent branch or memory index with a tag forged at its first byte, 16 "
                   "with one forged at its last");
    EXPECT_EQ(found.size(), 1u);
}

}  // namespace
