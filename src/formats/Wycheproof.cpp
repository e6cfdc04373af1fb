#include "zelkor/tests/detail/formats/Wycheproof.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <deque>
#include <mutex>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <unordered_set>
#include <utility>

#include "zelkor/tests/Crypto.hpp"
#include "zelkor/tests/Paths_zelkor_tests.hpp"
#include "zelkor/tests/detail/formats/ShaHmacFields.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"

namespace zelkor::tests::detail {

namespace {

// Deeper nesting than any Wycheproof schema uses is refused, so that no
// input can exhaust the stack of the recursive conversion below.
constexpr std::size_t kMaxDepth = 64;

// A size in bits (keySize, ivSize, tagSize, ...) beyond this is no size any
// algorithm here takes; the largest in the installed files is 2056.
constexpr std::int64_t kMaxSizeBits = std::int64_t{1} << 16;

// "line L, column C" of a byte offset into `text`, both counted from 1.
std::string positionOf(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    const std::size_t lineStart = text.rfind('\n', offset == 0 ? 0 : offset - 1);
    const std::size_t column = lineStart == std::string_view::npos || offset == 0 ? offset + 1 : offset - lineStart;
    const auto line = std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n') + 1;
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// The offset of the opening quote of the string whose closing quote ends
// just before `end`: the last quote before it not escaped by a backslash.
std::size_t stringStart(std::string_view text, std::size_t end) {
    for (std::size_t i = end < 2 ? 0 : end - 2; i > 0; --i) {
        if (text[i] != '"') continue;
        std::size_t backslashes = 0;
        while (backslashes < i && text[i - 1 - backslashes] == '\\') ++backslashes;
        if (backslashes % 2 == 0) return i;
    }
    return 0;
}

bool isNumberChar(char c) { return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E'; }

// A parsed JSON value with the offsets of its text in the file.
struct Node {
    enum class Type { Object, Array, String, Integer, Other };
    Type type = Type::Other;
    std::string text;  // String: the value; Integer: decimal; Other scalars: their JSON
    // An array's elements, or an object's member values with their names in
    // `names` (two vectors: a vector may hold the incomplete Node, a pair not).
    std::vector<Node> elements;
    std::vector<std::string> names;
    std::size_t begin = 0;  // containers only: offset of "{" or "["
    // Containers: offset past "}" or "]". Scalars: how far the parser had read
    // when it gave the value, just past it (past one more byte for a number).
    std::size_t end = 0;
};

// The offset where a node's text starts, for error positions.
std::size_t startOf(std::string_view text, const Node& node) {
    if (node.type == Node::Type::Object || node.type == Node::Type::Array) return node.begin;
    if (node.type == Node::Type::String) return stringStart(text, node.end);
    std::size_t at = std::min(node.end, text.size());
    if (at > 0 && !isNumberChar(text[at - 1])) --at;  // the byte read past a number
    while (at > 0 && isNumberChar(text[at - 1])) --at;
    return at;
}

// The parser's input: the file's characters, noting how far it has read, so
// that the SAX events below know where they are in the text.
class TrackedChars {
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    TrackedChars() = default;
    TrackedChars(const char* at, const char** reached) : at_(at), reached_(reached) {}
    reference operator*() const { return *at_; }
    TrackedChars& operator++() {
        ++at_;
        if (reached_ != nullptr) *reached_ = at_;
        return *this;
    }
    TrackedChars operator++(int) {
        TrackedChars before = *this;
        ++*this;
        return before;
    }
    bool operator==(const TrackedChars& other) const { return at_ == other.at_; }

private:
    const char* at_ = nullptr;
    const char** reached_ = nullptr;
};

// Builds the Node tree from nlohmann's SAX events; a syntax error becomes the
// library's VectorFileError.
class TreeBuilder {
public:
    using json = nlohmann::json;

    TreeBuilder(std::string_view text, const std::string& path) : text_(text), path_(path), reached_(text.data()) {}

    const char** reached() { return &reached_; }
    Node takeRoot() { return std::move(root_); }

    bool null() { return scalar(Node::Type::Other, "null"); }
    bool boolean(bool value) { return scalar(Node::Type::Other, value ? "true" : "false"); }
    bool number_integer(json::number_integer_t value) { return scalar(Node::Type::Integer, std::to_string(value)); }
    bool number_unsigned(json::number_unsigned_t value) {
        const bool fits = value <= static_cast<json::number_unsigned_t>(std::numeric_limits<std::int64_t>::max());
        return scalar(fits ? Node::Type::Integer : Node::Type::Other, std::to_string(value));
    }
    bool number_float(json::number_float_t, const json::string_t& literal) {
        return scalar(Node::Type::Other, literal);
    }
    bool string(json::string_t& value) { return scalar(Node::Type::String, std::move(value)); }
    bool binary(json::binary_t&) { return scalar(Node::Type::Other, "null"); }  // not produced by JSON text
    bool key(json::string_t& name) {
        // Keeping either value of a repeated key silently could test against
        // the wrong one (JSON readers disagree on which one wins).
        if (!keys_.back().insert(name).second) {
            throw VectorFileError("vector file '" + path_ + "' " + positionOf(text_, stringStart(text_, offset())) +
                                  ": key " + quoteExcerpt(name) + " given twice in one object");
        }
        key_ = std::move(name);
        return true;
    }
    bool start_object(std::size_t) { return open(Node::Type::Object); }
    bool start_array(std::size_t) { return open(Node::Type::Array); }
    bool end_object() { return close(); }
    bool end_array() { return close(); }

    bool parse_error(std::size_t, const std::string& lastToken, const nlohmann::detail::exception& error) {
        std::string message = error.what();
        if (const auto bracket = message.find("] "); message.starts_with("[json.exception") && bracket != std::string::npos)
            message.erase(0, bracket + 2);
        // The message quotes the whole last token, which may be a string of
        // many megabytes: an excerpt of it is enough.
        constexpr std::string_view lastRead = "; last read: '";
        const auto at = message.find(lastRead);
        if (at != std::string::npos && lastToken.size() > kExcerptBytes &&
            message.compare(at + lastRead.size(), lastToken.size(), lastToken) == 0) {
            message.replace(at + lastRead.size(), lastToken.size(),
                            lastToken.substr(0, kExcerptBytes) + "... (" + std::to_string(lastToken.size()) +
                                " bytes)");
        }
        throw VectorFileError("malformed JSON in vector file '" + path_ + "': " + message);
    }

private:
    std::size_t offset() const { return static_cast<std::size_t>(reached_ - text_.data()); }

    Node& place(Node node) {
        if (stack_.empty()) {
            root_ = std::move(node);
            return root_;
        }
        Node& parent = *stack_.back();
        if (parent.type == Node::Type::Object) parent.names.push_back(std::move(key_));
        return parent.elements.emplace_back(std::move(node));
    }
    bool scalar(Node::Type type, std::string text) {
        Node node;
        node.type = type;
        node.text = std::move(text);
        node.end = offset();
        place(std::move(node));
        return true;
    }
    bool open(Node::Type type) {
        if (stack_.size() >= kMaxDepth)
            throw VectorFileError("vector file '" + path_ + "': JSON nested deeper than " + std::to_string(kMaxDepth) +
                                  " levels near offset " + std::to_string(offset()));
        Node node;
        node.type = type;
        node.begin = offset() - 1;  // the parser has just read the bracket
        stack_.push_back(&place(std::move(node)));
        keys_.emplace_back();
        return true;
    }
    bool close() {
        stack_.back()->end = offset();
        stack_.pop_back();
        keys_.pop_back();
        return true;
    }

    std::string_view text_;
    const std::string& path_;
    const char* reached_;
    Node root_;
    std::vector<Node*> stack_;  // the open containers; a parent gains no child while one is open
    std::vector<std::unordered_set<std::string>> keys_;  // the keys of each open container so far
    std::string key_;
};

// Line numbers of offsets, from the positions of the text's newlines.
class LineIndex {
public:
    explicit LineIndex(std::string_view text) {
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text[i] == '\n') newlines_.push_back(i);
    }
    std::size_t lineOf(std::size_t offset) const {
        return static_cast<std::size_t>(std::lower_bound(newlines_.begin(), newlines_.end(), offset) -
                                        newlines_.begin()) +
               1;
    }

private:
    std::vector<std::size_t> newlines_;
};

class Converter {
public:
    Converter(std::string_view text, const std::string& path) : text_(text), path_(path), lines_(text) {}

    WycheproofFile file(const Node& root) {
        WycheproofFile file;
        start(file, root, "the top level");
        bool hasGroups = false;
        for (std::size_t i = 0; i < root.elements.size(); ++i) {
            const std::string& name = root.names[i];
            const Node& value = root.elements[i];
            if (name == "testGroups") {
                hasGroups = true;
                for (const Node& group : arrayOf(value, file, name)) file.groups.push_back(this->group(group));
                continue;
            }
            if (name == "notes" && value.type == Node::Type::Object)
                for (std::size_t n = 0; n < value.elements.size(); ++n)
                    file.notes.push_back(this->note(value.names[n], value.elements[n]));
            file.members.push_back(member(name, value));
        }
        if (!hasGroups) fail(file, "no member \"testGroups\"");
        if (file.has("algorithm")) file.algorithm = file.text("algorithm");
        for (std::size_t i = 0; i < root.elements.size(); ++i)
            if (root.names[i] == "numberOfTests") checkNumberOfTests(root.elements[i], file.testCount());
        return file;
    }

private:
    void start(WycheproofObject& object, const Node& node, std::string_view what) const {
        object.path = path_;
        object.line = lines_.lineOf(node.begin);
        if (node.type != Node::Type::Object) fail(object, std::string(what) + " is not a JSON object");
    }

    [[noreturn]] static void fail(const WycheproofObject& object, const std::string& what) {
        throw VectorFileError("vector file " + object.where() + ": " + what);
    }

    [[noreturn]] void failAt(const Node& node, const std::string& what) const {
        throw VectorFileError("vector file '" + path_ + "' " + positionOf(text_, startOf(text_, node)) + ": " + what);
    }

    // The count the file states must be the count it holds: a file cut or
    // merged by hand would otherwise lose or gain tests without a sign.
    void checkNumberOfTests(const Node& node, std::size_t present) const {
        if (node.type != Node::Type::Integer) failAt(node, "numberOfTests is not an integer");
        if (node.text != std::to_string(present))
            failAt(node, "numberOfTests is " + node.text + " but the file holds " + std::to_string(present) + " tests");
    }

    // A member named "...Size" is a length in bits that some algorithm takes.
    void checkSize(const std::string& name, const Node& node) const {
        if (!name.ends_with("Size")) return;
        if (node.type != Node::Type::Integer)
            failAt(node, name + " is not an integer in the range 0 to " + std::to_string(kMaxSizeBits) + ": " +
                             quoteExcerpt(node.text));
        const std::int64_t bits = std::stoll(node.text);
        if (bits < 0 || bits > kMaxSizeBits)
            failAt(node, name + " " + node.text + " is out of range (0 to " + std::to_string(kMaxSizeBits) + " bits)");
    }

    const std::vector<Node>& arrayOf(const Node& node, const WycheproofObject& owner, const std::string& name) const {
        if (node.type != Node::Type::Array) fail(owner, "\"" + name + "\" is not an array");
        return node.elements;
    }

    JsonMember member(const std::string& name, const Node& node) const {
        checkSize(name, node);
        JsonMember out{name, JsonMember::Kind::Other, {}, {}};
        switch (node.type) {
            case Node::Type::String: out.kind = JsonMember::Kind::String; out.text = node.text; break;
            case Node::Type::Integer: out.kind = JsonMember::Kind::Integer; out.text = node.text; break;
            case Node::Type::Other: out.text = node.text; break;
            case Node::Type::Object: out.text = std::string(text_.substr(node.begin, node.end - node.begin)); break;
            case Node::Type::Array:
                if (std::all_of(node.elements.begin(), node.elements.end(),
                                [](const Node& e) { return e.type == Node::Type::String; })) {
                    out.kind = JsonMember::Kind::StringArray;
                    for (const Node& element : node.elements) out.strings.push_back(element.text);
                } else {
                    out.text = std::string(text_.substr(node.begin, node.end - node.begin));
                }
                break;
        }
        return out;
    }

    WycheproofNote note(const std::string& flag, const Node& node) const {
        WycheproofNote note{flag, {}, {}};
        for (std::size_t i = 0; i < node.elements.size(); ++i) {
            const std::string& name = node.names[i];
            const Node& value = node.elements[i];
            if (value.type != Node::Type::String) continue;
            if (name == "bugType") note.bugType = value.text;
            if (name == "description") note.description = value.text;
        }
        return note;
    }

    WycheproofGroup group(const Node& node) const {
        WycheproofGroup group;
        start(group, node, "a test group");
        bool hasTests = false;
        for (std::size_t i = 0; i < node.elements.size(); ++i) {
            const std::string& name = node.names[i];
            const Node& value = node.elements[i];
            if (name != "tests") {
                group.members.push_back(member(name, value));
                continue;
            }
            hasTests = true;
            for (const Node& test : arrayOf(value, group, name)) group.tests.push_back(this->test(test));
        }
        if (!hasTests) fail(group, "test group has no \"tests\"");
        return group;
    }

    WycheproofTest test(const Node& node) const {
        WycheproofTest test;
        start(test, node, "a test");
        for (std::size_t i = 0; i < node.elements.size(); ++i)
            test.members.push_back(member(node.names[i], node.elements[i]));
        test.tcId = test.integer("tcId");
        test.result = test.text("result");
        if (test.has("comment")) test.comment = test.text("comment");
        if (test.has("flags")) test.flags = test.strings("flags");
        return test;
    }

    std::string_view text_;
    const std::string& path_;
    LineIndex lines_;
};

bool isHexDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace

const JsonMember* WycheproofObject::find(std::string_view name) const {
    const auto it = std::find_if(members.begin(), members.end(), [&](const JsonMember& m) { return m.name == name; });
    return it == members.end() ? nullptr : &*it;
}

namespace {
const JsonMember& requireMember(const WycheproofObject& object, std::string_view name, JsonMember::Kind kind,
                                std::string_view kindName) {
    const JsonMember* member = object.find(name);
    if (member == nullptr)
        throw VectorFileError("vector file " + object.where() + ": no member \"" + std::string(name) + "\"");
    if (member->kind != kind)
        throw VectorFileError("vector file " + object.where() + ": member \"" + std::string(name) + "\" is not " +
                              std::string(kindName));
    return *member;
}
}  // namespace

const std::string& WycheproofObject::text(std::string_view name) const {
    return requireMember(*this, name, JsonMember::Kind::String, "a string").text;
}

ByteString WycheproofObject::hex(std::string_view name) const {
    const std::string& digits = requireMember(*this, name, JsonMember::Kind::String, "a string").text;
    if (digits.size() % 2 != 0 || !isHexDigits(digits))
        throw VectorFileError("vector file " + where() + ": member \"" + std::string(name) +
                              "\" is not an even number of hex digits: \"" + digits.substr(0, 80) + "\"");
    return hexStringToBS(digits);
}

std::int64_t WycheproofObject::integer(std::string_view name) const {
    return std::stoll(requireMember(*this, name, JsonMember::Kind::Integer, "an integer").text);
}

const std::vector<std::string>& WycheproofObject::strings(std::string_view name) const {
    return requireMember(*this, name, JsonMember::Kind::StringArray, "an array of strings").strings;
}

std::string WycheproofObject::where() const { return "'" + path + "' line " + std::to_string(line); }

std::size_t WycheproofFile::testCount() const {
    std::size_t n = 0;
    for (const auto& group : groups) n += group.tests.size();
    return n;
}

std::string WycheproofFile::describeFlag(std::string_view flag) const {
    for (const auto& note : notes)
        if (note.flag == flag) return note.description;
    return {};
}

WycheproofFile parseWycheproof(std::string_view text, const std::string& path) {
    TreeBuilder builder(text, path);
    const TrackedChars first(text.data(), builder.reached());
    const TrackedChars last(text.data() + text.size(), nullptr);
    nlohmann::json::sax_parse(first, last, &builder);
    const Node root = builder.takeRoot();
    // The parser takes a NUL byte for the end of the input, so it would not
    // see anything after one.
    if (root.type == Node::Type::Object || root.type == Node::Type::Array) {
        const std::size_t after = text.find_first_not_of(" \t\n\r", root.end);
        if (after != std::string_view::npos)
            throw VectorFileError("vector file '" + path + "' " + positionOf(text, after) +
                                  ": text after the JSON document: " + quoteExcerpt(text.substr(after)));
    }
    return Converter(text, path).file(root);
}

namespace {

// What identifies the file's content for the cache: device, inode, size and
// times. Empty when the file cannot be examined or changed in the last two
// seconds, too recently for a later change to be sure to show in its times.
std::string settledIdentity(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return {};
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    for (const timespec& t : {status.st_mtim, status.st_ctim}) {
        if (t.tv_sec >= now.tv_sec - 2) return {};
    }
    std::string identity = path;
    for (const long long field : {static_cast<long long>(status.st_dev), static_cast<long long>(status.st_ino),
                                  static_cast<long long>(status.st_size), static_cast<long long>(status.st_mtim.tv_sec),
                                  static_cast<long long>(status.st_mtim.tv_nsec),
                                  static_cast<long long>(status.st_ctim.tv_sec),
                                  static_cast<long long>(status.st_ctim.tv_nsec)}) {
        identity += ' ' + std::to_string(field);
    }
    return identity;
}

}  // namespace

std::shared_ptr<const WycheproofFile> readWycheproofFile(const std::string& path) {
    struct Entry {
        std::string identity;
        std::shared_ptr<const WycheproofFile> file;
    };
    constexpr std::size_t kKept = 4;
    static std::mutex lock;
    static std::deque<Entry> kept;  // the most recent first
    const std::string before = settledIdentity(path);
    if (!before.empty()) {
        const std::lock_guard<std::mutex> guard(lock);
        for (const Entry& entry : kept) {
            if (entry.identity == before) return entry.file;
        }
    }
    auto file = std::make_shared<const WycheproofFile>(parseWycheproof(readVectorFileText(path), path));
    if (!before.empty() && settledIdentity(path) == before) {
        const std::lock_guard<std::mutex> guard(lock);
        kept.push_front({before, file});
        if (kept.size() > kKept) kept.pop_back();
    }
    return file;
}

std::string wycheproofPath(std::string_view fileName) {
    return Paths_zelkor_tests::getDataFileName("Wycheproof/" + std::string(fileName));
}

}  // namespace zelkor::tests::detail
