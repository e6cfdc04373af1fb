// A cipher's own vector files: records in the NIST layout whose mode is named
// by the file, and tables of numbered key, plaintext and ciphertext lines.

#include <algorithm>
#include <cctype>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/formats/ModeVectors.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

namespace zelkor::tests::mode_detail {

namespace {

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

// The field of that name in any letter case ("key" or "KEY").
std::optional<std::string> field(const Record& record, std::string_view name) {
    for (const Field& f : record) {
        if (lowered(f.name) == lowered(name)) return f.value;
    }
    return std::nullopt;
}

// The mode word of a text ("camellia-cbc.txt", "# SEED CBC"), as a whole word
// of letters and digits; none when it names no mode or more than one.
std::optional<ModeKind> modeNamedIn(std::string_view text) {
    static constexpr std::pair<std::string_view, ModeKind> kModes[] = {
        {"ecb", ModeKind::Ecb}, {"cbc", ModeKind::Cbc}, {"cfb", ModeKind::Cfb},
        {"ofb", ModeKind::Ofb}, {"ctr", ModeKind::Ctr},
    };
    std::optional<ModeKind> found;
    std::string word;
    const std::string lower = lowered(text) + " ";
    for (const char c : lower) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            word += c;
            continue;
        }
        for (const auto& [name, mode] : kModes) {
            if (word != name) continue;
            if (found && *found != mode) return std::nullopt;
            found = mode;
        }
        word.clear();
    }
    return found;
}

// The mode of a file from its name, else from the comment lines before its
// first record.
std::optional<ModeKind> modeOfFile(std::string_view fileName, const std::string& text) {
    if (auto mode = modeNamedIn(detail::baseNameOf(fileName))) return mode;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '[') continue;
        if (line[0] != '#') break;
        if (auto mode = modeNamedIn(line)) return mode;
    }
    return std::nullopt;
}

// Whether the category's header says [ENCRYPT] or [DECRYPT]; none otherwise.
std::optional<bool> directionOf(const std::vector<Property>& properties) {
    for (const Property& p : properties) {
        if (p.name == "ENCRYPT") return true;
        if (p.name == "DECRYPT") return false;
    }
    return std::nullopt;
}

void addNistRecords(const detail::LoadedFile& file, const std::string& text, int keyBits, LoadedModeVectors& out) {
    const std::string fileName(detail::fileNameOf(file.path));
    const std::optional<ModeKind> named = modeOfFile(fileName, text);
    for (std::size_t c = 0; c < file.categories.size(); ++c) {
        const bool encrypt = directionOf(file.categories[c].properties).value_or(true);
        for (std::size_t r = 0; r < file.categories[c].records.size(); ++r) {
            const Record& record = file.categories[c].records[r];
            const auto count = field(record, "COUNT"), key = field(record, "KEY"), iv = field(record, "IV");
            const auto plaintext = field(record, "PLAINTEXT"), ciphertext = field(record, "CIPHERTEXT");
            if (!count || !key || !plaintext || !ciphertext) {
                out.usage->skip("missing field");
                continue;
            }
            const std::optional<ModeKind> mode = named ? named : iv ? std::nullopt : std::optional(ModeKind::Ecb);
            if (!mode) {
                out.usage->skip("no mode named");
                continue;
            }
            if (*mode != ModeKind::Ecb && !iv) {
                out.usage->skip("missing field");
                continue;
            }
            ModeVector v;
            v.key = hexStringToBS(*key);
            if (v.key.size() * 8 != static_cast<std::size_t>(keyBits)) {
                out.usage->skip("another key size");
                continue;
            }
            v.name = fileName + "-" + *count;
            v.group = fileName + (encrypt ? "-ENCRYPT" : "-DECRYPT");
            v.kind = *mode;
            v.encrypt = encrypt;
            if (iv) v.iv = hexStringToBS(*iv);
            v.input = hexStringToBS(encrypt ? *plaintext : *ciphertext);
            v.output = hexStringToBS(encrypt ? *ciphertext : *plaintext);
            v.origin = file.origin(c, r, out.usage);
            out.usage->use();
            out.vectors.push_back(std::move(v));
        }
    }
}

// "K No.001 : 00 11 ..." as ("K", "001", bytes); none for any other line.
struct TableLine {
    char kind;
    std::string number;
    std::string hex;
};

std::optional<TableLine> tableLine(const std::string& line) {
    const std::size_t colon = line.find(':');
    if (line.size() < 5 || line.compare(1, 4, " No.") != 0 || colon == std::string::npos) return std::nullopt;
    TableLine out{line[0], line.substr(5, colon - 5), {}};
    out.number.erase(std::remove(out.number.begin(), out.number.end(), ' '), out.number.end());
    for (std::size_t i = colon + 1; i < line.size(); ++i) {
        if (!std::isspace(static_cast<unsigned char>(line[i]))) out.hex += line[i];
    }
    return out;
}

void addTableRecords(const std::string& path, const std::string& text, int keyBits, LoadedModeVectors& out) {
    const std::string fileName(detail::fileNameOf(path));
    std::istringstream lines(text);
    std::string line;
    std::size_t lineNumber = 0, records = 0;
    std::optional<std::pair<std::string, ByteString>> key;  // number and bytes
    std::optional<std::pair<TableLine, std::size_t>> plain;  // and its line
    std::vector<ModeVector> decryptions;
    while (std::getline(lines, line)) {
        ++lineNumber;
        const std::optional<TableLine> entry = tableLine(line);
        if (!entry) continue;
        if (entry->kind == 'K') {
            key = std::pair(entry->number, hexStringToBS(entry->hex));
        } else if (entry->kind == 'P') {
            plain = std::pair(*entry, lineNumber);
        } else if (entry->kind == 'C') {
            ++records;
            if (!key || !plain || plain->first.number != entry->number) {
                out.usage->skip("ciphertext without its key and plaintext");
                continue;
            }
            if (key->second.size() * 8 != static_cast<std::size_t>(keyBits)) {
                out.usage->skip("another key size");
                continue;
            }
            ModeVector v;
            v.name = fileName + "-K" + key->first + "-P" + entry->number;
            v.group = fileName + "-ENCRYPT";
            v.kind = ModeKind::Ecb;
            v.key = key->second;
            v.input = hexStringToBS(plain->first.hex);
            v.output = hexStringToBS(entry->hex);
            v.origin = lineOrigin(path, plain->second, out.usage);
            out.usage->use();
            ModeVector back = v;
            back.group = fileName + "-DECRYPT";
            back.encrypt = false;
            std::swap(back.input, back.output);
            out.vectors.push_back(std::move(v));
            decryptions.push_back(std::move(back));
        }
    }
    out.usage->addRecords(records);
    for (ModeVector& v : decryptions) out.vectors.push_back(std::move(v));
}

}  // namespace

LoadedModeVectors loadCipherFiles(std::string_view directory, int keyBits) {
    LoadedModeVectors out;
    out.usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath(directory));
    for (const detail::LoadedFile& file : detail::loadVectorDirectory(directory, "COUNT")) {
        const std::string text = detail::readVectorFileText(file.path);
        if (file.recordCount() > 0) {
            out.usage->addFile(file.recordCount());
            addNistRecords(file, text, keyBits, out);
        } else {
            out.usage->addFile(0);
            addTableRecords(file.path, text, keyBits, out);
        }
    }
    return out;
}

}  // namespace zelkor::tests::mode_detail
