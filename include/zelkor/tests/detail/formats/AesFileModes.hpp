#pragma once
// Which mode and direction an AES vector file exercises, read from its name.

#include <optional>
#include <string>
#include <string_view>

namespace zelkor::tests::aes_detail {

enum class Mode { ECB, CBC, CFB, OFB };
enum class Direction { Encrypt, Decrypt };

struct FileMode {
    Mode mode;
    Direction direction;
    friend bool operator==(const FileMode&, const FileMode&) = default;
};

inline bool usesIV(Mode mode) { return mode != Mode::ECB; }

// The first three characters of the file name followed by the last character
// of its base name ("CBCVarKey128e.txt" -> "CBCe"). CFB files other than
// CFB128 get a text that matches no mode. A file whose base name is empty
// (".txt") has no mode text.
std::optional<std::string> modeText(std::string_view fileName);

// The mode of a file, or none when its mode text is not one of "ECBe",
// "ECBd", "CBCe", "CBCd", "CFBe", "CFBd", "OFBe", "OFBd" (exact case).
std::optional<FileMode> fileModeOf(std::string_view fileName);

// Raised if a mode value outside the enumeration ever reaches an operation.
[[noreturn]] void throwUnknownMode(std::string_view function, Mode mode);

}  // namespace zelkor::tests::aes_detail
