#include "zelkor/tests/detail/aead/GcmKnownAnswers.hpp"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <iterator>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>

#include "zelkor/tests/detail/bytes/ByteArena.hpp"
#include "zelkor/tests/detail/formats/GcmVectors.hpp"
#include "zelkor/tests/detail/run/Report.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"
#include "zelkor/tests/detail/formats/VectorFileViews.hpp"

namespace zelkor::tests::gcm_detail {

NistGcmRecord::NistGcmRecord(detail::ByteArena& arena, const std::array<std::size_t, kFields>& sizes,
                             std::size_t line)
    : line_(static_cast<std::uint32_t>(std::min<std::size_t>(line, UINT32_MAX))) {
    std::size_t total = 0;
    for (std::size_t i = 0; i < kFields; ++i) {
        total += sizes[i];
        if (total > UINT32_MAX) throw detail::VectorParseError("a record of over 4 GiB at line " + std::to_string(line));
        ends_[i] = static_cast<std::uint32_t>(total);
    }
    bytes_ = arena.take(total).data();
}

std::span<std::uint8_t> NistGcmRecord::field(Field f) const {
    const std::uint32_t begin = f == 0 ? 0 : ends_[f - 1];
    if (bytes_ == nullptr) return {};
    return {bytes_ + begin, ends_[f] - begin};
}

std::string_view NistGcmRecord::count() const {
    const std::span<const std::uint8_t> text = field(Count);
    return {reinterpret_cast<const char*>(text.data()), text.size()};
}

std::string recordPlace(const std::string& file, const NistGcmRecord& record) {
    return file + ":" + std::to_string(record.line()) + " Count = " + std::string(record.count()) + ": ";
}

void RecordFailures::throwIfAny(std::string_view caseName, std::size_t records) const {
    if (messages_.empty()) return;
    std::ostringstream msg;
    msg << caseName << ": " << messages_.size() << " of " << records << " records failed";
    for (const std::string& message : messages_) msg << '\n' << message;
    throw AssertionFailure(msg.str());
}

std::string differsMessage(std::string_view what, const ByteString& known, const ByteString& computed) {
    const std::size_t at = detail::firstDifference(known, computed).value_or(0);
    std::ostringstream msg;
    msg << what << " differs at byte " << at << "\n  expected: ";
    detail::writeBytes(msg, known, at);
    msg << " (" << known.size() << " bytes, from the file)\n   but got: ";
    detail::writeBytes(msg, computed, at);
    msg << " (" << computed.size() << " bytes, computed by the implementation)";
    return msg.str();
}

std::string describeWycheproofTest(const detail::WycheproofFile& file, const detail::WycheproofTest& test) {
    std::string out = "tcId " + std::to_string(test.tcId) + " (" + test.result + "), \"" + test.comment + "\"";
    if (test.flags.empty()) return out;
    out += ", flags";
    for (std::size_t i = 0; i < test.flags.size(); ++i) {
        out += (i == 0 ? " " : ", ") + test.flags[i];
        if (const std::string note = file.describeFlag(test.flags[i]); !note.empty()) out += " (" + note + ")";
    }
    return out;
}

namespace {

// File systems stamp times from a clock that advances in ticks (of up to a few
// ms, or whole seconds on some), so two writes within one tick can leave the
// same times: a file changed less than this long ago is not trusted to show
// its next change.
constexpr long kSettleSeconds = 2;

std::string categoryName(std::string_view fileName, std::span<const detail::FieldView> properties) {
    std::string name(fileName);
    for (const detail::FieldView& property : properties) {
        name += "-";
        name += property.name;
        name += property.value;
    }
    return name;
}

bool sameFields(std::span<const detail::FieldView> a, std::span<const detail::FieldView> b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const detail::FieldView& x, const detail::FieldView& y) {
        return x.name == y.name && x.value == y.value;
    });
}

// The record with its fields decoded into `arena`; none when one is missing.
// Bad hex is an error at the record's line.
std::optional<NistGcmRecord> recordOf(std::span<const detail::FieldView> fields, std::size_t line,
                                      const std::string& path, detail::ByteArena& arena) {
    using Field = NistGcmRecord::Field;
    static constexpr std::array<std::string_view, NistGcmRecord::kFields> kNames = {"Key", "IV",  "PT",   "AAD",
                                                                                     "CT",  "Tag", "Count"};
    std::array<const detail::FieldView*, NistGcmRecord::kFields> found{};
    bool mustFail = false;
    for (const detail::FieldView& field : fields) {
        if (field.name == "FAIL") mustFail = true;
        for (std::size_t i = 0; i < kNames.size(); ++i) {
            if (field.name == kNames[i]) found[i] = &field;
        }
    }
    const auto present = [&](Field f) { return found[f] != nullptr; };
    if (!present(Field::Count) || found[Field::Count]->value.empty() || !present(Field::Key) ||
        found[Field::Key]->value.empty() || !present(Field::Iv) || !present(Field::Aad) ||
        !present(Field::Ciphertext) || !present(Field::Tag) || (!present(Field::Plaintext) && !mustFail))
        return std::nullopt;
    std::array<std::size_t, NistGcmRecord::kFields> sizes{};
    for (std::size_t i = 0; i < Field::Count; ++i) sizes[i] = found[i] ? found[i]->value.size() / 2 : 0;
    sizes[Field::Count] = found[Field::Count]->value.size();
    NistGcmRecord record(arena, sizes, line);
    record.mustFail = mustFail;
    for (std::size_t i = 0; i < Field::Count; ++i) {
        if (found[i] == nullptr) continue;
        try {
            detail::decodeHexInto(found[i]->value, record.fill(static_cast<Field>(i)));
        } catch (const HexDecodeError& e) {
            throw detail::VectorParseError("vector file '" + path + "' line " + std::to_string(line) + ": " +
                                           std::string(kNames[i]) + ": " + e.what());
        }
    }
    const std::string_view count = found[Field::Count]->value;
    std::copy(count.begin(), count.end(), record.fill(Field::Count).begin());
    return record;
}

// Records with what keeps the arena they point into.
struct OwnedRecords {
    std::shared_ptr<const void> owner;
    std::vector<NistGcmRecord> records;
};

std::shared_ptr<const std::vector<NistGcmRecord>> owning(std::shared_ptr<const void> owner,
                                                         std::vector<NistGcmRecord>&& records) {
    records.shrink_to_fit();  // held for the whole run
    auto held = std::make_shared<OwnedRecords>(OwnedRecords{std::move(owner), std::move(records)});
    return std::shared_ptr<const std::vector<NistGcmRecord>>(held, &held->records);
}

std::optional<bool> directionOf(std::string_view fileName) {
    if (fileName.find("Encrypt") != std::string_view::npos) return true;
    if (fileName.find("Decrypt") != std::string_view::npos) return false;
    return std::nullopt;
}


// Every category of the directory, all key sizes, with the counts a usage
// needs. Records arrive one at a time; a category is a run of records of one
// file under the same properties.
struct NistGcmDirectory {
    std::vector<NistGcmCategoryData> categories;
    std::size_t files = 0, records = 0, noDirection = 0, missingField = 0;
};

NistGcmDirectory readNistGcm() {
    NistGcmDirectory dir;
    NistGcmCategoryData current;
    std::vector<NistGcmRecord> records;
    // Every file's fields in one arena; the texts are dropped as they are read.
    const auto arena = std::make_shared<detail::ByteArena>();
    std::span<const detail::FieldView> currentProperties;
    std::optional<bool> encrypt;
    const auto finishCategory = [&] {
        if (!records.empty()) {
            current.records = owning(arena, std::move(records));
            dir.categories.push_back(std::move(current));
        }
        current = {};
        records.clear();
    };
    const auto onFile = [&](detail::ViewedFile&& file) {
        for (const detail::CategoryView& category : file.categories) {
            for (std::size_t r = 0; r < category.records.size(); ++r) {
                ++dir.records;
                const std::size_t line = category.records[r].line;
                // currentProperties are views of the current file's parse: only
                // compared while that file is the one being read.
                if (file.path != current.file || !sameFields(category.properties, currentProperties)) {
                    finishCategory();
                    const std::string_view fileName = detail::fileNameOf(file.path);
                    encrypt = directionOf(fileName);
                    current.file = file.path;
                    current.name = categoryName(fileName, category.properties);
                    current.encrypt = encrypt.value_or(true);
                    currentProperties = category.properties;
                }
                if (!encrypt) {
                    ++dir.noDirection;
                    continue;
                }
                std::optional<NistGcmRecord> record = recordOf(category.record(r), line, file.path, *arena);
                if (!record) {
                    ++dir.missingField;
                    continue;
                }
                // Read as a decryption record, it would fail a correct implementation.
                if (record->mustFail && *encrypt) {
                    throw detail::VectorFileError(
                        "vector file '" + file.path + "' line " + std::to_string(line) +
                        ": record marked FAIL in an encryption file (only decryption files mark "
                        "records that must be refused)");
                }
                records.push_back(*record);
            }
        }
    };
    const auto countFiles = [&](std::string_view) { return ++dir.files, true; };
    detail::forEachVectorFileView(kNistGcmDirectory, "Count", countFiles, onFile);
    finishCategory();
    return dir;
}

std::shared_ptr<const NistGcmDirectory> sharedNistGcm() {
    static std::mutex lock;
    static std::string cachedPath, cachedSignature;
    static std::shared_ptr<const NistGcmDirectory> cached;
    const std::string path = detail::vectorDirectoryPath(kNistGcmDirectory);
    const std::lock_guard<std::mutex> guard(lock);
    const DirectorySignature before = directorySignature(path);
    if (cached && !before.key.empty() && path == cachedPath && before.key == cachedSignature) return cached;
    cached = nullptr;
    auto fresh = std::make_shared<const NistGcmDirectory>(readNistGcm());
    // Kept only when nothing changed while reading, and every file is old
    // enough that a later change shows in its times.
    const DirectorySignature after = directorySignature(path);
    if (!before.key.empty() && after.key == before.key && after.settled) {
        cachedPath = path;
        cachedSignature = before.key;
        cached = fresh;
    }
    return fresh;
}

}  // namespace

DirectorySignature directorySignature(const std::string& path) {
    DirectorySignature out{{}, true};
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(path.c_str()), ::closedir);
    if (!dir) return {};
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const auto recent = [&](const timespec& t) {
        return t.tv_sec > now.tv_sec - kSettleSeconds ||
               (t.tv_sec == now.tv_sec - kSettleSeconds && t.tv_nsec >= now.tv_nsec);
    };
    for (errno = 0; const dirent* entry = ::readdir(dir.get()); errno = 0) {
        const std::string name = entry->d_name;
        struct stat status {};
        // Followed links, as the reader opens them; an entry without status
        // stands for itself by name (the reader decides what it means).
        if (::stat((path + "/" + name).c_str(), &status) != 0) {
            out.key += name + "\n";
            continue;
        }
        if (recent(status.st_ctim) || recent(status.st_mtim)) out.settled = false;
        const struct timespec& mtime = status.st_mtim;
        const struct timespec& ctime = status.st_ctim;
        const long long fields[] = {static_cast<long long>(status.st_dev), static_cast<long long>(status.st_ino),
                                    static_cast<long long>(status.st_size), mtime.tv_sec, mtime.tv_nsec,
                                    ctime.tv_sec, ctime.tv_nsec};
        for (const long long field : fields) out.key += std::to_string(field) + ' ';
        out.key += name + "\n";
    }
    if (errno != 0) return {};
    return out;
}

std::vector<NistGcmCategoryData> loadNistGcm(int keyBits, detail::VectorUsage& usage) {
    const std::shared_ptr<const NistGcmDirectory> dir = sharedNistGcm();
    for (std::size_t f = 0; f < dir->files; ++f) usage.addFile(0);
    usage.addRecords(dir->records);
    if (dir->noDirection > 0) usage.skip("file name gives no direction", dir->noDirection);
    if (dir->missingField > 0) usage.skip("missing field", dir->missingField);
    const auto ofKeySize = [keyBits](const NistGcmRecord& r) { return r.key().size() * 8 == static_cast<std::size_t>(keyBits); };
    std::vector<NistGcmCategoryData> out;
    std::size_t otherSize = 0;
    for (const NistGcmCategoryData& category : dir->categories) {
        const auto& records = *category.records;
        const auto fitting = static_cast<std::size_t>(std::count_if(records.begin(), records.end(), ofKeySize));
        otherSize += records.size() - fitting;
        for (std::size_t i = 0; i < fitting; ++i) usage.use();
        if (fitting == 0) continue;
        NistGcmCategoryData mine = category;
        if (fitting < records.size()) {
            std::vector<NistGcmRecord> kept;
            std::copy_if(records.begin(), records.end(), std::back_inserter(kept), ofKeySize);
            mine.records = owning(category.records, std::move(kept));
        }
        out.push_back(std::move(mine));
    }
    if (otherSize > 0) usage.skip("another key size", otherSize);
    return out;
}

namespace {

// A test of any of the three schemas as nonce, AAD, plaintext, ciphertext and
// tag. A MAC with an IV (GMAC) authenticates its message as AAD over an empty
// plaintext; a deterministic AEAD (SIV) has no nonce and puts its 16-byte
// tag in front of the ciphertext (a shorter one is all tag).
WycheproofGcmTest aeadTestOf(const std::string& groupType, const detail::WycheproofTest& test) {
    WycheproofGcmTest out;
    out.key = test.text("key");
    if (groupType == "MacWithIvTest") {
        (void)test.hex("msg"), (void)test.hex("tag");  // bad hex: an error now
        out.iv = test.text("iv");
        out.aad = test.text("msg");
        out.tag = test.text("tag");
        return out;
    }
    if (groupType == "DaeadTest") {
        (void)test.hex("aad"), (void)test.hex("msg"), (void)test.hex("ct");
        out.aad = test.text("aad");
        out.msg = test.text("msg");
        const std::string& sealed = test.text("ct");
        const std::size_t tagHex = std::min<std::size_t>(sealed.size(), 32);
        out.tag = sealed.substr(0, tagHex);
        out.ct = sealed.substr(tagHex);
        return out;
    }
    for (const char* field : {"iv", "aad", "msg", "ct", "tag"}) (void)test.hex(field);  // bad hex: an error now
    out.iv = test.text("iv");
    out.aad = test.text("aad");
    out.msg = test.text("msg");
    out.ct = test.text("ct");
    out.tag = test.text("tag");
    return out;
}

}  // namespace

std::vector<WycheproofGcmCase> loadWycheproofGcm(int keyBits, detail::VectorUsage& usage) {
    const std::shared_ptr<const detail::WycheproofFile> shared = detail::readWycheproofFile(usage.directory());
    const detail::WycheproofFile& file = *shared;
    usage.addFile(file.testCount());
    const std::string fileName(detail::fileNameOf(file.path));
    std::vector<WycheproofGcmCase> out;
    for (const detail::WycheproofGroup& group : file.groups) {
        for (const detail::WycheproofTest& test : group.tests) {
            if (test.hex("key").size() * 8 != static_cast<std::size_t>(keyBits)) {
                usage.skip("another key size");
                continue;
            }
            if (test.result != "valid" && test.result != "invalid") {
                usage.skip("result neither valid nor invalid");
                continue;
            }
            usage.use();
            WycheproofGcmTest gcm = aeadTestOf(group.text("type"), test);
            gcm.description = describeWycheproofTest(file, test);
            gcm.valid = test.result == "valid";
            out.push_back({fileName + "-" + std::to_string(test.tcId), std::move(gcm), file.path, test.line});
        }
    }
    return out;
}

}  // namespace zelkor::tests::gcm_detail
