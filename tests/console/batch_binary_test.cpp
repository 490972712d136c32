// The built program from the outside: its command line, a batch run without any
// display, and the progress line that only a terminal gets.
#include "batch_fixture.h"
#include "console/batch.h"
#include "support/child_process.h"

#include <algorithm>
#include <fstream>

namespace console {
namespace {

using testing_support::Finished;

// Runs the built program with its output streams in files, or its error stream on
// a pseudo-terminal of the given width (its output stream still in a file).
Finished runProgram(const testing_support::TempDir& dir, std::vector<std::string> arguments,
                    const std::vector<std::string>& environment, int terminalColumns = 0)
{
    const auto program = testing_support::builtProgram();
    EXPECT_TRUE(std::filesystem::exists(program)) << program << " is built with the tests";
    arguments.insert(arguments.begin(), program.string());
    return testing_support::runToEnd(dir.path(), arguments, {environment, terminalColumns});
}

// What a terminal shows after the bytes: "\r" goes back to the first column, "\n"
// to the next line, everything else overwrites a column. Trailing blanks dropped.
std::vector<std::string> screen(const std::string& bytes)
{
    std::vector<std::vector<std::string>> lines(1);
    std::size_t column = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            column = 0;
            if (c == '\n')
                lines.emplace_back();
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < bytes.size() && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80)
            ++end;
        auto& line = lines.back();
        if (line.size() <= column)
            line.resize(column + 1, " ");
        line[column++] = bytes.substr(i, end - i);
        i = end;
    }
    std::vector<std::string> shown;
    for (const auto& line : lines) {
        std::string text;
        for (const auto& character : line)
            text += character;
        shown.push_back(text.substr(0, text.find_last_not_of(' ') + 1));
    }
    return shown;
}

std::size_t characters(const std::string& text)
{
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string projectVersion()
{
    std::ifstream cache(std::filesystem::path(IMPORTARCOT_BINARY_DIR) / "CMakeCache.txt");
    const std::string key = "CMAKE_PROJECT_VERSION:STATIC=";
    for (std::string line; std::getline(cache, line);)
        if (line.rfind(key, 0) == 0)
            return line.substr(key.size());
    return "?";
}

TEST(ProgramCommandLine, HelpVersionAndUsageErrors)
{
    testing_support::TempDir dir;
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string out; // whole standard output, or its start with outPrefix
        bool outPrefix;
        std::string errStart;
    } cases[] = {
        {{"--help"}, 0, "Uso:\n", true, ""},
        {{"--batch", "--help"}, 0, "Uso:\n", true, ""},
        {{"--version"}, 0, "importarcot " + projectVersion() + "\nCopyright (C) ", true, ""},
        {{"--preview", "--", dir.write("-c.csv", "a,b\n").string()},
         0,
         "{\"line\": 1, \"fields\": [\"a\", \"b\"]}\n",
         false,
         ""},
        {{"--bogus"}, 2, "", false, "importarcot: opción desconocida: --bogus\nUso:\n"},
        {{"--batch", "--password", "secreto"},
         2,
         "",
         false,
         "importarcot: la clave no se da en la línea de órdenes"},
        {{"--batch", "--separator", "pipe"},
         2,
         "",
         false,
         "importarcot: --separator toma comma, semicolon o tab\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.back());
        const Finished finished = runProgram(dir, c.arguments, {});
        EXPECT_EQ(finished.status, c.status);
        if (c.outPrefix)
            EXPECT_EQ(finished.out.rfind(c.out, 0), 0u) << finished.out;
        else
            EXPECT_EQ(finished.out, c.out);
        if (c.errStart.empty())
            EXPECT_EQ(finished.err, "");
        else
            EXPECT_EQ(finished.err.rfind(c.errStart, 0), 0u) << finished.err;
    }
}

class ProgramBatch : public BatchFixture {
protected:
    Finished runImport(int terminalColumns)
    {
        const std::string data = writeData(quotationLine("CT", "1", "CAF-500") + articleLine("AZU-1K") +
                                           quotationLine("CT", "2", "ACE-1L"));
        return runProgram(dir_,
                          {"--batch", "--server", dir_.path().string(), "--user", "SYSDBA", "--company", "01",
                           "--file", data, "--separator", "semicolon"},
                          {suite_.registry().variable(), "IMPORTARCOT_PASSWORD=masterkey", "LC_ALL=C.UTF-8"},
                          terminalColumns);
    }
};

// No display anywhere in the environment, and an error stream that is a file:
// the messages only, no progress line.
TEST_F(ProgramBatch, ImportsWithoutDisplayAndNoProgressIntoAFile)
{
    const Finished finished = runImport(0);
    EXPECT_EQ(finished.status, kBatchImported) << finished.err;
    EXPECT_EQ(finished.err, "Importación finalizada.\n");
    EXPECT_EQ(finished.out,
              "Cotizaciones grabadas: 2, rechazadas: 0, líneas grabadas: 3, última grabada: CT2\n");
    EXPECT_EQ(storedQuotations(), "CT1\nCT2\n");
}

// On a terminal the progress line is drawn in place, within the terminal's width,
// and erased before the next message, so the screen keeps only the messages.
TEST_F(ProgramBatch, ProgressLineOnATerminal)
{
    const int columns = 44;
    const Finished finished = runImport(columns);
    EXPECT_EQ(finished.status, kBatchImported) << finished.err;
    // Among the drawings, one of the first quotation's line: the percentage, the
    // quotations stored and the line being imported, cut at the last column but one.
    std::vector<std::string> drawings;
    for (std::size_t start = 0; (start = finished.err.find("\rImportando ", start)) != std::string::npos;)
        drawings.push_back(finished.err.substr(start + 1, finished.err.find('\r', start + 1) - start - 1)),
            ++start;
    const std::string firstLine = " % | grabadas: 0 | CT1 - CAF-500";
    EXPECT_TRUE(std::any_of(drawings.begin(), drawings.end(), [&](const std::string& drawing) {
        return drawing.size() == static_cast<std::size_t>(columns - 1) &&
               drawing.substr(14) == firstLine.substr(0, columns - 1 - 14) &&
               drawing.find_first_not_of(" 0123456789", 11) == 15; // the percentage, then "%"
    })) << finished.err;
    EXPECT_EQ(screen(finished.err), (std::vector<std::string>{"Importación finalizada.", ""}))
        << finished.err;
    // Each stretch written from the first column stays short of the last one.
    std::string stretches = finished.err;
    std::replace(stretches.begin(), stretches.end(), '\r', '\n');
    for (const auto& stretch : screen(stretches))
        EXPECT_LT(characters(stretch), static_cast<std::size_t>(columns)) << stretch;
    EXPECT_EQ(finished.out,
              "Cotizaciones grabadas: 2, rechazadas: 0, líneas grabadas: 3, última grabada: CT2\n");
}

} // namespace
} // namespace console
