// Reading a cipher's own files: the mode from the file name or its opening
// comments, headerless files as encryptions, numbered tables both ways, and
// records of other key lengths left out and counted.

#include <algorithm>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "support/DataDir.hpp"
#include "zelkor/tests/detail/formats/ModeVectors.hpp"

namespace {

using namespace zelkor::tests::mode_detail;

std::map<std::string, int> countByGroup(const LoadedModeVectors& loaded) {
    std::map<std::string, int> out;
    for (const ModeVector& v : loaded.vectors) ++out[v.group];
    return out;
}

TEST(CipherFiles, ModeComesFromTheNameOrTheOpeningComments) {
    const zelkor::testsupport::ScopedDataDir data(zelkor::testsupport::sourceDataDir());
    const LoadedModeVectors seed = loadCipherFiles("KAT_SEED", 128);
    std::map<std::string, ModeKind> modes;
    std::map<std::string, bool> encrypts;
    for (const ModeVector& v : seed.vectors) {
        modes[v.group] = v.kind;
        encrypts[v.group] = encrypts[v.group] || v.encrypt;
    }
    EXPECT_EQ(modes.at("rfc-4196.txt-ENCRYPT"), ModeKind::Cbc);  // named in a comment only
    EXPECT_EQ(modes.at("rfc-4269.txt-ENCRYPT"), ModeKind::Ecb);  // names none, records without IV
    EXPECT_EQ(modes.at("seed-cfb.txt-ENCRYPT"), ModeKind::Cfb);  // no [ENCRYPT] header
    EXPECT_EQ(modes.at("seed-ofb.txt-ENCRYPT"), ModeKind::Ofb);
    EXPECT_EQ(countByGroup(seed).at("rfc-4196.txt-ENCRYPT"), 2);
    EXPECT_EQ(seed.usage->used(), seed.vectors.size());
}

TEST(CipherFiles, TablesAreCheckedBothWaysAndOtherKeyLengthsCounted) {
    const zelkor::testsupport::ScopedDataDir data(zelkor::testsupport::sourceDataDir());
    const LoadedModeVectors camellia = loadCipherFiles("KAT_CAMELLIA", 192);
    const auto groups = countByGroup(camellia);
    EXPECT_EQ(groups.at("camellia-192-ecb.txt-ENCRYPT"), groups.at("camellia-192-ecb.txt-DECRYPT"));
    EXPECT_GE(groups.at("camellia-192-ecb.txt-ENCRYPT"), 1000);
    EXPECT_EQ(groups.count("camellia-128-ecb.txt-ENCRYPT"), 0u);
    for (const ModeVector& v : camellia.vectors) {
        ASSERT_EQ(v.key.size(), 24u) << v.name;
        if (v.group == "camellia-192-ecb.txt-DECRYPT") {
            EXPECT_FALSE(v.encrypt);
        }
    }
    EXPECT_NE(camellia.usage->describe().find("another key size"), std::string::npos) << camellia.usage->describe();
    // The first record of the 192-bit table, read from "K No.001 : 00 00 ...".
    const auto first = std::find_if(camellia.vectors.begin(), camellia.vectors.end(), [](const ModeVector& v) {
        return v.name == "camellia-192-ecb.txt-K001-P001" && v.encrypt;
    });
    ASSERT_NE(first, camellia.vectors.end());
    EXPECT_EQ(first->key, zelkor::ByteString(std::vector<std::uint8_t>(24, 0)));
}

TEST(CipherFiles, CtrFilesAndShortKeysAreRead) {
    const zelkor::testsupport::ScopedDataDir data(zelkor::testsupport::sourceDataDir());
    const LoadedModeVectors cast40 = loadCipherFiles("KAT_CAST5", 40);
    ASSERT_EQ(cast40.vectors.size(), 1u);  // RFC 2144's 40-bit example, lower-case field names
    EXPECT_EQ(cast40.vectors[0].kind, ModeKind::Ecb);
    bool ctr = false;
    for (const ModeVector& v : loadCipherFiles("KAT_SM4", 128).vectors) ctr = ctr || v.kind == ModeKind::Ctr;
    EXPECT_TRUE(ctr);
}

}  // namespace
