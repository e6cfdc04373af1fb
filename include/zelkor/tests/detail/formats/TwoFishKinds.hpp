#pragma once
// The seven kinds of Twofish vector file, told apart by the file's base name,
// and what each kind's records are turned into.

#include <string>
#include <string_view>

namespace zelkor::tests::twofish_detail {

// Where a value of a work item is looked up.
enum class Source { CategoryProperties, RecordFields };

enum class Operation { EcbEncrypt, EcbDecrypt, CbcEncrypt, CbcDecrypt };

struct FileKind {
    std::string_view baseName;    // e.g. "ECB_VK": matched exactly, case-sensitively
    std::string_view namePrefix;  // test name = prefix + I, e.g. "ECB-E-VK" + "12"
    Source keySource;
    Source plainTextSource;       // CT, IV and I always come from the record
    Operation operation;
};

bool encrypts(Operation operation);
bool usesIV(Operation operation);

// The kind whose name equals `baseName`, or nullptr when there is none.
const FileKind* findFileKind(std::string_view baseName);

// Raised when a file with records has a base name that names no kind. The
// message names Test.TwoFish.buildTestFunc, the base name and the path.
[[noreturn]] void throwNoFileKind(std::string_view path);

// Raised when a case's KEY is refused by buildKey: an error, not an assertion failure.
[[noreturn]] void throwKeyRefused(std::string_view testName, std::string_view keyHex);

}  // namespace zelkor::tests::twofish_detail
