// The program's command line: modes, the batch values, and what is refused.
#include "app/command_line.h"

#include <gtest/gtest.h>

namespace app {
namespace {

TEST(CommandLine, ModesAndValues)
{
    const ParsedCommandLine parsed =
        parseCommandLine({"--batch", "--server", "srv", "--user", "U", "--company", "07", "--file", "c.txt",
                          "--separator", "tab", "--delimiter", "single", "--password-file", "clave"});
    ASSERT_TRUE(parsed.commandLine) << parsed.error;
    const CommandLine& line = *parsed.commandLine;
    EXPECT_EQ(line.mode, Mode::Batch);
    EXPECT_EQ((std::vector<std::optional<std::string>>{line.server, line.user, line.company, line.file,
                                                       line.passwordFile}),
              (std::vector<std::optional<std::string>>{"srv", "U", "07", "c.txt", "clave"}));
    EXPECT_EQ(std::pair(line.separatorItem, line.delimiterItem), std::pair(2, 2));

    const struct {
        std::vector<std::string> arguments;
        Mode mode;
    } modes[] = {
        {{}, Mode::Window},
        {{"--batch"}, Mode::Batch},
        {{"--preview", "f.txt", "--separator", "semicolon"}, Mode::Preview},
        {{"--version"}, Mode::Version},
        {{"-h"}, Mode::Help},
        {{"--batch", "--company", "07", "--help"}, Mode::Help},
        {{"--version", "--help"}, Mode::Help},
    };
    for (const auto& c : modes) {
        const ParsedCommandLine mode = parseCommandLine(c.arguments);
        ASSERT_TRUE(mode.commandLine) << mode.error;
        EXPECT_EQ(mode.commandLine->mode, c.mode) << testing::PrintToString(c.arguments);
    }
}

TEST(CommandLine, UsageErrors)
{
    const struct {
        std::vector<std::string> arguments;
        std::string error;
    } cases[] = {
        {{"--bogus"}, "opción desconocida: --bogus"},
        {{"--batch", "--password", "x"},
         "la clave no se da en la línea de órdenes: use IMPORTARCOT_PASSWORD o --password-file"},
        {{"--batch", "--company"}, "--company necesita un valor"},
        {{"--batch", "--delimiter", "backtick"}, "--delimiter toma none, double o single"},
        {{"--company", "07"}, "--server, --user, --company, --file y --password-file van con --batch"},
        {{"--separator", "tab"}, "--separator y --delimiter van con --preview o --batch"},
        {{"--preview"}, "--preview necesita el archivo"},
    };
    for (const auto& c : cases) {
        const ParsedCommandLine parsed = parseCommandLine(c.arguments);
        EXPECT_FALSE(parsed.commandLine) << testing::PrintToString(c.arguments);
        EXPECT_EQ(parsed.error, c.error);
    }
}

} // namespace
} // namespace app
