#include "zelkor/tests/detail/aead/IteratedKnownAnswers.hpp"

#include <charconv>
#include <cstdint>
#include <sstream>
#include <stdexcept>

#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

namespace zelkor::tests::aead_detail {

namespace {

// A length in bits: a multiple of 8 from 8 to 1024.
int bitsOf(const std::string& value, const char* field, const std::string& place) {
    int bits = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), bits);
    if (error != std::errc() || end != value.data() + value.size() || bits < 8 || bits > 1024 || bits % 8 != 0) {
        throw std::invalid_argument(place + ": " + field + " = \"" + value +
                                    "\" is not a length in bits (a multiple of 8 up to 1024)");
    }
    return bits;
}

// num2str(n, 96): n as 12 big-endian bytes.
ByteString counterNonce(std::uint32_t n) {
    std::vector<std::uint8_t> bytes(kIteratedNonceBytes, 0);
    for (std::size_t i = 0; i < 4; ++i) bytes[kIteratedNonceBytes - 1 - i] = static_cast<std::uint8_t>(n >> (8 * i));
    return ByteString(std::move(bytes));
}

void appendSealed(std::vector<std::uint8_t>& out, const AeadSealed& sealed) {
    out.insert(out.end(), sealed.ciphertext.begin(), sealed.ciphertext.end());
    out.insert(out.end(), sealed.tag.begin(), sealed.tag.end());
}

}  // namespace

std::vector<IteratedAnswer> loadIteratedAnswers(std::string_view directory, int keyBits,
                                                const std::shared_ptr<detail::VectorUsage>& usage) {
    std::vector<IteratedAnswer> out;
    const auto onRecord = [&](const std::string& path, std::size_t line, const std::vector<Property>&,
                              Record&& record) {
        const auto fields = lookupAll<4>(record, {"COUNT", "KEYLEN", "TAGLEN", "Output"});
        if (!fields) {
            usage->skip("missing field");
            return;
        }
        const auto& [count, keyText, tagText, outputText] = *fields;
        CaseOrigin origin = lineOrigin(path, line, usage);
        const std::string place = origin.where();
        IteratedAnswer answer{std::string(detail::fileNameOf(path)) + "-" + count, bitsOf(keyText, "KEYLEN", place),
                              static_cast<std::size_t>(bitsOf(tagText, "TAGLEN", place) / 8), {}, {}};
        try {
            answer.output = hexStringToBS(outputText);
        } catch (const std::exception& e) {
            throw std::invalid_argument(place + ": Output: " + e.what());
        }
        if (answer.keyBits != keyBits) {
            usage->skip("another key size");
            return;
        }
        usage->use();
        answer.origin = std::move(origin);
        out.push_back(std::move(answer));
    };
    detail::forEachVectorRecord(directory, "COUNT", {}, onRecord, *usage);
    return out;
}

ByteString iteratedKey(int keyBits, std::size_t tagBytes) {
    std::vector<std::uint8_t> key(static_cast<std::size_t>(keyBits / 8), 0);
    if (!key.empty()) key.back() = static_cast<std::uint8_t>(tagBytes * 8);
    return ByteString(std::move(key));
}

ByteString iteratedOutput(const IteratedSeal& seal) {
    const ByteString empty;
    std::vector<std::uint8_t> all;
    for (std::uint32_t i = 0; i < 128; ++i) {
        const ByteString zeros(std::vector<std::uint8_t>(i, 0));
        appendSealed(all, seal(counterNonce(3 * i + 1), zeros, zeros));
        appendSealed(all, seal(counterNonce(3 * i + 2), empty, zeros));
        appendSealed(all, seal(counterNonce(3 * i + 3), zeros, empty));
    }
    std::vector<std::uint8_t> last;
    appendSealed(last, seal(counterNonce(385), ByteString(std::move(all)), empty));
    return ByteString(std::move(last));
}

void checkIteratedOutput(const IteratedAnswer& answer, const ByteString& computed) {
    if (computed == answer.output) return;
    std::ostringstream msg;
    msg << answer.name << ": the iterated check with a " << answer.keyBits << "-bit key and " << answer.tagBytes * 8
        << "-bit tags (from " << answer.origin.where() << ")\n  expected: " << answer.output
        << "\n   but got: " << computed;
    throw AssertionFailure(msg.str());
}

}  // namespace zelkor::tests::aead_detail
