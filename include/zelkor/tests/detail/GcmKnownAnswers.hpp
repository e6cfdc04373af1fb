#pragma once
// The known-answer cases of GCM: one case per category of a NIST file (all of
// its records checked, every failing one reported at its line) and one case
// per Wycheproof test.

#include <cstddef>
#include <exception>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "zelkor/ByteString.hpp"
#include "zelkor/Gcm.hpp"
#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/Wycheproof.hpp"

namespace zelkor::tests::gcm_detail {

// One record of a NIST GCM file, its fields still in hex.
struct NistGcmRecord {
    std::size_t line = 0;
    std::string count, key, iv, plaintext, aad, ciphertext, tag;
    bool mustFail = false;  // a decryption record marked FAIL
};

// What identifies the files of a directory, for the cache of its parsed NIST
// records: each entry's name with the device, inode, size, and modification
// and change times (to the nanosecond) of what it names, so that a file
// rewritten in place or replaced (same size, old modification time restored,
// another file renamed over it) is read again. `settled` is false when a
// file changed too recently for its times to show its next change; the key
// is empty when the directory cannot be listed.
struct DirectorySignature {
    std::string key;
    bool settled = false;
};
DirectorySignature directorySignature(const std::string& path);

// "<file>:<line> Count = <n>: " for a record's failure.
std::string recordPlace(const std::string& file, const NistGcmRecord& record);

// Collects the failures of one case's records, and throws them all at the end.
class RecordFailures {
public:
    void add(std::string message) { messages_.push_back(std::move(message)); }
    // Throws AssertionFailure listing every failure, when there is one.
    void throwIfAny(std::string_view caseName, std::size_t records) const;

private:
    std::vector<std::string> messages_;
};

// The message of a byte string that differs: expected (the known answer) and
// what the implementation gave.
std::string differsMessage(std::string_view what, const ByteString& known, const ByteString& computed);

// One NIST record through gcmEncrypt (encryption files: the ciphertext and tag,
// then decryption back) or gcmDecrypt (decryption files: the plaintext, or no
// plaintext for FAIL). Returns the failure, empty when it passes.
template <class K>
std::string checkNistRecord(bool encrypt, const NistGcmRecord& record) {
    const std::optional<K> key = K::buildKey(hexStringToBS(record.key));
    if (!key) return "buildKey refused the key " + record.key;
    const ByteString iv = hexStringToBS(record.iv), aad = hexStringToBS(record.aad);
    const ByteString plaintext = hexStringToBS(record.plaintext), ciphertext = hexStringToBS(record.ciphertext);
    const ByteString tag = hexStringToBS(record.tag);
    if (encrypt) {
        const GcmSealed sealed = zelkor::gcmEncrypt(*key, iv, aad, plaintext, tag.size());
        if (sealed.ciphertext != ciphertext) return differsMessage("ciphertext", ciphertext, sealed.ciphertext);
        if (sealed.tag != tag) return differsMessage("tag", tag, sealed.tag);
    }
    const std::optional<ByteString> opened = zelkor::gcmDecrypt(*key, iv, aad, ciphertext, tag);
    if (record.mustFail) {
        if (!opened) return {};
        std::ostringstream msg;
        msg << "gcmDecrypt accepted a wrong tag (FAIL) and gave ";
        msg << *opened;
        return msg.str();
    }
    if (!opened) return "gcmDecrypt rejected the tag of a correct record";
    if (*opened != plaintext) return differsMessage("plaintext", plaintext, *opened);
    return {};
}

template <class K>
struct NistGcmCategory {
    std::string name;
    std::string file;
    bool encrypt = true;
    std::shared_ptr<const std::vector<NistGcmRecord>> records;

    void operator()() const {
        RecordFailures failures;
        for (const NistGcmRecord& record : *records) {
            std::string failure;
            try {
                failure = checkNistRecord<K>(encrypt, record);
            } catch (const std::exception& e) {
                failure = std::string("threw: ") + e.what();
            }
            if (!failure.empty()) failures.add(recordPlace(file, record) + failure);
        }
        failures.throwIfAny(name, records->size());
    }
};

// "tcId 12 (invalid), \"comment\", flags ModifiedTag (description)" for a
// Wycheproof test's failure report.
std::string describeWycheproofTest(const detail::WycheproofFile& file, const detail::WycheproofTest& test);

// One Wycheproof AEAD test, fields in hex.
struct WycheproofGcmTest {
    std::string description;
    bool valid = true;
    std::string key, iv, aad, msg, ct, tag;
};

// Valid: encryption gives exactly ct and tag, decryption gives msg back.
// Invalid: decryption gives no plaintext, or the call refuses with an
// exception. Throws AssertionFailure with the test's description.
template <class K>
void runWycheproofGcm(const WycheproofGcmTest& test, const CaseOrigin& origin) {
    const std::optional<K> key = K::buildKey(hexStringToBS(test.key));
    if (!key) throw AssertionFailure(test.description + "\nbuildKey refused the key");
    const ByteString iv = hexStringToBS(test.iv), aad = hexStringToBS(test.aad), msg = hexStringToBS(test.msg);
    const ByteString ct = hexStringToBS(test.ct), tag = hexStringToBS(test.tag);
    if (test.valid) {
        const GcmSealed sealed = zelkor::gcmEncrypt(*key, iv, aad, msg, tag.size());
        const std::optional<ByteString> opened = zelkor::gcmDecrypt(*key, iv, aad, ct, tag);
        if (!opened) throw AssertionFailure(test.description + "\ngcmDecrypt rejected a valid tag");
        assertKnownAnswers(test.description,
                           {{"as ciphertext", sealed.ciphertext, ct}, {"as tag", sealed.tag, tag},
                            {"as plaintext by gcmDecrypt", *opened, msg}},
                           origin);
        return;
    }
    std::optional<ByteString> opened;
    try {
        opened = zelkor::gcmDecrypt(*key, iv, aad, ct, tag);
    } catch (const std::exception&) {
        return;  // refused its parameters
    }
    if (opened) {
        std::ostringstream out;
        out << test.description << "\ngcmDecrypt accepted an invalid test and gave " << *opened;
        throw AssertionFailure(out.str());
    }
}

}  // namespace zelkor::tests::gcm_detail
