// The block-cipher property groups: their shape, the key and plaintext
// preparation, and which properties fail for which broken cipher.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "NettleTwofish.hpp"
#include "OpenSSLAES.hpp"
#include "support/CipherMutants.hpp"
#include "support/IndependentCiphers.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/Crypto.hpp"

namespace {

using zelkor::ByteString;
using zelkor::ChunkedByteString;
using zelkor::testsupport::Outcome;
using Kind = Outcome::Kind;
namespace mutants = zelkor::testsupport::mutants;
namespace detail = zelkor::tests::detail;

const std::string kIdent = "Block Cipher tests (ident)";
const std::string kLazy = "Block Cipher tests (lazy/string bytestring equality)";
const std::vector<std::string> kIdentProps = {"ECBEncDecID", "CBCEncDecID", "CFBEncDecID", "OFBEncDecID",
                                              "CTREncDecID"};
const std::vector<std::string> kLazyProps = {"ECBStringLazyEq", "CBCStrictLazyEq", "CFBStrictLazyEq",
                                             "OFBStrictLazyEq", "CTRStrictLazyEq"};

// A cipher that hands out its key bytes; blocks pass through unchanged.
template <int KeyBits, int BlockBits = 128>
struct KeyRecorder {
    static constexpr int blockSize = BlockBits;
    static constexpr int keyLength = KeyBits;
    ByteString keyBytes;
    static std::optional<KeyRecorder> buildKey(const ByteString& bytes) { return KeyRecorder{bytes}; }
    ByteString encryptBlock(const ByteString& blocks) const { return blocks; }
    ByteString decryptBlock(const ByteString& blocks) const { return blocks; }
};

// Refuses every key: every case is discarded.
struct RefusesAllKeys {
    static constexpr int blockSize = 128;
    static constexpr int keyLength = 128;
    static std::optional<RefusesAllKeys> buildKey(const ByteString&) { return std::nullopt; }
    ByteString encryptBlock(const ByteString& blocks) const { return blocks; }
    ByteString decryptBlock(const ByteString& blocks) const { return blocks; }
};

// Throws from every operation: building the groups must not call any.
struct ThrowsOnUse {
    static constexpr int blockSize = 128;
    static constexpr int keyLength = 128;
    static std::optional<ThrowsOnUse> buildKey(const ByteString&) {
        throw std::logic_error("buildKey called");
    }
    ByteString encryptBlock(const ByteString&) const { throw std::logic_error("encryptBlock called"); }
    ByteString decryptBlock(const ByteString&) const { throw std::logic_error("decryptBlock called"); }
};

ByteString bytesFrom(std::initializer_list<int> values) {
    std::vector<std::uint8_t> out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return ByteString(std::move(out));
}

ByteString counting(std::size_t n, int start = 0) {
    std::vector<std::uint8_t> out(n);
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(start + static_cast<int>(i));
    return ByteString(std::move(out));
}

std::vector<std::size_t> chunkSizes(const ChunkedByteString& bytes) {
    std::vector<std::size_t> out;
    for (const auto& chunk : bytes.chunks()) out.push_back(chunk.size());
    return out;
}

// The outcome of every property whose "group/property" path holds `only`.
template <class K>
std::map<std::string, Outcome> runProperties(const std::string& only = "") {
    std::map<std::string, Outcome> out;
    const auto tree = zelkor::tests::makeBlockCipherPropTests<K>();
    for (const auto& leaf : zelkor::testsupport::leaves(tree)) {
        if (leaf.path.find(only) == std::string::npos) continue;
        out.emplace(leaf.path, zelkor::testsupport::run(*leaf.test));
    }
    return out;
}

// The properties that did not pass, with a summary of each for the failure message.
std::set<std::string> notPassed(const std::map<std::string, Outcome>& outcomes, std::string& summary) {
    std::set<std::string> out;
    for (const auto& [path, outcome] : outcomes) {
        if (outcome.kind == Kind::Passed) continue;
        out.insert(path);
        summary += path + ": " + zelkor::testsupport::kindName(outcome.kind) + "\n" +
                   outcome.message.substr(0, 600) + "\n";
    }
    return out;
}

template <class K>
void expectOnlyFailures(const std::set<std::string>& expected, const std::string& only = "") {
    const auto outcomes = runProperties<K>(only);
    ASSERT_EQ(outcomes.size(), only.empty() ? 10u : 1u);
    std::string summary;
    EXPECT_EQ(notPassed(outcomes, summary), expected) << summary;
    for (const auto& path : expected) {
        EXPECT_EQ(outcomes.at(path).kind, Kind::PropertyFailed) << path;
    }
}

std::set<std::string> paths(const std::string& group, const std::vector<std::string>& props) {
    std::set<std::string> out;
    for (const auto& p : props) out.insert(group + "/" + p);
    return out;
}

TEST(BlockCipherProps, TwoGroupsOfFivePropertiesInOrder) {
    const auto tree = zelkor::tests::makeBlockCipherPropTests<ThrowsOnUse>();
    ASSERT_EQ(zelkor::testsupport::names(tree), (std::vector<std::string>{kIdent, kLazy}));
    std::vector<std::string> expected;
    for (const auto& p : kIdentProps) expected.push_back(kIdent + "/" + p);
    for (const auto& p : kLazyProps) expected.push_back(kLazy + "/" + p);
    std::vector<std::string> actual;
    for (const auto& leaf : zelkor::testsupport::leaves(tree)) {
        EXPECT_TRUE(std::holds_alternative<zelkor::tests::TestProperty>(leaf.test->node)) << leaf.path;
        actual.push_back(leaf.path);
    }
    EXPECT_EQ(actual, expected);
}

TEST(BlockCipherProps, KeyBytesRepeatMaterialAndAZeroByte) {
    EXPECT_EQ(detail::keyBytesFromMaterial(bytesFrom({1, 2}), 5), bytesFrom({1, 2, 0, 1, 2}));
    EXPECT_EQ(detail::keyBytesFromMaterial(ByteString(), 4), bytesFrom({0, 0, 0, 0}));
    EXPECT_EQ(detail::keyBytesFromMaterial(counting(20), 16), counting(16));
    EXPECT_EQ(detail::keyBytesFromMaterial(counting(16), 16), counting(16));
    EXPECT_EQ(detail::keyBytesFromMaterial(bytesFrom({7}), 0), ByteString());
    EXPECT_EQ(detail::keyBytesFromMaterial(bytesFrom({7}), -3), ByteString());
}

TEST(BlockCipherProps, BuildKeyFromBytesUsesKeyLengthInWholeBytes) {
    EXPECT_EQ(detail::buildKeyFromBytes<KeyRecorder<40>>(bytesFrom({1, 2}))->keyBytes,
              bytesFrom({1, 2, 0, 1, 2}));
    EXPECT_EQ(detail::buildKeyFromBytes<KeyRecorder<47>>(bytesFrom({9}))->keyBytes,
              bytesFrom({9, 0, 9, 0, 9}));
    // Below one byte of key: empty key bytes, whatever the material.
    EXPECT_EQ(detail::buildKeyFromBytes<KeyRecorder<7>>(counting(30))->keyBytes, ByteString());
}

TEST(BlockCipherProps, TakeWholeBlocksKeepsChunkBoundariesUpToTheCut) {
    const auto plain =
        ChunkedByteString::fromChunks({counting(5), counting(7, 5), counting(9, 12)});  // 21 bytes
    const auto kept = detail::takeWholeBlocks(plain, 8);
    EXPECT_EQ(chunkSizes(kept), (std::vector<std::size_t>{5, 7, 4}));
    EXPECT_EQ(kept.toStrict(), counting(16));

    EXPECT_EQ(chunkSizes(detail::takeWholeBlocks(plain, 4)), (std::vector<std::size_t>{5, 7, 8}));
    EXPECT_EQ(chunkSizes(detail::takeWholeBlocks(plain, 21)), (std::vector<std::size_t>{5, 7, 9}));
    EXPECT_EQ(chunkSizes(detail::takeWholeBlocks(plain, 22)), std::vector<std::size_t>{});
    EXPECT_EQ(chunkSizes(detail::takeWholeBlocks(ChunkedByteString(), 16)), std::vector<std::size_t>{});
}

TEST(BlockCipherProps, TakeWholeBlocksOfOneBlockAndOneByteMore) {
    const auto oneBlock = ChunkedByteString::fromChunks({counting(3), counting(10, 3), counting(3, 13)});
    EXPECT_EQ(chunkSizes(detail::takeWholeBlocks(oneBlock, 16)), (std::vector<std::size_t>{3, 10, 3}));
    const auto oneMore = ChunkedByteString::fromChunks({counting(3), counting(10, 3), counting(4, 13)});
    EXPECT_EQ(chunkSizes(detail::takeWholeBlocks(oneMore, 16)), (std::vector<std::size_t>{3, 10, 3}));
    EXPECT_EQ(detail::takeWholeBlocks(oneMore, 16).toStrict(), counting(16));
}

TEST(BlockCipherProps, TakeWholeBlocksRefusesBlocksOfZeroBytes) {
    const auto plain = ChunkedByteString::fromChunks({counting(5)});
    try {
        detail::takeWholeBlocks(plain, 0);
        FAIL() << "no exception";
    } catch (const std::invalid_argument& error) {
        EXPECT_NE(std::string(error.what()).find("block size is 0"), std::string::npos) << error.what();
    }
}

// The correct ciphers: OpenSSL's modes, nettle's Twofish with the generic
// modes, and OpenSSL's block function with the generic modes.
TEST(BlockCipherProps, PassForReferenceAES128) { expectOnlyFailures<zelkor::reference::AES128>({}); }
TEST(BlockCipherProps, PassForReferenceAES192) { expectOnlyFailures<zelkor::reference::AES192>({}); }
TEST(BlockCipherProps, PassForReferenceAES256) { expectOnlyFailures<zelkor::reference::AES256>({}); }
TEST(BlockCipherProps, PassForReferenceTwofish) { expectOnlyFailures<zelkor::reference::Twofish>({}); }
TEST(BlockCipherProps, PassForGenericModesAES128) {
    expectOnlyFailures<zelkor::testsupport::GenericAES128>({});
}

TEST(BlockCipherProps, WrongNextIVOfCbcDecryptionFailsOnlyCbcIdentity) {
    expectOnlyFailures<mutants::CbcWrongNextIV>({kIdent + "/CBCEncDecID"});
}

TEST(BlockCipherProps, WrongDecryptionFailsTheWholeIdentityGroup) {
    expectOnlyFailures<mutants::WrongDecryption>(paths(kIdent, kIdentProps));
}

TEST(BlockCipherProps, ChunkedOfbRestartingAtChunksFailsOnlyOfbEquality) {
    expectOnlyFailures<mutants::OfbLazyRestarts>({kLazy + "/OFBStrictLazyEq"});
}

TEST(BlockCipherProps, ChunkedCtrRestartingTheCounterFailsOnlyCtrEquality) {
    expectOnlyFailures<mutants::CtrLazyRestarts>({kLazy + "/CTRStrictLazyEq"});
}

// Decryption undoes CFB-8 too: only known-answer vectors tell it from CFB-128.
TEST(BlockCipherProps, Cfb8PassesCfbIdentity) { expectOnlyFailures<mutants::Cfb8Feedback>({}, "/CFBEncDecID"); }

// Whether the text holds ("<hex>", "<hex>", "<hex>"): a counterexample of
// three byte strings in their report rendering.
bool hasThreeHexArguments(const std::string& text) {
    const auto literal = [&](std::size_t& pos, std::string_view expected) {
        if (text.compare(pos, expected.size(), expected) != 0) return false;
        pos += expected.size();
        return true;
    };
    // A long value is cut: "<hex>"... [bytes 0..127 of 584]
    const auto hexString = [&](std::size_t& pos) {
        if (!literal(pos, "\"")) return false;
        pos = text.find_first_not_of("0123456789abcdef", pos);
        if (pos == std::string::npos || !literal(pos, "\"")) return false;
        if (literal(pos, "... [bytes ")) pos = text.find(']', pos) + 1;
        return pos != 0;
    };
    for (std::size_t open = text.find('('); open != std::string::npos; open = text.find('(', open + 1)) {
        std::size_t pos = open + 1;
        if (hexString(pos) && literal(pos, ", ") && hexString(pos) && literal(pos, ", ") && hexString(pos) &&
            literal(pos, ")")) {
            return true;
        }
    }
    return false;
}

TEST(BlockCipherProps, FailureShowsTheArgumentsInHex) {
    const auto outcomes = runProperties<mutants::CbcWrongNextIV>("/CBCEncDecID");
    const Outcome& failed = outcomes.at(kIdent + "/CBCEncDecID");
    ASSERT_EQ(failed.kind, Kind::PropertyFailed);
    EXPECT_TRUE(hasThreeHexArguments(failed.message)) << failed.message.substr(0, 2000);
}

TEST(BlockCipherProps, BlockOfZeroBytesFailsWithAnErrorInsteadOfDividing) {
    const auto outcomes = runProperties<KeyRecorder<128, 7>>();
    for (const auto& path : paths(kLazy, kLazyProps)) {
        const Outcome& outcome = outcomes.at(path);
        EXPECT_EQ(outcome.kind, Kind::PropertyFailed) << path;
        EXPECT_NE(outcome.message.find("block size is 0"), std::string::npos)
            << path << "\n" << outcome.message;
    }
    for (const auto& path : paths(kIdent, kIdentProps)) {
        EXPECT_EQ(outcomes.at(path).kind, Kind::PropertyFailed) << path << "\n" << outcomes.at(path).message;
    }
}

TEST(BlockCipherProps, RefusedKeysDiscardEveryCase) {
    for (const auto& [path, outcome] : runProperties<RefusesAllKeys>()) {
        EXPECT_EQ(outcome.kind, Kind::GaveUp) << path << "\n" << outcome.message;
    }
}

}  // namespace
