#pragma once
// The known-answer cases of GCM: one case per category of a NIST file (all of
// its records checked, every failing one reported at its line) and one case
// per Wycheproof test.

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zelkor/Aead.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/Gcm.hpp"
#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/Test.hpp"
#include "zelkor/tests/detail/bytes/ByteArena.hpp"
#include "zelkor/tests/detail/formats/Wycheproof.hpp"

namespace zelkor::tests::gcm_detail {

// One record of a NIST GCM or CCM file. Its fields lie one after another in
// an arena that whoever holds the record keeps alive (the records' shared
// pointer owns it); a record is a pointer and the fields' sizes, so that tens
// of thousands of them cost little beside their bytes.
class NistGcmRecord {
public:
    enum Field { Key, Iv, Plaintext, Aad, Ciphertext, Tag, Count, kFields };

    // Room in `arena` for fields of these sizes (the count's in characters),
    // which the reader fills through `fill` before the record is read.
    NistGcmRecord(detail::ByteArena& arena, const std::array<std::size_t, kFields>& sizes, std::size_t line);

    std::span<std::uint8_t> fill(Field f) { return field(f); }

    std::span<const std::uint8_t> key() const { return field(Key); }
    std::span<const std::uint8_t> iv() const { return field(Iv); }
    std::span<const std::uint8_t> plaintext() const { return field(Plaintext); }
    std::span<const std::uint8_t> aad() const { return field(Aad); }
    std::span<const std::uint8_t> ciphertext() const { return field(Ciphertext); }
    std::span<const std::uint8_t> tag() const { return field(Tag); }
    std::string_view count() const;
    std::size_t line() const { return line_; }

    bool mustFail = false;  // a decryption record marked FAIL

private:
    std::span<std::uint8_t> field(Field f) const;

    std::uint8_t* bytes_ = nullptr;
    std::array<std::uint32_t, kFields> ends_{};
    std::uint32_t line_ = 0;
};

// What the GCM known answers run on: a block cipher with 128-bit blocks
// (through gcmEncrypt and gcmDecrypt) or an AEAD that is GCM (seal and open).
template <class K>
concept GcmKnownAnswerType = GcmBlockCipher<K> || Aead<K>;

// Whether the type says which nonce and tag lengths it takes. A block cipher
// that declares nothing is handed every length, as before declarations.
template <class K>
concept DeclaresGcmLengths =
    Aead<K> || zelkor::detail::DeclaresNonceLengths<K> || zelkor::detail::DeclaresTagLengths<K>;

// The AEAD view of K: K itself, or GCM over the block cipher K.
template <class K>
struct AeadOf {
    using type = K;
};
template <class K>
    requires(GcmBlockCipher<K> && !Aead<K>)
struct AeadOf<K> {
    using type = GcmAead<K>;
};

template <class K>
inline constexpr const char* kOpenName = Aead<K> ? "open" : "gcmDecrypt";

template <GcmKnownAnswerType K>
GcmSealed sealGcm(const K& key, const ByteString& iv, const ByteString& aad, const ByteString& plaintext,
                  std::size_t tagBytes) {
    if constexpr (Aead<K>) {
        AeadSealed sealed = key.seal(iv, aad, plaintext, tagBytes);
        return {std::move(sealed.ciphertext), std::move(sealed.tag)};
    } else {
        return zelkor::gcmEncrypt(key, iv, aad, plaintext, tagBytes);
    }
}

template <GcmKnownAnswerType K>
std::optional<ByteString> openGcm(const K& key, const ByteString& iv, const ByteString& aad,
                                  const ByteString& ciphertext, const ByteString& tag) {
    if constexpr (Aead<K>) {
        return key.open(iv, aad, ciphertext, tag);
    } else {
        return zelkor::gcmDecrypt(key, iv, aad, ciphertext, tag);
    }
}

// Why a vector of these lengths is skipped for K ("nonce length 8 not
// accepted by the type"); empty when K takes them or declares nothing.
template <GcmKnownAnswerType K>
std::string undeclaredLengths(std::size_t nonceBytes, std::size_t tagBytes) {
    if constexpr (DeclaresGcmLengths<K>) {
        using Declared = typename AeadOf<K>::type;
        if (!Declared::acceptsNonce(nonceBytes)) {
            return "nonce length " + std::to_string(nonceBytes) + " not accepted by the type";
        }
        if (!Declared::acceptsTag(tagBytes)) {
            return "tag length " + std::to_string(tagBytes) + " not accepted by the type";
        }
    }
    return {};
}

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
// plaintext or an exception for FAIL). Returns the failure, empty when it passes.
template <GcmKnownAnswerType K>
std::string checkNistRecord(bool encrypt, const NistGcmRecord& record) {
    const ByteString keyBytes(record.key());
    const std::optional<K> key = K::buildKey(keyBytes);
    if (!key) {
        std::ostringstream msg;
        msg << "buildKey refused the key " << keyBytes;
        return msg.str();
    }
    const ByteString iv(record.iv()), aad(record.aad()), plaintext(record.plaintext());
    const ByteString ciphertext(record.ciphertext()), tag(record.tag());
    if (encrypt) {
        const GcmSealed sealed = sealGcm(*key, iv, aad, plaintext, tag.size());
        if (sealed.ciphertext != ciphertext) return differsMessage("ciphertext", ciphertext, sealed.ciphertext);
        if (sealed.tag != tag) return differsMessage("tag", tag, sealed.tag);
    }
    if (record.mustFail) {
        // Refused by an exception is refused, as for Wycheproof's invalid tests.
        std::optional<ByteString> opened;
        try {
            opened = openGcm(*key, iv, aad, ciphertext, tag);
        } catch (const std::exception&) {
            return {};
        }
        if (!opened) return {};
        std::ostringstream msg;
        msg << kOpenName<K> << " accepted a wrong tag (FAIL) and gave ";
        msg << *opened;
        return msg.str();
    }
    const std::optional<ByteString> opened = openGcm(*key, iv, aad, ciphertext, tag);
    if (!opened) return std::string(kOpenName<K>) + " rejected the tag of a correct record";
    if (*opened != plaintext) return differsMessage("plaintext", plaintext, *opened);
    return {};
}

template <GcmKnownAnswerType K>
struct NistGcmCategory {
    std::string name;
    std::string file;
    bool encrypt = true;
    std::shared_ptr<const std::vector<NistGcmRecord>> records;

    void operator()() const {
        // A category's records share their IV and tag lengths.
        const NistGcmRecord& first = records->front();
        if (std::string reason = undeclaredLengths<K>(first.iv().size(), first.tag().size()); !reason.empty()) {
            throw SkipTest(reason);
        }
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
template <GcmKnownAnswerType K>
void runWycheproofGcm(const WycheproofGcmTest& test, const CaseOrigin& origin) {
    if (std::string reason = undeclaredLengths<K>(test.iv.size() / 2, test.tag.size() / 2); !reason.empty()) {
        throw SkipTest(reason);
    }
    const std::optional<K> key = K::buildKey(hexStringToBS(test.key));
    if (!key) throw AssertionFailure(test.description + "\nbuildKey refused the key");
    const ByteString iv = hexStringToBS(test.iv), aad = hexStringToBS(test.aad), msg = hexStringToBS(test.msg);
    const ByteString ct = hexStringToBS(test.ct), tag = hexStringToBS(test.tag);
    if (test.valid) {
        const GcmSealed sealed = sealGcm(*key, iv, aad, msg, tag.size());
        const std::optional<ByteString> opened = openGcm(*key, iv, aad, ct, tag);
        if (!opened) throw AssertionFailure(test.description + "\n" + kOpenName<K> + " rejected a valid tag");
        assertKnownAnswers(test.description,
                           {{"as ciphertext", sealed.ciphertext, ct}, {"as tag", sealed.tag, tag},
                            {Aead<K> ? "as plaintext by open" : "as plaintext by gcmDecrypt", *opened, msg}},
                           origin);
        return;
    }
    std::optional<ByteString> opened;
    try {
        opened = openGcm(*key, iv, aad, ct, tag);
    } catch (const std::exception&) {
        return;  // refused its parameters
    }
    if (opened) {
        std::ostringstream out;
        out << test.description << "\n" << kOpenName<K> << " accepted an invalid test and gave " << *opened;
        throw AssertionFailure(out.str());
    }
}

}  // namespace zelkor::tests::gcm_detail
