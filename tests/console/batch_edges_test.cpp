// The batch options at their edges: a rejects file that would land on the data
// file, a device or nowhere; a check that meets what an import meets (a value that
// does not convert, a quotation repeated in the file); lines that belong to no
// quotation; files without data lines; and a write that waits for another user.
#include "batch_fixture.h"
#include "database/connection.h"
#include "database/statement.h"
#include "database/transaction.h"
#include "platform/exclusive_file.h"

#include <sys/stat.h>
#include <unistd.h>

namespace console {
namespace {

namespace fs = std::filesystem;

const std::string kNothingStored =
    "Cotizaciones grabadas: 0, rechazadas: 0, líneas grabadas: 0, última grabada: ninguna\n";
const std::string kNothingChecked =
    "Cotizaciones que se grabarían: 0, con problemas: 0, líneas que se grabarían: "
    "0, última que se grabaría: ninguna\n";
const std::string kNoDataLines = "El archivo no tiene líneas de datos.";
const std::string kOrphanRequired =
    "Error: línea 2: Los campos TERC_NIT, VEND_COD, PREF_PRE, COTI_NUMERO,  son obligatorios.";

const std::string kCT1 = quotationLine("CT", "1", "CAF-500");
const std::string kCT2 = quotationLine("CT", "2", "ACE-1L");
const std::string kSellerNotANumber = [] {
    std::string line = kCT1;
    line.replace(line.find(";7;"), 3, ";7x;");
    return line;
}();

struct EdgeCase {
    const char* name;
    std::string data;
    // The options after the connection and the file; "REJECTS" stands for a rejects
    // file in the test's folder, "DATA" for the data file's path. prepare() makes
    // what the case needs at the paths first.
    std::vector<std::string> options;
    int status;
    std::vector<std::string> errStarts; // each line of the error stream, as its start
    std::string summary;
    std::optional<std::string> rejects; // the rejects file's bytes afterwards
    std::function<void(const fs::path& dir, const std::string& data)> prepare = nullptr;
};

class BatchEdges : public BatchFixture {};

TEST_F(BatchEdges, RejectsPathsChecksOrphanLinesAndFilesWithoutData)
{
    const fs::path dir = dir_.path();
    const EdgeCase cases[] = {
        // Where the rejects cannot go: refused before anything is read or stored.
        {"rejects_is_the_data_file",
         kCT1,
         {"--rejects", "DATA"},
         kBatchUsage,
         {"importarcot: --rejects "},
         "",
         std::nullopt},
        {"rejects_is_the_data_file_spelt_otherwise",
         kCT1,
         {"--rejects", (dir / "." / "cotizaciones.csv").string()},
         kBatchUsage,
         {"importarcot: --rejects "},
         "",
         std::nullopt},
        {"rejects_is_a_symbolic_link_to_it",
         kCT1,
         {"--rejects", (dir / "enlace.csv").string()},
         kBatchUsage,
         {"importarcot: --rejects "},
         "",
         std::nullopt,
         [](const fs::path& d, const std::string& data) { fs::create_symlink(data, d / "enlace.csv"); }},
        {"rejects_is_a_hard_link_to_it",
         kCT1,
         {"--rejects", (dir / "otro-nombre.csv").string()},
         kBatchUsage,
         {"importarcot: --rejects "},
         "",
         std::nullopt,
         [](const fs::path& d, const std::string& data) {
             fs::create_hard_link(data, d / "otro-nombre.csv");
         }},
        {"rejects_is_a_pipe",
         kCT1,
         {"--rejects", (dir / "tuberia").string()},
         kBatchUsage,
         {"importarcot: --rejects " + (dir / "tuberia").string() + " no es un archivo regular"},
         "",
         std::nullopt,
         [](const fs::path& d, const std::string&) {
             ASSERT_EQ(::mkfifo((d / "tuberia").c_str(), 0600), 0);
         }},
        {"rejects_in_a_missing_folder",
         kCT1,
         {"--rejects", (dir / "no-existe" / "r.csv").string()},
         kBatchUsage,
         {"importarcot: no se puede escribir el archivo de rechazados " +
          (dir / "no-existe" / "r.csv").string() + ": la carpeta no existe"},
         "",
         std::nullopt},
        {"rejects_is_a_folder",
         kCT1,
         {"--rejects", dir.string()},
         kBatchUsage,
         {"importarcot: --rejects " + dir.string() + " es una carpeta"},
         "",
         std::nullopt},
        // A check meets what an import meets, and goes on.
        {"check_value_that_does_not_convert",
         kSellerNotANumber + kCT2,
         {"--check", "--rejects", "REJECTS"},
         kBatchWithRefusals,
         {"Error: línea 1, cotización CT 1: '7x' is not a valid integer value for field 'VEND_COD'",
          "Importación finalizada."},
         "Cotizaciones que se grabarían: 1, con problemas: 1, líneas que se grabarían: 1, "
         "última que se grabaría: CT2\n",
         kSellerNotANumber},
        {"check_quotation_repeated_in_the_file",
         kCT1 + kCT2 + kCT1,
         {"--check"},
         kBatchWithRefusals,
         {"Error: línea 3, cotización CT 1: Ya existe el registro en la tabla Cotizaci",
          "Importación finalizada."},
         "Cotizaciones que se grabarían: 2, con problemas: 1, líneas que se grabarían: 2, "
         "última que se grabaría: CT2\n",
         std::nullopt},
        // The first data line continues a quotation whose first line was skipped:
        // the message names that line, and the quotation after it is its own.
        {"orphan_first_line_stops_the_import",
         kCT1 + articleLine("AZU-1K") + kCT2,
         {"--skip-lines", "1", "--rejects", "REJECTS"},
         kBatchStopped,
         {kOrphanRequired},
         kNothingStored,
         articleLine("AZU-1K") + kCT2},
        {"orphan_first_line_under_a_check",
         kCT1 + articleLine("AZU-1K") + kCT2,
         {"--check", "--skip-lines", "1"},
         kBatchWithRefusals,
         {kOrphanRequired, "Importación finalizada."},
         "Cotizaciones que se grabarían: 1, con problemas: 1, líneas que se grabarían: 1, "
         "última que se grabaría: CT2\n",
         std::nullopt},
        // A source system that exported nothing.
        {"empty_file", "", {"--rejects", "REJECTS"}, kBatchImported, {kNoDataLines}, kNothingStored, ""},
        {"only_a_header_line",
         "Prefijo;Numero\r\n",
         {"--skip-lines", "1", "--rejects", "REJECTS"},
         kBatchImported,
         {kNoDataLines},
         kNothingStored,
         ""},
        {"every_line_skipped",
         kCT1,
         {"--skip-lines", "5"},
         kBatchImported,
         {kNoDataLines},
         kNothingStored,
         ""},
        {"empty_file_checked", "", {"--check"}, kBatchImported, {kNoDataLines}, kNothingChecked, ""},
    };
    const std::string rejects = (dir / "rechazadas.csv").string();
    for (const EdgeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string data = writeData(c.data);
        fs::remove(rejects);
        if (c.prepare)
            c.prepare(dir, data);
        std::vector<std::string> arguments = connectionArguments();
        arguments.insert(arguments.end(), {"--file", data});
        for (const std::string& option : c.options)
            arguments.push_back(option == "REJECTS" ? rejects : option == "DATA" ? data : option);
        const std::string before = everyTable();

        const Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.status, c.status) << outcome.err;
        const std::vector<std::string> err = linesOf(outcome.err);
        ASSERT_GE(err.size(), c.errStarts.size()) << outcome.err;
        for (std::size_t i = 0; i < c.errStarts.size(); ++i)
            EXPECT_EQ(err[i].rfind(c.errStarts[i], 0), 0u) << err[i];
        if (c.status == kBatchUsage) {
            EXPECT_EQ(err.at(1), "Uso:") << "a usage error ends with the usage text";
        } else {
            EXPECT_EQ(err.size(), c.errStarts.size()) << outcome.err;
        }
        EXPECT_EQ(outcome.out, c.summary);
        EXPECT_EQ(testing_support::readFile(data), c.data) << "the data file is as it was";
        EXPECT_EQ(everyTable(), before) << "nothing stored";
        if (c.rejects) {
            EXPECT_EQ(testing_support::readFile(rejects), *c.rejects);
        }
        EXPECT_FALSE(fs::exists(rejects + ".partial"));
        if (fs::exists(dir / "tuberia")) {
            EXPECT_EQ(platform::pathKind((dir / "tuberia").string()), platform::PathKind::Other)
                << "a pipe stays a pipe";
        }
        for (const char* name : {"enlace.csv", "otro-nombre.csv", "tuberia"})
            fs::remove(dir / name);
    }
}

// A UTF-8 run's rejects carry the byte-order mark, so that the README's recipe
// (the rejects imported alone with the same separator and delimiter, no encoding
// given) stores the suite's bytes, not the UTF-8 bytes read as Windows-1252.
TEST_F(BatchEdges, Utf8RejectsImportedAloneKeepTheirCharacters)
{
    const std::string name = "Comercial Andina \xE2\x82\xAC";
    std::map<std::string, std::string> refused = {
        {"PREF_PRE", "CT"},     {"COTI_NUMERO", "1"},   {"COTI_FECHA", "05/03/2024"}, {"VEND_COD", "7"},
        {"TERC_NIT", "900123"}, {"COTI_NOMTERC", name}, {"CTDE_CODBAR", "NO-EXISTE"}, {"CTDE_CANT", "2"},
        {"CTDE_PRUNIT", "100"}};
    const std::string rejects = (dir_.path() / "rechazadas.csv").string();
    std::vector<std::string> arguments = connectionArguments();
    arguments.insert(arguments.end(), {"--file", writeData(importer::dataLine(refused)), "--encoding",
                                       "utf-8", "--rejects", rejects});
    EXPECT_EQ(run(arguments).status, kBatchStopped);

    std::string kept = testing_support::readFile(rejects);
    ASSERT_EQ(kept, "\xEF\xBB\xBF" + importer::dataLine(refused));
    kept.replace(kept.find("NO-EXISTE"), 9, "CAF-500");
    const std::string fixedRejects = dir_.write("corregidas.csv", kept).string();
    arguments = connectionArguments();
    arguments.insert(arguments.end(), {"--file", fixedRejects});
    const Outcome fixed = run(arguments);
    EXPECT_EQ(fixed.status, kBatchImported) << fixed.err;
    EXPECT_EQ(testing_support::querySql(database_, "select COTI_NOMTERC from COTIZACIONES"),
              "Comercial Andina \x80\n");
}

// Another user holds the prefix and number of the first quotation in a
// transaction left open (an insert in the suite's own screens): the import waits
// --lock-timeout seconds, says so on its progress line, refuses that quotation with
// the database's text and stores the next one; the rejects file holds the first.
TEST_F(BatchEdges, ALockHeldByAnotherUserRefusesTheQuotationAfterTheTimeout)
{
    database::Connection other;
    other.open(database_.string(), "SYSDBA", "masterkey", "");
    database::Transaction held(other);
    database::Statement(other,
                        "insert into COTIZACIONES (COTI_ID, TERC_NIT, VEND_COD, TIDO_COD, PREF_PRE, "
                        "COTI_NUMERO, COTI_FECHA) values (999999, 'x', 7, 35, 'CT', '1', current_date)")
        .execute(held);

    const std::string rejects = (dir_.path() / "rechazadas.csv").string();
    const std::string firstQuotation = kCT1 + articleLine("AZU-1K");
    std::vector<std::string> arguments = connectionArguments();
    arguments.insert(arguments.end(), {"--file", writeData(firstQuotation + kCT2), "--lock-timeout", "3",
                                       "--rejects", rejects});
    // With a progress line, as on a terminal.
    const Outcome outcome = run(arguments, [] {});
    EXPECT_EQ(outcome.status, kBatchWithRefusals) << outcome.err;
    EXPECT_NE(outcome.err.find("| esperando a que otro usuario libere los datos: "), std::string::npos)
        << outcome.err;
    EXPECT_NE(
        outcome.err.find("Error: línea 1, cotización CT 1: Ya existe el registro en la tabla Cotizaci\n"),
        std::string::npos)
        << outcome.err;
    EXPECT_EQ(outcome.out,
              "Cotizaciones grabadas: 1, rechazadas: 1, líneas grabadas: 1, última grabada: CT2\n");
    EXPECT_EQ(testing_support::readFile(rejects), firstQuotation);
    held.rollback();
    other.close(); // the embedded database is opened by one process at a time
    EXPECT_EQ(storedQuotations(), "CT2\n");
}

} // namespace
} // namespace console
