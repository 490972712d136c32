#include "app/command_line.h"

namespace app {
namespace {

std::optional<int> itemOf(const std::string& value, std::initializer_list<const char*> names)
{
    int item = 0;
    for (const char* name : names) {
        if (value == name)
            return item;
        ++item;
    }
    return std::nullopt;
}

} // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments)
{
    ParsedCommandLine parsed;
    CommandLine line;
    // --help and --version win over everything else given with them, as usual.
    bool help = false;
    bool version = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= arguments.size())
                return std::nullopt;
            return arguments[++i];
        };
        auto fail = [&](const std::string& reason) {
            parsed.error = reason;
            return parsed;
        };
        if (argument == "--preview") {
            const auto file = value();
            if (!file)
                return fail("--preview necesita el archivo");
            line.mode = Mode::Preview;
            line.previewFile = *file;
        } else if (argument == "--batch") {
            line.mode = Mode::Batch;
        } else if (argument == "--help" || argument == "-h") {
            help = true;
        } else if (argument == "--version") {
            version = true;
        } else if (argument == "--separator" || argument == "--delimiter") {
            const bool separator = argument == "--separator";
            const auto given = value();
            const auto item = given ? (separator ? itemOf(*given, {"comma", "semicolon", "tab"})
                                                 : itemOf(*given, {"none", "double", "single"}))
                                    : std::nullopt;
            if (!item)
                return fail(argument +
                            (separator ? " toma comma, semicolon o tab" : " toma none, double o single"));
            (separator ? line.separatorItem : line.delimiterItem) = *item;
            (separator ? line.separatorGiven : line.delimiterGiven) = true;
        } else if (argument == "--server" || argument == "--user" || argument == "--company" ||
                   argument == "--file" || argument == "--password-file") {
            const auto given = value();
            if (!given)
                return fail(argument + " necesita un valor");
            auto& target = argument == "--server"    ? line.server
                           : argument == "--user"    ? line.user
                           : argument == "--company" ? line.company
                           : argument == "--file"    ? line.file
                                                     : line.passwordFile;
            target = *given;
        } else if (argument == "--password") {
            // A password on the command line would show in the process list and in
            // the shell's history.
            return fail(
                "la clave no se da en la línea de órdenes: use IMPORTARCOT_PASSWORD o --password-file");
        } else {
            return fail("opción desconocida: " + argument);
        }
    }
    if (help || version) {
        line.mode = help ? Mode::Help : Mode::Version;
        parsed.commandLine = line;
        return parsed;
    }
    const bool batchOptions = line.server || line.user || line.company || line.file || line.passwordFile;
    if (batchOptions && line.mode != Mode::Batch)
        return (parsed.error = "--server, --user, --company, --file y --password-file van con --batch",
                parsed);
    if ((line.separatorGiven || line.delimiterGiven) && line.mode != Mode::Batch &&
        line.mode != Mode::Preview)
        return (parsed.error = "--separator y --delimiter van con --preview o --batch", parsed);
    parsed.commandLine = line;
    return parsed;
}

std::string usageText(const std::string& program)
{
    return "Uso:\n"
           "  " +
           program +
           "                      abre la ventana de importación\n"
           "  " +
           program +
           " --preview ARCHIVO [--separator comma|semicolon|tab] [--delimiter none|double|single]\n"
           "      muestra cómo se leerá el archivo, una línea JSON por línea de datos\n"
           "  " +
           program +
           " --batch [--server S] [--user U] [--company C] [--file ARCHIVO]\n"
           "      [--separator comma|semicolon|tab] [--delimiter none|double|single] [--password-file F]\n"
           "      importa sin ventana; la clave se toma de IMPORTARCOT_PASSWORD o de --password-file;\n"
           "      lo que no se indique se toma de settings.conf; termina con 0 (importado), 1 (detenido),\n"
           "      2 (uso incorrecto) o 3 (importado con cotizaciones rechazadas)\n"
           "  " +
           program + " --help | --version\n";
}

std::string versionText()
{
    return std::string("importarcot ") + IMPORTARCOT_VERSION;
}

} // namespace app
