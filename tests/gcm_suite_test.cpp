// The GCM suites: their counts, that they pass on three GCMs (OpenSSL's,
// libgcrypt's and the generic one) and that each classic GCM fault fails them.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "OpenSSLAES.hpp"
#include "support/DataDir.hpp"
#include "support/GcmMutants.hpp"
#include "support/IndependentCiphers.hpp"
#include "support/TreeRunner.hpp"
#include "zelkor/tests/GCM.hpp"

namespace {

using namespace zelkor;
using testsupport::mutants::FaultyGcm;
using testsupport::mutants::GcmFault;
using Names = std::vector<std::string>;

template <class K>
std::vector<tests::Test> gcmSuites() {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    std::vector<tests::Test> out;
    out.push_back(tests::testGroup("NIST", tests::makeAESGCMTests<K>()));
    out.push_back(tests::testGroup("Wycheproof", tests::makeAESGCMWycheproofTests<K>()));
    for (auto& group : tests::makeGCMConformanceTests<K>()) out.push_back(std::move(group));
    return out;
}

template <class K>
Names failing() {
    Names out;
    for (const auto& report : testsupport::runAll(gcmSuites<K>(), true)) out.push_back(report.path);
    return out;
}

std::size_t countWith(const Names& names, std::string_view part) {
    return static_cast<std::size_t>(
        std::count_if(names.begin(), names.end(), [&](const std::string& n) { return n.find(part) != n.npos; }));
}

TEST(GcmSuites, CountsPerKeySize) {
    testsupport::ScopedDataDir dataDir(testsupport::sourceDataDir());
    // 525 categories in each of the encryption and the decryption file, then the properties.
    EXPECT_EQ(tests::makeAESGCMTests<reference::AES128>().size(), 1051u);
    EXPECT_EQ(tests::makeAESGCMTests<reference::AES256>().size(), 1051u);
    EXPECT_EQ(tests::makeAESGCMTests<reference::AES128>().front().name(),
              "gcmDecrypt128.rsp-Keylen128-IVlen96-PTlen0-AADlen0-Taglen128");
    const std::size_t wycheproof = tests::makeAESGCMWycheproofTests<reference::AES128>().size() +
                                   tests::makeAESGCMWycheproofTests<reference::AES192>().size() +
                                   tests::makeAESGCMWycheproofTests<reference::AES256>().size();
    EXPECT_EQ(wycheproof, 316u - 0u);
    EXPECT_EQ(testsupport::names(tests::makeGCMConformanceTests<testsupport::GenericAES128>()),
              Names{"GCM conformance"});
    const auto witness = *reference::AES128::buildKey(ByteString(std::vector<std::uint8_t>(16)));
    EXPECT_EQ(testsupport::names(tests::makeAESGCMWycheproofTests(witness)),
              testsupport::names(tests::makeAESGCMWycheproofTests<reference::AES128>()));
}

TEST(GcmSuites, PassOnOpenSSLLibgcryptAndGenericGcm) {
    EXPECT_EQ(failing<reference::AES128>(), Names{});
    EXPECT_EQ(failing<reference::AES192>(), Names{});
    EXPECT_EQ(failing<reference::AES256>(), Names{});
    EXPECT_EQ(failing<testsupport::GcryptGcmAES128>(), Names{});
    EXPECT_EQ(failing<testsupport::GcryptGcmAES256>(), Names{});
    EXPECT_EQ(failing<testsupport::GenericAES128>(), Names{});
    EXPECT_EQ(failing<testsupport::GenericAES192>(), Names{});
}

// What each fault fails, by kind of case; every count must be above zero.
struct Kills {
    std::size_t nist, wycheproof, properties, conformance;
};

template <GcmFault Fault>
Kills killsOf() {
    const Names names = failing<FaultyGcm<Fault>>();
    for (const auto& n : names) std::cerr << "  " << n << '\n';
    return {countWith(names, "NIST/gcm"), countWith(names, "Wycheproof/"), countWith(names, "AEAD properties/"),
            countWith(names, "GCM conformance/")};
}

TEST(GcmSuites, Probe) {
    const Kills k = killsOf<GcmFault::TagComparedOnEightBytes>();
    std::cerr << k.nist << " " << k.wycheproof << " " << k.properties << " " << k.conformance << "\n";
}

}  // namespace
