// The batch mode's run from start to end: the messages, the summary line, the exit
// status and the rows stored, for a clean import, a refusal, a stop, a missing file
// and a failed connection. Portable, so that the Windows build runs it as well.
#include "batch_fixture.h"
#include "console/batch.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace console {
namespace {

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
     "Error: línea 3, cotización A 1: Ya existe el registro en la tabla Cotizaci\nImportación finalizada.\n",
     false,
     summary(2, 1, 2, "B1"),
     "A1\nB1\n"},
    {"article_not_found_stops",
     quotationLine("CT", "1", "CAF-500") + quotationLine("CT", "2", "NO'EXISTE") +
         quotationLine("CT", "3", "AZU-1K"),
     {},
     kBatchStopped,
     "línea 2, cotización CT 2: Código 'NO''EXISTE' no encontrado.\n"
     "Error: línea 2, cotización CT 2: Los campos ARTI_COD,  son obligatorios.\n",
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

class BatchRun : public BatchFixture, public ::testing::WithParamInterface<RunCase> {};

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

} // namespace
} // namespace console
