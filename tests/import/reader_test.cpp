#include "import/reader.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace importer {
namespace {

// Hands out a string's bytes in small pieces, so that line ends fall across reads.
class StringSource : public ByteSource {
public:
    explicit StringSource(std::string bytes, std::size_t piece = 3) : bytes_(std::move(bytes)), piece_(piece)
    {
    }
    std::size_t read(char* buffer, std::size_t count) override
    {
        const std::size_t n = std::min({count, piece_, bytes_.size() - pos_});
        std::memcpy(buffer, bytes_.data() + pos_, n);
        pos_ += n;
        return n;
    }

private:
    std::string bytes_;
    std::size_t piece_;
    std::size_t pos_ = 0;
};

struct Line {
    std::int64_t number;
    std::vector<std::string> fields;
    bool operator==(const Line&) const = default;
    friend void PrintTo(const Line& line, std::ostream* out)
    {
        *out << line.number << ":";
        for (const auto& field : line.fields)
            *out << " [" << field << "]";
    }
};

std::vector<Line> cutLines(const std::string& bytes, char separator, char delimiter)
{
    std::vector<Line> lines;
    StringSource source(bytes);
    DelimitedReader reader({separator, delimiter});
    reader.run(
        source, static_cast<std::int64_t>(bytes.size()),
        [&](const Slots& slots, int count, std::int64_t number) {
            lines.push_back({number, std::vector<std::string>(slots.begin(), slots.begin() + count)});
        },
        [](std::int64_t) {});
    return lines;
}

struct CutCase {
    const char* name;
    std::string bytes;
    char separator;
    char delimiter;
    std::vector<Line> lines;
};

std::string bytesOf(const char* text, std::size_t length)
{
    return std::string(text, length);
}

const CutCase kCutCases[] = {
    {"crlf", "a,b,c\r\n", ',', '\0', {{1, {"a", "b", "c"}}}},
    {"decimal_comma_becomes_point", "1,5;P\xE9rez, Juan\n", ';', '\0', {{1, {"1.5", "P\xE9rez. Juan"}}}},
    {"quoted_separator", "'1,5',2\n", ',', '\'', {{1, {"1.5", "2"}}}},
    {"stretch_inside_field", "ab'c,d'e\n", ',', '\'', {{1, {"abc.de"}}}},
    {"double_quote_delimiter", "ab\"c,d\"e,f\n", ',', '"', {{1, {"abc.de", "f"}}}},
    {"semicolon_in_stretch", "ab'c;d'e\n", ';', '\'', {{1, {"abc;de"}}}},
    {"unbalanced_delimiter_ends_with_line",
     "'abc;def\nx;y\n",
     ';',
     '\'',
     {{1, {"abc;def"}}, {2, {"x", "y"}}}},
    {"two_delimiters_add_nothing", "ab''cd;x\n", ';', '\'', {{1, {"abcd", "x"}}}},
    {"empty_fields", "a;;b\n;x\n", ';', '\0', {{1, {"a", "", "b"}}, {2, {"", "x"}}}},
    {"lf_lines", "a\nb\nc\n", ',', '\0', {{1, {"a"}}, {2, {"b"}}, {3, {"c"}}}},
    {"cr_only_lines_keep_every_byte", "srv\rusr\rx\r", ',', '\0', {{1, {"srv"}}, {2, {"usr"}}, {3, {"x"}}}},
    {"lf_cr_is_two_line_ends", "a\n\rb\n", ',', '\0', {{1, {"a"}}, {3, {"b"}}}},
    {"empty_line_not_handed_on", "a,b\r\n\r\nc\r\n", ',', '\0', {{1, {"a", "b"}}, {3, {"c"}}}},
    {"separators_only_line_not_handed_on", "a\n;;;\nb\n", ';', '\0', {{1, {"a"}}, {3, {"b"}}}},
    {"last_line_without_break", "a,b\nc,d", ',', '\0', {{1, {"a", "b"}}, {2, {"c", "d"}}}},
    {"empty_file", "", ',', '\0', {}},
    {"tab_separator", "a\tb,c\n", '\t', '\0', {{1, {"a", "b.c"}}}},
    {"zero_byte_is_delimiter_with_ninguno", bytesOf("a\0,b\0,c\n", 8), ',', '\0', {{1, {"a.b", "c"}}}},
    {"zero_byte_ends_field_text", bytesOf("ab\0cd,e\n", 8), ',', '"', {{1, {"ab", "e"}}}},
    // The stretch ends with the line, so the quote on the next line opens a new one.
    {"line_break_inside_stretch", "\"a\nb\",c\n", ',', '"', {{1, {"a"}}, {2, {"b.c"}}}},
};

class CutTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(CutTest, LinesAndFields)
{
    const CutCase& c = GetParam();
    EXPECT_EQ(cutLines(c.bytes, c.separator, c.delimiter), c.lines);
}

INSTANTIATE_TEST_SUITE_P(Reader, CutTest, ::testing::ValuesIn(kCutCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Reader, SlotsBeyondTheLineKeepEarlierFields)
{
    const std::string bytes = "1,2,3,4,5\nx,y,z\n";
    StringSource source(bytes);
    std::vector<std::vector<std::string>> seen;
    DelimitedReader({',', '\0'})
        .run(
            source, static_cast<std::int64_t>(bytes.size()),
            [&](const Slots& slots, int, std::int64_t) {
                seen.push_back({slots[0], slots[3], slots[4], slots[5]});
            },
            [](std::int64_t) {});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1], (std::vector<std::string>{"x", "4", "5", ""}));
}

TEST(Reader, LfAfterCrIsCountedButNotReported)
{
    const std::string bytes = "a\r\nb\rc\n";
    StringSource source(bytes);
    std::vector<std::int64_t> counts;
    DelimitedReader({',', '\0'})
        .run(
            source, static_cast<std::int64_t>(bytes.size()), [](const Slots&, int, std::int64_t) {},
            [&](std::int64_t count) { counts.push_back(count); });
    EXPECT_EQ(counts, (std::vector<std::int64_t>{1, 3, 4, 5, 6, 7}));
}

struct LimitCase {
    const char* name;
    std::string bytes;
    std::optional<LimitViolation::Kind> kind;
    std::int64_t line;
};

std::string fields(int count)
{
    return std::string(static_cast<std::size_t>(count - 1), ';') + "x";
}

const LimitCase kLimitCases[] = {
    {"field_of_1024_bytes", "a\n" + std::string(1024, 'x') + "\n", std::nullopt, 0},
    {"field_of_1025_bytes", "a\nb\n" + std::string(1025, 'x') + "\n", LimitViolation::Kind::FieldTooLong, 3},
    {"delimiters_do_not_count", "\"" + std::string(1024, 'x') + "\"\n", std::nullopt, 0},
    {"101_fields", fields(101) + "\n", std::nullopt, 0},
    {"102_fields", "a\n" + fields(102) + "\n", LimitViolation::Kind::TooManyFields, 2},
    {"102_empty_fields", std::string(101, ';') + "\n", LimitViolation::Kind::TooManyFields, 1},
    {"long_last_line_without_break", "a\n" + std::string(2000, 'x'), LimitViolation::Kind::FieldTooLong, 2},
};

class LimitTest : public ::testing::TestWithParam<LimitCase> {};

TEST_P(LimitTest, FoundByThePassAndByTheRun)
{
    const LimitCase& c = GetParam();
    StringSource source(c.bytes, 4096);
    const auto violation = checkText(source, static_cast<std::int64_t>(c.bytes.size()), {';', '"'}).violation;
    if (!c.kind) {
        EXPECT_FALSE(violation.has_value());
        return;
    }
    ASSERT_TRUE(violation.has_value());
    EXPECT_EQ(violation->kind, *c.kind);
    EXPECT_EQ(violation->line, c.line);

    StringSource again(c.bytes, 4096);
    try {
        DelimitedReader({';', '"'})
            .run(
                again, static_cast<std::int64_t>(c.bytes.size()), [](const Slots&, int, std::int64_t) {},
                [](std::int64_t) {});
        FAIL() << "the run took a line beyond the limits";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(error.what(), limitMessage(*violation));
    }
}

INSTANTIATE_TEST_SUITE_P(Reader, LimitTest, ::testing::ValuesIn(kLimitCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Reader, LimitMessagesNameTheLineAndTheLimit)
{
    EXPECT_EQ(limitMessage({LimitViolation::Kind::FieldTooLong, 7}),
              "El archivo no se puede importar: la línea 7 tiene un campo de más de 1024 caracteres.");
    EXPECT_EQ(limitMessage({LimitViolation::Kind::TooManyFields, 12}),
              "El archivo no se puede importar: la línea 12 tiene más de 101 columnas.");
}

TEST(Reader, ItemsGiveSeparatorAndDelimiterBytes)
{
    EXPECT_EQ(std::string({separatorForItem(0), separatorForItem(1), separatorForItem(2)}), ",;\t");
    EXPECT_EQ(std::string({delimiterForItem(0), delimiterForItem(1), delimiterForItem(2)}),
              std::string("\0\"'", 3));
}

} // namespace
} // namespace importer
