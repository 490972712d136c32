// The batch mode's lines on the error stream: messages as one UTF-8 line each, the
// progress line cut to the terminal and erased before a message.
#include "app/console_host.h"

#include <gtest/gtest.h>
#include <sstream>

namespace app {
namespace {

TEST(ConsoleLines, ProgressCutToTheTerminalAndErasedBeforeAMessage)
{
    std::ostringstream err;
    ConsoleLines lines(err, 10);
    lines.progress("Línea ñandú 12345");
    lines.progress("ab\tc");
    lines.message("Caf\xE9\r\nmolido");
    lines.message("Sin progreso");
    EXPECT_EQ(err.str(), "\rLínea ñan"   // nine characters: the last column stays free
                         "\rab c     "   // blanks over what the longer line left
                         "\r    \r"      // erased before the message
                         "Café molido\n" // the suite's code page decoded, one line
                         "Sin progreso\n");
}

TEST(ConsoleLines, NoProgressWithoutATerminal)
{
    std::ostringstream err;
    ConsoleHost host(err, 0);
    host.setText(importer::FormField::Ubicacion, "/nonexistent");
    host.showStatus("Importando cotizaciones. Espere un momento...");
    host.setLineDisplay("CT1 - 770");
    host.progressStep();
    host.dialogs().plainMessage("Importación finalizada.");
    host.dialogs().errorDialog("Ya existe");
    host.dialogs().defaultErrorDisplay("Falla.");
    host.dialogs().beep();
    EXPECT_EQ(err.str(), "Importación finalizada.\nError: Ya existe\nError: Falla.\n");
    EXPECT_EQ(host.runsStarted(), 1);
}

TEST(ConsoleLines, PercentOfTheFileFromTheProgressSteps)
{
    const struct {
        std::int64_t steps, size;
        int percent;
    } cases[] = {
        {0, 1000, 0},     {50, 1000, 50},
        {100, 1000, 100}, {1, 99, 1},
        {98, 99, 98},     {250, 199, 100} /* past the end: the bar starts again, the percentage stays */,
        {3, 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(progressPercent(c.steps, c.size), c.percent) << c.steps << " of " << c.size;
}

} // namespace
} // namespace app
