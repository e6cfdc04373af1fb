#pragma once
// The vector-file parser fed in pieces, so that a large file is never held in
// memory whole: only its parse result and the line being cut are.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zelkor/tests/ParseNistKATs.hpp"

namespace zelkor::tests::detail {

// Receives a complete record with the properties of its category.
using RecordSink = std::function<void(const std::vector<Property>& properties, Record&& record)>;

// feed(a); feed(b); finish() gives what parseCategories(recordKey, a + b)
// gives, wherever the text is cut. With a sink, every record goes to the sink
// as soon as it is complete and the categories returned hold no records.
class CategoryStream {
public:
    explicit CategoryStream(std::string_view recordKey, RecordSink sink = {});
    ~CategoryStream();
    CategoryStream(const CategoryStream&) = delete;
    CategoryStream& operator=(const CategoryStream&) = delete;

    void feed(std::string_view text);
    std::vector<Category> finish() &&;

private:
    class Builder;
    std::unique_ptr<Builder> builder_;
    std::string unfinishedLine_;  // the text after the last LF fed so far
};

}  // namespace zelkor::tests::detail
