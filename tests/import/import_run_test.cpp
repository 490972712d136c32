// The import end to end on real company databases: quotations assembled from the
// file's lines, stored with their identifiers and totals, refused ones left out,
// and the run's messages.
#include "database/connection.h"
#include "import_fixture.h"
#include "platform/errors.h"

namespace importer {
namespace {

using Kind = testing_support::RecordingDialogs::Kind;
using Shown = testing_support::RecordingDialogs::Shown;
using Rows = std::vector<std::vector<std::string>>;

std::map<std::string, std::string> header(const std::string& prefix, const std::string& number)
{
    return {{"PREF_PRE", prefix}, {"COTI_NUMERO", number}, {"COTI_FECHA", "05/03/2024"},
            {"VEND_COD", "7"},    {"TERC_NIT", "900123"},  {"COTI_NOMTERC", "Cliente"}};
}

std::map<std::string, std::string> with(std::map<std::string, std::string> values,
                                        const std::map<std::string, std::string>& more)
{
    for (const auto& [name, value] : more)
        values[name] = value;
    return values;
}

class ImportRun : public ImportFixture {
protected:
    Rows headers()
    {
        return query("select COTI_ID, PREF_PRE, COTI_NUMERO, COTI_IVAMONTO, COTI_TOTAL from COTIZACIONES "
                     "order by COTI_ID");
    }
    Rows lines()
    {
        return query("select COTI_ID, CTDE_ITEM, ARTI_COD from COTIZACIONES_DETALLE order by CTDE_ITEM");
    }
};

TEST_F(ImportRun, TwoQuotationsOfTwoLines)
{
    connect();
    const std::string file =
        dataLine(with(header("CT", "1"),
                      {{"CTDE_CODBAR", "7707001000017"}, {"CTDE_CANT", "2"}, {"CTDE_PRUNIT", "100"}})) +
        dataLine({{"CTDE_CODBAR", "AZU-1K"}}) +
        dataLine(with(header("CT", "2"), {{"CTDE_CODBAR", "7707001000031"}})) +
        dataLine({{"CTDE_CODBAR", "7707001000048"}});
    ASSERT_TRUE(importFile(file));
    EXPECT_EQ(shown(), (std::vector<Shown>{{Kind::Plain, "Importación finalizada."}}));
    EXPECT_TRUE(host_.closed);

    const Rows stored = headers();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_NE(stored[0][0], stored[1][0]);
    EXPECT_EQ((std::vector<std::string>{stored[0][1], stored[0][2], stored[1][1], stored[1][2]}),
              (std::vector<std::string>{"CT", "1", "CT", "2"}));
    // Lines numbered across the run, each under its own header.
    EXPECT_EQ(lines(), (Rows{{stored[0][0], "1", "CAF-500"},
                             {stored[0][0], "2", "AZU-1K"},
                             {stored[1][0], "3", "ACE-1L"},
                             {stored[1][0], "4", "ARR-500"}}));
    // The header's totals are the sums of its lines as assembled, to four decimals:
    // two lines of 200 at 5 % included VAT, 9.5238 each, give 19.0476.
    EXPECT_EQ((std::vector<std::string>{stored[0][3], stored[0][4]}),
              (std::vector<std::string>{"19.05", "400"}));
    EXPECT_EQ(session_.tally().stored, 2);
    EXPECT_EQ(session_.tally().linesStored, 4);
}

TEST_F(ImportRun, ValuesCarryOverAndPrefixesStartQuotations)
{
    connect();
    // Header values only on the first line; a discount percent of 10 carries over to
    // the following lines, and so does the barcode. A, B, A gives three quotations;
    // the third repeats the prefix and number of the first and is refused.
    const std::string file = dataLine(with(header("A", "1"), {{"CTDE_CODBAR", "CAF-500"},
                                                              {"CTDE_DTOPORC", "10"},
                                                              {"CTDE_PRUNIT", "50"},
                                                              {"CTDE_CANT", "1"}})) +
                             dataLine({{"CTDE_CODBAR", "AZU-1K"}}) +
                             dataLine({{"PREF_PRE", "B"}, {"CTDE_CODBAR", "ACE-1L"}}) +
                             dataLine({{"PREF_PRE", "A"}}) + dataLine({{"CTDE_CODBAR", "ARR-500"}});
    ASSERT_TRUE(importFile(file));
    EXPECT_EQ(query("select PREF_PRE, COTI_NUMERO, TERC_NIT, COTI_TOTAL from COTIZACIONES order by COTI_ID"),
              (Rows{{"A", "1", "900123", "90"}, {"B", "1", "900123", "45"}}));
    EXPECT_EQ(shown(), (std::vector<Shown>{{Kind::Beep, ""},
                                           {Kind::Error, "Ya existe el registro en la tabla Cotizaci"},
                                           {Kind::Plain, "Importación finalizada."}}));
    EXPECT_EQ(query("select CTDE_ITEM, ARTI_COD, CTDE_DTOPORC, CTDE_DTOMONTO from COTIZACIONES_DETALLE "
                    "order by CTDE_ITEM"),
              (Rows{{"1", "CAF-500", "10", "5"}, {"2", "AZU-1K", "10", "5"}, {"3", "ACE-1L", "10", "5"}}));
}

TEST_F(ImportRun, HeaderWithoutLinesHasNullTotalsAndDefaultsOfTheSuite)
{
    connect();
    ASSERT_TRUE(importFile(dataLine(header("SL", "9"))));
    EXPECT_EQ(query("select COTI_IVAMONTO, COTI_TOTAL, COTI_VALIDEZ, TIDO_COD, COTI_SUCURSAL, COTI_USUARIO, "
                    "COTI_ANULADO, NUMOK, COTI_NROCOPIA, COTI_FACTOR, COTI_FECHA from COTIZACIONES"),
              (Rows{{"", "", "30", "35", "01", "SYSDBA", "N", "N", "", "", "2024-03-05"}}))
        << "never-assigned columns are written as NULL, so their defaults do not apply";
}

TEST_F(ImportRun, ArticleDataDescriptionUnitAndTaxRule)
{
    connect();
    const std::string file = dataLine(with(header("CT", "1"), {{"COTI_IMPTOS", "no"},
                                                               {"CTDE_CODBAR", "7707001000055"},
                                                               {"CTDE_UNIDAD", "CAJA"},
                                                               {"CTDE_CANT", "2"},
                                                               {"CTDE_PRUNIT", "60"},
                                                               {"CTDE_IVAPORC", "19"},
                                                               {"CTDE_DESC", "Leche en caja"}}));
    ASSERT_TRUE(importFile(file));
    EXPECT_EQ(query("select COTI_IMPTOS from COTIZACIONES"), (Rows{{"n"}}));
    // "n" is not "N": the VAT is contained in the subtotal of 120.
    EXPECT_EQ(query("select ARTI_COD, CTDE_DESC, CTDE_UNIDAD, CTDE_FACTOR, CTDE_IVAMONTO, CTDE_TOTAL "
                    "from COTIZACIONES_DETALLE"),
              (Rows{{"LEC-1L", "Leche en caja", "CAJA", "12", "19.16", "120"}}));
}

TEST_F(ImportRun, SwitchedOffOrOutOfRangeMappingRowsAreIgnored)
{
    connect();
    dataset::RecordSet& mapping = session_.mapping().CImportacion();
    for (mapping.first(); !mapping.eof(); mapping.next()) {
        const std::string dato = mapping.field("DATO").asString();
        if (dato == "CTDE_DESC" || dato == "COTI_NOMTERC") {
            mapping.edit();
            if (dato == "CTDE_DESC")
                mapping.field("IMPORTAR").setAsString("NO");
            else
                mapping.field("COLUMNA").setAsInteger(0);
            mapping.post();
        }
    }
    ASSERT_TRUE(
        importFile(dataLine(with(header("CT", "1"), {{"CTDE_CODBAR", "CAF-500"}, {"CTDE_DESC", "Otro"}}))));
    EXPECT_EQ(query("select CTDE_DESC from COTIZACIONES_DETALLE"),
              (Rows{{"Caf\xE9 molido tradicional 500 g"}}));
    EXPECT_EQ(query("select COTI_NOMTERC from COTIZACIONES"), (Rows{{""}}));
}

TEST_F(ImportRun, ArticleNotFoundStopsTheRun)
{
    connect();
    const std::string file = dataLine(with(header("CT", "1"), {{"CTDE_CODBAR", "CAF-500"}})) +
                             dataLine(with(header("CT", "2"), {{"CTDE_CODBAR", "NO'EXISTE"}}));
    EXPECT_FALSE(importFile(file));
    EXPECT_EQ(shown(), (std::vector<Shown>{{Kind::Plain, "Código 'NO''EXISTE' no encontrado."},
                                           {Kind::Beep, ""},
                                           {Kind::Error, "Los campos ARTI_COD,  son obligatorios."}}));
    EXPECT_FALSE(host_.closed);
    EXPECT_TRUE(host_.statusVisible);
    EXPECT_EQ(host_.lineDisplay, "CT2 - NO'EXISTE");
    // The quotation stored at the boundary stays; the stopped one is not stored.
    EXPECT_EQ(query("select COTI_NUMERO from COTIZACIONES"), (Rows{{"1"}}));
}

TEST_F(ImportRun, RefusedQuotationIsLeftOutAndTheRunGoesOn)
{
    requirePriceList();
    connect();
    const std::string file =
        dataLine(with(header("CT", "1"), {{"CTDE_CODBAR", "CAF-500"}, {"LIPR_COD", "1"}})) +
        dataLine(with(header("CT", "2"), {{"CTDE_CODBAR", "CAF-500"}})) +
        dataLine({{"CTDE_CODBAR", "AZU-1K"}, {"LIPR_COD", "99"}}) +
        dataLine(with(header("CT", "3"), {{"CTDE_CODBAR", "ACE-1L"}, {"LIPR_COD", "1"}})) +
        dataLine({{"COTI_NUMERO", "4"}, {"CTDE_CODBAR", "ARR-500"}, {"LIPR_COD", "98"}});
    ASSERT_TRUE(importFile(file));
    const std::string foreign =
        "Está borrando o insertando un registro en la tabla Cotizaci que tiene una relación con otra tabla.";
    EXPECT_EQ(shown(), (std::vector<Shown>{{Kind::Beep, ""},
                                           {Kind::Error, foreign},
                                           {Kind::Beep, ""},
                                           {Kind::Error, foreign},
                                           {Kind::Plain, "Importación finalizada."}}))
        << "the last quotation refused still ends with the closing message";
    EXPECT_EQ(query("select COTI_NUMERO from COTIZACIONES order by COTI_ID"), (Rows{{"1"}, {"3"}}));
    EXPECT_EQ(query("select count(*) from COTIZACIONES_DETALLE"), (Rows{{"2"}}));
    // Four identifiers drawn: the refused quotations used theirs up.
    EXPECT_EQ(query("select gen_id(GEN_COTIZACIONES_ID, 0) - min(COTI_ID) from COTIZACIONES"), (Rows{{"3"}}));
    EXPECT_EQ(session_.tally().refused, 2);
}

TEST_F(ImportRun, InsertTheServerRefusesToPrepareIsARefusedQuotation)
{
    // A user who may read and call the procedures but not insert: the server refuses
    // the INSERT when it is prepared, which the error handler reports like any row
    // the database refuses, and the run goes on.
    testing_support::runSql(database_, R"(set term ^ ;
        execute block as
        declare name varchar(63);
        begin
          for select trim(rdb$relation_name) from rdb$relations where rdb$system_flag = 0 into :name do
            execute statement 'grant select on "' || name || '" to LECTOR';
          for select trim(rdb$procedure_name) from rdb$procedures where rdb$system_flag = 0 into :name do
            execute statement 'grant execute on procedure "' || name || '" to LECTOR';
          for select trim(rdb$generator_name) from rdb$generators where rdb$system_flag = 0 into :name do
            execute statement 'grant usage on generator "' || name || '" to LECTOR';
        end^
        set term ; ^)");
    host_.texts[FormField::Tusua] = "LECTOR";
    connect();
    // The engine's own words for the refusal, which differ between its versions
    // (Firebird 4 adds a line that names the effective user).
    database::Connection reader;
    reader.open(database_.string(), "LECTOR", "masterkey", "");
    const std::string refused = testing_support::messageOf<platform::DatabaseError>(
        [&] { database::Statement(reader, "insert into COTIZACIONES (COTI_ID) values (0)").execute(); });
    EXPECT_EQ(refused.rfind("SQL Server Error: no permission for INSERT access to TABLE COTIZACIONES", 0), 0u)
        << refused;
    reader.close();
    const std::string file = dataLine(with(header("CT", "1"), {{"CTDE_CODBAR", "CAF-500"}})) +
                             dataLine(with(header("CT", "2"), {{"CTDE_CODBAR", "AZU-1K"}}));
    ASSERT_TRUE(importFile(file));
    EXPECT_EQ(shown(), (std::vector<Shown>{{Kind::Beep, ""},
                                           {Kind::Error, refused},
                                           {Kind::Beep, ""},
                                           {Kind::Error, refused},
                                           {Kind::Plain, "Importación finalizada."}}));
    EXPECT_EQ(session_.tally().refused, 2);
    EXPECT_EQ(query("select count(*) from COTIZACIONES"), (Rows{{"0"}}));
}

TEST_F(ImportRun, ArticleProcedureThatWritesHasItsWritesCommitted)
{
    // Some companies log every look-up from inside the article procedure: the look-up
    // must then run where it may write, and what it writes stays.
    testing_support::runSql(database_, R"(create table CONSULTAS (CODIGO varchar(15));
        set term ^ ;
        create or alter procedure VALIDE_ARTICULO (CODIGO varchar(15))
        returns (TIPO char(1), DESCRIPCION varchar(60), UNIDAD varchar(8), ID varchar(15), LOTE char(1))
        as
        begin
          insert into CONSULTAS values (:CODIGO);
          TIPO = '0';
          select first 1 a.ARTI_COD, a.ARTI_NOMBRE, a.ARTI_UNIDAD, a.ARTI_LOTE from ARTICULO a
           where a.ARTI_CODBAR = :CODIGO or a.ARTI_COD = :CODIGO into :ID, :DESCRIPCION, :UNIDAD, :LOTE;
          if (ID is not null) then TIPO = '1';
          suspend;
        end^
        set term ; ^)");
    connect();
    const std::string file = dataLine(with(header("CT", "1"), {{"CTDE_CODBAR", "CAF-500"}})) +
                             dataLine({{"CTDE_CODBAR", "AZU-1K"}}) +
                             dataLine(with(header("CT", "2"), {{"CTDE_CODBAR", "ACE-1L"}}));
    ASSERT_TRUE(importFile(file));
    EXPECT_EQ(shown(), (std::vector<Shown>{{Kind::Plain, "Importación finalizada."}}));
    EXPECT_EQ(query("select count(*) from COTIZACIONES_DETALLE"), (Rows{{"3"}}));
    EXPECT_EQ(query("select CODIGO from CONSULTAS order by CODIGO"),
              (Rows{{"ACE-1L"}, {"AZU-1K"}, {"CAF-500"}}));
}

TEST_F(ImportRun, EmptyFileFailsTheRequiredCheckOfADefaultHeader)
{
    connect();
    EXPECT_FALSE(importFile(""));
    EXPECT_EQ(shown(),
              (std::vector<Shown>{{Kind::Beep, ""},
                                  {Kind::Error, "Los campos TERC_NIT, VEND_COD, PREF_PRE, COTI_NUMERO,  son "
                                                "obligatorios."}}));
    EXPECT_EQ(query("select count(*) from COTIZACIONES"), (Rows{{"0"}}));
}

TEST_F(ImportRun, HeaderMissingRequiredValuesStopsAtItsPost)
{
    connect();
    auto values = header("CT", "1");
    values.erase("TERC_NIT");
    values.erase("VEND_COD");
    EXPECT_FALSE(importFile(dataLine(with(values, {{"CTDE_CODBAR", "CAF-500"}}))));
    EXPECT_EQ(shown(),
              (std::vector<Shown>{{Kind::Beep, ""},
                                  {Kind::Error, "Los campos TERC_NIT, VEND_COD,  son obligatorios."}}));
    EXPECT_FALSE(host_.closed);
}

TEST_F(ImportRun, BadValueStopsWithTheConversionMessage)
{
    connect();
    EXPECT_FALSE(importFile(dataLine(with(header("CT", "1"), {{"COTI_FECHA", "31/02/2024"}}))));
    EXPECT_EQ(shown(), (std::vector<Shown>{{Kind::Default, "'31/02/2024' is not a valid date."}}));
}

TEST_F(ImportRun, SecondRunAfterAStoppedOneStartsClean)
{
    connect();
    EXPECT_FALSE(
        importFile(dataLine(with(header("CT", "1"), {{"CTDE_CODBAR", "CAF-500"}, {"CTDE_CANT", "x"}}))));
    shown().clear();
    host_.closed = false;
    ASSERT_TRUE(importFile(dataLine(with(header("CT", "1"), {{"CTDE_CODBAR", "AZU-1K"}}))));
    EXPECT_EQ(shown(), (std::vector<Shown>{{Kind::Plain, "Importación finalizada."}}));
    EXPECT_EQ(
        query("select h.COTI_NUMERO, l.ARTI_COD, l.CTDE_ITEM from COTIZACIONES h join COTIZACIONES_DETALLE l "
              "on l.COTI_ID = h.COTI_ID"),
        (Rows{{"1", "AZU-1K", "1"}}));
}

TEST_F(ImportRun, MissingConfigurationRows)
{
    testing_support::runSql(database_, "delete from CONFIGURACION where CONF_PROPIEDAD = 'DIAS DE VALIDEZ'");
    connect();
    ASSERT_TRUE(importFile(dataLine(header("CT", "1")) +
                           dataLine(with(header("CT", "2"), {{"COTI_VALIDEZ", "15"}}))));
    const Shown missing{Kind::Error, "No se encontró la configuración DIAS DE VALIDEZ"};
    EXPECT_EQ(shown(), (std::vector<Shown>{missing, missing, {Kind::Plain, "Importación finalizada."}}));
    EXPECT_EQ(query("select COTI_VALIDEZ from COTIZACIONES order by COTI_ID"), (Rows{{""}, {"15"}}));
}

TEST_F(ImportRun, ConfigurationTableThatDoesNotFitShowsTheStatementsOwnError)
{
    testing_support::runSql(database_,
                            "drop table CONFIGURACION; create table CONFIGURACION (CONF_MODULO varchar(30), "
                            "CONF_CATEGORIA varchar(30), CONF_PREGUNTA varchar(60), CONF_VALOR varchar(60))");
    connect();
    EXPECT_FALSE(importFile(dataLine(header("CT", "1"))));
    // The position is the column's in the statement with the values written in.
    const std::string statement =
        "select conf_valor from configuracion where conf_modulo = 'FACTURACION' and "
        "conf_categoria = 'DOCUMENTOS' and conf_propiedad = "
        "'REDONDEO AL MULTIPLO DE DIEZ EN TOTALES'";
    const std::string position =
        "-At line 1, column " + std::to_string(statement.find("conf_propiedad") + 1) + ".";
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].kind, Kind::Default);
    EXPECT_NE(shown()[0].text.find("-CONF_PROPIEDAD"), std::string::npos) << shown()[0].text;
    EXPECT_EQ(shown()[0].text.substr(shown()[0].text.size() - position.size()), position) << shown()[0].text;
}

TEST_F(ImportRun, RoundingSettingMustBeAnInteger)
{
    const struct {
        const char* sql;
        std::vector<Shown> shown;
    } cases[] = {
        {"delete from CONFIGURACION where CONF_CATEGORIA = 'DOCUMENTOS'",
         {{Kind::Error, "No se encontró la configuración REDONDEO AL MULTIPLO DE DIEZ EN TOTALES"},
          {Kind::Default, "'' is not a valid integer value."}}},
        {"update CONFIGURACION set CONF_VALOR = 'dos' where CONF_CATEGORIA = 'DOCUMENTOS'",
         {{Kind::Default, "'dos' is not a valid integer value."}}},
    };
    for (const auto& c : cases) {
        fdm_.Merkalo().close();
        testing_support::createCompanyDatabase(dir_.path(), "01", true);
        testing_support::runSql(database_, c.sql);
        connect();
        shown().clear();
        EXPECT_FALSE(importFile(dataLine(header("CT", "1"))));
        EXPECT_EQ(shown(), c.shown) << c.sql;
        EXPECT_TRUE(host_.statusVisible);
    }
}

} // namespace
} // namespace importer
