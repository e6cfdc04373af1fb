#include "zelkor/tests/detail/GcmKnownAnswers.hpp"

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

std::string categoryName(std::string_view fileName, const Category& category) {
    std::string name(fileName);
    for (const Property& property : category.properties) name += "-" + property.name + property.value;
    return name;
}

std::optional<NistGcmRecord> recordOf(const Record& fields, std::size_t line) {
    NistGcmRecord record;
    record.line = line;
    bool plaintext = false, ciphertext = false, iv = false, aad = false, tag = false;
    for (const Field& field : fields) {
        if (field.name == "Count") record.count = field.value;
        else if (field.name == "Key") record.key = field.value;
        else if (field.name == "IV") (record.iv = field.value, iv = true);
        else if (field.name == "PT") (record.plaintext = field.value, plaintext = true);
        else if (field.name == "AAD") (record.aad = field.value, aad = true);
        else if (field.name == "CT") (record.ciphertext = field.value, ciphertext = true);
        else if (field.name == "Tag") (record.tag = field.value, tag = true);
        else if (field.name == "FAIL") record.mustFail = true;
    }
    if (record.count.empty() || record.key.empty() || !iv || !aad || !ciphertext || !tag || (!plaintext && !record.mustFail)) return std::nullopt;
    return record;
}

std::optional<bool> directionOf(std::string_view fileName) {
    if (fileName.find("Encrypt") != std::string_view::npos) return true;
    if (fileName.find("Decrypt") != std::string_view::npos) return false;
    return std::nullopt;
}

}  // namespace

std::vector<NistGcmCategoryData> loadNistGcm(int keyBits, detail::VectorUsage& usage) {
    std::vector<NistGcmCategoryData> out;
    for (detail::LoadedFile& file : detail::loadVectorDirectory(kNistGcmDirectory, "Count")) {
        usage.addFile(file.recordCount());
        const std::string_view fileName = detail::fileNameOf(file.path);
        const std::optional<bool> encrypt = directionOf(fileName);
        if (!encrypt) {
            usage.skip("file name gives no direction", file.recordCount());
            continue;
        }
        for (std::size_t c = 0; c < file.categories.size(); ++c) {
            const Category& category = file.categories[c];
            NistGcmCategoryData data{categoryName(fileName, category), file.path, *encrypt, {}};
            for (std::size_t r = 0; r < category.records.size(); ++r) {
                const std::size_t line = c < file.recordLines.size() && r < file.recordLines[c].size()
                                             ? file.recordLines[c][r] : 0;
                std::optional<NistGcmRecord> record = recordOf(category.records[r], line);
                if (!record) {
                    usage.skip("missing field");
                } else if (record->key.size() * 4 != static_cast<std::size_t>(keyBits)) {
                    usage.skip("another key size");
                } else {
                    usage.use();
                    data.records.push_back(std::move(*record));
                }
            }
            if (!data.records.empty()) out.push_back(std::move(data));
        }
    }
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
