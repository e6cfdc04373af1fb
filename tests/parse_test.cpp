#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "zelkor/tests/ParseNistKATs.hpp"
#include "zelkor/tests/detail/formats/CategoryStream.hpp"
#include "zelkor/tests/detail/formats/KATLines.hpp"

namespace {

using zelkor::tests::Category;
using zelkor::tests::detail::CategoryStream;
using zelkor::tests::Field;
using zelkor::tests::getCategories;
using zelkor::tests::lookup;
using zelkor::tests::parseCategories;
using zelkor::tests::Record;
using zelkor::tests::detail::splitAndCleanLines;

using Categories = std::vector<Category>;

using RecordLines = std::vector<std::vector<std::size_t>>;

// A short text fed to the stream cut in two at every position, and one byte
// at a time, gives the same categories and record lines as the whole text.
void expectSameFromAnyCut(std::string_view key, std::string_view text, const Categories& whole) {
    if (text.size() > 1024) return;
    RecordLines wholeLines;
    CategoryStream once(key);
    once.feed(text);
    std::move(once).finish(&wholeLines);
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        CategoryStream stream(key);
        stream.feed(text.substr(0, cut));
        stream.feed(text.substr(cut));
        RecordLines lines;
        EXPECT_EQ(std::move(stream).finish(&lines), whole) << "cut at " << cut << " of: " << text;
        EXPECT_EQ(lines, wholeLines) << "cut at " << cut << " of: " << text;
    }
    CategoryStream bytewise(key);
    for (std::size_t i = 0; i < text.size(); ++i) bytewise.feed(text.substr(i, 1));
    EXPECT_EQ(std::move(bytewise).finish(), whole) << "byte by byte: " << text;
}

// Parses and checks that the split-and-clean stage followed by getCategories
// agrees, and so does the stream, since every text here is also a test of
// those equivalences.
Categories parse(std::string_view key, std::string_view text) {
    Categories whole = parseCategories(key, text);
    EXPECT_EQ(whole, getCategories(key, splitAndCleanLines(text))) << "text: " << text;
    expectSameFromAnyCut(key, text, whole);
    return whole;
}

TEST(ParseCategories, GroupsHeaderRunsAndBodyRunsIntoCategories) {
    const std::string text =
        "# CAVS 11.1\n"
        "[ENCRYPT]\n"
        "[Mode = ECB]\n"
        "\n"
        "Stray = 1\n"
        "COUNT = 0\n"
        "KEY = 0011 2233\n"
        "COUNT = 1\n"
        "[DECRYPT]\n"
        "COUNT = 0\n";
    const Categories expected{
        {{{"ENCRYPT", ""}, {"Mode", "ECB"}},
         {{{"COUNT", "0"}, {"KEY", "00112233"}}, {{"COUNT", "1"}}}},
        {{{"DECRYPT", ""}}, {{{"COUNT", "0"}}}},
    };
    EXPECT_EQ(parse("COUNT", text), expected);
}

TEST(ParseCategories, BodyFirstAndHeaderLastGiveHalfEmptyCategories) {
    const Categories expected{
        {{}, {{{"I", "1"}}}},
        {{{"A", "1"}, {"B", "2"}, {"C", ""}}, {}},
    };
    EXPECT_EQ(parse("I", "I=1\n[A=1]\n[B=2]\n[C]"), expected);
}

TEST(ParseCategories, EmptyBlankAndCommentOnlyTextsHaveNoCategories) {
    EXPECT_EQ(parse("K", ""), Categories{});
    EXPECT_EQ(parse("K", "\n\n\n"), Categories{});
    EXPECT_EQ(parse("K", "# one\n#two\n   \t\n\r\n\v\f\n\xc2\xa0\xe3\x80\x80\n"), Categories{});
}

TEST(ParseCategories, HashAfterLeadingWhitespaceIsNotAComment) {
    const Categories expected{{{}, {{{"#x", "1"}}}}};
    EXPECT_EQ(parse("#x", " #x = 1"), expected);
}

TEST(ParseCategories, CarriageReturnsAreRemovedWherever) {
    const Categories lf = parse("Len", "[L = 20]\nLen = 8\nMsg = ab\n");
    EXPECT_EQ(parse("Len", "[L = 20]\r\nLen = 8\r\nMsg = ab\r\n"), lf);
    EXPECT_EQ(parse("Len", "[L = 2\r0]\nL\ren = 8\nMsg = a\rb"), lf);
    // A line that becomes a header only once its CR is gone is a header.
    EXPECT_EQ(parse("Len", "\r[L = 20]\nLen = 8\nMsg = ab"), lf);
    // CR alone is not a line break: this is one body line.
    const Categories one{{{}, {{{"Len", "8Msg"}}}}};
    EXPECT_EQ(parse("Len", "Len = 8\rMsg"), one);
}

TEST(ParseCategories, BracketAfterLeadingSpacesMakesABodyLine) {
    const Categories expected{{{}, {{{"Count", "1"}, {"[ABC]", ""}}}}};
    EXPECT_EQ(parse("Count", "Count = 1\n  [ABC]\n"), expected);
}

TEST(ParseCategories, HeaderLinesLoseBracketsAndAreTrimmed) {
    // Every bracket goes, inner ones included; only the ends are trimmed.
    const Categories expected{{{{"", ""}, {"", "x"}, {"a b", "c = d"}, {"Lx", "20"}}, {}}};
    EXPECT_EQ(parse("K", "[]\n[ = x ]\n[ a b = c = d ]\n[L[x] = 2]]0]"), expected);
}

TEST(ParseCategories, BodyLinesLoseAllWhitespaceAndSplitAtFirstEquals) {
    const Categories expected{{{}, {{{"KEY", "0011=22"}, {"Msg", "000102"}, {"NoEquals", ""}, {"", "v"}}}}};
    EXPECT_EQ(parse("KEY", "KEY = 00 11 = 22\nM s g\t=\v0 0 0 1 0 2\nNo Equals\n = v\n"), expected);
}

TEST(ParseCategories, RecordKeyMatchesExactlyAndStrayFieldsAreDropped) {
    const std::string text = "Foo = 1\nCount = 7\nCOUNT = 0\nCount = 8\nCOUNTER = 2\n";
    const Categories expected{{{}, {{{"COUNT", "0"}, {"Count", "8"}, {"COUNTER", "2"}}}}};
    EXPECT_EQ(parse("COUNT", text), expected);
    const Categories noKey{{{}, {}}};
    EXPECT_EQ(parse("count", text), noKey);
}

TEST(ParseCategories, DuplicateFieldNamesStayAndLookupTakesTheFirst) {
    const Categories parsed = parse("I", "I = 1\nKEY = aa\nKEY = bb\n");
    const Categories expected{{{}, {{{"I", "1"}, {"KEY", "aa"}, {"KEY", "bb"}}}}};
    ASSERT_EQ(parsed, expected);
    EXPECT_EQ(lookup(parsed[0].records[0], "KEY"), "aa");
    EXPECT_EQ(lookup(parsed[0].records[0], "I"), "1");
    EXPECT_EQ(lookup(parsed[0].records[0], "PT"), std::nullopt);
}

TEST(ParseCategories, UnicodeSpaceSeparatorsAreWhitespace) {
    const std::string nbsp = "\xc2\xa0", ideographic = "\xe3\x80\x80", ogham = "\xe1\x9a\x80",
                      enQuad = "\xe2\x80\x80", hair = "\xe2\x80\x8a", narrow = "\xe2\x80\xaf",
                      math = "\xe2\x81\x9f";
    const std::string text = "[" + nbsp + "L" + ideographic + "=" + ogham + "20" + nbsp + "]\n" +
                             "Len" + nbsp + "=" + ideographic + "0" + enQuad + "1" + hair + narrow + math +
                             "\n" + nbsp + ideographic + "\n";
    const Categories expected{{{{"L", "20"}}, {{{"Len", "01"}}}}};
    EXPECT_EQ(parse("Len", text), expected);
}

TEST(ParseCategories, OtherUnicodeCharactersAreKept) {
    // U+200B (zero-width space) and U+2028 (line separator) are not space separators.
    const std::string zwsp = "\xe2\x80\x8b", lineSep = "\xe2\x80\xa8";
    const Categories expected{{{{zwsp + "L", lineSep}}, {}}};
    EXPECT_EQ(parse("K", "[" + zwsp + "L = " + lineSep + "]"), expected);
}

TEST(ParseCategories, InvalidUtf8BytesAreKeptAsTheyAre) {
    // Truncated and stray sequences, including prefixes of non-ASCII spaces.
    const std::string bad = "\xc2\xe3\x80\xff\xa0\xe2\x80";
    const Categories expected{{{{bad, bad}}, {{{"K", bad + bad}, {bad, ""}}}}};
    EXPECT_EQ(parse("K", "[" + bad + "=" + bad + "]\nK = " + bad + " " + bad + "\n" + bad + "\n"), expected);
    // A lone lead byte before a real space: the byte stays, the space goes.
    EXPECT_EQ(parse("K", "K = \xc2 \xc2\xa0"), (Categories{{{}, {{{"K", "\xc2"}}}}}));
    // Not whitespace-only, so the line is kept as a body line.
    EXPECT_EQ(parse("K", "K=1\n\xc2\n"), (Categories{{{}, {{{"K", "1"}, {"\xc2", ""}}}}}));
}

TEST(ParseCategories, NulBytesAreOrdinaryCharacters) {
    const std::string text("K = a\0b\n\0\n", 10);
    const Categories expected{{{}, {{{"K", std::string("a\0b", 3)}, {std::string("\0", 1), ""}}}}};
    EXPECT_EQ(parse("K", text), expected);
}

TEST(ParseCategories, FiftyMegabyteLine) {
    const std::size_t size = 50u << 20;
    std::string text = "Msg = ";
    text.append(size, 'a');
    text += "\r\n";
    const Categories parsed = parseCategories("Msg", text);
    ASSERT_EQ(parsed.size(), 1u);
    ASSERT_EQ(parsed[0].records.size(), 1u);
    const Field& msg = parsed[0].records[0][0];
    EXPECT_EQ(msg.name, "Msg");
    EXPECT_EQ(msg.value.size(), size);
    EXPECT_EQ(msg.value.find_first_not_of('a'), std::string::npos);
}

TEST(CategoryStream, SinkGetsEachRecordWithItsCategoryPropertiesAndKeepsNone) {
    using Handed = std::tuple<std::vector<Field>, Record, std::size_t>;
    std::vector<Handed> handed;
    CategoryStream stream("K", [&](const std::vector<Field>& properties, Record&& record, std::size_t line) {
        handed.emplace_back(properties, std::move(record), line);
    });
    stream.feed("Stray=0\n[A=1]\nK=1\nx=2\nK=2\n[B]\n[C]\nK=");
    stream.feed("3\n");
    const Categories kept = std::move(stream).finish();
    const std::vector<Handed> expected{
        {{{"A", "1"}}, {{"K", "1"}, {"x", "2"}}, 3},
        {{{"A", "1"}}, {{"K", "2"}}, 5},
        {{{"B", ""}, {"C", ""}}, {{"K", "3"}}, 8},
    };
    EXPECT_EQ(handed, expected);
    EXPECT_EQ(kept, (Categories{{{}, {}}, {{{"A", "1"}}, {}}, {{{"B", ""}, {"C", ""}}, {}}}));
}

TEST(CategoryStream, RecordLinesCountEveryLineOfTheText) {
    CategoryStream stream("K");
    stream.feed("# comment\r\n\n[L=1]\nK=1\nx=2\n   \nK=2\n[L=2]\nStray=0\nK=3");
    RecordLines lines;
    std::move(stream).finish(&lines);
    EXPECT_EQ(lines, (RecordLines{{4, 7}, {10}}));
}

TEST(GetCategories, DoesNoCleaningOfItsOwn) {
    // An empty line is a body line: a field with empty name and value.
    const Categories expected{{{}, {{{"K", "1"}, {"", ""}, {"#c", ""}}, {{"K", "2"}}}}};
    EXPECT_EQ(getCategories("K", {"K = 1", "", "#c", "K=2"}), expected);
    EXPECT_EQ(getCategories("", {"", "x"}), (Categories{{{}, {{{"", ""}, {"x", ""}}}}}));
}

TEST(SplitAndCleanLines, CutsAtLineFeedOnlyAndDropsBlankAndCommentLines) {
    const std::vector<std::string> expected{"a", " b ", "[c]", " #d", "ef"};
    EXPECT_EQ(splitAndCleanLines("a\n\n b \r\n#x\n\t \n[c]\n #d\ne\rf"), expected);
    EXPECT_EQ(splitAndCleanLines("a\n"), std::vector<std::string>{"a"});
    EXPECT_EQ(splitAndCleanLines("\n"), std::vector<std::string>{});
}

}  // namespace
