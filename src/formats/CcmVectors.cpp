#include "zelkor/tests/detail/formats/CcmVectors.hpp"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/detail/bytes/ByteArena.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

namespace zelkor::tests::ccm_detail {

namespace {

using gcm_detail::NistGcmCategoryData;
using gcm_detail::NistGcmRecord;

std::string trim(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    return std::string(text.substr(begin, end - begin));
}

// "name = value" split and trimmed; none without "=".
std::optional<std::pair<std::string, std::string>> splitField(std::string_view line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return std::pair{trim(line.substr(0, eq)), trim(line.substr(eq + 1))};
}

[[noreturn]] void badRecord(const std::string& path, std::size_t line, const std::string& why) {
    throw detail::VectorParseError(path + ":" + std::to_string(line) + ": CCM record: " + why);
}

class CcmFileReader {
public:
    explicit CcmFileReader(std::string path) : path_(std::move(path)), fileName_(detail::fileNameOf(path_)) {}

    void line(std::size_t number, std::string_view text) {
        if (text.empty() || text.front() == '#') return;
        if (text.front() == '[') {
            finishRecord();
            header(text);
            return;
        }
        auto field = splitField(text);
        if (!field) return;
        auto& [name, value] = *field;
        if (name == "Count") {
            finishRecord();
            inRecord_ = true;
            recordLine_ = number;
            record_.clear();
            record_["Count"] = value;
        } else if (inRecord_) {
            record_[name] = value;
        } else {
            shared_[name] = value;
        }
    }

    std::vector<NistGcmCategoryData> finish() {
        finishRecord();
        closeCategory();
        return std::move(categories_);
    }

private:
    void header(std::string_view text) {
        closeCategory();
        std::string inner(text);
        std::erase(inner, '[');
        std::erase(inner, ']');
        std::string suffix;
        std::size_t start = 0;
        while (start <= inner.size()) {
            const std::size_t comma = std::min(inner.find(',', start), inner.size());
            if (auto field = splitField(std::string_view(inner).substr(start, comma - start))) {
                shared_[field->first] = field->second;
                suffix += "-" + field->first + field->second;
            }
            start = comma + 1;
        }
        categoryName_ = fileName_ + suffix;
    }

    void closeCategory() {
        // Decryption and encryption records never share a header in these files;
        // split them anyway, so each case has one direction.
        for (auto* part : {&sealed_, &opened_}) {
            if (part->empty()) continue;
            NistGcmCategoryData category;
            category.name = categoryName_.empty() ? fileName_ : categoryName_;
            category.file = path_;
            category.encrypt = part == &sealed_;
            // The records' fields are spans of the file's arena, which
            // every category of the file keeps alive.
            auto held = std::make_shared<HeldRecords>(HeldRecords{arena_, std::move(*part)});
            category.records = std::shared_ptr<const std::vector<NistGcmRecord>>(held, &held->records);
            categories_.push_back(std::move(category));
            part->clear();
        }
    }

    std::string value(const std::string& name) const {
        if (auto it = record_.find(name); it != record_.end()) return it->second;
        if (auto it = shared_.find(name); it != shared_.end()) return it->second;
        badRecord(path_, recordLine_, "no " + name);
    }

    std::size_t length(const std::string& name) const {
        const std::string text = value(name);
        if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), [](char c) {
                return std::isdigit(static_cast<unsigned char>(c));
            })) {
            badRecord(path_, recordLine_, name + " = " + text + " is not a length");
        }
        return std::stoul(text);
    }

    // The first `bytes` bytes of a hex field: "00" stands for the empty value.
    std::string hexOf(const std::string& name, std::size_t bytes) const {
        std::string hex = value(name);
        if (bytes == 0 && hex == "00") return {};
        if (hex.size() != 2 * bytes) {
            badRecord(path_, recordLine_,
                      name + " holds " + std::to_string(hex.size()) + " hex digits, not " + std::to_string(2 * bytes));
        }
        return hex;
    }

    void finishRecord() {
        if (!inRecord_) return;
        inRecord_ = false;
        const std::size_t alen = length("Alen"), plen = length("Plen"), nlen = length("Nlen"), tlen = length("Tlen");
        const auto result = record_.find("Result");
        const bool mustFail = result != record_.end() && result->second.starts_with("Fail");
        const std::string key = value("Key"), nonce = hexOf("Nonce", nlen), adata = hexOf("Adata", alen);
        const std::string ct = hexOf("CT", plen + tlen), payload = mustFail ? "" : hexOf("Payload", plen);
        const std::string count = value("Count");
        NistGcmRecord record(*arena_, {key.size() / 2, nlen, payload.size() / 2, alen, plen, tlen, count.size()},
                             recordLine_);
        record.mustFail = mustFail;
        decode("Key", key, record.fill(NistGcmRecord::Key));
        decode("Nonce", nonce, record.fill(NistGcmRecord::Iv));
        decode("Adata", adata, record.fill(NistGcmRecord::Aad));
        decode("Payload", payload, record.fill(NistGcmRecord::Plaintext));
        // The record's tag follows its ciphertext, as in the file's CT.
        decode("CT", ct, {record.fill(NistGcmRecord::Ciphertext).data(), plen + tlen});
        std::copy(count.begin(), count.end(), record.fill(NistGcmRecord::Count).begin());
        (result == record_.end() ? sealed_ : opened_).push_back(std::move(record));
    }

    struct HeldRecords {
        std::shared_ptr<const detail::ByteArena> arena;
        std::vector<NistGcmRecord> records;
    };

    void decode(const std::string& name, const std::string& hex, std::span<std::uint8_t> into) const {
        try {
            detail::decodeHexInto(hex, into);
        } catch (const HexDecodeError& e) {
            badRecord(path_, recordLine_, name + ": " + e.what());
        }
    }

    std::shared_ptr<detail::ByteArena> arena_ = std::make_shared<detail::ByteArena>();
    std::string path_;
    std::string fileName_;
    std::string categoryName_;
    std::map<std::string, std::string> shared_;
    std::map<std::string, std::string> record_;
    bool inRecord_ = false;
    std::size_t recordLine_ = 0;
    std::vector<NistGcmRecord> sealed_, opened_;
    std::vector<NistGcmCategoryData> categories_;
};

}  // namespace

std::vector<NistGcmCategoryData> parseNistCcm(const std::string& path, std::string_view text) {
    CcmFileReader reader(path);
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string line(text.substr(0, end));
        std::erase(line, '\r');
        reader.line(++number, trim(line));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return reader.finish();
}

std::vector<NistGcmCategoryData> loadNistCcm(std::string_view directory, int keyBits, detail::VectorUsage& usage) {
    // The listing alone: every name is declined, so nothing is parsed twice.
    std::vector<std::string> names;
    (void)detail::loadVectorDirectory(directory, "Count", [&names](std::string_view name) {
        names.emplace_back(name);
        return false;
    });
    const std::string dir = detail::vectorDirectoryPath(directory);
    std::vector<NistGcmCategoryData> out;
    std::size_t otherSize = 0;
    for (const std::string& name : names) {
        const std::string path = dir + "/" + name;
        std::vector<NistGcmCategoryData> categories = parseNistCcm(path, detail::readVectorFileText(path));
        std::size_t records = 0;
        for (NistGcmCategoryData& category : categories) {
            records += category.records->size();
            const bool fits = std::all_of(category.records->begin(), category.records->end(),
                                          [keyBits](const NistGcmRecord& r) {
                                              return r.key().size() * 8 == static_cast<std::size_t>(keyBits);
                                          });
            if (!fits) {
                otherSize += category.records->size();
                continue;
            }
            for (std::size_t i = 0; i < category.records->size(); ++i) usage.use();
            out.push_back(std::move(category));
        }
        usage.addFile(records);
    }
    if (otherSize > 0) usage.skip("another key size", otherSize);
    return out;
}

}  // namespace zelkor::tests::ccm_detail
