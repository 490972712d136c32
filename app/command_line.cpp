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

// A count of lines: decimal digits only, within 64 bits.
std::optional<std::int64_t> lineCountOf(const std::string& text)
{
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoll(text);
}

// The last line of --help and the lines that follow the version, as the GNU coding
// standards have them.
const std::string kReportProblems = "Informe de problemas: véase el apartado \"Reporting problems\" del "
                                    "README del proyecto (/usr/share/doc/importarcot/README.md).";
constexpr const char* kCopyright = "Copyright (C) 2026 The importarcot developers.";
constexpr const char* kLicence = "Licencia MIT <https://opensource.org/licenses/MIT>.\n"
                                 "Es software libre: puede modificarlo y redistribuirlo.\n"
                                 "No hay NINGUNA GARANTÍA, en la medida que lo permita la ley.";

constexpr const char* kPasswordRefused =
    "la clave no se da en la línea de órdenes: se toma de la variable de entorno IMPORTARCOT_PASSWORD "
    "o de --password-file F (la primera línea del archivo F)";

} // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments)
{
    ParsedCommandLine parsed;
    CommandLine line;
    // --help and --version win over everything else given with them, as usual.
    bool help = false;
    bool version = false;
    std::optional<std::string> previewFile;
    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        // "--" ends the options, so that a file whose name starts with "-" can be
        // given after it; a lone "-" and anything else not starting with "-" is an
        // operand wherever it stands.
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            operands.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        // "--option=value" is the same as "--option value". Everything from the "="
        // on is the value, also when it is empty; only the name before it is ever
        // repeated in a message, since the value may be a password typed by mistake.
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const std::optional<std::string> attached =
            equals == std::string::npos ? std::nullopt : std::optional(argument.substr(equals + 1));
        auto value = [&]() -> std::optional<std::string> {
            if (attached)
                return attached;
            // The next argument is the value whatever it looks like, except "--",
            // which always ends the options.
            if (i + 1 >= arguments.size() || arguments[i + 1] == "--")
                return std::nullopt;
            return arguments[++i];
        };
        auto fail = [&](const std::string& reason) {
            parsed.error = reason;
            return parsed;
        };
        const bool isFlag = name == "--batch" || name == "--help" || name == "-h" || name == "--version" ||
                            name == "--check" || name == "--skip-existing";
        if (isFlag && attached)
            return fail(name + " no lleva valor");
        if (name == "--preview") {
            // Its file may also come as the operand: --preview -- -file.csv.
            line.mode = Mode::Preview;
            previewFile = value();
        } else if (name == "--batch") {
            line.mode = Mode::Batch;
        } else if (name == "--help" || name == "-h") {
            help = true;
        } else if (name == "--version") {
            version = true;
        } else if (name == "--separator" || name == "--delimiter") {
            const bool separator = name == "--separator";
            const auto given = value();
            const auto item = given ? (separator ? itemOf(*given, {"comma", "semicolon", "tab"})
                                                 : itemOf(*given, {"none", "double", "single"}))
                                    : std::nullopt;
            if (!item)
                return fail(name +
                            (separator ? " toma comma, semicolon o tab" : " toma none, double o single"));
            (separator ? line.separatorItem : line.delimiterItem) = *item;
            (separator ? line.separatorGiven : line.delimiterGiven) = true;
        } else if (name == "--check") {
            line.check = true;
        } else if (name == "--skip-existing") {
            line.skipExisting = true;
        } else if (name == "--skip-lines") {
            const auto given = value();
            const auto count = given ? lineCountOf(*given) : std::nullopt;
            if (!count)
                return fail("--skip-lines toma un número de líneas (0 o más)");
            line.skipLines = *count;
            line.skipLinesGiven = true;
        } else if (name == "--encoding") {
            const auto given = value();
            const auto item = given ? itemOf(*given, {"windows-1252", "utf-8"}) : std::nullopt;
            if (!item)
                return fail("--encoding toma windows-1252 o utf-8");
            line.encodingItem = *item;
            line.encodingGiven = true;
        } else if (name == "--rejects") {
            const auto given = value();
            if (!given || given->empty())
                return fail("--rejects necesita el archivo");
            line.rejects = *given;
        } else if (name == "--server" || name == "--user" || name == "--company" || name == "--file" ||
                   name == "--password-file") {
            const auto given = value();
            if (!given)
                return fail(name + " necesita un valor");
            auto& target = name == "--server"    ? line.server
                           : name == "--user"    ? line.user
                           : name == "--company" ? line.company
                           : name == "--file"    ? line.file
                                                 : line.passwordFile;
            target = *given;
        } else if (name == "--password") {
            // A password on the command line would show in the process list and in
            // the shell's history, so it is refused with or without its value.
            return fail(std::string(kPasswordRefused));
        } else {
            return fail("opción desconocida: " + name);
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
    if ((line.check || line.skipExisting || line.rejects) && line.mode != Mode::Batch)
        return (parsed.error = "--check, --skip-existing y --rejects van con --batch", parsed);
    const bool reading = line.mode == Mode::Batch || line.mode == Mode::Preview;
    if ((line.separatorGiven || line.delimiterGiven) && !reading)
        return (parsed.error = "--separator y --delimiter van con --preview o --batch", parsed);
    if ((line.skipLinesGiven || line.encodingGiven) && !reading)
        return (parsed.error = "--skip-lines y --encoding van con --preview o --batch", parsed);

    // The one operand is the data file of whichever mode: the window's field, the
    // preview's file, the batch's --file.
    std::optional<std::string>& dataFile = line.mode == Mode::Preview ? previewFile : line.file;
    if (operands.size() > 1 || (!operands.empty() && dataFile))
        return (parsed.error = "se da un solo archivo de datos", parsed);
    if (!operands.empty())
        dataFile = operands.front();
    if (line.mode == Mode::Preview) {
        if (!previewFile)
            return (parsed.error = "--preview necesita el archivo", parsed);
        line.previewFile = *previewFile;
    }
    parsed.commandLine = line;
    return parsed;
}

std::string usageText(const std::string& program)
{
    const std::string p = "  " + program;
    return "Uso:\n" + p +
           " [ARCHIVO]            abre la ventana de importación, con ARCHIVO como archivo de datos\n" + p +
           " --preview ARCHIVO [--separator comma|semicolon|tab] [--delimiter none|double|single]\n"
           "      [--skip-lines N] [--encoding windows-1252|utf-8]\n"
           "      muestra cómo se leerá el archivo, una línea JSON por línea de datos\n" +
           p +
           " --batch [--server S] [--user U] [--company C] [--file ARCHIVO]\n"
           "      [--separator comma|semicolon|tab] [--delimiter none|double|single] [--password-file F]\n"
           "      importa sin ventana; lo que no se indique se toma de settings.conf; el usuario viene\n"
           "      de --user, de la variable de entorno ISC_USER o de settings.conf, y la clave de\n"
           "      --password-file F (su primera línea), de IMPORTARCOT_PASSWORD, de ISC_PASSWORD o de\n"
           "      settings.conf, en ese orden, nunca de la línea de órdenes; termina con 0 (importado),\n"
           "      1 (detenido), 2 (uso incorrecto) o 3 (importado con cotizaciones rechazadas)\n"
           "      [--check]          comprueba todo el archivo sin grabar nada: cada cotización se escribe\n"
           "                         y se deshace; informa de cada problema y sigue; termina con 0 (sin\n"
           "                         problemas), 3 (con problemas) o 1 (no pudo seguir)\n"
           "      [--skip-existing]  no graba de nuevo una cotización cuyo prefijo y número ya están grabados\n"
           "      [--rejects F]      deja en F las líneas de las cotizaciones no grabadas, para corregirlas\n"
           "                         e importarlas de nuevo (vacío si no hubo ninguna)\n"
           "      [--skip-lines N]   no importa las N primeras líneas (un encabezado)\n"
           "      [--encoding windows-1252|utf-8]  codificación del archivo (windows-1252 si no se indica;\n"
           "                         un archivo con marca de orden de bytes UTF-8 es siempre UTF-8)\n" +
           p +
           " --help | --version\n"
           "Las opciones con valor aceptan también la forma --opción=valor (--file=ARCHIVO).\n"
           "Tras -- todo es un operando, aunque empiece por -: -- -archivo.csv.\n"
           "\n" +
           kReportProblems + "\n";
}

std::string versionText()
{
    return std::string("importarcot ") + IMPORTARCOT_VERSION + "\n" + kCopyright + "\n" + kLicence;
}

} // namespace app
