// The program's command line: modes, the batch values, and what is refused.
#include "console/command_line.h"
#include "support/test_support.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <tuple>

namespace console {
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

    const ParsedCommandLine options =
        parseCommandLine({"--batch", "--check", "--skip-existing", "--rejects=r.txt", "--skip-lines", "2",
                          "--encoding=utf-8"});
    ASSERT_TRUE(options.commandLine) << options.error;
    EXPECT_EQ(std::tuple(options.commandLine->check, options.commandLine->skipExisting,
                         options.commandLine->rejects, options.commandLine->skipLines,
                         options.commandLine->encodingItem),
              std::tuple(true, true, std::optional<std::string>("r.txt"), std::int64_t{2}, 1));

    const struct {
        std::vector<std::string> arguments;
        Mode mode;
    } modes[] = {
        {{}, Mode::Window},
        {{"--batch"}, Mode::Batch},
        {{"--preview", "f.txt", "--separator", "semicolon"}, Mode::Preview},
        {{"--preview", "f.txt", "--skip-lines", "1", "--encoding", "windows-1252"}, Mode::Preview},
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

// Everything the parser fills, in one comparable value.
auto fieldsOf(const CommandLine& line)
{
    return std::tuple(line.mode, line.previewFile, line.separatorItem, line.delimiterItem,
                      line.separatorGiven, line.delimiterGiven, line.server, line.user, line.company,
                      line.file, line.passwordFile);
}

TEST(CommandLine, AttachedValueIsTheSameAsTheNextArgument)
{
    const struct {
        std::vector<std::string> attached;
        std::vector<std::string> separate;
    } cases[] = {
        {{"--batch", "--server=srv", "--user=U", "--company=07", "--file=c.txt", "--separator=tab",
          "--delimiter=single", "--password-file=clave"},
         {"--batch", "--server", "srv", "--user", "U", "--company", "07", "--file", "c.txt", "--separator",
          "tab", "--delimiter", "single", "--password-file", "clave"}},
        {{"--preview=f.txt", "--separator=semicolon"}, {"--preview", "f.txt", "--separator", "semicolon"}},
        // Only the first "=" splits; an empty value is a value.
        {{"--batch", "--file=a=b.txt", "--user="}, {"--batch", "--file", "a=b.txt", "--user", ""}},
        {{"--preview="}, {"--preview", ""}},
    };
    for (const auto& c : cases) {
        const ParsedCommandLine attached = parseCommandLine(c.attached);
        const ParsedCommandLine separate = parseCommandLine(c.separate);
        ASSERT_TRUE(attached.commandLine) << testing::PrintToString(c.attached) << ": " << attached.error;
        ASSERT_TRUE(separate.commandLine) << separate.error;
        EXPECT_EQ(fieldsOf(*attached.commandLine), fieldsOf(*separate.commandLine))
            << testing::PrintToString(c.attached);
    }
}

// "--" ends the options, and the one operand is the data file of the mode.
TEST(CommandLine, OperandsAndTheEndOfOptions)
{
    const struct {
        std::vector<std::string> arguments;
        Mode mode;
        std::optional<std::string> file; // the window's or batch's data file
        std::string previewFile;
    } cases[] = {
        {{"c.csv"}, Mode::Window, "c.csv", ""},
        {{"--", "--batch"}, Mode::Window, "--batch", ""},
        {{"--", "-"}, Mode::Window, "-", ""},
        {{"-"}, Mode::Window, "-", ""},
        {{"--preview", "--", "-c.csv"}, Mode::Preview, std::nullopt, "-c.csv"},
        {{"--separator", "tab", "--preview", "--", "--help"}, Mode::Preview, std::nullopt, "--help"},
        {{"--preview", "c.csv", "--"}, Mode::Preview, std::nullopt, "c.csv"},
        {{"--preview=-c.csv"}, Mode::Preview, std::nullopt, "-c.csv"},
        {{"--batch", "--user", "U", "--", "-c.csv"}, Mode::Batch, "-c.csv", ""},
        {{"--batch", "c.csv", "--company", "07"}, Mode::Batch, "c.csv", ""},
        // The preview's file is the operand when --preview is followed by an option.
        {{"--preview", "--separator", "semicolon", "c.csv"}, Mode::Preview, std::nullopt, "c.csv"},
        {{"--batch", "--file=--c.csv"}, Mode::Batch, "--c.csv", ""},
        {{"--help", "--", "c.csv"}, Mode::Help, std::nullopt, ""},
    };
    for (const auto& c : cases) {
        const ParsedCommandLine parsed = parseCommandLine(c.arguments);
        ASSERT_TRUE(parsed.commandLine) << testing::PrintToString(c.arguments) << ": " << parsed.error;
        EXPECT_EQ(
            std::tuple(parsed.commandLine->mode, parsed.commandLine->file, parsed.commandLine->previewFile),
            std::tuple(c.mode, c.file, c.previewFile))
            << testing::PrintToString(c.arguments);
    }
}

// --help ends with where to report problems, a section that the README has, and
// --version names the licence of the LICENSE file.
TEST(CommandLine, HelpAndVersionPointAtTheReadmeAndTheLicence)
{
    const std::string help = usageText("importarcot");
    const std::string lastLine = help.substr(help.rfind('\n', help.size() - 2) + 1);
    const std::size_t open = lastLine.find('"');
    const std::size_t close = lastLine.find('"', open + 1);
    ASSERT_NE(close, std::string::npos) << lastLine;
    const std::string section = lastLine.substr(open + 1, close - open - 1);
    const std::string readme =
        testing_support::readFile(std::filesystem::path(IMPORTARCOT_SOURCE_DIR) / "README.md");
    EXPECT_NE(readme.find("\n## " + section + "\n"), std::string::npos) << section;
    EXPECT_NE(lastLine.find("README"), std::string::npos) << lastLine;

    const std::string version = versionText();
    const std::string licence =
        testing_support::readFile(std::filesystem::path(IMPORTARCOT_SOURCE_DIR) / "LICENSE");
    const std::string licenceName = licence.substr(0, licence.find(" License"));
    EXPECT_NE(version.find("\nLicencia " + licenceName + " "), std::string::npos) << version;
    // The copyright line of --version is the one of the LICENSE file.
    const std::size_t copyright = licence.find("Copyright (c) ");
    ASSERT_NE(copyright, std::string::npos);
    const std::string holder = licence.substr(copyright + 14, licence.find('\n', copyright) - copyright - 14);
    EXPECT_NE(version.find("\nCopyright (C) " + holder + ".\n"), std::string::npos) << version;
}

TEST(CommandLine, UsageErrors)
{
    const std::string passwordRefused = "la clave no se da en la línea de órdenes: se toma de la variable de "
                                        "entorno IMPORTARCOT_PASSWORD o de "
                                        "--password-file F (la primera línea del archivo F)";
    const struct {
        std::vector<std::string> arguments;
        std::string error;
    } cases[] = {
        {{"--bogus"}, "opción desconocida: --bogus"},
        // Only the name is repeated: what follows "=" may be a secret.
        {{"--batch", "--bogus=s3cret"}, "opción desconocida: --bogus"},
        {{"--batch", "--password", "s3cret"}, passwordRefused},
        {{"--batch", "--password=s3cret"}, passwordRefused},
        {{"--batch", "--password="}, passwordRefused},
        {{"--batch", "--password"}, passwordRefused},
        {{"--batch=1"}, "--batch no lleva valor"},
        {{"--help=x"}, "--help no lleva valor"},
        {{"-h=x"}, "-h no lleva valor"},
        {{"--version="}, "--version no lleva valor"},
        {{"--batch", "--separator="}, "--separator toma comma, semicolon o tab"},
        {{"--batch", "--delimiter=s3cret"}, "--delimiter toma none, double o single"},
        {{"--company=07"}, "--server, --user, --company, --file y --password-file van con --batch"},
        {{"--batch", "--company"}, "--company necesita un valor"},
        {{"--batch", "--delimiter", "backtick"}, "--delimiter toma none, double o single"},
        {{"--company", "07"}, "--server, --user, --company, --file y --password-file van con --batch"},
        {{"--separator", "tab"}, "--separator y --delimiter van con --preview o --batch"},
        {{"--preview"}, "--preview necesita el archivo"},
        {{"--batch", "--check=1"}, "--check no lleva valor"},
        {{"--batch", "--skip-existing=no"}, "--skip-existing no lleva valor"},
        {{"--preview", "f.txt", "--check"}, "--check, --skip-existing y --rejects van con --batch"},
        {{"--rejects", "r.txt"}, "--check, --skip-existing y --rejects van con --batch"},
        {{"--batch", "--rejects="}, "--rejects necesita el archivo"},
        {{"--batch", "--skip-lines", "-1"}, "--skip-lines toma un número de líneas (0 o más)"},
        {{"--batch", "--skip-lines=1x"}, "--skip-lines toma un número de líneas (0 o más)"},
        {{"--batch", "--skip-lines", "99999999999999999999"},
         "--skip-lines toma un número de líneas (0 o más)"},
        {{"--batch", "--encoding", "latin1"}, "--encoding toma windows-1252 o utf-8"},
        {{"--skip-lines", "1"}, "--skip-lines y --encoding van con --preview o --batch"},
        {{"--preview", "--"}, "--preview necesita el archivo"},
        // "--" is never an option's value.
        {{"--batch", "--file", "--", "c.txt"}, "--file necesita un valor"},
        {{"a.txt", "b.txt"}, "se dieron dos archivos de datos: a.txt y b.txt"},
        {{"--preview", "a.txt", "--", "b.txt"}, "se dieron dos archivos de datos: a.txt y b.txt"},
        {{"--batch", "--file", "a.txt", "b.txt"}, "se dieron dos archivos de datos: a.txt y b.txt"},
        {{"a", "b", "c"}, "se dieron 3 archivos de datos: a, b y c"},
        // After "--" an option is an operand like any other.
        {{"--", "--batch", "a.txt"}, "se dieron dos archivos de datos: --batch y a.txt"},
        // An option's value never starts with "--": that is the next option. Such a
        // value is given attached (--company=--file).
        {{"--batch", "--company", "--file"}, "--company necesita un valor"},
        {{"--batch", "--separator", "--check"}, "falta el valor de --separator"},
        {{"--batch", "--skip-lines"}, "falta el valor de --skip-lines"},
        {{"--batch", "--lock-timeout", "1.5"}, "--lock-timeout toma un número de segundos (0 o más)"},
        {{"--lock-timeout=5"}, "--lock-timeout va con --batch"},
        {{"--separator", "tab", "a.txt"}, "--separator y --delimiter van con --preview o --batch"},
    };
    for (const auto& c : cases) {
        const ParsedCommandLine parsed = parseCommandLine(c.arguments);
        EXPECT_FALSE(parsed.commandLine) << testing::PrintToString(c.arguments);
        EXPECT_EQ(parsed.error, c.error);
    }
}

} // namespace
} // namespace console
