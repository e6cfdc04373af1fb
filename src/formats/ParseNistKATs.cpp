#include "zelkor/tests/ParseNistKATs.hpp"

#include <array>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "zelkor/tests/detail/formats/CategoryStream.hpp"
#include "zelkor/tests/detail/formats/CategoryViews.hpp"
#include "zelkor/tests/detail/formats/KATLines.hpp"
#include "zelkor/tests/detail/formats/ShaHmacFields.hpp"

namespace zelkor::tests {

namespace {

// Bytes are scanned through tables: 0 is a byte that is never whitespace nor
// part of a whitespace sequence; anything else needs a closer look.
enum ByteClass : std::uint8_t { kPlain = 0, kAsciiSpace = 1, kUtf8Lead = 2, kEquals = 3 };

constexpr std::array<std::uint8_t, 256> makeByteClasses(bool equalsStops) {
    std::array<std::uint8_t, 256> table{};
    for (unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) table[c] = kAsciiSpace;
    // First bytes of the UTF-8 forms of U+00A0, U+1680, U+2000..U+200A, U+202F,
    // U+205F and U+3000, the non-ASCII space separators.
    for (unsigned char c : {0xC2, 0xE1, 0xE2, 0xE3}) table[c] = kUtf8Lead;
    if (equalsStops) table['='] = kEquals;
    return table;
}
constexpr auto kValueStops = makeByteClasses(false);
constexpr auto kNameStops = makeByteClasses(true);

unsigned byteAt(std::string_view s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

// Length in bytes of the whitespace character starting at `i`, 0 if there is
// none. Non-ASCII spaces count only as well-formed UTF-8; stray bytes never do.
// None of the sequences starts with a continuation byte, so matching at any
// position agrees with decoding the text from its start.
std::size_t whitespaceAt(std::string_view s, std::size_t i) {
    const unsigned c = byteAt(s, i);
    const std::uint8_t cls = kValueStops[c];
    if (cls == kPlain) return 0;
    if (cls == kAsciiSpace) return 1;
    const std::size_t rest = s.size() - i;
    if (c == 0xC2) return rest >= 2 && byteAt(s, i + 1) == 0xA0 ? 2 : 0;  // U+00A0
    if (rest < 3) return 0;
    const unsigned b1 = byteAt(s, i + 1), b2 = byteAt(s, i + 2);
    switch (c) {
    case 0xE1: return b1 == 0x9A && b2 == 0x80 ? 3 : 0;  // U+1680
    case 0xE2:
        if (b1 == 0x80) return (b2 >= 0x80 && b2 <= 0x8A) || b2 == 0xAF ? 3 : 0;  // U+2000..200A, U+202F
        return b1 == 0x81 && b2 == 0x9F ? 3 : 0;                                  // U+205F
    case 0xE3: return b1 == 0x80 && b2 == 0x80 ? 3 : 0;  // U+3000
    default: return 0;
    }
}

// Length of the whitespace character that ends just before `end`, 0 if none.
std::size_t whitespaceEndingAt(std::string_view s, std::size_t end) {
    if (end == 0) return 0;
    if (kValueStops[byteAt(s, end - 1)] == kAsciiSpace) return 1;
    if (end >= 2 && whitespaceAt(s, end - 2) == 2) return 2;
    if (end >= 3 && whitespaceAt(s, end - 3) == 3) return 3;
    return 0;
}

bool isWhitespaceOnly(std::string_view line) {
    if (!line.empty() && kValueStops[byteAt(line, 0)] == kPlain) return false;
    for (std::size_t i = 0; i < line.size();) {
        const std::size_t n = whitespaceAt(line, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

// Whether `s` surely neither starts nor ends with whitespace: a plain first
// byte, and a plain ASCII last byte (no multi-byte space ends in one).
bool surelyTrimmed(std::string_view s) {
    if (s.empty()) return true;
    const unsigned last = byteAt(s, s.size() - 1);
    return kValueStops[byteAt(s, 0)] == kPlain && last < 0x80 && kValueStops[last] == kPlain;
}

std::string_view trim(std::string_view s) {
    // Most ends are plain, or a space next to "=".
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    if (surelyTrimmed(s)) return s;
    while (!s.empty()) {
        const std::size_t n = whitespaceAt(s, 0);
        if (n == 0) break;
        s.remove_prefix(n);
    }
    while (!s.empty()) {
        const std::size_t n = whitespaceEndingAt(s, s.size());
        if (n == 0) break;
        s.remove_suffix(n);
    }
    return s;
}

// `line` with every CR removed. CRLF files only have a CR at the end, which
// is cut off without copying; other CRs are removed into `buffer`.
std::string_view withoutCarriageReturns(std::string_view line, std::string& buffer) {
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::size_t cr = line.find('\r');
    if (cr == std::string_view::npos) return line;
    buffer.clear();
    std::size_t start = 0;
    while (cr != std::string_view::npos) {
        buffer.append(line.data() + start, cr - start);
        start = cr + 1;
        cr = line.find('\r', start);
    }
    buffer.append(line.data() + start, line.size() - start);
    return buffer;
}

// Calls `onLine` with every line that survives cleaning, in order. The view is
// into `text` unless a CR had to be removed from inside the line, in which case
// it points into a buffer that the next call reuses.
// `lineNumber` counts the lines of the whole text; it is that of the line
// before `text` on entry and of its last line on return.
// With `keepInnerCRs`, a CR is only cut off the end of a line; the caller
// removes any others itself.
template <bool keepInnerCRs, class OnLine>
void cleanLine(std::string_view line, std::size_t lineNumber, std::string& withoutCR, OnLine&& onLine) {
    if (line.empty() || line.front() == '#' || isWhitespaceOnly(line)) return;
    if constexpr (keepInnerCRs) {
        while (line.back() == '\r') line.remove_suffix(1);
        onLine(line, lineNumber);
    } else {
        onLine(withoutCarriageReturns(line, withoutCR), lineNumber);
    }
}

// The offset of the LF that ends the line starting at `pos`, or text.size().
std::size_t lineEnd(std::string_view text, std::size_t pos) {
    const void* lf = std::memchr(text.data() + pos, '\n', text.size() - pos);
    return lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - text.data()) : text.size();
}

template <bool keepInnerCRs = false, class OnLine>
void forEachCleanLine(std::string_view text, std::size_t& lineNumber, OnLine&& onLine) {
    std::string withoutCR;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = lineEnd(text, pos);
        cleanLine<keepInnerCRs>(text.substr(pos, end - pos), ++lineNumber, withoutCR, onLine);
        pos = end + 1;
    }
}

// A header line: brackets removed anywhere, split at the first "=", both
// halves trimmed.
Property headerProperty(std::string_view line, std::string& scratch) {
    scratch.clear();
    for (char c : line) {
        if (c != '[' && c != ']') scratch.push_back(c);
    }
    const std::string_view text = scratch;
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) return {std::string(trim(text)), {}};
    return {std::string(trim(text.substr(0, eq))), std::string(trim(text.substr(eq + 1)))};
}

#if defined(__SSE2__)
// The offset of the first byte from `i` on that may stop a run: a control
// character or space (up to 0x20), a UTF-8 lead byte of a space (0xC2 and
// above) or, when `equalsStops`, "=". Exact for plain text; the caller checks
// the byte found against its table. Ends of lines are found 16 bytes at a time.
std::size_t skipSurelyPlain(std::string_view line, std::size_t i, bool equalsStops) {
    const __m128i low = _mm_set1_epi8(0x20);
    const __m128i high = _mm_set1_epi8(static_cast<char>(0xC2));
    const __m128i equals = _mm_set1_epi8('=');
    for (; i + 16 <= line.size(); i += 16) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + i));
        __m128i stop = _mm_or_si128(_mm_cmpeq_epi8(_mm_max_epu8(c, low), low), _mm_cmpeq_epi8(_mm_max_epu8(c, high), c));
        if (equalsStops) stop = _mm_or_si128(stop, _mm_cmpeq_epi8(c, equals));
        if (const int mask = _mm_movemask_epi8(stop); mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(mask));
    }
    return i;
}
#else
std::size_t skipSurelyPlain(std::string_view, std::size_t i, bool) { return i; }
#endif

// Appends the bytes of `line` from `i` up to the next byte that `stops` marks.
std::size_t appendPlainRun(std::string& out, std::string_view line, std::size_t i,
                           const std::array<std::uint8_t, 256>& stops) {
    const std::size_t start = i;
    i = skipSurelyPlain(line, i, &stops == &kNameStops);
    while (i < line.size() && stops[byteAt(line, i)] == kPlain) ++i;
    out.append(line.data() + start, i - start);
    return i;
}

// A body line: every whitespace character removed, then split at the first "=".
Field bodyField(std::string_view line) {
    Field field;
    std::size_t i = 0;
    while (i < line.size()) {
        i = appendPlainRun(field.name, line, i, kNameStops);
        if (i == line.size()) return field;
        if (line[i] == '=') {
            ++i;
            break;
        }
        const std::size_t n = whitespaceAt(line, i);
        if (n == 0) field.name.push_back(line[i]);
        i += n == 0 ? 1 : n;
    }
    // Values are mostly long hex strings: one allocation, no regrowth.
    field.value.reserve(line.size() - i);
    while (i < line.size()) {
        i = appendPlainRun(field.value, line, i, kValueStops);
        if (i == line.size()) break;
        const std::size_t n = whitespaceAt(line, i);
        if (n == 0) field.value.push_back(line[i]);
        i += n == 0 ? 1 : n;
    }
    return field;
}

// What is wrong with a line that is not name=value, or nothing. NIST's files
// hold three lines of a bare name on purpose: the direction headers [ENCRYPT]
// and [DECRYPT], and the FAIL marker of a record that must be refused.
std::optional<std::string> malformation(std::string_view line, bool header, std::string_view name) {
    if (header) {
        if (line.find('=') != std::string_view::npos || name == "ENCRYPT" || name == "DECRYPT") return {};
        return "header " + detail::quoteExcerpt(line) + " has no '='";
    }
    std::size_t start = 0;
    for (std::size_t n; start < line.size() && (n = whitespaceAt(line, start)) > 0;) start += n;
    if (start > 0 && start < line.size() && line[start] == '[')
        return "header " + detail::quoteExcerpt(line) + " starts with whitespace, so it is read as a body line";
    if (line.find('=') != std::string_view::npos || name == "FAIL") return {};
    return "line " + detail::quoteExcerpt(line) + " has no '='";
}

bool holdsField(const Record& record, std::string_view name) {
    for (const Field& field : record) {
        if (field.name == name) return true;
    }
    return false;
}

// Groups cleaned lines, one at a time, into categories of properties and
// records. With a sink, each record is handed over as soon as it is complete
// (the next record or category starts, or the text ends) instead of being kept.
// Records kept have the number of their first line kept beside them.
class CategoryBuilder {
public:
    explicit CategoryBuilder(std::string_view recordKey, detail::RecordSink sink = {},
                             detail::RepeatedFieldHandler onRepeat = {}, detail::MalformedLineHandler onMalformed = {})
        : recordKey_(recordKey), sink_(std::move(sink)), onRepeat_(std::move(onRepeat)),
          onMalformed_(std::move(onMalformed)) {}

    void add(std::string_view line, std::size_t lineNumber = 0) {
        if (!line.empty() && line.front() == '[') addHeader(line, lineNumber);
        else addBody(line, lineNumber);
        // Once only: a handler that does not throw lets the parse go on.
        if (onMalformed_ && malformed_ && sawRecord_)
            std::exchange(onMalformed_, {})(malformed_->first, malformed_->second);
    }

    std::vector<Category> finish() && {
        handOverRecord();
        return std::move(categories_);
    }

    // recordLines()[c][r]: the line where record r of category c starts.
    std::vector<std::vector<std::size_t>>& recordLines() { return recordLines_; }

private:
    enum class Run { None, Header, Body };

    void addHeader(std::string_view line, std::size_t lineNumber) {
        // A header after body lines (or at the start) opens a new category.
        if (run_ != Run::Header) {
            handOverRecord();
            openCategory();
        }
        run_ = Run::Header;
        Property property = headerProperty(line, scratch_);
        noteMalformation(line, true, property, lineNumber);
        categories_.back().properties.push_back(std::move(property));
    }

    // Keeps the first line that is not name=value, for the handler.
    void noteMalformation(std::string_view line, bool header, const Field& parsed, std::size_t lineNumber) {
        if (!onMalformed_ || malformed_) return;
        if (auto what = malformation(line, header, parsed.name)) malformed_.emplace(lineNumber, std::move(*what));
    }

    void openCategory() {
        categories_.emplace_back();
        recordLines_.emplace_back();
    }

    void addBody(std::string_view line, std::size_t lineNumber) {
        if (run_ == Run::None) openCategory();
        run_ = Run::Body;
        Field field = bodyField(line);
        noteMalformation(line, false, field, lineNumber);
        auto& records = categories_.back().records;
        if (field.name == recordKey_) {
            sawRecord_ = true;
            handOverRecord();
            records.emplace_back();
            if (!sink_) recordLines_.back().push_back(lineNumber);
            recordLine_ = lineNumber;
        } else if (records.empty()) {
            return;  // before the first key: belongs to no record
        } else if (onRepeat_ && holdsField(records.back(), field.name)) {
            onRepeat_(field, lineNumber);
        }
        records.back().push_back(std::move(field));
    }

    void handOverRecord() {
        if (!sink_ || categories_.empty() || categories_.back().records.empty()) return;
        Category& category = categories_.back();
        sink_(category.properties, std::move(category.records.back()), recordLine_);
        category.records.pop_back();
    }

    std::string_view recordKey_;
    detail::RecordSink sink_;
    detail::RepeatedFieldHandler onRepeat_;
    detail::MalformedLineHandler onMalformed_;
    std::optional<std::pair<std::size_t, std::string>> malformed_;  // the first such line: number, fault
    bool sawRecord_ = false;
    std::vector<Category> categories_;
    std::vector<std::vector<std::size_t>> recordLines_;
    std::size_t recordLine_ = 0;  // of the record being built
    Run run_ = Run::None;
    std::string scratch_;
};

#if defined(__SSE2__)
// The stops of skipSurelyPlain in the 16 bytes at `p`, one bit each.
int stopMask(const char* p) {
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i low = _mm_set1_epi8(0x20);
    const __m128i high = _mm_set1_epi8(static_cast<char>(0xC2));
    return _mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi8(_mm_max_epu8(c, low), low), _mm_cmpeq_epi8(_mm_max_epu8(c, high), c)));
}
#endif

// The first byte from `i` on that may start whitespace, or s.size(). Texts of
// 16 bytes or more are read in blocks, the last one overlapping the one
// before, so that no byte is looked at one by one.
std::size_t firstStop(std::string_view s, std::size_t i) {
#if defined(__SSE2__)
    if (s.size() - i >= 16) {
        for (; i + 16 <= s.size(); i += 16) {
            if (const int mask = stopMask(s.data() + i); mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(mask));
        }
        if (i == s.size()) return i;
        const std::size_t last = s.size() - 16;
        const int mask = stopMask(s.data() + last) >> (i - last);
        return mask == 0 ? s.size() : i + static_cast<std::size_t>(__builtin_ctz(mask));
    }
#endif
    while (i < s.size() && kValueStops[byteAt(s, i)] == kPlain) ++i;
    return i;
}

// Whether `s` holds a whitespace character anywhere.
bool holdsWhitespace(std::string_view s) {
    for (std::size_t i = firstStop(s, 0); i < s.size(); i = firstStop(s, i + 1)) {
        if (whitespaceAt(s, i) > 0) return true;
    }
    return false;
}

// `s` with every CR and then every whitespace character removed: a view of
// `s` itself when the only whitespace is at its ends, else of `buffer`, which
// receives the rest. A CR inside is whitespace, so it always takes the second
// way, where CRs go first: they may split a multi-byte space.
std::string_view withoutWhitespace(std::string_view s, std::string& buffer) {
    const std::string_view trimmed = trim(s);
    if (!holdsWhitespace(trimmed)) return trimmed;
    std::string noCR;
    if (s.find('\r') != std::string_view::npos) s = withoutCarriageReturns(s, noCR);
    buffer.clear();
    for (std::size_t i = 0; i < s.size();) {
        i = appendPlainRun(buffer, s, i, kValueStops);
        if (i == s.size()) break;
        const std::size_t n = whitespaceAt(s, i);
        if (n == 0) buffer.push_back(s[i]);
        i += n == 0 ? 1 : n;
    }
    return buffer;
}

// bodyField as views. No whitespace character holds "=", so splitting at the
// first "=" before removing whitespace splits where removing it first would.
detail::FieldView bodyFieldView(std::string_view line, std::string& nameBuffer, std::string& valueBuffer) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return {withoutWhitespace(line, nameBuffer), {}};
    return {withoutWhitespace(line.substr(0, eq), nameBuffer), withoutWhitespace(line.substr(eq + 1), valueBuffer)};
}

// headerProperty as views: into the line when its only brackets are the
// opening and closing ones, else into `buffer`.
detail::FieldView headerPropertyView(std::string_view line, std::string& buffer) {
    std::string_view text = line;
    if (!text.empty() && text.front() == '[') text.remove_prefix(1);
    if (!text.empty() && text.back() == ']') text.remove_suffix(1);
    if (text.find_first_of("[]") != std::string_view::npos) {
        buffer.clear();
        for (char c : text) {
            if (c != '[' && c != ']') buffer.push_back(c);
        }
        text = buffer;
    }
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) return {trim(text), {}};
    return {trim(text.substr(0, eq)), trim(text.substr(eq + 1))};
}

// CategoryBuilder's grouping over views. Views into the text are kept as they
// are; views into a buffer are copied into the arena first.
class CategoryViewBuilder {
public:
    CategoryViewBuilder(std::string_view recordKey, std::string_view text, std::deque<std::string>& rewritten,
                        const detail::RepeatedNameHandler& onRepeat, const detail::MalformedLineHandler& onMalformed)
        : recordKey_(recordKey), text_(text), rewritten_(rewritten), onRepeat_(onRepeat), onMalformed_(onMalformed) {}

    // A line that may still hold CRs inside (not at its end). Removing every
    // whitespace character from a body line removes them too; a header keeps
    // its inner whitespace, so its CRs are removed first.
    void add(std::string_view line, std::size_t lineNumber) {
        if (line.front() == '[' || line.front() == '\r') {
            line = withoutCarriageReturns(line, crBuffer_);
            if (!line.empty() && line.front() == '[') addHeader(line, lineNumber);
            else addBody(line, lineNumber);
        } else {
            addBody(line, lineNumber);
        }
        reportMalformation();
    }

    // A sound body line (see soundBodyLine), already split.
    void addSound(detail::FieldView field, std::size_t lineNumber) {
        addField(field, lineNumber, true);
        reportMalformation();
    }

    std::vector<detail::CategoryView> finish() && { return std::move(categories_); }

private:
    enum class Run { None, Header, Body };

    // Once, when a record has been seen: the first line that is not name=value.
    void reportMalformation() {
        if (onMalformed_ && malformed_ && sawRecord_ && !reported_) {
            reported_ = true;
            onMalformed_(malformed_->first, malformed_->second);
        }
    }

    std::string_view kept(std::string_view view) {
        const auto* begin = text_.data();
        if (view.empty()) return {};
        if (std::less_equal<>()(begin, view.data()) && std::less_equal<>()(view.data() + view.size(), begin + text_.size()))
            return view;
        return rewritten_.emplace_back(view);
    }

    // Categories of one file tend to be alike: a new one is sized like the
    // one before, so that its vectors rarely grow.
    void openCategory() {
        detail::CategoryView& added = categories_.emplace_back();
        if (categories_.size() < 2) return;
        const detail::CategoryView& before = categories_[categories_.size() - 2];
        added.properties.reserve(before.properties.size());
        added.fields.reserve(before.fields.size());
        added.records.reserve(before.records.size());
    }

    void addHeader(std::string_view line, std::size_t lineNumber) {
        if (run_ != Run::Header) openCategory();
        run_ = Run::Header;
        const detail::FieldView property = headerPropertyView(line, nameBuffer_);
        noteMalformation(line, true, property.name, lineNumber);
        categories_.back().properties.push_back({kept(property.name), kept(property.value)});
    }

    void noteMalformation(std::string_view line, bool header, std::string_view name, std::size_t lineNumber) {
        if (!onMalformed_ || malformed_) return;
        // A body line with "=" that does not start with whitespace is sound.
        if (!header && kValueStops[byteAt(line, 0)] == kPlain && line.find('=') != std::string_view::npos) return;
        std::string cleaned(withoutCarriageReturns(line, crBuffer_));
        if (auto what = malformation(cleaned, header, name)) malformed_.emplace(lineNumber, std::move(*what));
    }

    void addBody(std::string_view line, std::size_t lineNumber) {
        const detail::FieldView field = bodyFieldView(line, nameBuffer_, valueBuffer_);
        noteMalformation(line, false, field.name, lineNumber);
        addField(field, lineNumber, false);
    }

    // `inText`: name and value are views into the text, kept as they are.
    void addField(detail::FieldView field, std::size_t lineNumber, bool inText) {
        if (run_ == Run::None) openCategory();
        run_ = Run::Body;
        detail::CategoryView& category = categories_.back();
        if (field.name == recordKey_) {
            sawRecord_ = true;
            category.records.push_back({category.fields.size(), 0, lineNumber});
        } else if (category.records.empty()) {
            return;  // before the first key: belongs to no record
        } else if (onRepeat_) {
            for (const detail::FieldView& held : category.record(category.records.size() - 1)) {
                if (held.name == field.name) {
                    onRepeat_(field.name, lineNumber);
                    break;
                }
            }
        }
        category.fields.push_back(inText ? field : detail::FieldView{kept(field.name), kept(field.value)});
        ++category.records.back().count;
    }

    std::string_view recordKey_;
    std::string_view text_;
    std::deque<std::string>& rewritten_;
    const detail::RepeatedNameHandler& onRepeat_;
    const detail::MalformedLineHandler& onMalformed_;
    std::optional<std::pair<std::size_t, std::string>> malformed_;
    bool sawRecord_ = false;
    bool reported_ = false;
    std::vector<detail::CategoryView> categories_;
    Run run_ = Run::None;
    std::string nameBuffer_, valueBuffer_, crBuffer_;
};

// Most lines of a vector file are "Name = value" with nothing to remove
// inside either: such a line, starting at `pos` with a plain byte that is
// neither '#' nor '[', is split in one pass that also finds its end. None for
// any other line (whitespace or a non-ASCII byte inside a name or value, no
// '=', anything after the value but spaces and CRs), which takes the
// general path: the two agree wherever this one answers.
struct SoundLine {
    detail::FieldView field;
    std::size_t next;  // where the next line starts
};
std::optional<SoundLine> soundBodyLine(std::string_view text, std::size_t pos) {
    std::size_t i = skipSurelyPlain(text, pos, true);
    while (i < text.size() && kNameStops[byteAt(text, i)] == kPlain) ++i;
    const std::size_t nameEnd = i;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i == text.size() || text[i] != '=') return std::nullopt;
    ++i;
    while (i < text.size() && text[i] == ' ') ++i;
    const std::size_t valueStart = i;
    i = firstStop(text, i);
    const std::size_t valueEnd = i;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\r')) ++i;
    if (i < text.size() && text[i] != '\n') return std::nullopt;
    return SoundLine{{text.substr(pos, nameEnd - pos), text.substr(valueStart, valueEnd - valueStart)}, i + 1};
}

}  // namespace

namespace detail {

std::vector<std::string> splitAndCleanLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t lineNumber = 0;
    forEachCleanLine(text, lineNumber, [&](std::string_view line, std::size_t) { lines.emplace_back(line); });
    return lines;
}

class CategoryStream::Builder : public CategoryBuilder {
    using CategoryBuilder::CategoryBuilder;
};

CategoryStream::CategoryStream(std::string_view recordKey, RecordSink sink, RepeatedFieldHandler onRepeat,
                               MalformedLineHandler onMalformed)
    : builder_(std::make_unique<Builder>(recordKey, std::move(sink), std::move(onRepeat), std::move(onMalformed))) {}

CategoryStream::~CategoryStream() = default;

void CategoryStream::feed(std::string_view text) {
    const auto addLine = [this](std::string_view line, std::size_t number) { builder_->add(line, number); };
    if (!unfinishedLine_.empty()) {
        const std::size_t lf = text.find('\n');
        if (lf == std::string_view::npos) {
            unfinishedLine_.append(text);
            return;
        }
        unfinishedLine_.append(text.substr(0, lf));
        forEachCleanLine(unfinishedLine_, lineNumber_, addLine);
        unfinishedLine_.clear();
        text.remove_prefix(lf + 1);
    }
    const std::size_t lastLF = text.rfind('\n');
    if (lastLF != std::string_view::npos) {
        forEachCleanLine(text.substr(0, lastLF + 1), lineNumber_, addLine);
        text.remove_prefix(lastLF + 1);
    }
    unfinishedLine_.assign(text);
}

std::vector<CategoryView> parseCategoryViews(std::string_view recordKey, std::string_view text,
                                             std::deque<std::string>& rewritten, const RepeatedNameHandler& onRepeat,
                                             const MalformedLineHandler& onMalformed) {
    CategoryViewBuilder builder(recordKey, text, rewritten, onRepeat, onMalformed);
    const auto add = [&](std::string_view line, std::size_t number) { builder.add(line, number); };
    std::string withoutCR;
    std::size_t lineNumber = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        ++lineNumber;
        const unsigned first = byteAt(text, pos);
        if (kNameStops[first] == kPlain && first != '#' && first != '[') {
            if (const std::optional<SoundLine> sound = soundBodyLine(text, pos)) {
                builder.addSound(sound->field, lineNumber);
                pos = sound->next;
                continue;
            }
        }
        const std::size_t end = lineEnd(text, pos);
        cleanLine<true>(text.substr(pos, end - pos), lineNumber, withoutCR, add);
        pos = end + 1;
    }
    return std::move(builder).finish();
}

std::vector<CategoryView> parseCategoryViews(std::string_view recordKey, VectorText& text,
                                             const RepeatedNameHandler& onRepeat,
                                             const MalformedLineHandler& onMalformed) {
    return parseCategoryViews(recordKey, text.bytes, text.rewritten, onRepeat, onMalformed);
}

std::optional<std::string_view> lookupView(std::span<const FieldView> fields, std::string_view name) {
    for (const FieldView& field : fields) {
        if (field.name == name) return field.value;
    }
    return std::nullopt;
}

Record toRecord(std::span<const FieldView> fields) {
    Record record;
    record.reserve(fields.size());
    for (const FieldView& field : fields) record.push_back({std::string(field.name), std::string(field.value)});
    return record;
}

Category toCategory(const CategoryView& view) {
    Category category;
    category.properties = toRecord(view.properties);
    category.records.reserve(view.records.size());
    for (std::size_t r = 0; r < view.records.size(); ++r) category.records.push_back(toRecord(view.record(r)));
    return category;
}

std::vector<Category> CategoryStream::finish(std::vector<std::vector<std::size_t>>* recordLines) && {
    forEachCleanLine(unfinishedLine_, lineNumber_,
                     [this](std::string_view line, std::size_t number) { builder_->add(line, number); });
    if (recordLines) *recordLines = std::move(builder_->recordLines());
    return std::move(*builder_).finish();
}

}  // namespace detail

std::vector<Category> parseCategories(std::string_view recordKey, std::string_view text) {
    std::deque<std::string> rewritten;
    std::vector<Category> categories;
    for (const detail::CategoryView& view : detail::parseCategoryViews(recordKey, text, rewritten))
        categories.push_back(detail::toCategory(view));
    return categories;
}

std::vector<Category> getCategories(std::string_view recordKey, const std::vector<std::string>& lines) {
    CategoryBuilder builder(recordKey);
    for (const auto& line : lines) builder.add(line);
    return std::move(builder).finish();
}

std::optional<std::string> lookup(const std::vector<Field>& fields, std::string_view name) {
    for (const auto& field : fields) {
        if (field.name == name) return field.value;
    }
    return std::nullopt;
}

std::ostream& operator<<(std::ostream& os, const Field& field) {
    return os << field.name << "=\"" << field.value << '"';
}

std::ostream& operator<<(std::ostream& os, const Category& category) {
    os << "{properties [";
    const char* sep = "";
    for (const auto& property : category.properties) {
        os << sep << property;
        sep = ", ";
    }
    os << "] records [";
    sep = "";
    for (const auto& record : category.records) {
        os << sep << '(';
        const char* fieldSep = "";
        for (const auto& field : record) {
            os << fieldSep << field;
            fieldSep = ", ";
        }
        os << ')';
        sep = ", ";
    }
    return os << "]}";
}

}  // namespace zelkor::tests
