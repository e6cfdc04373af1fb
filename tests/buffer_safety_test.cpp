// Placed storage faults next to its bytes and on writes; the buffer-safety
// groups pass for every correct primitive and name the memory fault of each
// mutant.

#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <string>
#include <vector>

#include "ReferencePrimitives.hpp"
#include "support/BufferMutants.hpp"
#include "support/IndependentCiphers.hpp"
#include "support/IndependentDigests.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/BufferSafety.hpp"

namespace {

using namespace zelkor;
using tests::detail::PageEdge;
using tests::detail::placeBytes;
using testsupport::Outcome;
namespace mutants = testsupport::mutants;

const std::vector<std::uint8_t> kBytes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};

// The fault of reading one byte, if any.
std::optional<tests::detail::Fault> readFault(const std::uint8_t* at) {
    return tests::detail::guarded([at] { (void)*static_cast<const volatile std::uint8_t*>(at); });
}

TEST(PlacedStorage, BytesLieAtTheEdgeAtTheirOffsetAndTheNeighbouringPageFaults) {
    for (const auto edge : {PageEdge::LastByteBeforeGuard, PageEdge::FirstByteAfterGuard}) {
        for (const std::size_t offset : {0, 3, 15}) {
            const auto placed = placeBytes(kBytes, {edge, offset});
            ASSERT_TRUE(placed.placed());
            EXPECT_EQ(placed.bytes, ByteString(kBytes));
            const std::uint8_t* start = placed.bytes.data();
            const std::uint8_t* end = start + kBytes.size();
            if (offset != 0) {
                EXPECT_EQ(reinterpret_cast<std::uintptr_t>(start) % 64, offset);
            }
            const bool atEnd = edge == PageEdge::LastByteBeforeGuard;
            if (offset == 0) {
                EXPECT_EQ(atEnd ? end : start, atEnd ? placed.dataEnd : placed.dataBegin);
            }
            EXPECT_FALSE(readFault(start)) << tests::detail::describePlacement(placed);
            const std::uint8_t* guard = atEnd ? placed.dataEnd : placed.dataBegin - 1;
            const auto fault = readFault(guard);
            ASSERT_TRUE(fault) << tests::detail::describePlacement(placed);
            EXPECT_EQ(fault->address, guard);
        }
    }
}

TEST(PlacedStorage, ReadOnlyBytesFaultOnWriteAndWritableOnesDoNot) {
    for (const bool readOnly : {true, false}) {
        const auto placed = placeBytes(kBytes, {PageEdge::FirstByteAfterGuard, 0}, readOnly);
        auto* at = const_cast<volatile std::uint8_t*>(placed.bytes.data() + 3);
        const auto fault = tests::detail::guarded([at] { *at = 0; });
        EXPECT_EQ(fault.has_value(), readOnly);
        if (fault) {
            EXPECT_EQ(fault->address, placed.bytes.data() + 3);
            EXPECT_EQ(tests::detail::describeFault(*fault, {{"input", placed}}),
                      "wrote into its input at byte 3 (17 bytes, first byte after an inaccessible page)");
        }
    }
}

TEST(PlacedStorageDeathTest, ReadingPastTheEndOutsideAGuardedCallEndsTheProcess) {
    const auto placed = placeBytes(kBytes, {PageEdge::LastByteBeforeGuard, 0});
    EXPECT_DEATH((void)*static_cast<const volatile std::uint8_t*>(placed.dataEnd), "");
}

// The failures of a group as "property: report".
std::vector<std::string> failures(const std::vector<tests::Test>& tree) {
    std::vector<std::string> out;
    for (const auto& report : testsupport::runAll(tree, true)) {
        out.push_back(report.path + ": " + report.outcome.message.substr(0, 1500));
    }
    return out;
}

// Every failure report of the group, joined, and whether `property` failed
// with a message matching `pattern`.
void expectKilled(const std::vector<tests::Test>& tree, const std::string& property, const std::string& pattern) {
    bool found = false;
    std::string all;
    for (const auto& report : testsupport::runAll(tree, true)) {
        all += report.path + ": " + report.outcome.message.substr(0, 1500) + "\n";
        if (report.path.ends_with("/" + property) && report.outcome.kind == Outcome::Kind::PropertyFailed &&
            std::regex_search(report.outcome.message, std::regex(pattern))) {
            found = true;
        }
    }
    EXPECT_TRUE(found) << property << " did not fail with /" << pattern << "/; failures:\n" << all;
}

TEST(BufferSafety, GroupNamesAndProperties) {
    const auto cipher = tests::makeBlockCipherBufferSafetyTests<reference::AES128>();
    const auto digest = tests::makeHashBufferSafetyTests(reference::SHA256{});
    EXPECT_EQ(testsupport::names(cipher), std::vector<std::string>{"Block Cipher buffer safety"});
    EXPECT_EQ(testsupport::names(digest), std::vector<std::string>{"Digest buffer safety"});
    EXPECT_EQ(testsupport::leaves(cipher).size(), 9u);
    EXPECT_EQ(testsupport::leaves(digest).size(), 3u);
}

TEST(BufferSafety, ReferenceAndIndependentCiphersPass) {
    EXPECT_EQ(failures(tests::makeBlockCipherBufferSafetyTests<reference::AES128>()), std::vector<std::string>{});
    EXPECT_EQ(failures(tests::makeBlockCipherBufferSafetyTests<reference::AES256>()), std::vector<std::string>{});
    EXPECT_EQ(failures(tests::makeBlockCipherBufferSafetyTests<reference::Twofish>()), std::vector<std::string>{});
    EXPECT_EQ(failures(tests::makeBlockCipherBufferSafetyTests<testsupport::GenericAES128>()),
              std::vector<std::string>{});
    EXPECT_EQ(failures(tests::makeBlockCipherBufferSafetyTests<testsupport::GcryptTwofish>()),
              std::vector<std::string>{});
}

TEST(BufferSafety, ReferenceAndIndependentDigestsPass) {
    EXPECT_EQ(failures(tests::makeHashBufferSafetyTests<reference::MD5>()), std::vector<std::string>{});
    EXPECT_EQ(failures(tests::makeHashBufferSafetyTests<reference::SHA256>()), std::vector<std::string>{});
    EXPECT_EQ(failures(tests::makeHashBufferSafetyTests<reference::SHA512>()), std::vector<std::string>{});
    EXPECT_EQ(failures(tests::makeHashBufferSafetyTests<reference::SHA3_256>()), std::vector<std::string>{});
    EXPECT_EQ(failures(tests::makeHashBufferSafetyTests<testsupport::NettleSHA256>()), std::vector<std::string>{});
    EXPECT_EQ(failures(tests::makeHashBufferSafetyTests<testsupport::NettleSHA3_256>()), std::vector<std::string>{});
}

const std::string kDetails = R"( \([0-9]+ bytes?, [^)]*inaccessible page\))";

TEST(BufferSafety, DigestLoadingItsLastPartialBlockWholeReadsPastTheEnd) {
    expectKilled(tests::makeHashBufferSafetyTests<mutants::TailLoadedAsWholeBlock<reference::SHA256>>(),
                 "PlacedHash",
                 "hash \\([a-z0-9, ]+\\) read [0-9]+ bytes? past the end of (the|chunk [0-9]+ of the) message" +
                     kDetails);
}

TEST(BufferSafety, HmacXoringPadsIntoTheCallersKeyWritesIntoIt) {
    expectKilled(tests::makeHashBufferSafetyTests<mutants::PadsXoredIntoKey<reference::SHA256>>(), "PlacedHMAC",
                 "hmac \\([a-z0-9, ]+\\) wrote into its key at byte 0" + kDetails);
}

TEST(BufferSafety, CtrReadingAWholeBlockForItsPartialBlockReadsPastTheEnd) {
    expectKilled(tests::makeBlockCipherBufferSafetyTests<mutants::CtrReadsWholeTailBlock>(), "PlacedCTR",
                 "(unC|c)tr \\(contiguous\\) read [0-9]+ bytes? past the end of the input" + kDetails);
}

TEST(BufferSafety, CbcDecryptingInPlaceWritesIntoItsInput) {
    expectKilled(tests::makeBlockCipherBufferSafetyTests<mutants::CbcDecryptsInPlace>(), "PlacedCBC",
                 "unCbc \\(contiguous\\) wrote into its input at byte 0" + kDetails);
}

#if defined(__x86_64__)
TEST(BufferSafety, AlignedVectorLoadOfUnalignedInputIsACrashNamingTheOffset) {
    expectKilled(tests::makeBlockCipherBufferSafetyTests<mutants::AlignedLoadAes>(), "PlacedBlocks",
                 "encryptBlock \\((one block|[0-9] blocks)\\) crashed \\(SIGSEGV\\) with the input "
                 "([1-9]|1[0-5]) bytes? past a 64-byte boundary" + kDetails);
}
#endif

}  // namespace
