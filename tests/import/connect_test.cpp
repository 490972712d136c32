// Leaving the company field: the connect step and the mapping load.
#include "import/data_file.h"
#include "import_fixture.h"

namespace importer {
namespace {

using Kind = testing_support::RecordingDialogs::Kind;
using Shown = testing_support::RecordingDialogs::Shown;

class Connect : public ImportFixture {
protected:
    bool ciaExit()
    {
        return platform::runGuarded(host_.dialogs(), [&] { host_.CiaExit(session_); });
    }
    std::vector<std::vector<std::string>> mappingRows()
    {
        std::vector<std::vector<std::string>> rows;
        dataset::RecordSet& table = session_.mapping().CImportacion();
        for (table.first(); !table.eof(); table.next()) {
            const std::string dato = table.field("DATO").asString();
            rows.push_back({dato, table.field("COLUMNA").asString(), table.field("IMPORTAR").asString(),
                            session_.mapping().NomDato(dato)});
        }
        return rows;
    }
};

TEST_F(Connect, PathFromServerCompanyAndFixedParts)
{
    // Leading blanks of Servidor do not reach the engine.
    host_.texts[FormField::Servidor] = "  " + dir_.path().string();
    ASSERT_TRUE(ciaExit());
    EXPECT_EQ(host_.events,
              (std::vector<std::string>{"status: Conectando a la base de datos 01 ...", "status hidden"}));
    EXPECT_TRUE(host_.generateEnabled);
    EXPECT_EQ(fdm_.MerkaloParams().value("Database"), "  " + dir_.path().string() + "/datos/01/merkalo.fdb");
    EXPECT_EQ(host_.mappingResets, 1);
    EXPECT_EQ(session_.mapping().CImportacion().recordCount(), 28u);
}

TEST_F(Connect, EmptyServerAndTrailingBlanksOfTheCompany)
{
    host_.texts[FormField::Servidor] = "";
    host_.texts[FormField::Cia] = "01 ";
    EXPECT_FALSE(ciaExit());
    EXPECT_EQ(fdm_.MerkaloParams().value("Database"), "/datos/01 /merkalo.fdb");
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].kind, Kind::Default);
    EXPECT_NE(shown()[0].text.find("/datos/01 /merkalo.fdb"), std::string::npos) << shown()[0].text;
    // A failed connect leaves the panel with its text and the button disabled.
    EXPECT_TRUE(host_.statusVisible);
    EXPECT_EQ(host_.status, "Conectando a la base de datos 01  ...");
    EXPECT_FALSE(host_.generateEnabled);
    EXPECT_FALSE(fdm_.Merkalo().isOpen());
}

TEST_F(Connect, MissingUserPasswordOrCompanyDoesNothing)
{
    for (FormField field : {FormField::TClave, FormField::Tusua, FormField::Cia}) {
        const std::string saved = host_.texts[field];
        host_.texts[field] = "";
        EXPECT_TRUE(ciaExit());
        EXPECT_TRUE(host_.events.empty());
        EXPECT_FALSE(fdm_.Merkalo().isOpen());
        host_.texts[field] = saved;
    }
}

TEST_F(Connect, FailureAfterASuccessKeepsTheButtonEnabled)
{
    ASSERT_TRUE(ciaExit());
    host_.texts[FormField::Cia] = "02";
    EXPECT_FALSE(ciaExit());
    EXPECT_TRUE(host_.generateEnabled);
    EXPECT_TRUE(host_.statusVisible);
    EXPECT_EQ(host_.mappingResets, 1);
}

TEST_F(Connect, MappingLoadedInColumnOrderWithExactDescriptions)
{
    testing_support::runSql(
        database_, "update IMPORTACION_INVENTARIO set IMIN_COLUMNA = 2 where IMIN_TIPO = 30 and IMIN_DATO = "
                   "'CTDE_TOTAL'");
    testing_support::runSql(database_,
                            "update NOMBRES_CAMPOS set NOMBRE = 'pref_pre' where NOMBRE = 'PREF_PRE'");
    testing_support::runSql(database_,
                            "insert into IMPORTACION_INVENTARIO values (30, 'SIN_NOMBRE', 40, null)");
    ASSERT_TRUE(ciaExit());
    const auto rows = mappingRows(); // descriptions as the database holds them, Windows-1252
    ASSERT_EQ(rows.size(), 29u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"PREF_PRE", "1", "SI", ""}));
    // Two rows with the same column are both kept.
    EXPECT_EQ(rows[1][1], "2");
    EXPECT_EQ(rows[2][1], "2");
    EXPECT_EQ(rows[3], (std::vector<std::string>{"COTI_FECHA", "3", "SI", "Fecha de la cotizaci\xF3n"}));
    EXPECT_EQ(rows.back(), (std::vector<std::string>{"SIN_NOMBRE", "40", "SI", ""}));
    EXPECT_EQ(session_.mapping().CImportacion().field("ANCHO").asString(), "0") << "a null width gives 0";
}

TEST_F(Connect, NoRowsOfTheQuotationType)
{
    testing_support::runSql(database_, "delete from IMPORTACION_INVENTARIO where IMIN_TIPO = 30");
    ASSERT_TRUE(ciaExit());
    EXPECT_EQ(session_.mapping().CImportacion().recordCount(), 0u);
    EXPECT_TRUE(session_.mapping().CImportacion().isEmpty());
}

TEST_F(Connect, MissingMappingTableShowsTheErrorAndLoadsNothing)
{
    // Both tables gone: the mapping is read first, so its table is the one named.
    testing_support::runSql(database_, "drop table IMPORTACION_INVENTARIO; drop table NOMBRES_CAMPOS");
    EXPECT_FALSE(ciaExit());
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_NE(shown()[0].text.find("IMPORTACION_INVENTARIO"), std::string::npos) << shown()[0].text;
    EXPECT_TRUE(host_.generateEnabled);
    EXPECT_EQ(host_.mappingResets, 0);
}

TEST_F(Connect, HeaderTableWithoutAColumnFailsTheRun)
{
    testing_support::runSql(database_, "alter table COTIZACIONES drop NUMOK");
    testing_support::runSql(database_, "alter table COTIZACIONES add COTI_NUEVA integer");
    ASSERT_TRUE(ciaExit());
    EXPECT_FALSE(importFile(dataLine({{"PREF_PRE", "CT"}})));
    EXPECT_EQ(shown(), (std::vector<Shown>{{Kind::Default, "CFacturas: Field 'NUMOK' not found."}}));
}

TEST_F(Connect, ColumnOfAnotherKindFailsTheMapping)
{
    testing_support::runSql(database_, "alter table NOMBRES_CAMPOS alter DESCRIPCION type varchar(80)");
    testing_support::runSql(database_, "alter table IMPORTACION_INVENTARIO drop IMIN_ANCHO");
    testing_support::runSql(database_, "alter table IMPORTACION_INVENTARIO add IMIN_ANCHO varchar(10)");
    EXPECT_FALSE(ciaExit());
    EXPECT_EQ(shown(),
              (std::vector<Shown>{{Kind::Default,
                                   "CImporinv: Type mismatch for field 'IMIN_ANCHO', expecting: Integer "
                                   "actual: String."}}));
}

TEST_F(Connect, UnattendedRunOnlyWithExactlyOne)
{
    for (const char* flag : {"1", "1 ", "0", ""}) {
        testing_support::RecordingHost host;
        host.texts = host_.texts;
        host.separator = 1;
        host.texts[FormField::Ubicacion] = (dir_.path() / "no-such-file.csv").string();
        database::Tfdm fdm;
        ImportSession session(host.dialogs_, host, fdm);
        {
            const testing_support::SuiteInstallation suite(dir_);
            suite.writeSettings(host.texts[FormField::Servidor] + "\nSYSDBA\nmasterkey\n01\n" +
                                host.texts[FormField::Ubicacion] + "\n" + flag + "\n");
            host.FormCreate(session);
        }
        ASSERT_TRUE(platform::runGuarded(host.dialogs(), [&] { host.FormActivate(session); }));
        const bool ran = std::string(flag) == "1";
        EXPECT_EQ(host.dialogs_.shown.size(), ran ? 1u : 0u) << "[" << flag << "]";
        EXPECT_EQ(host.closed, ran) << "[" << flag << "]";
        fdm.Merkalo().close();
    }
}

} // namespace
} // namespace importer
