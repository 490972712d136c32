// The run's events for a host without widgets: the start with the size the reader
// counts, each line taken in with its bytes and its display text, each quotation's
// end, and the one end of the run, in the order they happen.
#include "import_fixture.h"

namespace importer {
namespace {

std::string quotation(const std::string& prefix, const std::string& number, const std::string& code)
{
    return dataLine({{"PREF_PRE", prefix},
                     {"COTI_NUMERO", number},
                     {"COTI_FECHA", "05/03/2024"},
                     {"VEND_COD", "7"},
                     {"TERC_NIT", "900123"},
                     {"CTDE_CODBAR", code}});
}

// A, B, A: the third repeats the first's prefix and number, so the database
// refuses it, or it is passed over when quotations already stored are; the
// barcode of B carries over to the third's first line.
const std::vector<std::string> kThreeQuotations = {
    quotation("A", "1", "CAF-500"), dataLine({{"CTDE_CODBAR", "AZU-1K"}}),
    dataLine({{"PREF_PRE", "B"}, {"CTDE_CODBAR", "ACE-1L"}}), dataLine({{"PREF_PRE", "A"}}),
    dataLine({{"CTDE_CODBAR", "ARR-500"}})};

std::vector<std::string> withHeaderLine(std::vector<std::string> lines)
{
    lines.insert(lines.begin(), "PREFIJO;NUMERO\r\n");
    return lines;
}

struct EventsCase {
    const char* name;
    std::vector<std::string> lines; // the file's, line ends included; none: no file
    RunOptions options;
    std::vector<std::string> events; // after the start, which comes when the file opens
};

const EventsCase kEventsCases[] = {
    {"StoredAndRefused",
     kThreeQuotations,
     {},
     {"line 1: A1 - CAF-500", "line 2: A1 - AZU-1K", "stored A 1 from line 1", "line 3: B1 - ACE-1L",
      "stored B 1 from line 3", "line 4: A1 - ACE-1L", "line 5: A1 - ARR-500", "refused A 1 from line 4",
      "ended finished"}},
    {"HeaderSkippedAndStoredOnePassedOver",
     withHeaderLine(kThreeQuotations),
     {.skipExisting = true, .skipLines = 1},
     {"line 2: A1 - CAF-500", "line 3: A1 - AZU-1K", "stored A 1 from line 2", "line 4: B1 - ACE-1L",
      "stored B 1 from line 4", "line 5: A1 - ACE-1L", "line 6: A1 - ARR-500", "skipped A 1 from line 5",
      "ended finished"}},
    // The quotation stored at the boundary ends before the line that stops the run;
    // that line is read, and its article is looked up with the rest of its quotation.
    {"StoppedByAnUnknownArticle",
     {quotation("CT", "1", "CAF-500"), quotation("CT", "2", "NO-EXISTE")},
     {},
     {"line 1: CT1 - CAF-500", "stored CT 1 from line 1", "line 2: CT2 - NO-EXISTE", "ended stopped"}},
    {"FileRefused", {}, {}, {"ended file refused"}},
};

void PrintTo(const EventsCase& c, std::ostream* os)
{
    *os << c.name;
}

class HostRunEvents : public ImportFixture, public ::testing::WithParamInterface<EventsCase> {};

TEST_P(HostRunEvents, ArriveInOrderWithTheirPayload)
{
    const EventsCase& c = GetParam();
    connect();
    host_.options = c.options;
    std::string bytes;
    for (const auto& line : c.lines)
        bytes += line;
    const std::string path = (dir_.path() / "cotizaciones.csv").string();
    if (!c.lines.empty())
        dir_.write("cotizaciones.csv", bytes);
    host_.texts[FormField::Ubicacion] = path;
    platform::runGuarded(host_.dialogs(), [&] { host_.SpeedButton3Click(session_); });

    std::vector<std::string> expected = c.events;
    if (!c.lines.empty())
        expected.insert(expected.begin(), "started " + std::to_string(bytes.size()) + " " + path);
    EXPECT_EQ(host_.runEvents, expected);
    // A line is taken in once the reader has counted its text, and before the next
    // line's text.
    for (const LineRead& read : host_.linesRead) {
        ASSERT_GE(read.line, 1);
        ASSERT_LE(read.line, static_cast<std::int64_t>(c.lines.size()));
        std::int64_t lineEnd = 0;
        for (std::int64_t k = 0; k < read.line; ++k)
            lineEnd += static_cast<std::int64_t>(c.lines[k].size());
        EXPECT_GE(read.bytesRead, lineEnd - 2) << "line " << read.line;
        EXPECT_LE(read.bytesRead, lineEnd) << "line " << read.line;
    }
}

INSTANTIATE_TEST_SUITE_P(Import, HostRunEvents, ::testing::ValuesIn(kEventsCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace importer
