// The data module's services on a real company database: configuration values,
// the article look-ups, new identifiers and the connection's parameter list.
#include "database/dm.h"
#include "dataset/declarations.h"
#include "import/fdm_services.h"
#include "platform/errors.h"
#include "support/company_db.h"
#include "support/recording_dialogs.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace database {
namespace {

using testing_support::RecordingDialogs;
using Kind = RecordingDialogs::Kind;

class DataModule : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::setRegionalSettings({'.', "dd/MM/yyyy", '/'});
        database_ = testing_support::createCompanyDatabase(dir_.path());
    }
    void connect() { fdm_.reconnect(database_.string(), "SYSDBA", "masterkey"); }
    // A line of CFactdetalle in insert state, for the services that fill its fields.
    dataset::RecordSet& newLine()
    {
        headers_->createDataSet();
        headers_->detail()->insert();
        return *headers_->detail();
    }
    std::string text(const char* field) { return headers_->detail()->field(field).asString(); }
    // VALIDE_ARTICULO answering every code with one fixed row, or with no row.
    void validationGives(const std::string& body)
    {
        fdm_.Merkalo().close();
        testing_support::runSql(
            database_, "set term ^ ;\ncreate or alter procedure VALIDE_ARTICULO (CODIGO varchar(15)) returns "
                       "(TIPO char(1), DESCRIPCION varchar(60), UNIDAD varchar(8), ID varchar(15), LOTE "
                       "char(1)) as begin " +
                           body + " end^\nset term ; ^");
        connect();
    }

    testing_support::TempDir dir_;
    std::filesystem::path database_;
    RecordingDialogs dialogs_;
    Tfdm fdm_;
    std::unique_ptr<dataset::RecordSet> headers_ = dataset::makeCFacturas();
};

TEST_F(DataModule, ParameterListReplacedInPlace)
{
    const auto before = fdm_.MerkaloParams().lines();
    ASSERT_EQ(before.size(), 13u);
    EXPECT_EQ(before[1], "CommitRetain=False");
    EXPECT_EQ(before[7], "RoleName=RoleName");
    connect();
    const auto after = fdm_.MerkaloParams().lines();
    EXPECT_EQ(after[2], "Database=" + database_.string());
    EXPECT_EQ(after[6], "password=masterkey");
    EXPECT_EQ(after[11], "User_Name=SYSDBA");
    EXPECT_TRUE(fdm_.Merkalo().isOpen());
}

TEST_F(DataModule, Configuracion)
{
    connect();
    EXPECT_EQ(importer::configuracion(fdm_, dialogs_, "FACTURACION", "COTIZACIONES", "DIAS DE VALIDEZ"),
              "30");
    EXPECT_TRUE(dialogs_.shown.empty());
    // Exact comparison: another case finds nothing.
    EXPECT_EQ(importer::configuracion(fdm_, dialogs_, "FACTURACION", "COTIZACIONES", "dias de validez"), "");
    EXPECT_EQ(dialogs_.shown, (std::vector<RecordingDialogs::Shown>{
                                  {Kind::Error, "No se encontró la configuración dias de validez"}}));
    // A quote inside a value stays data.
    EXPECT_EQ(importer::configuracion(fdm_, dialogs_, "FACTURACION", "O'K", "X"), "");

    fdm_.Merkalo().close();
    testing_support::runSql(
        database_, "update CONFIGURACION set CONF_VALOR = null where CONF_PROPIEDAD = 'DIAS DE VALIDEZ'");
    dialogs_.shown.clear();
    EXPECT_EQ(importer::configuracion(fdm_, dialogs_, "FACTURACION", "COTIZACIONES", "DIAS DE VALIDEZ"), "");
    EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(DataModule, ValideArticuloFillsTheLine)
{
    connect();
    dataset::RecordSet& line = newLine();
    line.field("CTDE_DESC").setAsString("Mi descripción");
    // By barcode (TIPO 1): ARTI_COD replaced, the description kept, the unit filled.
    EXPECT_TRUE(importer::valide_articulo(fdm_, dialogs_, "7707001000017", line.field("ARTI_COD"),
                                          line.field("CTDE_DESC"), line.field("CTDE_UNIDAD")));
    EXPECT_EQ(text("ARTI_COD"), "CAF-500");
    EXPECT_EQ(text("CTDE_DESC"), "Mi descripción");
    EXPECT_EQ(text("CTDE_UNIDAD"), "UND");
    // By code (TIPO 2) exactly the same way; ARTI_COD always replaced.
    line.field("CTDE_DESC").setAsString(""); // the empty text makes it null
    EXPECT_TRUE(importer::valide_articulo(fdm_, dialogs_, "QSO-KG", line.field("ARTI_COD"),
                                          line.field("CTDE_DESC"), line.field("CTDE_UNIDAD")));
    EXPECT_EQ(text("ARTI_COD"), "QSO-KG");
    EXPECT_EQ(text("CTDE_DESC"), "Queso campesino");
    EXPECT_EQ(text("CTDE_UNIDAD"), "UND");
    EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(DataModule, ValideArticuloNotFoundOrEmpty)
{
    connect();
    dataset::RecordSet& line = newLine();
    EXPECT_FALSE(importer::valide_articulo(fdm_, dialogs_, "", line.field("ARTI_COD"),
                                           line.field("CTDE_DESC"), line.field("CTDE_UNIDAD")));
    EXPECT_TRUE(dialogs_.shown.empty());
    EXPECT_FALSE(importer::valide_articulo(fdm_, dialogs_, "O'K", line.field("ARTI_COD"),
                                           line.field("CTDE_DESC"), line.field("CTDE_UNIDAD")));
    EXPECT_EQ(dialogs_.shown,
              (std::vector<RecordingDialogs::Shown>{{Kind::Plain, "Código 'O''K' no encontrado."}}));
    EXPECT_TRUE(line.field("ARTI_COD").isNull());
}

TEST_F(DataModule, ValideArticuloTypes)
{
    const struct {
        const char* body;
        bool found;
        const char* error; // nullptr: no error
    } cases[] = {
        {"TIPO = '2'; ID = 'X1'; DESCRIPCION = 'D'; UNIDAD = 'U'; suspend;", true, nullptr},
        {"TIPO = '7'; ID = 'X1'; suspend;", false, nullptr},
        {"TIPO = 'A'; suspend;", false, "'A' is not a valid integer value"},
        {"TIPO = '0'; if (1 = 0) then suspend;", false, "'' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        validationGives(c.body);
        dataset::RecordSet& line = newLine();
        try {
            EXPECT_EQ(importer::valide_articulo(fdm_, dialogs_, "123", line.field("ARTI_COD"),
                                                line.field("CTDE_DESC"), line.field("CTDE_UNIDAD")),
                      c.found)
                << c.body;
            EXPECT_EQ(c.error, nullptr) << c.body;
            EXPECT_EQ(text("ARTI_COD"), c.found ? "X1" : "") << c.body;
        } catch (const platform::ConversionError& error) {
            ASSERT_NE(c.error, nullptr) << c.body;
            EXPECT_STREQ(error.what(), c.error);
        }
        EXPECT_TRUE(dialogs_.shown.empty()) << c.body;
    }
}

TEST_F(DataModule, ImptosArticulo)
{
    connect();
    dataset::RecordSet& line = newLine();
    fdm_.imptos_articulo("GAS-350", line.field("CTDE_IVAPORC"), line.field("CTDE_CONSUMO"));
    EXPECT_EQ(line.field("CTDE_IVAPORC").asMoney(), 190000);
    EXPECT_EQ(line.field("CTDE_CONSUMO").asMoney(), 350000);
    for (const char* id : {"NO-EXISTE", ""}) {
        fdm_.imptos_articulo(id, line.field("CTDE_IVAPORC"), line.field("CTDE_CONSUMO"));
        EXPECT_EQ(text("CTDE_IVAPORC"), "0") << id;
        EXPECT_EQ(text("CTDE_CONSUMO"), "0") << id;
    }
}

TEST_F(DataModule, FactorUnidad)
{
    const struct {
        const char* article;
        const char* unit;
        dataset::Money factor;
    } cases[] = {
        {"LEC-1L", "CAJA", 120000},  {"PIN-LT", "GALON", 37854}, // 3.78541178 rounded at the fourth decimal
        {"QSO-KG", "LB", 4536},                                  // 0.45359237
        {"LEC-1L", "BARRIL", 10000}, {"", "CAJA", 10000},        {"LEC-1L", "", 10000},
    };
    connect();
    for (const auto& c : cases)
        EXPECT_EQ(fdm_.factor_unidad(c.article, c.unit), c.factor) << c.article << " " << c.unit;
}

TEST_F(DataModule, NewIdentifiersAreCommittedAtOnce)
{
    connect();
    const int first = std::stoi(fdm_.SCambieidcot());
    EXPECT_EQ(std::stoi(fdm_.SCambieidcot()), first + 1);
    fdm_.Merkalo().close();
    EXPECT_EQ(testing_support::querySql(database_, "select gen_id(GEN_COTIZACIONES_ID, 0) from RDB$DATABASE"),
              std::to_string(first + 1) + "\n");
}

TEST_F(DataModule, ReadErrorsLoseTheirTrailingPeriodsAndBlanks)
{
    EXPECT_EQ(trimReadError("Error de lectura.  \r\n"), "Error de lectura");
    EXPECT_EQ(trimReadError("...."), "");
    fdm_.reconnect(database_.string(), "SYSDBA", "masterkey");
    fdm_.Merkalo().close();
    testing_support::runSql(database_, "drop table CONFIGURACION");
    try {
        importer::configuracion(fdm_, dialogs_, "A", "B", "C");
        FAIL() << "a missing table was read";
    } catch (const platform::DatabaseError& error) {
        const std::string text = error.what();
        EXPECT_EQ(text.rfind("SQL Server Error: ", 0), 0u) << text;
        EXPECT_NE(text.find("CONFIGURACION"), std::string::npos) << text;
        EXPECT_NE(text.back(), '.');
    }
}

TEST(Quoting, DoublesQuotes)
{
    EXPECT_EQ(quoted("O'K"), "'O''K'");
    EXPECT_EQ(quoted(""), "''");
    EXPECT_EQ(quoted("''"), "''''''");
}

} // namespace
} // namespace database
