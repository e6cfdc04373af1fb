#pragma once
// Known answers for any AEAD: records of Key, IV, AAD, Plaintext, Ciphertext
// and Tag (a record with a Result is one to refuse; AAD2, AAD3 ... further
// associated-data strings after AAD), and Wycheproof AEAD files.

#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zelkor/Aead.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/aead/AadStrings.hpp"
#include "zelkor/tests/detail/aead/GcmKnownAnswers.hpp"
#include "zelkor/tests/detail/formats/GcmVectors.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"
#include "zelkor/tests/detail/formats/Wycheproof.hpp"

namespace zelkor::tests::aead_detail {

struct AeadRecord {
    std::string name;  // "<file name>-<COUNT>"
    std::string key, iv, aad, plaintext, ciphertext, tag;
    std::vector<std::string> moreAad;  // AAD2, AAD3 ...
    bool mustFail = false;
};

// A record to refuse: open gives no plaintext, or refuses with an exception
// (the same rule as for Wycheproof's invalid tests). Otherwise seal gives the
// ciphertext and tag, and open the plaintext back.
template <Aead A>
void runAeadRecord(const AeadRecord& record, const CaseOrigin& origin) {
    if (std::string reason = gcm_detail::undeclaredLengths<A>(record.iv.size() / 2, record.tag.size() / 2);
        !reason.empty()) {
        throw SkipTest(reason);
    }
    if (const std::size_t strings = record.moreAad.size() + 1; strings > maxAadStringsOf<A>()) {
        throw SkipTest(aadStringsNotAccepted(strings));
    }
    const std::optional<A> key = A::buildKey(hexStringToBS(record.key));
    if (!key) throw AssertionFailure(record.name + ": buildKey refused the key " + record.key);
    const ByteString iv = hexStringToBS(record.iv);
    const std::vector<ByteString> aad = aadStrings(record.aad, record.moreAad);
    const ByteString plaintext = hexStringToBS(record.plaintext), ciphertext = hexStringToBS(record.ciphertext);
    const ByteString tag = hexStringToBS(record.tag);
    if (record.mustFail) {
        std::optional<ByteString> opened;
        try {
            opened = openWithAad(*key, iv, aad, ciphertext, tag);
        } catch (const std::exception&) {
            return;
        }
        if (opened) {
            std::ostringstream out;
            out << record.name << ": open accepted a record marked to be refused (from " << origin.where()
                << ") and gave " << *opened;
            throw AssertionFailure(out.str());
        }
        return;
    }
    const AeadSealed sealed = sealWithAad(*key, iv, aad, plaintext, tag.size());
    const std::optional<ByteString> opened = openWithAad(*key, iv, aad, ciphertext, tag);
    if (!opened) throw AssertionFailure(record.name + ": open rejected the tag of a correct record");
    assertKnownAnswers(record.name,
                       {{"as ciphertext", sealed.ciphertext, ciphertext},
                        {"as tag", sealed.tag, tag},
                        {"as plaintext by open", *opened, plaintext}},
                       origin);
}

// One case per record of every file of Test/<directory>, named
// "<file name>-<COUNT>" and located at its record; records missing a field
// or of another key size are skipped and counted. A record may name its IV
// "Nonce", and may add associated-data strings AAD2, AAD3 ...; one of more
// strings than A declares is skipped and counted. One without a Tag has its last `tagBytes` bytes of Ciphertext as
// the tag.
template <Aead A>
std::vector<Test> knownAnswerTests(std::string_view directory, std::size_t tagBytes = 16) {
    auto usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath(directory));
    std::vector<Test> out;
    for (const detail::LoadedFile& file : detail::loadVectorDirectory(directory, "COUNT")) {
        usage->addFile(file.recordCount());
        const std::string fileName(detail::fileNameOf(file.path));
        for (std::size_t c = 0; c < file.categories.size(); ++c) {
            const auto& records = file.categories[c].records;
            for (std::size_t r = 0; r < records.size(); ++r) {
                const Record& fields = records[r];
                AeadRecord record;
                bool complete = true;
                const auto field = [&](const char* name, std::string& into) {
                    std::optional<std::string> value = lookup(fields, name);
                    if (value) into = std::move(*value);
                    else complete = false;
                };
                std::string count;
                field("COUNT", count);
                field("Key", record.key);
                field(lookup(fields, "IV") ? "IV" : "Nonce", record.iv);
                field("AAD", record.aad);
                record.moreAad = moreAadFields(fields);
                field("Plaintext", record.plaintext);
                field("Ciphertext", record.ciphertext);
                if (lookup(fields, "Tag") || !complete || record.ciphertext.size() < tagBytes * 2) {
                    field("Tag", record.tag);
                } else {
                    record.tag = record.ciphertext.substr(record.ciphertext.size() - tagBytes * 2);
                    record.ciphertext.resize(record.ciphertext.size() - tagBytes * 2);
                }
                if (!complete) {
                    usage->skip("missing field");
                    continue;
                }
                if (record.key.size() * 4 != static_cast<std::size_t>(A::keyLength)) {
                    usage->skip("another key size");
                    continue;
                }
                for (const std::string* hex : {&record.key, &record.iv, &record.aad, &record.plaintext,
                                               &record.ciphertext, &record.tag}) {
                    (void)hexStringToBS(*hex);  // odd hex: an error when the tree is built
                }
                (void)aadStrings(record.aad, record.moreAad);
                record.mustFail = lookup(fields, "Result").has_value();
                record.name = fileName + "-" + count;
                usage->use();
                CaseOrigin origin = file.origin(c, r, usage);
                std::string name = record.name;
                out.push_back(testCase(
                    std::move(name), [record = std::move(record), origin] { runAeadRecord<A>(record, origin); },
                    origin));
            }
        }
    }
    detail::requireUsableVectors(out, usage);
    return out;
}

// One case per test of Wycheproof/<fileName> with A's key size, named
// "<file name>-<tcId>"; tests of lengths A does not declare are skipped
// with the reason.
template <Aead A>
std::vector<Test> wycheproofTests(std::string_view fileName) {
    auto usage = std::make_shared<detail::VectorUsage>(detail::wycheproofPath(fileName));
    std::vector<Test> out;
    for (gcm_detail::WycheproofGcmCase& wycheproof : gcm_detail::loadWycheproofGcm(A::keyLength, *usage)) {
        CaseOrigin origin = lineOrigin(wycheproof.file, wycheproof.line, usage);
        out.push_back(testCase(
            std::move(wycheproof.name),
            [test = std::move(wycheproof.test), origin] { gcm_detail::runWycheproofGcm<A>(test, origin); }, origin));
    }
    detail::requireUsableVectors(out, usage);
    return out;
}

}  // namespace zelkor::tests::aead_detail
