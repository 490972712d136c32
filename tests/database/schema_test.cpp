// The company database that db/ creates: procedures, keys and the demo company.
#include "support/company_db.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using testing_support::createCompanyDatabase;
using testing_support::querySql;
using testing_support::readFile;
using testing_support::runSql;
using testing_support::sqlQuote;

namespace {

// The statement's error text, or "" when it went through.
std::string errorOf(const std::filesystem::path& database, const std::string& sql)
{
    try {
        runSql(database, sql);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "";
}

std::vector<std::string> split(const std::string& text, const std::string& separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            return parts;
        start = end + separator.size();
    }
}

std::string unquoted(const std::string& field)
{
    std::string text;
    for (char c : field)
        if (c != '"')
            text += c;
    return text;
}

const char* const kHeader =
    "insert into COTIZACIONES (COTI_ID, TERC_NIT, VEND_COD, TIDO_COD, PREF_PRE, COTI_NUMERO, COTI_FECHA) "
    "values (%ID%, '900123', 1, 35, 'COT', '%NUM%', date '2025-02-03');";

std::string header(const std::string& id, const std::string& number)
{
    std::string sql = kHeader;
    sql.replace(sql.find("%ID%"), 4, id);
    sql.replace(sql.find("%NUM%"), 5, number);
    return sql;
}

std::string line(const std::string& id, const std::string& item, const std::string& article)
{
    return "insert into COTIZACIONES_DETALLE (COTI_ID, CTDE_ITEM, ARTI_COD) values (" + id + ", " + item +
           ", " + sqlQuote(article) + ");";
}

class SchemaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        database = createCompanyDatabase(dir.path(), "01", false);
        // Bytes of the suite's code page: \xE9 is an accented e in Windows-1252.
        runSql(database,
               "insert into TARIFA_IVA (TAIV_COD, TAIV_NOMBRE, TAIV_PORC) values (3, 'General', 19);"
               "insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, ARTI_UNIDAD, ARTI_CODBAR, TAIV_COD, ARTI_LOTE)"
               "  values ('A1', 'Caf\xE9 molido', 'UND', '7701', 3, 'N');"
               "insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, ARTI_UNIDAD, ARTI_CODBAR, TAIV_COD, ARTI_LOTE)"
               "  values ('O''K', 'Tuerca 1/2', 'CAJA', null, 3, 'S');"
               "insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values ('A1', 'DOCENA', 12);"
               "insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values ('A1', 'LB', 2.54321678);");
    }

    testing_support::TempDir dir;
    std::filesystem::path database;
};

TEST_F(SchemaTest, CreatesTheCompanyFileInItsFolder)
{
    EXPECT_EQ(database, dir.path() / "datos" / "01" / "merkalo.fdb");
    EXPECT_EQ(querySql(database, "select count(*) from ARTICULO"), "2\n");
}

TEST_F(SchemaTest, ValideArticuloFindsBarcodesThenCodes)
{
    struct Case {
        const char* code;
        const char* row;
    };
    const Case cases[] = {
        {"7701", "1|Caf\xE9 molido|UND|A1|N\n"},   {"A1", "2|Caf\xE9 molido|UND|A1|N\n"},
        {"O'K", "2|Tuerca 1/2|CAJA|O'K|S\n"},      {"7702", "0|<null>|<null>|<null>|<null>\n"},
        {"a1", "0|<null>|<null>|<null>|<null>\n"}, {"", "0|<null>|<null>|<null>|<null>\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(querySql(database, "select * from VALIDE_ARTICULO(" + sqlQuote(c.code) + ")"), c.row);
    }
}

TEST_F(SchemaTest, FactorUnidadCantGivesARowOnlyForKnownPairs)
{
    struct Case {
        const char* article;
        const char* unit;
        const char* rows;
    };
    const Case cases[] = {
        {"A1", "DOCENA", "12.00000000\n"},
        {"A1", "LB", "2.54321678\n"},
        {"A1", "UND", ""},
        {"A1", "docena", ""},
        {"O'K", "DOCENA", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.article) + " " + c.unit);
        EXPECT_EQ(querySql(database, "SELECT * FROM FACTOR_UNIDAD_CANT(" + sqlQuote(c.article) + "," +
                                         sqlQuote(c.unit) + ")"),
                  c.rows);
    }
}

TEST_F(SchemaTest, CambieIdCotizaciHandsOutIncreasingIdentifiers)
{
    const auto first = split(querySql(database, "execute procedure CAMBIE_ID_COTIZACI;"
                                                "execute procedure CAMBIE_ID_COTIZACI;"),
                             "\n");
    const auto later = querySql(database, "execute procedure CAMBIE_ID_COTIZACI;");
    ASSERT_EQ(first.size(), 3u); // two rows and the empty rest after the last "\n"
    const int a = std::stoi(first[0]);
    const int b = std::stoi(first[1]);
    const int c = std::stoi(later);
    EXPECT_GT(a, 0);
    EXPECT_GT(b, a);
    EXPECT_GT(c, b);
}

TEST_F(SchemaTest, KeysRefuseDuplicatesAndBrokenReferences)
{
    runSql(database, header("1", "100") + line("1", "1", "A1"));
    struct Case {
        const char* what;
        std::string sql;
        const char* error;
    };
    const Case cases[] = {
        {"header id", header("1", "101"),
         "violation of PRIMARY or UNIQUE KEY constraint \"PK_COTIZACIONES\""},
        {"prefix and number", header("2", "100"),
         "violation of PRIMARY or UNIQUE KEY constraint \"UQ_COTIZACIONES_NUMERO\""},
        {"line item", line("1", "1", "A1"),
         "violation of PRIMARY or UNIQUE KEY constraint \"PK_COTIZACIONES_DETALLE\""},
        {"line without header", line("9", "2", "A1"),
         "violation of FOREIGN KEY constraint \"FK_COTIZACIONES_DETALLE_COTI\""},
        {"line without article", line("1", "2", "NOPE"),
         "violation of FOREIGN KEY constraint \"FK_COTIZACIONES_DETALLE_ARTI\""},
        {"article without tariff",
         "insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, TAIV_COD) values ('B1', 'Otro', 99);",
         "violation of FOREIGN KEY constraint \"FK_ARTICULO_TARIFA_IVA\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string error = errorOf(database, c.sql);
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
    EXPECT_EQ(querySql(database, "select count(*) from COTIZACIONES"), "1\n");
    EXPECT_EQ(querySql(database, "select count(*) from COTIZACIONES_DETALLE"), "1\n");
}

// An INSERT that names a column with NULL gets NULL; only one that leaves it out
// gets the column's default.
TEST_F(SchemaTest, DefaultsApplyOnlyToColumnsLeftOut)
{
    runSql(database,
           header("1", "100") +
               "insert into COTIZACIONES (COTI_ID, TERC_NIT, VEND_COD, TIDO_COD, PREF_PRE, COTI_NUMERO,"
               " COTI_FECHA, COTI_NROCOPIA) values (2, '900123', 1, 35, 'COT', '101', date '2025-02-03', "
               "null);" +
               line("1", "1", "A1") +
               "insert into COTIZACIONES_DETALLE (COTI_ID, CTDE_ITEM, ARTI_COD, CTDE_PEDIDO)"
               " values (2, 2, 'A1', null);");
    EXPECT_EQ(querySql(database, "select COTI_ID, COTI_NROCOPIA from COTIZACIONES order by COTI_ID"),
              "1|0\n2|<null>\n");
    EXPECT_EQ(
        querySql(database, "select CTDE_ITEM, CTDE_PEDIDO from COTIZACIONES_DETALLE order by CTDE_ITEM"),
        "1|0.0000\n2|<null>\n");
}

TEST(DemoCompanyTest, MapsTheTwentyEightDataNamesOfTheQuotationImport)
{
    testing_support::TempDir dir;
    const auto database = createCompanyDatabase(dir.path(), "07");
    EXPECT_EQ(database, dir.path() / "datos" / "07" / "merkalo.fdb");

    const char* const names[] = {
        "PREF_PRE",      "COTI_NUMERO",  "COTI_FECHA",      "COTI_VALIDEZ", "VEND_COD",       "PTVT_ID",
        "TERC_NIT",      "COTI_NOMTERC", "COTI_SUCURSAL",   "COTI_EXTRA",   "COTI_ADICIONAL", "COTI_DTOMONTO",
        "COTI_OBS",      "COTI_ORDENC",  "COTI_IMPTOS",     "CTDE_CODBAR",  "CTDE_DESC",      "CTDE_CANT",
        "CTDE_UNIDAD",   "LIPR_COD",     "CTDE_PRUNIT",     "CTDE_DTOPORC", "CTDE_DTOMONTO",  "CTDE_IVAPORC",
        "CTDE_IVAMONTO", "CTDE_CONSUMO", "CTDE_REFERENCIA", "CTDE_TOTAL",
    };
    std::string expected;
    int column = 0;
    for (const char* name : names)
        expected += std::string(name) + "|" + std::to_string(++column) + "|yes\n";
    EXPECT_EQ(querySql(database,
                       "select i.IMIN_DATO, i.IMIN_COLUMNA, iif(n.DESCRIPCION > '', 'yes', 'no')"
                       " from IMPORTACION_INVENTARIO i left join NOMBRES_CAMPOS n on n.NOMBRE = i.IMIN_DATO"
                       " where i.IMIN_TIPO = 30 order by i.IMIN_COLUMNA"),
              expected);
    EXPECT_NE(querySql(database, "select count(*) from IMPORTACION_INVENTARIO where IMIN_TIPO <> 30"), "0\n");
    EXPECT_EQ(querySql(database,
                       "select CONF_PROPIEDAD, CONF_VALOR from CONFIGURACION"
                       " where CONF_MODULO = 'FACTURACION' order by CONF_CATEGORIA, CONF_PROPIEDAD"),
              "DIAS DE VALIDEZ|30\nIMPRIMIR AL GRABAR|N\nREDONDEO AL MULTIPLO DE DIEZ EN TOTALES|0\n");
}

// Every article and unit of the sample file exists in the demo company, so the
// sample imports without a "no encontrado" message or a foreign-key refusal.
TEST(DemoCompanyTest, SampleQuotationsNameExistingArticlesAndUnits)
{
    testing_support::TempDir dir;
    const auto database = createCompanyDatabase(dir.path());
    const std::string sample =
        readFile(std::filesystem::path(IMPORTARCOT_SOURCE_DIR) / "db" / "sample" / "cotizaciones.csv");
    ASSERT_FALSE(sample.empty());
    ASSERT_EQ(sample.substr(sample.size() - 2), "\r\n");

    std::set<std::string> codes;
    std::set<std::pair<std::string, std::string>> units;
    std::string unit; // an empty cell keeps the unit of the line before
    auto lines = split(sample.substr(0, sample.size() - 2), "\r\n");
    for (const auto& text : lines) {
        const auto fields = split(text, ";");
        ASSERT_EQ(fields.size(), 28u) << text;
        const std::string code = unquoted(fields[15]);
        ASSERT_FALSE(code.empty()) << text;
        codes.insert(code);
        if (!unquoted(fields[18]).empty())
            unit = unquoted(fields[18]);
        if (!unit.empty())
            units.insert({code, unit});
    }

    std::string validations;
    for (const auto& code : codes)
        validations += "select TIPO, ID from VALIDE_ARTICULO(" + sqlQuote(code) + ");";
    std::istringstream found(querySql(database, validations));
    std::string row;
    std::size_t rows = 0;
    while (std::getline(found, row)) {
        ++rows;
        EXPECT_NE(row.substr(0, 2), "0|") << row;
    }
    EXPECT_EQ(rows, codes.size());

    for (const auto& [code, unit] : units) {
        SCOPED_TRACE(code + " " + unit);
        EXPECT_NE(querySql(database, "select count(*) from VALIDE_ARTICULO(" + sqlQuote(code) +
                                         ") v join UNIDADES_ARTICULO u on u.ARTI_COD = v.ID and u.UNIDAD = " +
                                         sqlQuote(unit)),
                  "0\n");
    }
}

} // namespace
