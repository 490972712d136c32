// The batch mode's lines on the error stream: messages as one UTF-8 line each, the
// progress line cut to the terminal and erased before a message.
#include "console/console_host.h"

#include <gtest/gtest.h>
#include <sstream>

namespace console {
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
    EXPECT_FALSE(host.lastRunEnd());
    host.statusShown("Importando cotizaciones. Espere un momento...");
    host.runStarted({"/nonexistent", 1000});
    host.lineDisplayed("CT1 - 770");
    host.progressStep();
    host.lineRead({1, 500, "CT1 - 770"});
    host.dialogs().plainMessage("Importación finalizada.");
    host.dialogs().errorDialog("Ya existe");
    host.dialogs().defaultErrorDisplay("Falla.");
    host.dialogs().beep();
    host.runEnded(importer::RunEnd::Finished);
    EXPECT_EQ(err.str(), "Importación finalizada.\nError: Ya existe\nError: Falla.\n");
    EXPECT_EQ(host.lastRunEnd(), importer::RunEnd::Finished);
}

// On a terminal the run's events draw the progress line: the share of the file
// read, the quotations stored and the line taken in; the run's end erases it.
TEST(ConsoleLines, ProgressLineFollowsTheRunsEvents)
{
    std::ostringstream err;
    ConsoleHost host(err, 80);
    host.runStarted({"c.csv", 1000});
    host.lineRead({1, 509, "CT1 - 770"});
    host.quotationEnded({importer::QuotationOutcome::Stored, {1, "CT", "1"}});
    host.quotationEnded({importer::QuotationOutcome::Refused, {2, "CT", "2"}});
    host.quotationEnded({importer::QuotationOutcome::Skipped, {3, "CT", "3"}});
    host.lineRead({4, 800, "CT4 - 771"});
    const std::string first = "Importando  50 % | grabadas: 0 | CT1 - 770";
    const std::string second = "Importando  80 % | grabadas: 1 | CT4 - 771";
    EXPECT_EQ(err.str(), "\r" + first + "\r" + second);
    host.runEnded(importer::RunEnd::Stopped);
    EXPECT_EQ(err.str(), "\r" + first + "\r" + second + "\r" + std::string(second.size(), ' ') + "\r");
    EXPECT_EQ(host.lastRunEnd(), importer::RunEnd::Stopped);
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
} // namespace console
