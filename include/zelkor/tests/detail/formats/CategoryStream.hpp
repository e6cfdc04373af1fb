#pragma once
// The vector-file parser fed in pieces, so that a large file is never held in
// memory whole: only its parse result and the line being cut are.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/tests/ParseNistKATs.hpp"

namespace zelkor::tests::detail {

// Receives a complete record with the properties of its category and the
// (1-based) number of the line where the record starts.
using RecordSink = std::function<void(const std::vector<Property>& properties, Record&& record, std::size_t line)>;

// Called with a field whose name the record being built already holds, and
// the field's line; it may throw. Without one, a repeated field is kept, as
// parseCategories keeps it.
using RepeatedFieldHandler = std::function<void(const Field& field, std::size_t line)>;

// Called, in a file that holds records, with the first line that is not of
// the form name=value, its number and what is wrong with it; it may throw.
// Such a line is a header without "=" (NIST's [ENCRYPT] and [DECRYPT] aside),
// a header indented by whitespace (which the grammar makes a body line), or a
// body line without "=" (NIST's FAIL marker aside). Lines before the first
// record are checked too, once a record follows: a key line without "=" would
// otherwise lose its record without a sign. A file without records (notes)
// is never checked.
using MalformedLineHandler = std::function<void(std::size_t line, const std::string& what)>;

// feed(a); feed(b); finish() gives what parseCategories(recordKey, a + b)
// gives, wherever the text is cut. With a sink, every record goes to the sink
// as soon as it is complete and the categories returned hold no records;
// without one, `recordLines` (when given) receives the line where each record
// starts: (*recordLines)[c][r] for record r of category c.
class CategoryStream {
public:
    explicit CategoryStream(std::string_view recordKey, RecordSink sink = {}, RepeatedFieldHandler onRepeat = {},
                            MalformedLineHandler onMalformed = {});
    ~CategoryStream();
    CategoryStream(const CategoryStream&) = delete;
    CategoryStream& operator=(const CategoryStream&) = delete;

    void feed(std::string_view text);
    std::vector<Category> finish(std::vector<std::vector<std::size_t>>* recordLines = nullptr) &&;

private:
    class Builder;
    std::unique_ptr<Builder> builder_;
    std::string unfinishedLine_;  // the text after the last LF fed so far
    std::size_t lineNumber_ = 0;  // lines seen up to the last LF fed
};

}  // namespace zelkor::tests::detail
