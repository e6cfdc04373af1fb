#include "zelkor/tests/detail/formats/AesFileModes.hpp"

#include <array>
#include <stdexcept>
#include <utility>

#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

namespace zelkor::tests::aes_detail {

namespace {

constexpr std::string_view kUnsupported = "THIS IS NOT A SUPPORTED CIPHER";

constexpr std::array<std::pair<std::string_view, FileMode>, 8> kModeTable{{
    {"ECBe", {Mode::ECB, Direction::Encrypt}},
    {"ECBd", {Mode::ECB, Direction::Decrypt}},
    {"CBCe", {Mode::CBC, Direction::Encrypt}},
    {"CBCd", {Mode::CBC, Direction::Decrypt}},
    {"CFBe", {Mode::CFB, Direction::Encrypt}},
    {"CFBd", {Mode::CFB, Direction::Decrypt}},
    {"OFBe", {Mode::OFB, Direction::Encrypt}},
    {"OFBd", {Mode::OFB, Direction::Decrypt}},
}};

}  // namespace

std::optional<std::string> modeText(std::string_view fileName) {
    const std::string_view baseName = detail::baseNameOf(fileName);
    if (baseName.empty()) return std::nullopt;
    std::string text(fileName.substr(0, 3));
    text += baseName.back();
    // Only the 128-bit feedback variant of CFB is supported.
    if (text.find("CFB") != std::string::npos && fileName.find("CFB128") == std::string_view::npos) {
        return std::string(kUnsupported);
    }
    return text;
}

std::optional<FileMode> fileModeOf(std::string_view fileName) {
    const std::optional<std::string> text = modeText(fileName);
    if (!text) return std::nullopt;
    for (const auto& [name, mode] : kModeTable) {
        if (name == *text) return mode;
    }
    return std::nullopt;
}

void throwUnknownMode(std::string_view function, Mode mode) {
    throw std::logic_error("Test.AES." + std::string(function) +
                           ": non-exhaustive match: no operation for mode " +
                           std::to_string(static_cast<int>(mode)));
}

}  // namespace zelkor::tests::aes_detail
