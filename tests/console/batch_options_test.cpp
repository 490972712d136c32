// The batch mode's options for imports that are checked first, repeated safely and
// finished later: --check, --skip-existing, --rejects and --skip-lines, run one
// after the other over one small file on a real company database.
#include "batch_fixture.h"

#include <algorithm>
#include <csignal>

namespace console {
namespace {

// The file: a header line, a quotation stored, one the database refuses (a check
// on the quantity), one that takes its date, seller and customer from the line
// before and whose article does not exist, one with a date that is none, and a
// last good one. Line 4 keeps its decimal comma and line 6 ends with LF only, to
// show that rejected lines are copied as they stand.
const std::string kHeaderLine = "Prefijo;Numero;Fecha;Validez;Vendedor\r\n";
const std::string kLine2 = quotationLine("CT", "1", "CAF-500");
const std::string kLine3 = articleLine("AZU-1K");
const std::string kLine4 = importer::dataLine({{"PREF_PRE", "CT"},
                                               {"COTI_NUMERO", "2"},
                                               {"COTI_FECHA", "05/03/2024"},
                                               {"VEND_COD", "7"},
                                               {"TERC_NIT", "900123"},
                                               {"CTDE_CODBAR", "ACE-1L"},
                                               {"CTDE_CANT", "-1"},
                                               {"CTDE_PRUNIT", "100,50"}});
const std::string kLine5 = importer::dataLine({{"PREF_PRE", "CT"},
                                               {"COTI_NUMERO", "3"},
                                               {"CTDE_CODBAR", "NO-EXISTE"},
                                               {"CTDE_CANT", "2"},
                                               {"CTDE_PRUNIT", "100"}});
// Line 5 as a rejects file holds it: the values it took from line 4 written in.
const std::string kLine5Filled = importer::dataLine({{"PREF_PRE", "CT"},
                                                     {"COTI_NUMERO", "3"},
                                                     {"COTI_FECHA", "05/03/2024"},
                                                     {"VEND_COD", "7"},
                                                     {"TERC_NIT", "900123"},
                                                     {"CTDE_CODBAR", "NO-EXISTE"},
                                                     {"CTDE_CANT", "2"},
                                                     {"CTDE_PRUNIT", "100"}});
const std::string kLine6 = [] {
    std::string line = quotationLine("CT", "4", "ARR-500");
    line.replace(line.find("05/03/2024"), 10, "31/02/2024");
    return line.substr(0, line.size() - 2) + "\n";
}();
const std::string kLine7 = quotationLine("CT", "5", "LEC-1L");
const std::string kFile = kHeaderLine + kLine2 + kLine3 + kLine4 + kLine5 + kLine6 + kLine7;

// What a user fixes in the rejected lines: the quantity, the article, the date.
std::string fixed(std::string text)
{
    const std::pair<std::string, std::string> fixes[] = {
        {";-1;", ";1;"}, {"NO-EXISTE", "ARR-500"}, {"31/02/2024", "28/02/2024"}};
    for (const auto& [wrong, right] : fixes)
        for (auto at = text.find(wrong); at != std::string::npos; at = text.find(wrong, at))
            text.replace(at, wrong.size(), right);
    return text;
}

const std::string kRefusal =
    "Error: línea 4, cotización CT 2: SQL Server Error: Operation violates CHECK constraint";
const std::string kNotFound = "línea 5, cotización CT 3: Código 'NO-EXISTE' no encontrado.";
const std::string kRequired = "Error: línea 5, cotización CT 3: Los campos ARTI_COD,  son obligatorios.";
const std::string kBadDate = "Error: línea 6, cotización CT 4: '31/02/2024' is not a valid date.";

struct OptionRun {
    const char* name;
    std::vector<std::string> options;
    int status;
    std::vector<std::string> errLines; // each line of the error stream, as its start
    std::string summary;
    std::string stored;  // quotations in the database afterwards
    std::string rejects; // the rejects file's bytes
};

class BatchOptions : public BatchFixture {
protected:
    void SetUp() override
    {
        BatchFixture::SetUp();
        addQuantityCheck(database_);
    }

    static void addQuantityCheck(const std::filesystem::path& database)
    {
        testing_support::runSql(database, "alter table COTIZACIONES_DETALLE add constraint CK_CANTIDAD "
                                          "check (CTDE_CANT > 0)");
    }

    // The quotations with their lines as a clean import would store them, without
    // the identifiers and item numbers that depend on the runs.
    static std::string quotationRows(const std::filesystem::path& database)
    {
        return testing_support::querySql(
            database, "select c.PREF_PRE, c.COTI_NUMERO, c.TERC_NIT, c.VEND_COD, c.COTI_FECHA, "
                      "c.COTI_IVAMONTO, c.COTI_TOTAL, "
                      "d.ARTI_COD, d.CTDE_CANT, d.CTDE_PRUNIT, d.CTDE_TOTAL from COTIZACIONES c join "
                      "COTIZACIONES_DETALLE d "
                      "on d.COTI_ID = c.COTI_ID order by c.PREF_PRE, c.COTI_NUMERO, d.CTDE_ITEM");
    }

    Outcome runWith(const std::string& file, const std::vector<std::string>& options)
    {
        std::vector<std::string> arguments = connectionArguments();
        arguments.insert(arguments.end(), {"--file", file});
        arguments.insert(arguments.end(), options.begin(), options.end());
        return run(arguments);
    }
};

TEST_F(BatchOptions, CheckImportImportAgainAndTheFixedRejects)
{
    const std::string data = dir_.write("cotizaciones.csv", kFile).string();
    const std::string rejects = (dir_.path() / "rechazadas.csv").string();
    const OptionRun runs[] = {
        {"check",
         {"--check", "--skip-lines", "1", "--rejects", rejects},
         kBatchWithRefusals,
         {kRefusal, kNotFound, kRequired, kBadDate, "Importación finalizada."},
         "Cotizaciones que se grabarían: 2, con problemas: 3, líneas que se grabarían: 3, "
         "última que se grabaría: CT5\n",
         "",
         kLine4 + kLine5Filled + kLine6},
        {"import_stops_at_the_article",
         {"--skip-lines", "1", "--rejects", rejects},
         kBatchStopped,
         {kRefusal, kNotFound, kRequired},
         "Cotizaciones grabadas: 1, rechazadas: 1, líneas grabadas: 2, última grabada: CT1\n",
         "CT1\n",
         kLine4 + kLine5Filled + kLine6 + kLine7},
        {"import_again_skipping_what_is_stored",
         {"--skip-lines=1", "--skip-existing", "--rejects", rejects},
         kBatchStopped,
         {"línea 2, cotización CT 1: ya está grabada, se omite.", kRefusal, kNotFound, kRequired},
         "Cotizaciones grabadas: 0, rechazadas: 1, líneas grabadas: 0, última grabada: ninguna, omitidas: "
         "1\n",
         "CT1\n",
         kLine4 + kLine5Filled + kLine6 + kLine7},
    };
    for (const OptionRun& r : runs) {
        SCOPED_TRACE(r.name);
        const std::string before = everyTable();
        const Outcome outcome = runWith(data, r.options);
        EXPECT_EQ(outcome.status, r.status);
        const std::vector<std::string> err = linesOf(outcome.err);
        ASSERT_EQ(err.size(), r.errLines.size()) << outcome.err;
        for (std::size_t i = 0; i < err.size(); ++i)
            EXPECT_EQ(err[i].rfind(r.errLines[i], 0), 0u) << err[i];
        EXPECT_EQ(outcome.out, r.summary);
        EXPECT_EQ(storedQuotations(), r.stored);
        EXPECT_EQ(testing_support::readFile(rejects), r.rejects);
        if (std::find(r.options.begin(), r.options.end(), "--check") != r.options.end()) {
            EXPECT_EQ(everyTable(), before) << "a check leaves the database as it was";
        }
    }

    // The rejects fixed and imported alone complete the import: the rows are those
    // of the fixed file imported whole into a company of its own.
    const std::string fixedRejects =
        dir_.write("rechazadas-corregidas.csv", fixed(testing_support::readFile(rejects)));
    const Outcome rest = runWith(fixedRejects, {"--rejects", rejects});
    EXPECT_EQ(rest.status, kBatchImported) << rest.err;
    EXPECT_EQ(testing_support::readFile(rejects), "") << "nothing rejected: an empty rejects file";

    testing_support::TempDir clean;
    const auto cleanDatabase = testing_support::createCompanyDatabase(clean.path(), "01", true);
    addQuantityCheck(cleanDatabase);
    std::vector<std::string> arguments = connectionArguments();
    arguments[2] = clean.path().string();
    arguments.insert(arguments.end(),
                     {"--file", clean.write("limpio.csv", fixed(kFile)).string(), "--skip-lines", "1"});
    EXPECT_EQ(run(arguments).status, kBatchImported);
    EXPECT_EQ(quotationRows(database_), quotationRows(cleanDatabase));
    EXPECT_EQ(storedQuotations(), "CT1\nCT2\nCT3\nCT4\nCT5\n");
}

TEST_F(BatchOptions, SkipExistingStoresEachQuotationOnceWithoutAUniqueKey)
{
    testing_support::runSql(database_, "alter table COTIZACIONES drop constraint UQ_COTIZACIONES_NUMERO");
    const std::string data = dir_.write("cotizaciones.csv", fixed(kFile)).string();
    const Outcome first = runWith(data, {"--skip-lines", "1", "--skip-existing"});
    EXPECT_EQ(first.status, kBatchImported) << first.err;
    EXPECT_EQ(first.out, "Cotizaciones grabadas: 5, rechazadas: 0, líneas grabadas: 6, última grabada: CT5, "
                         "omitidas: 0\n");
    const Outcome second = runWith(data, {"--skip-lines", "1", "--skip-existing"});
    EXPECT_EQ(second.status, kBatchImported) << second.err;
    EXPECT_EQ(second.out,
              "Cotizaciones grabadas: 0, rechazadas: 0, líneas grabadas: 0, última grabada: ninguna, "
              "omitidas: 5\n");
    EXPECT_EQ(testing_support::querySql(database_, "select count(*), count(distinct PREF_PRE || COTI_NUMERO) "
                                                   "from COTIZACIONES"),
              "5|5\n");
    // A check with the option says the same as the second import would.
    const Outcome check = runWith(data, {"--skip-lines", "1", "--skip-existing", "--check"});
    EXPECT_EQ(check.status, kBatchImported) << check.err;
    EXPECT_EQ(check.out, "Cotizaciones que se grabarían: 0, con problemas: 0, líneas que se grabarían: 0, "
                         "última que se grabaría: ninguna, omitidas: 5\n");
}

TEST_F(BatchOptions, SkippedHeaderLineLeavesNothingBehind)
{
    // A header line naming all 28 columns, then data lines that stop after the
    // price: the names in the columns beyond must not become discounts or taxes.
    std::string header;
    for (const auto& name : importer::kDemoColumns)
        header += (header.empty() ? "" : ";") + name;
    std::string line = quotationLine("CT", "1", "CAF-500");
    std::size_t cut = 0;
    for (int field = 0; field < 21; ++field)
        cut = line.find(';', cut) + 1;
    line = line.substr(0, cut - 1) + "\r\n";
    const Outcome outcome =
        runWith(dir_.write("cotizaciones.csv", header + "\r\n" + line).string(), {"--skip-lines", "1"});
    EXPECT_EQ(outcome.status, kBatchImported) << outcome.err;
    EXPECT_EQ(testing_support::querySql(database_, "select CTDE_DTOPORC, CTDE_IVAPORC, CTDE_REFERENCIA "
                                                   "from COTIZACIONES_DETALLE"),
              "0.0000|5.0000|<null>\n");
}

TEST_F(BatchOptions, Utf8FileWithTheOptionAndItsRejects)
{
    // UTF-8 without a mark: only the option says so. The second quotation, refused,
    // takes its customer's name from the first; its line in the rejects file gets
    // the name written in, in UTF-8 like the rest of the file, which starts with
    // the mark so that it reads as UTF-8 without the option.
    const std::string name = "P\xC3\xA9rez \xC3\x91";
    std::map<std::string, std::string> first = {
        {"PREF_PRE", "CT"},         {"COTI_NUMERO", "1"},   {"COTI_FECHA", "05/03/2024"},
        {"VEND_COD", "7"},          {"TERC_NIT", "900123"}, {"COTI_NOMTERC", name},
        {"CTDE_CODBAR", "CAF-500"}, {"CTDE_CANT", "2"},     {"CTDE_PRUNIT", "100"}};
    std::map<std::string, std::string> second = first;
    second.erase("COTI_NOMTERC");
    second["COTI_NUMERO"] = "2";
    second["CTDE_CANT"] = "-1";
    const std::string data =
        dir_.write("cotizaciones.csv", importer::dataLine(first) + importer::dataLine(second)).string();
    const std::string rejects = (dir_.path() / "rechazadas.csv").string();

    const Outcome outcome = runWith(data, {"--encoding", "utf-8", "--rejects", rejects});
    EXPECT_EQ(outcome.status, kBatchWithRefusals) << outcome.err;
    EXPECT_EQ(testing_support::querySql(database_, "select COTI_NOMTERC from COTIZACIONES"),
              "P\xE9rez \xD1\n");
    second["COTI_NOMTERC"] = name;
    EXPECT_EQ(testing_support::readFile(rejects), "\xEF\xBB\xBF" + importer::dataLine(second));
}

TEST_F(BatchOptions, RunStoppedBySignalLeavesTheRestInTheRejects)
{
    // The signal comes while the first line is imported; the run stops before the
    // second, in the middle of the first quotation.
    const std::string file =
        quotationLine("CT", "1", "CAF-500") + articleLine("AZU-1K") + quotationLine("CT", "2", "ACE-1L");
    const std::string rejects = (dir_.path() / "rechazadas.csv").string();
    std::vector<std::string> arguments = connectionArguments();
    arguments.insert(arguments.end(), {"--file", writeData(file), "--rejects", rejects});
    const Outcome stopped = run(arguments, [] { std::raise(SIGHUP); });
    EXPECT_EQ(stopped.status, kBatchStopped) << stopped.err;
    EXPECT_EQ(storedQuotations(), "");
    EXPECT_EQ(testing_support::readFile(rejects), file);

    const Outcome rest = runWith(dir_.write("resto.csv", testing_support::readFile(rejects)).string(), {});
    EXPECT_EQ(rest.status, kBatchImported) << rest.err;
    EXPECT_EQ(storedQuotations(), "CT1\nCT2\n");
}

} // namespace
} // namespace console
