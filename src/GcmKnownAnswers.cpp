#include "zelkor/tests/detail/GcmKnownAnswers.hpp"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <mutex>

#include "zelkor/tests/detail/GcmVectors.hpp"
#include "zelkor/tests/detail/Report.hpp"
#include "zelkor/tests/detail/VectorDirectory.hpp"

namespace zelkor::tests::gcm_detail {

std::string recordPlace(const std::string& file, const NistGcmRecord& record) {
    return file + ":" + std::to_string(record.line) + " Count = " + record.count + ": ";
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

std::string categoryName(std::string_view fileName, const std::vector<Property>& properties) {
    std::string name(fileName);
    for (const Property& property : properties) name += "-" + property.name + property.value;
    return name;
}

std::optional<NistGcmRecord> recordOf(Record&& fields, std::size_t line) {
    NistGcmRecord record;
    record.line = line;
    bool plaintext = false, ciphertext = false, iv = false, aad = false, tag = false;
    for (Field& field : fields) {
        std::string& value = field.value;
        if (field.name == "Count") record.count = std::move(value);
        else if (field.name == "Key") record.key = std::move(value);
        else if (field.name == "IV") (record.iv = std::move(value), iv = true);
        else if (field.name == "PT") (record.plaintext = std::move(value), plaintext = true);
        else if (field.name == "AAD") (record.aad = std::move(value), aad = true);
        else if (field.name == "CT") (record.ciphertext = std::move(value), ciphertext = true);
        else if (field.name == "Tag") (record.tag = std::move(value), tag = true);
        else if (field.name == "FAIL") record.mustFail = true;
    }
    if (record.count.empty() || record.key.empty() || !iv || !aad || !ciphertext || !tag ||
        (!plaintext && !record.mustFail))
        return std::nullopt;
    return record;
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
    std::vector<Property> currentProperties;
    std::optional<bool> encrypt;
    const auto finishCategory = [&] {
        if (!records.empty()) {
            current.records = std::make_shared<const std::vector<NistGcmRecord>>(std::move(records));
            dir.categories.push_back(std::move(current));
        }
        current = {};
        records.clear();
    };
    const auto onRecord = [&](const std::string& path, std::size_t line, const std::vector<Property>& properties,
                              Record&& fields) {
        ++dir.records;
        if (path != current.file || properties != currentProperties) {
            finishCategory();
            const std::string_view fileName = detail::fileNameOf(path);
            encrypt = directionOf(fileName);
            current.file = path;
            current.name = categoryName(fileName, properties);
            current.encrypt = encrypt.value_or(true);
            currentProperties = properties;
        }
        if (!encrypt) return void(++dir.noDirection);
        std::optional<NistGcmRecord> record = recordOf(std::move(fields), line);
        if (!record) return void(++dir.missingField);
        records.push_back(std::move(*record));
    };
    detail::VectorUsage ignored("");
    const auto countFiles = [&](std::string_view) { return ++dir.files, true; };
    detail::forEachVectorRecord(kNistGcmDirectory, "Count", countFiles, onRecord, ignored);
    finishCategory();
    return dir;
}

// What identifies the directory's contents: each entry's name, size and
// modification time; empty when the directory cannot be listed.
std::string directorySignature(const std::string& path) {
    std::error_code error;
    std::string signature;
    for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
        const auto size = entry.is_regular_file(error) ? entry.file_size(error) : 0;
        const auto time = entry.last_write_time(error).time_since_epoch().count();
        signature += entry.path().filename().string() + '\0' + std::to_string(size) + '\0' + std::to_string(time) + '\n';
    }
    return error ? std::string() : signature;
}

std::shared_ptr<const NistGcmDirectory> sharedNistGcm() {
    static std::mutex lock;
    static std::string cachedPath, cachedSignature;
    static std::shared_ptr<const NistGcmDirectory> cached;
    const std::string path = detail::vectorDirectoryPath(kNistGcmDirectory);
    const std::lock_guard<std::mutex> guard(lock);
    const std::string signature = directorySignature(path);
    if (cached && !signature.empty() && path == cachedPath && signature == cachedSignature) return cached;
    auto fresh = std::make_shared<const NistGcmDirectory>(readNistGcm());
    cachedPath = path;
    cachedSignature = signature;
    cached = signature.empty() ? nullptr : fresh;
    return fresh;
}

}  // namespace

std::vector<NistGcmCategoryData> loadNistGcm(int keyBits, detail::VectorUsage& usage) {
    const std::shared_ptr<const NistGcmDirectory> dir = sharedNistGcm();
    for (std::size_t f = 0; f < dir->files; ++f) usage.addFile(0);
    usage.addRecords(dir->records);
    if (dir->noDirection > 0) usage.skip("file name gives no direction", dir->noDirection);
    if (dir->missingField > 0) usage.skip("missing field", dir->missingField);
    const auto ofKeySize = [keyBits](const NistGcmRecord& r) { return r.key.size() * 4 == static_cast<std::size_t>(keyBits); };
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
            mine.records = std::make_shared<const std::vector<NistGcmRecord>>(std::move(kept));
        }
        out.push_back(std::move(mine));
    }
    if (otherSize > 0) usage.skip("another key size", otherSize);
    return out;
}

std::vector<WycheproofGcmCase> loadWycheproofGcm(int keyBits, detail::VectorUsage& usage) {
    const detail::WycheproofFile file = detail::readWycheproofFile(usage.directory());
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
            for (const char* field : {"iv", "aad", "msg", "ct", "tag"}) (void)test.hex(field);  // bad hex: an error now
            usage.use();
            WycheproofGcmTest gcm{describeWycheproofTest(file, test), test.result == "valid", test.text("key"),
                                  test.text("iv"), test.text("aad"), test.text("msg"), test.text("ct"),
                                  test.text("tag")};
            out.push_back({fileName + "-" + std::to_string(test.tcId), std::move(gcm), file.path, test.line});
        }
    }
    return out;
}

}  // namespace zelkor::tests::gcm_detail
