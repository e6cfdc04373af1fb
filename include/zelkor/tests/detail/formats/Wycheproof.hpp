#pragma once
// A Wycheproof test-vector file (JSON) in a form independent of any JSON
// library: the file's notes, its test groups with their parameters, and each
// group's tests with tcId, comment, flags and result. Every other member of a
// group or a test stays reachable by name, read as text, hex or integer, so
// any Wycheproof schema (AEAD, MAC, ...) is read by the same code. Faults in
// the file (malformed JSON, a missing or mistyped member, bad hex) raise
// VectorFileError naming the file and the line.

#include <cstddef>
#include <memory>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/ByteString.hpp"

namespace zelkor::tests::detail {

// One member of a JSON object. Strings keep their decoded text, integers
// their decimal form, arrays of strings their elements; anything else
// (objects, other arrays, booleans, null, fractions) keeps its compact JSON.
struct JsonMember {
    enum class Kind { String, Integer, StringArray, Other };
    std::string name;
    Kind kind = Kind::Other;
    std::string text;
    std::vector<std::string> strings;  // StringArray only
};

// The members of one JSON object in file order, with where the object starts.
class WycheproofObject {
public:
    std::string path;
    std::size_t line = 0;  // 1-based line of the object's "{"
    std::vector<JsonMember> members;

    // The member of that name, or nullptr.
    const JsonMember* find(std::string_view name) const;
    bool has(std::string_view name) const { return find(name) != nullptr; }

    // Typed access; a member that is missing or of another kind raises
    // VectorFileError naming the file, the line and the member.
    const std::string& text(std::string_view name) const;
    ByteString hex(std::string_view name) const;  // even count of hex digits only
    std::int64_t integer(std::string_view name) const;
    const std::vector<std::string>& strings(std::string_view name) const;

    // "path:line"
    std::string where() const;
};

struct WycheproofTest : WycheproofObject {
    std::int64_t tcId = 0;
    std::string comment;
    std::vector<std::string> flags;
    std::string result;  // "valid", "invalid" or "acceptable"
};

// A group's members other than "tests" are its parameters (type, keySize, ...).
struct WycheproofGroup : WycheproofObject {
    std::vector<WycheproofTest> tests;
};

struct WycheproofNote {
    std::string flag;
    std::string bugType;
    std::string description;
};

struct WycheproofFile : WycheproofObject {  // the top-level members other than testGroups
    std::string algorithm;
    std::vector<WycheproofNote> notes;
    std::vector<WycheproofGroup> groups;

    std::size_t testCount() const;
    // The note's description of `flag`, or "" when the file has none.
    std::string describeFlag(std::string_view flag) const;
};

// Parses the text of a Wycheproof file; `path` names it in errors.
WycheproofFile parseWycheproof(std::string_view text, const std::string& path);

// Reads and parses the file at `path` (a regular file). Several rows read
// the same file one after another (every AES-GCM row reads aes_gcm_test.json):
// the last few files parsed are kept, and one is parsed again only when its
// path, size or modification time differs.
std::shared_ptr<const WycheproofFile> readWycheproofFile(const std::string& path);

// The path of "Wycheproof/<fileName>" in the data directory.
std::string wycheproofPath(std::string_view fileName);

}  // namespace zelkor::tests::detail
