// The batch mode in-process: the window's steps on real company databases, the
// modal boxes as lines on the error stream, the summary line and the exit status.
#include "app/batch.h"
#include "batch_fixture.h"
#include "import/quotation_save.h"

#include <sstream>

namespace app {
namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

class BatchTest : public BatchFixture {
protected:
    Outcome run(const std::vector<std::string>& arguments)
    {
        const ParsedCommandLine parsed = parseCommandLine(arguments);
        EXPECT_TRUE(parsed.commandLine) << parsed.error;
        if (!parsed.commandLine)
            return {-1, "", ""};
        std::ostringstream out;
        std::ostringstream err;
        const int status = runBatch(*parsed.commandLine, out, err);
        return {status, out.str(), err.str()};
    }

    // The company database of the fixture, with the password from the environment.
    std::vector<std::string> connectionArguments()
    {
        setenv("IMPORTARCOT_PASSWORD", "masterkey", 1);
        return {"--batch",   "--server", dir_.path().string(), "--user",   "SYSDBA",
                "--company", "01",       "--separator",        "semicolon"};
    }
};

std::string summary(int stored, int refused, int lines, const std::string& last)
{
    return "Cotizaciones grabadas: " + std::to_string(stored) + ", rechazadas: " + std::to_string(refused) +
           ", líneas grabadas: " + std::to_string(lines) + ", última grabada: " + last + "\n";
}

struct RunCase {
    const char* name;
    std::string data;               // the data file; not written when empty
    std::vector<std::string> extra; // more arguments
    int status;
    std::string err; // the whole error stream; with errPrefix, its start
    bool errPrefix;
    std::string summary;
    std::string stored; // querySql rows of the stored quotations
    friend void PrintTo(const RunCase& c, std::ostream* out) { *out << c.name; }
};

const RunCase kRunCases[] = {
    {"clean_import",
     quotationLine("CT", "1", "CAF-500") + articleLine("AZU-1K") + quotationLine("CT", "2", "ACE-1L"),
     {},
     kBatchImported,
     "Importación finalizada.\n",
     false,
     summary(2, 0, 3, "CT2"),
     "CT1\nCT2\n"},
    {"refused_quotation_goes_on",
     quotationLine("A", "1", "CAF-500") + quotationLine("B", "1", "AZU-1K") +
         quotationLine("A", "1", "ACE-1L"),
     {},
     kBatchWithRefusals,
     "Error: Ya existe el registro en la tabla Cotizaci\nImportación finalizada.\n",
     false,
     summary(2, 1, 2, "B1"),
     "A1\nB1\n"},
    {"article_not_found_stops",
     quotationLine("CT", "1", "CAF-500") + quotationLine("CT", "2", "NO'EXISTE") +
         quotationLine("CT", "3", "AZU-1K"),
     {},
     kBatchStopped,
     "Código 'NO''EXISTE' no encontrado.\nError: Los campos ARTI_COD,  son obligatorios.\n",
     false,
     summary(1, 0, 1, "CT1"),
     "CT1\n"},
    {"missing_file",
     "",
     {"--file", "/nonexistent/cotizaciones.csv"},
     kBatchStopped,
     "No se encontró el archivo a importar.\n",
     false,
     summary(0, 0, 0, "ninguna"),
     ""},
    {"failed_connect",
     quotationLine("CT", "1", "CAF-500"),
     {"--company", "07"},
     kBatchStopped,
     "Error: SQL Server Error: I/O error during \"open\" operation for file",
     true,
     summary(0, 0, 0, "ninguna"),
     ""},
};

class BatchRun : public BatchTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(BatchRun, MessagesSummaryStatusAndRows)
{
    const RunCase& c = GetParam();
    std::vector<std::string> arguments = connectionArguments();
    if (!c.data.empty())
        arguments.insert(arguments.end(), {"--file", writeData(c.data)});
    arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());

    const Outcome outcome = run(arguments);
    EXPECT_EQ(outcome.status, c.status);
    if (c.errPrefix) {
        EXPECT_EQ(outcome.err.rfind(c.err, 0), 0u) << outcome.err;
        // Each box is one line, even when the database's text has several.
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
    } else {
        EXPECT_EQ(outcome.err, c.err);
    }
    EXPECT_EQ(outcome.out, c.summary);
    EXPECT_EQ(storedQuotations(), c.stored);
}

INSTANTIATE_TEST_SUITE_P(Batch, BatchRun, ::testing::ValuesIn(kRunCases),
                         [](const auto& info) { return std::string(info.param.name); });

// settings.conf fills what the command line leaves out and gives way to what it
// gives; with the unattended flag the connect step runs the import itself, once.
TEST_F(BatchTest, ValuesFromTheSettingsFile)
{
    const std::string data = writeData(quotationLine("CT", "1", "CAF-500") + articleLine("AZU-1K"));
    const struct {
        const char* name;
        std::string company; // line 4 of settings.conf
        std::string flag;    // line 6
        std::vector<std::string> arguments;
    } cases[] = {
        {"all_from_the_file", "01", "0", {}},
        {"unattended_flag_runs_once", "01", "1", {}},
        {"company_from_the_command_line", "99", "1", {"--company", "01"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::runSql(database_, "delete from COTIZACIONES_DETALLE; delete from COTIZACIONES");
        writeSettings(dir_.path().string() + "\r\nSYSDBA\r\nmasterkey\r\n" + c.company + "\r\n" + data +
                      "\r\n" + c.flag + "\r\n");
        std::vector<std::string> arguments = {"--batch", "--separator", "semicolon"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.status, kBatchImported);
        EXPECT_EQ(outcome.err, "Importación finalizada.\n");
        EXPECT_EQ(outcome.out, summary(1, 0, 2, "CT1"));
        EXPECT_EQ(storedQuotations(), "CT1\n");
    }
}

// The password: from --password-file (its first line), else from the environment,
// else from settings.conf; never empty.
TEST_F(BatchTest, PasswordSources)
{
    const std::string data = writeData(quotationLine("CT", "1", "CAF-500"));
    const struct {
        const char* name;
        const char* passwordFile; // contents; nullptr for no --password-file
        const char* variable;     // IMPORTARCOT_PASSWORD; nullptr for unset
        const char* settingsPassword;
        int status;
    } cases[] = {
        {"file_first_line", "masterkey\r\nother\n", nullptr, "", kBatchImported},
        {"file_empty_first_line", "\nmasterkey\n", "masterkey", "", kBatchUsage},
        {"environment", nullptr, "masterkey", "", kBatchImported},
        {"settings_file", nullptr, nullptr, "masterkey", kBatchImported},
        {"none", nullptr, nullptr, "", kBatchUsage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::runSql(database_, "delete from COTIZACIONES_DETALLE; delete from COTIZACIONES");
        writeSettings(dir_.path().string() + "\nSYSDBA\n" + c.settingsPassword + "\n01\n" + data + "\n\n");
        std::vector<std::string> arguments = {"--batch", "--separator", "semicolon"};
        if (c.passwordFile != nullptr)
            arguments.insert(arguments.end(),
                             {"--password-file", dir_.write("clave", c.passwordFile).string()});
        if (c.variable != nullptr)
            setenv("IMPORTARCOT_PASSWORD", c.variable, 1);
        else
            unsetenv("IMPORTARCOT_PASSWORD");
        const Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.status, c.status);
        if (c.status == kBatchUsage) {
            EXPECT_EQ(outcome.err.rfind("importarcot: falta la clave", 0), 0u) << outcome.err;
            EXPECT_NE(outcome.err.find("Uso:"), std::string::npos);
            EXPECT_EQ(outcome.out, "");
            EXPECT_EQ(storedQuotations(), "");
        } else {
            EXPECT_EQ(storedQuotations(), "CT1\n");
        }
    }
}

TEST_F(BatchTest, UnreadablePasswordFileStopsBeforeAnything)
{
    std::vector<std::string> arguments = connectionArguments();
    arguments.insert(arguments.end(), {"--password-file", (dir_.path() / "missing").string(), "--file",
                                       writeData(quotationLine("CT", "1", "CAF-500"))});
    const Outcome outcome = run(arguments);
    EXPECT_EQ(outcome.status, kBatchStopped);
    EXPECT_NE(outcome.err.find("no se puede leer el archivo de la clave"), std::string::npos) << outcome.err;
    EXPECT_EQ(storedQuotations(), "");
}

TEST(BatchSummary, LastStoredFromTheSuitesCodePage)
{
    importer::SaveTally tally{3, 1, 7,
                              "A\xD1"
                              "1"};
    EXPECT_EQ(summaryLine(tally),
              "Cotizaciones grabadas: 3, rechazadas: 1, líneas grabadas: 7, última grabada: AÑ1");
}

} // namespace
} // namespace app
