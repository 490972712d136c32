#pragma once
// A company database from db/ in a temporary folder, the import's session on a
// recording host connected to it, and helpers to write data files in the demo
// mapping's column order and to read back what was stored.
#include "database/dm.h"
#include "database/statement.h"
#include "import/mapping.h"
#include "import/quotation_save.h"
#include "import/session.h"
#include "platform/guard.h"
#include "support/company_db.h"
#include "support/firebird_servers.h"
#include "support/recording_host.h"
#include "support/test_registry.h"
#include "support/test_support.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace importer {

using testing_support::FormField;

// The 28 data names in the demo mapping's column order (column 1 first).
inline const std::vector<std::string> kDemoColumns = {
    "PREF_PRE",      "COTI_NUMERO",  "COTI_FECHA",      "COTI_VALIDEZ", "VEND_COD",       "PTVT_ID",
    "TERC_NIT",      "COTI_NOMTERC", "COTI_SUCURSAL",   "COTI_EXTRA",   "COTI_ADICIONAL", "COTI_DTOMONTO",
    "COTI_OBS",      "COTI_ORDENC",  "COTI_IMPTOS",     "CTDE_CODBAR",  "CTDE_DESC",      "CTDE_CANT",
    "CTDE_UNIDAD",   "LIPR_COD",     "CTDE_PRUNIT",     "CTDE_DTOPORC", "CTDE_DTOMONTO",  "CTDE_IVAPORC",
    "CTDE_IVAMONTO", "CTDE_CONSUMO", "CTDE_REFERENCIA", "CTDE_TOTAL"};

// A line of the data file: the values by data name, semicolon separated, CR LF.
inline std::string dataLine(const std::map<std::string, std::string>& values)
{
    std::string line;
    for (std::size_t i = 0; i < kDemoColumns.size(); ++i) {
        if (i > 0)
            line += ';';
        const auto found = values.find(kDemoColumns[i]);
        if (found != values.end())
            line += found->second;
    }
    return line + "\r\n";
}

class ImportFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::setRegionalSettings({'.', "dd/MM/yyyy", '/'});
        database_ = testing_support::createCompanyDatabase(dir_.path(), "01", true);
        {
            // A suite key without a directory: no settings file, no message.
            const testing_support::ScopedRegistry registry(dir_, testing_support::suiteKeyExport());
            host_.FormCreate(session_);
        }
        host_.texts = {{FormField::Servidor, dir_.path().string()},
                       {FormField::Tusua, "SYSDBA"},
                       {FormField::TClave, "masterkey"},
                       {FormField::Cia, "01"}};
        host_.separator = 1; // semicolon
    }

    // Puts the company database where the server reaches it, made by that server
    // itself, and the form's server location and password to it; database_ then
    // names it through the server, as runSql and querySql take it.
    void throughServer(const testing_support::FirebirdServer& server)
    {
        database_ = server.location(server.createCompanyDatabase(dir_.path()));
        host_.texts[FormField::Servidor] = server.location(dir_.path());
        host_.texts[FormField::TClave] = server.password;
    }

    // Connects and loads the mapping, as leaving the company field does.
    void connect()
    {
        ASSERT_TRUE(platform::runGuarded(host_.dialogs(), [&] { host_.CiaExit(session_); }));
    }

    // Writes the file and runs the import as F2 does; false when the run stopped.
    bool importFile(const std::string& bytes)
    {
        host_.texts[FormField::Ubicacion] = dir_.write("cotizaciones.csv", bytes).string();
        return platform::runGuarded(host_.dialogs(), [&] { host_.SpeedButton3Click(session_); });
    }

    // A price list table that the lines must reference, holding list 1 alone: a
    // line naming another list is refused by the database.
    void requirePriceList()
    {
        testing_support::runSql(database_,
                                "create table LISTA_PRECIOS (LIPR_COD integer not null primary key)");
        testing_support::runSql(database_, "insert into LISTA_PRECIOS values (1)");
        testing_support::runSql(database_,
                                "alter table COTIZACIONES_DETALLE add constraint FK_LIPR foreign key "
                                "(LIPR_COD) references LISTA_PRECIOS (LIPR_COD)");
    }

    // Rows of a query on the open connection, values as text ("" for null).
    std::vector<std::vector<std::string>> query(const std::string& sql)
    {
        database::Statement statement(fdm_.Merkalo(), sql);
        std::vector<std::vector<std::string>> rows;
        for (const auto& row : statement.fetchAll()) {
            std::vector<std::string> texts;
            for (const auto& value : row)
                texts.push_back(text(value));
            rows.push_back(texts);
        }
        return rows;
    }

    static std::string text(const dataset::Value& value)
    {
        if (const auto* s = std::get_if<std::string>(&value))
            return *s;
        if (const auto* i = std::get_if<std::int32_t>(&value))
            return std::to_string(*i);
        if (const auto* d = std::get_if<dataset::Decimal>(&value))
            return d->toText('.');
        if (const auto* date = std::get_if<dataset::Date>(&value))
            return dataset::formatDate(*date, {'.', "yyyy-MM-dd", '-'});
        return "";
    }

    std::vector<testing_support::RecordingDialogs::Shown>& shown() { return host_.dialogs_.shown; }

    testing_support::TempDir dir_;
    std::filesystem::path database_;
    testing_support::RecordingHost host_;
    database::Tfdm fdm_;
    ImportSession session_{host_.dialogs_, host_, fdm_};
};

} // namespace importer
