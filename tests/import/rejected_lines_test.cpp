// The rejects file: which lines, copied how, written whole.
#include "import/rejected_lines.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace importer {
namespace {

// Line ends of every kind, an empty line and a last line without its end.
const std::string kData = "P;N;X\r"
                          "A;1;\"x;y\"\n"
                          "\n"
                          "A;;z\r\n"
                          "B;2;w";

TEST(RejectedLines, KeptLinesAndTheRestAsTheyStand)
{
    testing_support::TempDir dir;
    const std::string data = dir.write("datos.csv", kData).string();
    const std::string rejects = (dir.path() / "rechazadas.csv").string();
    const struct {
        const char* name;
        void (*run)(RejectedLines&);
        std::string written;
    } cases[] = {
        {"finished_nothing_rejected",
         [](RejectedLines& r) {
             r.quotationStarts(2, std::nullopt);
             r.lineOfQuotation(4);
             r.quotationEnds(false);
             r.quotationStarts(5, std::nullopt);
             r.quotationEnds(false);
             r.runFinished();
         },
         ""},
        {"finished_first_refused_with_a_filled_line",
         [](RejectedLines& r) {
             r.quotationStarts(2, std::vector<std::string>{"A", "1", "x;y", "", "carried"});
             r.lineOfQuotation(4);
             r.quotationEnds(true);
             r.quotationStarts(5, std::nullopt);
             r.quotationEnds(false);
             r.runFinished();
         },
         "\"A\";\"1\";\"x;y\";\"\";\"carried\"\n"
         "A;;z\r\n"},
        {"stopped_in_the_first_quotation", [](RejectedLines& r) { r.quotationStarts(2, std::nullopt); },
         "A;1;\"x;y\"\n"
         "A;;z\r\n"
         "B;2;w"},
        {"never_started", [](RejectedLines&) {},
         "A;1;\"x;y\"\n"
         "A;;z\r\n"
         "B;2;w"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RejectedLines rejected;
        rejected.start(true);
        c.run(rejected);
        EXPECT_EQ(writeRejectsFile({rejects, data, {';', '"'}, 1}, rejected), std::nullopt);
        EXPECT_EQ(testing_support::readFile(rejects), c.written);
    }
    EXPECT_FALSE(std::filesystem::exists(rejects + ".partial"));
}

TEST(RejectedLines, AFileThatCannotBeWrittenLeavesNothing)
{
    testing_support::TempDir dir;
    const std::string data = dir.write("datos.csv", kData).string();
    const std::string rejects = (dir.path() / "no-such-folder" / "rechazadas.csv").string();
    RejectedLines rejected;
    rejected.start(true);
    EXPECT_NE(writeRejectsFile({rejects, data, {';', '"'}, 0}, rejected), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(rejects));
}

} // namespace
} // namespace importer
