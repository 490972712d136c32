// The error handlers of the import's record sets and providers: the Spanish
// messages, the beep and the dialog.
#include "database/dm.h"
#include "dataset/declarations.h"
#include "import/error_reporting.h"
#include "support/recording_dialogs.h"

#include <gtest/gtest.h>

namespace database {
namespace {

using testing_support::RecordingDialogs;
using Kind = RecordingDialogs::Kind;

class ErrorReporting : public ::testing::Test {
protected:
    // The message shown for an error of a record set (no provider) or of PFacturas.
    std::string shownFor(const std::string& text, bool fromProvider)
    {
        dialogs_.shown.clear();
        const platform::DatabaseError error(text);
        if (fromProvider)
            EXPECT_EQ(reporting_.ManejarError(provider_.get(), *headers_, error, UpdateKind::Insert),
                      UpdateResponse::Abort);
        else
            EXPECT_EQ(reporting_.ManejarClientError(*headers_, error), dataset::HookAction::Abort);
        EXPECT_EQ(dialogs_.shown.size(), 2u);
        if (dialogs_.shown.size() != 2u)
            return {};
        EXPECT_EQ(dialogs_.shown[0].kind, Kind::Beep);
        EXPECT_EQ(dialogs_.shown[1].kind, Kind::Error);
        return dialogs_.shown[1].text;
    }

    RecordingDialogs dialogs_;
    importer::ErrorReporting reporting_{dialogs_};
    Tfdm fdm_;
    std::unique_ptr<Provider> provider_ = fdm_.makePFacturas();
    std::unique_ptr<dataset::RecordSet> headers_ = dataset::makeCFacturas();
};

TEST_F(ErrorReporting, RecordSetPath)
{
    headers_->createDataSet();
    headers_->insert();
    headers_->field("COTI_ID").setAsInteger(1);
    headers_->field("TIDO_COD").setAsInteger(35);
    headers_->field("PREF_PRE").setAsString("CT");
    headers_->field("COTI_NUMERO").setAsString("1");
    headers_->field("COTI_FECHA").setAsString("05/03/2024");
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        {"Field 'TERC_NIT' must have a value", "Los campos TERC_NIT, VEND_COD,  son obligatorios."},
        {"Cannot delete master record with details",
         "Error. Borre antes los detalles dependientes del registro."},
        {"Cannot delete master record w", "Cannot delete master record w"},
        {"key violation", "Ya existe un registro con el mismo "},
        {"Key violation", "Key violation"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shownFor(c.text, false), c.shown) << c.text;

    // With every required field filled, the list is empty: two blanks between the words.
    headers_->field("TERC_NIT").setAsString("9");
    headers_->field("VEND_COD").setAsInteger(1);
    EXPECT_EQ(shownFor("Field X", false), "Los campos  son obligatorios.");
}

TEST_F(ErrorReporting, IndexFieldsNameTheKey)
{
    auto mapping = dataset::makeCImportacion();
    mapping->createDataSet();
    EXPECT_EQ(reporting_.ManejarClientError(*mapping, platform::DatabaseError("key violation")),
              dataset::HookAction::Abort);
    EXPECT_EQ(dialogs_.shown.back().text, "Ya existe un registro con el mismo COLUMNA ");
}

TEST_F(ErrorReporting, ProviderPath)
{
    const std::string foreign =
        "Está borrando o insertando un registro en la tabla Cotizaci que tiene una relación con otra tabla.";
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        {"SQL Server Error: violation of PRIMARY or UNIQUE KEY constraint \"PK\" on table \"COTIZACIONES\"",
         "Ya existe el registro en la tabla Cotizaci"},
        {"SQL Server Error: violation of FOREIGN KEY constraint \"FK\" on table \"COTIZACIONES_DETALLE\"",
         foreign},
        {"SQL Server Error: violation of FOREIGN", foreign},
        {"SQL Server Error: violation of FOREIG", "SQL Server Error: violation of FOREIG"},
        {"dbExpress Error: x\r\nSQL Server Error: violation of PRIMARY or UNIQUE KEY",
         "dbExpress Error: x\r\nSQL Server Error: violation of PRIMARY or UNIQUE KEY"},
        {"Record not found or changed by another user", "Record not found or changed by another user"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shownFor(c.text, true), c.shown) << c.text;
}

// A failure of the environment is no refused row: it goes on to the caller as it
// came, with nothing shown, so that it ends the run and is shown once.
TEST_F(ErrorReporting, EnvironmentFailureGoesOnUnreported)
{
    const platform::DatabaseError error("SQL Server Error: Error reading data from the connection.",
                                        platform::DatabaseError::Kind::Environment);
    for (const bool fromProvider : {true, false}) {
        try {
            if (fromProvider)
                reporting_.ManejarError(provider_.get(), *headers_, error, UpdateKind::Insert);
            else
                reporting_.ManejarClientError(*headers_, error);
            ADD_FAILURE() << "not raised again";
        } catch (const platform::DatabaseError& raised) {
            EXPECT_STREQ(raised.what(), error.what());
            EXPECT_EQ(raised.kind(), platform::DatabaseError::Kind::Environment);
        }
        EXPECT_TRUE(dialogs_.shown.empty());
    }
}

} // namespace
} // namespace database
