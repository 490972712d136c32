// The status panel of a run as the screen shows it: the real window on a real
// company database, pictured from the screen while the run is under way (when
// the run shows its first box), started with F2 and started by itself with the
// unattended flag.
#include "app/importarcot.h"
#include "database/dm.h"
#include "import/import_fixture.h"
#include "platform/regional_settings.h"
#include "support/company_db.h"
#include "support/recording_dialogs.h"
#include "support/test_registry.h"
#include "support/test_support.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>

namespace {

using testing_support::RecordingDialogs;

// Records the boxes and, when the first one opens, takes what the screen shows of
// the window at that moment: what the run has painted so far, not what the
// widgets would paint if asked now.
class PicturingDialogs : public RecordingDialogs {
public:
    void plainMessage(const std::string& text) override
    {
        picture();
        RecordingDialogs::plainMessage(text);
    }
    void errorDialog(const std::string& text) override
    {
        picture();
        RecordingDialogs::errorDialog(text);
    }

    QWidget* window = nullptr;
    std::optional<QImage> onScreen;

private:
    void picture()
    {
        if (!onScreen && window != nullptr)
            onScreen = window->screen()->grabWindow(window->winId()).toImage();
    }
};

struct StartCase {
    const char* name;
    bool unattended;
    friend void PrintTo(const StartCase& c, std::ostream* out) { *out << c.name; }
};

class StatusPanelDuringARun : public ::testing::TestWithParam<StartCase> {
protected:
    void SetUp() override
    {
        platform::setRegionalSettings({'.', "dd/MM/yyyy", '/'});
        testing_support::createCompanyDatabase(dir_.path(), "01", true);
        // The first line names an article that does not exist: its message opens
        // while the run is reading the file.
        // The window's separator at start is the comma.
        std::string line = importer::dataLine({{"PREF_PRE", "CT"},
                                               {"COTI_NUMERO", "1"},
                                               {"COTI_FECHA", "05/03/2024"},
                                               {"VEND_COD", "7"},
                                               {"TERC_NIT", "900123"},
                                               {"CTDE_CODBAR", "NO-EXISTE"},
                                               {"CTDE_CANT", "1"}});
        std::replace(line.begin(), line.end(), ';', ',');
        const auto data = dir_.write("cotizaciones.csv", line);
        suite_.writeSettings(dir_.path().string() + "\nSYSDBA\nmasterkey\n01\n" + data.string() + "\n" +
                             (GetParam().unattended ? "1" : "0") + "\n");
    }

    testing_support::TempDir dir_;
    testing_support::SuiteInstallation suite_{dir_};
    PicturingDialogs dialogs_;
    database::Tfdm fdm_;
};

TEST_P(StatusPanelDuringARun, ShownAndPaintedAsTheRunStarts)
{
    QPointer<app::Tfimportarcot> window = new app::Tfimportarcot(dialogs_, fdm_);
    dialogs_.window = window;
    window->show();
    if (!GetParam().unattended) {
        // The settings fill the four fields: the first activation connects.
        const auto* generate = window->findChild<QToolButton*>(QStringLiteral("SpeedButton3"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return generate->isEnabled(); }));
        ASSERT_TRUE(dialogs_.shown.empty()) << dialogs_.shown.front().text;
        QTest::keyClick(window, Qt::Key_F2);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs_.onScreen.has_value(); }));
    const RecordingDialogs::Shown notFound{RecordingDialogs::Kind::Plain,
                                           "Código 'NO-EXISTE' no encontrado."};
    EXPECT_NE(std::find(dialogs_.shown.begin(), dialogs_.shown.end(), notFound), dialogs_.shown.end())
        << ::testing::PrintToString(dialogs_.shown);

    auto* panel = window->findChild<QLabel*>(QStringLiteral("Panel5"));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->text().toStdString(), "Importando cotizaciones. Espere un momento...");
    // The screen held the panel as it draws itself, text and colours, when the box opened.
    const QImage drawn = panel->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage shown = dialogs_.onScreen->copy(panel->geometry()).convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(shown == drawn) << "the screen did not show the panel";
    delete window.data();
}

INSTANTIATE_TEST_SUITE_P(Starts, StatusPanelDuringARun,
                         ::testing::Values(StartCase{"f2", false}, StartCase{"unattended_flag", true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
