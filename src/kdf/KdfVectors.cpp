#include "zelkor/tests/detail/formats/KdfVectors.hpp"

#include <algorithm>
#include <iterator>
#include <optional>
#include <utility>

#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"
#include "zelkor/tests/detail/formats/Wycheproof.hpp"

namespace zelkor::tests::kdf_detail {

namespace {

std::string about(const detail::WycheproofTest& test) {
    std::string flags;
    for (const std::string& flag : test.flags) flags += (flags.empty() ? "" : ", ") + flag;
    return "comment \"" + test.comment + "\", flags [" + flags + "], result " + test.result;
}

std::uint64_t number(const std::string& text, const std::string& where, const char* field) {
    std::size_t used = 0;
    unsigned long long value = 0;
    try {
        value = std::stoull(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size() || text.front() == '-') {
        throw detail::VectorFileError("vector file " + where + ": " + field + " \"" + text + "\" is not a number");
    }
    return value;
}

std::size_t sizeNumber(std::int64_t value, const std::string& where, const char* field) {
    if (value < 0) {
        throw detail::VectorFileError("vector file " + where + ": " + field + " " + std::to_string(value) +
                                      " is negative");
    }
    return static_cast<std::size_t>(value);
}

// Text with "\0" for a zero byte.
ByteString textBytes(const std::string& text) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '0') {
            out.push_back(0);
            ++i;
        } else {
            out.push_back(static_cast<std::uint8_t>(text[i]));
        }
    }
    return ByteString(std::move(out));
}

template <class V, class Make>
KdfVectors<V> records(std::string_view directory, std::string_view prefix, const std::vector<const char*>& fields,
                      Make make) {
    auto usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath(directory));
    std::vector<V> out;
    const auto keep = [prefix](std::string_view name) { return name.starts_with(prefix); };
    for (const detail::LoadedFile& file : detail::loadVectorDirectory(directory, "COUNT", keep)) {
        usage->addFile(file.recordCount());
        const std::string fileName(detail::fileNameOf(file.path));
        for (std::size_t c = 0; c < file.categories.size(); ++c) {
            const auto& recs = file.categories[c].records;
            for (std::size_t r = 0; r < recs.size(); ++r) {
                std::vector<std::string> values;
                for (const char* field : fields) {
                    if (std::optional<std::string> value = lookup(recs[r], field)) values.push_back(std::move(*value));
                }
                if (values.size() != fields.size()) {
                    usage->skip("missing field");
                    continue;
                }
                const std::string where = file.origin(c, r, nullptr).where();
                std::optional<V> vector = make(values, where, *usage);
                if (!vector) continue;
                usage->use();
                vector->name = fileName + "-" + values[0];
                vector->origin = file.origin(c, r, usage);
                out.push_back(std::move(*vector));
            }
        }
    }
    return {std::move(usage), std::move(out)};
}

}  // namespace

KdfVectors<HkdfVector> hkdfRecords(std::string_view directory, std::string_view hashName) {
    return records<HkdfVector>(
        directory, "", {"COUNT", "Hash", "IKM", "salt", "info", "L", "OKM"},
        [hashName](const std::vector<std::string>& v, const std::string& where,
                   detail::VectorUsage& usage) -> std::optional<HkdfVector> {
            if (v[1] != hashName) {
                usage.skip("another hash");
                return std::nullopt;
            }
            HkdfVector vector;
            vector.ikm = hexStringToBS(v[2]);
            vector.salt = hexStringToBS(v[3]);
            vector.info = hexStringToBS(v[4]);
            vector.length = static_cast<std::size_t>(number(v[5], where, "L"));
            vector.okm = hexStringToBS(v[6]);
            if (vector.okm.size() != vector.length) {
                throw detail::VectorFileError("vector file " + where + ": OKM is not L bytes");
            }
            return vector;
        });
}

KdfVectors<HkdfVector> wycheproofHkdfTests(std::string_view fileName) {
    const std::string path = detail::wycheproofPath(fileName);
    auto usage = std::make_shared<detail::VectorUsage>(path);
    const std::shared_ptr<const detail::WycheproofFile> shared = detail::readWycheproofFile(path);
    const detail::WycheproofFile& file = *shared;
    usage->addFile(file.testCount());
    std::vector<HkdfVector> out;
    for (const auto& group : file.groups) {
        for (const auto& test : group.tests) {
            if (test.result != "valid" && test.result != "invalid") {
                usage->skip("result " + test.result);
                continue;
            }
            usage->use();
            HkdfVector vector{std::string(fileName) + "-" + std::to_string(test.tcId),
                              lineOrigin(file.path, test.line, usage),
                              about(test),
                              test.hex("ikm"),
                              test.hex("salt"),
                              test.hex("info"),
                              test.hex("okm"),
                              sizeNumber(test.integer("size"), test.where(), "size"),
                              test.result == "valid"};
            out.push_back(std::move(vector));
        }
    }
    return {std::move(usage), std::move(out)};
}

KdfVectors<Pbkdf2Vector> pbkdf2Records(std::string_view directory, std::string_view prefix, std::size_t hashBytes) {
    KdfVectors<Pbkdf2Vector> out = records<Pbkdf2Vector>(
        directory, prefix, {"COUNT", "PASSWORD", "SALT", "ITERATIONS", "LENGTH", "DERIVED_KEY"},
        [](const std::vector<std::string>& v, const std::string& where,
           detail::VectorUsage&) -> std::optional<Pbkdf2Vector> {
            Pbkdf2Vector vector;
            vector.password = textBytes(v[1]);
            vector.salt = textBytes(v[2]);
            vector.iterations = number(v[3], where, "ITERATIONS");
            vector.length = static_cast<std::size_t>(number(v[4], where, "LENGTH"));
            vector.derived = hexStringToBS(v[5]);
            if (vector.derived.size() != vector.length) {
                throw detail::VectorFileError("vector file " + where + ": DERIVED_KEY is not LENGTH bytes");
            }
            return vector;
        });
    // Files are marked one by one: their vectors follow each other.
    std::size_t first = 0;
    for (std::size_t i = 0; i <= out.vectors.size(); ++i) {
        if (i == out.vectors.size() || out.vectors[i].origin.file != out.vectors[first].origin.file) {
            std::vector<Pbkdf2Vector> file(std::make_move_iterator(out.vectors.begin() + static_cast<std::ptrdiff_t>(first)),
                                           std::make_move_iterator(out.vectors.begin() + static_cast<std::ptrdiff_t>(i)));
            markLongCases(file, 0, hashBytes);
            std::move(file.begin(), file.end(), out.vectors.begin() + static_cast<std::ptrdiff_t>(first));
            first = i;
        }
    }
    return out;
}

KdfVectors<Pbkdf2Vector> wycheproofPbkdf2Tests(std::string_view fileName, std::size_t hashBytes) {
    const std::string path = detail::wycheproofPath(fileName);
    auto usage = std::make_shared<detail::VectorUsage>(path);
    const std::shared_ptr<const detail::WycheproofFile> shared = detail::readWycheproofFile(path);
    const detail::WycheproofFile& file = *shared;
    usage->addFile(file.testCount());
    std::vector<Pbkdf2Vector> out;
    for (const auto& group : file.groups) {
        for (const auto& test : group.tests) {
            if (test.result != "valid") {
                usage->skip("result " + test.result);
                continue;
            }
            usage->use();
            Pbkdf2Vector vector;
            vector.name = std::string(fileName) + "-" + std::to_string(test.tcId);
            vector.origin = lineOrigin(file.path, test.line, usage);
            vector.about = about(test);
            vector.password = test.hex("password");
            vector.salt = test.hex("salt");
            vector.iterations = sizeNumber(test.integer("iterationCount"), test.where(), "iterationCount");
            vector.length = sizeNumber(test.integer("dkLen"), test.where(), "dkLen");
            vector.derived = test.hex("dk");
            out.push_back(std::move(vector));
        }
    }
    markLongCases(out, 0, hashBytes);
    return {std::move(usage), std::move(out)};
}

void markLongCases(std::vector<Pbkdf2Vector>& vectors, std::size_t firstOfFile, std::size_t hashBytes) {
    bool firstCostly = true;
    for (std::size_t i = firstOfFile; i < vectors.size(); ++i) {
        Pbkdf2Vector& v = vectors[i];
        if (v.iterations <= 2) continue;
        const std::uint64_t blocks = hashBytes == 0 ? 1 : (v.length + hashBytes - 1) / hashBytes;
        v.longCase = !firstCostly || v.iterations * std::max<std::uint64_t>(blocks, 1) > 100000;
        if (!v.longCase) firstCostly = false;
    }
}

void requireLongKdfRuns(const Pbkdf2Vector& vector) {
    requireLongCases("long case (" + std::to_string(vector.iterations) + " iterations)");
}

}  // namespace zelkor::tests::kdf_detail
