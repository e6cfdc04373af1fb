// The parser's views: plain fields point into the file's text, rewritten ones
// into the arena, and both read as parseCategories' strings; the readers that
// keep views still name the file and line of a bad record.
#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/DataDir.hpp"
#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/formats/CategoryViews.hpp"
#include "zelkor/tests/detail/formats/KATLines.hpp"
#include "zelkor/tests/detail/formats/ShaRecords.hpp"
#include "zelkor/tests/detail/formats/VectorDirectory.hpp"
#include "zelkor/tests/detail/formats/VectorFileViews.hpp"

namespace {

namespace fs = std::filesystem;
using zelkor::tests::Category;
using zelkor::tests::parseCategories;
using zelkor::tests::detail::CategoryView;
using zelkor::tests::detail::parseCategoryViews;
using zelkor::tests::detail::toCategory;

bool within(std::string_view view, std::string_view text) {
    return view.data() >= text.data() && view.data() + view.size() <= text.data() + text.size();
}

std::vector<Category> owned(const std::vector<CategoryView>& views) {
    std::vector<Category> out;
    for (const CategoryView& view : views) out.push_back(toCategory(view));
    return out;
}

// The reader that takes the text line by line into strings, which shares no
// code with the views' splitting.
std::vector<Category> lineByLine(std::string_view key, std::string_view text) {
    return zelkor::tests::getCategories(key, zelkor::tests::detail::splitAndCleanLines(text));
}

TEST(CategoryViews, PlainFieldsAreViewsOfTheTextAndNothingIsRewritten) {
    const std::string text = "# note\r\n[L = 20]\r\n[ENCRYPT]\r\n\r\nCOUNT = 0\r\nKEY = 0011\r\nCOUNT = 1\r\n"
                             "  PT=ff  \r\nFAIL\r\n";
    std::deque<std::string> rewritten;
    const auto views = parseCategoryViews("COUNT", text, rewritten);
    EXPECT_TRUE(rewritten.empty());
    ASSERT_EQ(views.size(), 1u);
    for (const auto& property : views[0].properties) EXPECT_TRUE(within(property.name, text)) << property.name;
    for (const auto& field : views[0].fields) {
        EXPECT_TRUE(within(field.name, text)) << field.name;
        EXPECT_TRUE(field.value.empty() || within(field.value, text)) << field.value;
    }
    ASSERT_EQ(views[0].records.size(), 2u);
    EXPECT_EQ(views[0].records[0].line, 5u);
    EXPECT_EQ(views[0].records[1].line, 7u);
    EXPECT_EQ(owned(views), lineByLine("COUNT", text));
}

// Each of these needs a rewrite; two in a row check that the first survives
// the second (a view left in the parser's buffer would read the second).
TEST(CategoryViews, RewrittenFieldsGoToTheArenaAndReadAsTheStrings) {
    const std::string text = "[A[1] = x y]\n[B]] = 2]\nK = 0\nKEY = 00 11\nPT = 22\t33\xC2\xA0" "44\n"
                             "M sg = a\rb\nK = 1\nV = 5\r\r\n";
    std::deque<std::string> rewritten;
    const auto views = parseCategoryViews("K", text, rewritten);
    EXPECT_FALSE(rewritten.empty());
    const auto expected = lineByLine("K", text);
    EXPECT_EQ(owned(views), expected);
    ASSERT_EQ(views.size(), 1u);
    EXPECT_EQ(views[0].properties[0].name, "A1");
    EXPECT_EQ(views[0].properties[1].name, "B");
    EXPECT_EQ(views[0].record(0)[1].value, "0011");
    EXPECT_EQ(views[0].record(0)[2].value, "223344");
    EXPECT_EQ(views[0].record(0)[3].name, "Msg");
    EXPECT_EQ(views[0].record(0)[3].value, "ab");
    for (const auto& field : views[0].fields) {
        bool stored = within(field.name, text);
        for (const std::string& piece : rewritten) stored = stored || within(field.name, piece);
        EXPECT_TRUE(stored) << field.name;
    }
}

// Lines at the edges of the one-pass split of "name = value" lines (spaces,
// CRs, a vertical tab, a non-ASCII letter, "=" in the value, no LF at the
// end) read as the line-by-line reader reads them.
TEST(CategoryViews, OnePassSplitAgreesWithTheLineByLineReader) {
    const std::string text = "C = 0\nA=1\nB =2 \r\nD= 3\r\r\nE = 4 5\nF = \xC3\xA9\nG\xC3\xA9 = 6\nH = 7\x0b\n"
                             "I == 8\nJ = 9 \r x\nK = a\r\rb\nC = 1\nL =\nM = ab=cd\n=5\nN\t= 1\nO = 2";
    std::deque<std::string> rewritten;
    EXPECT_EQ(owned(parseCategoryViews("C", text, rewritten)), lineByLine("C", text));
    EXPECT_EQ(parseCategories("C", text), lineByLine("C", text));
}

// A fresh data directory with Test/KAT_X holding one file.
class OneFileDataDir {
public:
    explicit OneFileDataDir(const std::string& content) {
        std::string pattern = (fs::temp_directory_path() / "zelkor-views-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
        fs::create_directories(root_ + "/Test/KAT_X");
        path_ = root_ + "/Test/KAT_X/SHAXShortMsg.rsp";
        std::ofstream(path_, std::ios::binary) << content;
    }
    ~OneFileDataDir() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    OneFileDataDir(const OneFileDataDir&) = delete;
    OneFileDataDir& operator=(const OneFileDataDir&) = delete;
    const std::string& root() const { return root_; }
    const std::string& path() const { return path_; }

private:
    std::string root_, path_;
};

std::string digestRecordsError(const OneFileDataDir& data) {
    const zelkor::testsupport::ScopedDataDir dir(data.root());
    auto usage = std::make_shared<zelkor::tests::detail::VectorUsage>("KAT_X");
    try {
        zelkor::tests::sha_detail::usableRecordViews("KAT_X", "SHAX", usage);
    } catch (const zelkor::tests::detail::VectorParseError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(VectorFileViews, MalformedOrRepeatedLineInADigestFileIsAnErrorAtItsLine) {
    const OneFileDataDir malformed("[L = 20]\n\nLen = 0\nMsg = 00\nMD = 11\n\nLen 8\nMsg = 01\nMD = 22\n");
    EXPECT_EQ(digestRecordsError(malformed), "vector file '" + malformed.path() + "' line 7: line \"Len 8\" has no '='");
    const OneFileDataDir repeated("Len = 0\nMsg = 00\nMD = 11\nLen = 8\r\nMsg = 01\r\nMsg = 02\r\nMD = 22\n");
    EXPECT_EQ(digestRecordsError(repeated),
              "vector file '" + repeated.path() + "' line 6: field 'Msg' given twice in one record");
}

TEST(VectorFileViews, DigestRecordsHoldTheirDecodedFieldsAndNameTheirLines) {
    const OneFileDataDir data("\xEF\xBB\xBF[L = 20]\n\nLen = 8\nMsg = 01\nMD = 22\n\nLen = 0\nMD = 33\n");
    const zelkor::testsupport::ScopedDataDir dir(data.root());
    auto usage = std::make_shared<zelkor::tests::detail::VectorUsage>("KAT_X");
    const auto views = zelkor::tests::sha_detail::usableRecordViews("KAT_X", "SHAX", usage);
    ASSERT_EQ(views.records.size(), 1u);
    const auto& record = views.records[0];
    EXPECT_EQ(record.msg.value(), zelkor::ByteString({0x01}));
    EXPECT_EQ(record.md.value(), zelkor::ByteString({0x22}));
    EXPECT_EQ(record.len, "8");
    EXPECT_EQ(record.origin.where(), data.path() + ":3");
    EXPECT_EQ(usage->describe(), "KAT_X: 1 file, 2 records read: 1 used, 1 skipped (1 missing field)");
}

}  // namespace
