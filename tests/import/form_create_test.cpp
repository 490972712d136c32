// Window creation fills the fields from settings.conf in the suite's directory.
#include "database/dm.h"
#include "import/session.h"
#include "platform/errors.h"
#include "platform/guard.h"
#include "support/recording_host.h"
#include "support/test_registry.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <optional>

namespace importer {
namespace {

using testing_support::FormField;
using testing_support::RecordingDialogs;
using testing_support::RecordingHost;
using testing_support::TempDir;

class FormCreateTest : public ::testing::Test {
protected:
    void registryValue(const std::string& values)
    {
        registry_.emplace(dir_, testing_support::suiteKeyExport(values));
    }
    std::string suiteDirectory() const { return testing_support::directorioValue(dir_.path() / "suite"); }

    TempDir dir_;
    std::optional<testing_support::ScopedRegistry> registry_;
    RecordingHost host_;
    database::Tfdm fdm_;
    ImportSession session_{host_.dialogs_, host_, fdm_};
};

TEST_F(FormCreateTest, SixValuesRead)
{
    dir_.write("suite/settings.conf", "/srv/merkalo\r\nSYSDBA\r\nmasterkey\r\n07\r\n/datos/cot.csv\r\n1\r\n");
    registryValue(suiteDirectory());
    host_.FormCreate(session_);
    EXPECT_EQ(host_.texts, (std::map<FormField, std::string>{{FormField::Servidor, "/srv/merkalo"},
                                                             {FormField::Tusua, "SYSDBA"},
                                                             {FormField::TClave, "masterkey"},
                                                             {FormField::Cia, "07"},
                                                             {FormField::Ubicacion, "/datos/cot.csv"}}));
    EXPECT_EQ(host_.espera, "1");
    EXPECT_TRUE(host_.dialogs_.shown.empty());
}

TEST_F(FormCreateTest, MissingLinesKeepTheFields)
{
    dir_.write("suite/settings.conf", "srv\nusr\n");
    registryValue(suiteDirectory());
    host_.texts[FormField::Cia] = "design";
    host_.FormCreate(session_);
    EXPECT_EQ(host_.text(FormField::Servidor), "srv");
    EXPECT_EQ(host_.text(FormField::Cia), "design");
    EXPECT_EQ(host_.espera, "");
}

TEST_F(FormCreateTest, ValueOfAnotherTypeStopsCreationWithItsError)
{
    dir_.write("suite/settings.conf", "srv\n");
    registryValue("\"Directorio\"=dword:00000010\n");
    EXPECT_FALSE(platform::runGuarded(host_.dialogs(), [&] { host_.FormCreate(session_); }));
    EXPECT_EQ(host_.dialogs_.shown,
              (std::vector<RecordingDialogs::Shown>{
                  {RecordingDialogs::Kind::Default, "Invalid data type for 'Directorio'"}}));
    EXPECT_TRUE(host_.texts.empty());
}

} // namespace
} // namespace importer
