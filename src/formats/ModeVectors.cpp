#include "zelkor/tests/detail/formats/ModeVectors.hpp"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"
#include "zelkor/tests/detail/formats/Wycheproof.hpp"

namespace zelkor::tests::mode_detail {

namespace {

bool endsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool startsWith(std::string_view text, std::string_view head) { return text.substr(0, head.size()) == head; }

// A string of '0' and '1' as bytes, most significant bit first; none for any
// other character.
std::optional<ByteString> bitsToBytes(const std::string& bits) {
    std::vector<std::uint8_t> out((bits.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < bits.size(); ++i) {
        if (bits[i] != '0' && bits[i] != '1') return std::nullopt;
        if (bits[i] == '1') out[i / 8] = static_cast<std::uint8_t>(out[i / 8] | (0x80 >> (i % 8)));
    }
    return ByteString(std::move(out));
}

// A decimal number as 16 little-endian bytes; none when it is not decimal or
// does not fit.
std::optional<ByteString> decimalTweak(const std::string& text) {
    std::vector<std::uint8_t> out(16, 0);
    if (text.empty()) return std::nullopt;
    for (const char digit : text) {
        if (digit < '0' || digit > '9') return std::nullopt;
        unsigned carry = static_cast<unsigned>(digit - '0');
        for (std::uint8_t& byte : out) {
            const unsigned value = byte * 10u + carry;
            byte = static_cast<std::uint8_t>(value);
            carry = value >> 8;
        }
        if (carry != 0) return std::nullopt;
    }
    return ByteString(std::move(out));
}

// Whether the category's header says [ENCRYPT] or [DECRYPT]; none otherwise.
std::optional<bool> directionOf(const std::vector<Property>& properties) {
    for (const Property& p : properties) {
        if (p.name == "ENCRYPT") return true;
        if (p.name == "DECRYPT") return false;
    }
    return std::nullopt;
}

// Every record of the kept files of Test/<directory>, with its category's
// direction, file name and origin.
template <class OnRecord>
void eachNistRecord(std::string_view directory, const std::function<bool(std::string_view)>& keep,
                    const std::shared_ptr<detail::VectorUsage>& usage, OnRecord&& onRecord) {
    for (const detail::LoadedFile& file : detail::loadVectorDirectory(directory, "COUNT", keep)) {
        usage->addFile(file.recordCount());
        const std::string fileName(detail::fileNameOf(file.path));
        for (std::size_t c = 0; c < file.categories.size(); ++c) {
            const std::optional<bool> encrypt = directionOf(file.categories[c].properties);
            for (std::size_t r = 0; r < file.categories[c].records.size(); ++r) {
                if (!encrypt) {
                    usage->skip("no [ENCRYPT] or [DECRYPT] header");
                    continue;
                }
                onRecord(fileName, *encrypt, file.categories[c].records[r], file.origin(c, r, usage));
            }
        }
    }
}

}  // namespace

LoadedModeVectors loadCfbBitFiles(std::string_view directory, int keyBits) {
    LoadedModeVectors out;
    out.usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath(directory));
    const std::string tail = std::to_string(keyBits) + ".rsp";
    const auto keep = [&](std::string_view name) {
        return (startsWith(name, "CFB8") || startsWith(name, "CFB1")) && !startsWith(name, "CFB128") &&
               endsWith(name, tail);
    };
    eachNistRecord(directory, keep, out.usage, [&](const std::string& fileName, bool encrypt, const Record& record,
                                                   CaseOrigin origin) {
        const auto count = lookup(record, "COUNT"), key = lookup(record, "KEY"), iv = lookup(record, "IV");
        const auto plaintext = lookup(record, "PLAINTEXT"), ciphertext = lookup(record, "CIPHERTEXT");
        if (!count || !key || !iv || !plaintext || !ciphertext) return out.usage->skip("missing field");
        ModeVector v;
        v.name = fileName + "-" + *count;
        v.group = fileName + (encrypt ? "-ENCRYPT" : "-DECRYPT");
        v.encrypt = encrypt;
        v.key = hexStringToBS(*key);
        v.iv = hexStringToBS(*iv);
        const std::string& in = encrypt ? *plaintext : *ciphertext;
        const std::string& want = encrypt ? *ciphertext : *plaintext;
        if (startsWith(fileName, "CFB1")) {
            const std::optional<ByteString> inBits = bitsToBytes(in), wantBits = bitsToBytes(want);
            if (!inBits || !wantBits || in.size() != want.size()) return out.usage->skip("not a string of bits");
            v.kind = ModeKind::Cfb1;
            v.bits = in.size();
            v.input = *inBits;
            v.output = *wantBits;
        } else {
            v.kind = ModeKind::Cfb8;
            v.input = hexStringToBS(in);
            v.output = hexStringToBS(want);
        }
        v.origin = std::move(origin);
        out.usage->use();
        out.vectors.push_back(std::move(v));
    });
    return out;
}

LoadedModeVectors loadNistXts(std::string_view directory, int keyBits) {
    LoadedModeVectors out;
    out.usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath(directory));
    for (const char* form : {"tweak-128hexstr", "tweak-dataunitseqno"}) {
        const std::string sub = std::string(directory) + "/" + form;
        const std::string tail = "AES" + std::to_string(keyBits) + ".rsp";
        eachNistRecord(sub, [&](std::string_view name) { return endsWith(name, tail); }, out.usage, [&](const std::string& fileName, bool encrypt, const Record& record,
                                               CaseOrigin origin) {
            const auto count = lookup(record, "COUNT"), length = lookup(record, "DataUnitLen");
            const auto key = lookup(record, "Key"), pt = lookup(record, "PT"), ct = lookup(record, "CT");
            const auto tweakHex = lookup(record, "i"), number = lookup(record, "DataUnitSeqNumber");
            if (!count || !length || !key || !pt || !ct || (!tweakHex && !number)) {
                return out.usage->skip("missing field");
            }
            ModeVector v;
            v.key = hexStringToBS(*key);
            if (v.key.size() * 4 != static_cast<std::size_t>(keyBits)) return out.usage->skip("another key size");
            if (length->empty() || length->find_first_not_of("0123456789") != std::string::npos ||
                std::stoull(*length) % 8 != 0) {
                return out.usage->skip("data unit not whole bytes");
            }
            std::optional<ByteString> tweak = tweakHex ? std::optional(hexStringToBS(*tweakHex)) : decimalTweak(*number);
            if (!tweak || tweak->size() != 16) return out.usage->skip("tweak not 16 bytes");
            v.name = fileName + "-" + form + "-" + *count;
            v.group = fileName + "-" + form + (encrypt ? "-ENCRYPT" : "-DECRYPT");
            v.kind = ModeKind::Xts;
            v.encrypt = encrypt;
            v.iv = std::move(*tweak);
            v.input = hexStringToBS(encrypt ? *pt : *ct);
            v.output = hexStringToBS(encrypt ? *ct : *pt);
            v.origin = std::move(origin);
            out.usage->use();
            out.vectors.push_back(std::move(v));
        });
    }
    return out;
}

namespace {

// The mode of a TDES file from its name ("TCFB64MMT2.rsp"); none for the
// interleaved and pipelined variants.
std::optional<ModeKind> tdesModeOf(std::string_view name) {
    static constexpr std::pair<std::string_view, ModeKind> kModes[] = {
        {"TECB", ModeKind::Ecb},   {"TCBC", ModeKind::Cbc},   {"TCFB1", ModeKind::Cfb1},
        {"TCFB8", ModeKind::Cfb8}, {"TCFB64", ModeKind::Cfb}, {"TOFB", ModeKind::Ofb},
    };
    static constexpr std::string_view kKinds[] = {"MMT1", "MMT2", "MMT3", "invperm", "permop", "subtab", "varkey",
                                                  "vartext"};
    for (const auto& [prefix, mode] : kModes) {
        for (const std::string_view kind : kKinds) {
            if (name == std::string(prefix) + std::string(kind) + ".rsp") return mode;
        }
    }
    return std::nullopt;
}

}  // namespace

LoadedModeVectors loadNistTdes(std::string_view directory, int keyBits) {
    LoadedModeVectors out;
    out.usage = std::make_shared<detail::VectorUsage>(detail::vectorDirectoryPath(directory));
    const auto keep = [](std::string_view name) { return tdesModeOf(name).has_value(); };
    eachNistRecord(directory, keep, out.usage, [&](const std::string& fileName, bool encrypt, const Record& record,
                                                   CaseOrigin origin) {
        const auto count = lookup(record, "COUNT");
        const auto plaintext = lookup(record, "PLAINTEXT"), ciphertext = lookup(record, "CIPHERTEXT");
        const auto all = lookup(record, "KEYs");
        auto k1 = lookup(record, "KEY1"), k2 = lookup(record, "KEY2"), k3 = lookup(record, "KEY3");
        if (all) k1 = k2 = k3 = all;
        const ModeKind mode = *tdesModeOf(fileName);
        const auto iv = lookup(record, "IV");
        if (!count || !plaintext || !ciphertext || !k1 || !k2 || !k3 || (mode != ModeKind::Ecb && !iv)) {
            return out.usage->skip("missing field");
        }
        ModeVector v;
        if (keyBits == 192) {
            v.key = hexStringToBS(*k1 + *k2 + *k3);
        } else if (keyBits == 128 && *k3 == *k1) {
            v.key = hexStringToBS(*k1 + *k2);
        } else {
            return out.usage->skip("three different keys");
        }
        v.name = fileName + "-" + *count;
        v.group = fileName + (encrypt ? "-ENCRYPT" : "-DECRYPT");
        v.kind = mode;
        v.encrypt = encrypt;
        if (iv) v.iv = hexStringToBS(*iv);
        const std::string& in = encrypt ? *plaintext : *ciphertext;
        const std::string& want = encrypt ? *ciphertext : *plaintext;
        if (mode == ModeKind::Cfb1) {
            const std::optional<ByteString> inBits = bitsToBytes(in), wantBits = bitsToBytes(want);
            if (!inBits || !wantBits || in.size() != want.size()) return out.usage->skip("not a string of bits");
            v.bits = in.size();
            v.input = *inBits;
            v.output = *wantBits;
        } else {
            v.input = hexStringToBS(in);
            v.output = hexStringToBS(want);
        }
        v.origin = std::move(origin);
        out.usage->use();
        out.vectors.push_back(std::move(v));
    });
    return out;
}

namespace {

template <class Make>
LoadedModeVectors loadWycheproof(std::string_view fileName, std::size_t keyBytes, Make&& make) {
    LoadedModeVectors out;
    const std::string path = detail::wycheproofPath(fileName);
    out.usage = std::make_shared<detail::VectorUsage>(path);
    const std::shared_ptr<const detail::WycheproofFile> shared = detail::readWycheproofFile(path);
    const detail::WycheproofFile& file = *shared;
    out.usage->addFile(file.testCount());
    for (const detail::WycheproofGroup& group : file.groups) {
        for (const detail::WycheproofTest& test : group.tests) {
            if (test.hex("key").size() != keyBytes) {
                out.usage->skip("another key size");
                continue;
            }
            if (test.result != "valid" && test.result != "invalid") {
                out.usage->skip("result neither valid nor invalid");
                continue;
            }
            ModeVector v;
            v.name = std::string(fileName) + "-" + std::to_string(test.tcId);
            v.key = test.hex("key");
            v.iv = test.hex("iv");
            v.input = test.hex("msg");
            v.output = test.hex("ct");
            v.mustFail = test.result == "invalid";
            v.origin = lineOrigin(file.path, test.line, out.usage);
            if (!make(v, *out.usage)) continue;
            out.usage->use();
            out.vectors.push_back(std::move(v));
        }
    }
    return out;
}

}  // namespace

LoadedModeVectors loadWycheproofXts(std::string_view fileName, int keyBits) {
    return loadWycheproof(fileName, static_cast<std::size_t>(keyBits) / 4,
                          [](ModeVector& v, detail::VectorUsage& usage) {
                              if (v.iv.size() > 16 || v.mustFail) {
                                  usage.skip(v.mustFail ? "invalid XTS test" : "tweak over 16 bytes");
                                  return false;
                              }
                              v.kind = ModeKind::Xts;
                              v.iv = v.iv + ByteString(std::vector<std::uint8_t>(16 - v.iv.size(), 0));
                              return true;
                          });
}

LoadedModeVectors loadWycheproofCbcPkcs7(std::string_view fileName, int keyBits) {
    return loadWycheproof(fileName, static_cast<std::size_t>(keyBits) / 8, [](ModeVector& v, detail::VectorUsage&) {
        v.kind = ModeKind::CbcPkcs7;
        return true;
    });
}

}  // namespace zelkor::tests::mode_detail
