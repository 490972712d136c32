#include "app/command_line.h"

#include <algorithm>

namespace app {
namespace {

std::optional<int> itemOf(const std::string& value, const std::vector<std::string>& names)
{
    int item = 0;
    for (const std::string& name : names) {
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

// What a parse has gathered so far: the command line, and what only its end
// settles (--help and --version win over everything given with them; the preview's
// file may also come as the operand).
struct Parsing {
    CommandLine line;
    bool help = false;
    bool version = false;
    std::optional<std::string> previewFile;
};

// How an option takes its value, and so what it says when the value will not do.
enum class Takes {
    Nothing,       // a flag; "--check=1" is refused
    Value,         // any text, also empty
    File,          // a file's name, not empty
    FileOrOperand, // a file's name, or none when the operand gives it
    Word,          // one of its words, as the item of a list
    LineCount,     // a count of lines
    Refused,       // never taken
};

// Options that only some modes take are refused together when the mode is wrong,
// with one message that names the whole group; the groups are checked in this order.
enum class Group { None, BatchValues, BatchRun, Reading, ReadingRun };

// The value as its kind reads it.
struct TakenValue {
    std::optional<std::string> text;
    int item = 0;
    std::int64_t count = 0;
};

constexpr unsigned bit(Mode mode)
{
    return 1u << static_cast<unsigned>(mode);
}
constexpr unsigned kReadingModes = bit(Mode::Preview) | bit(Mode::Batch);

struct Option {
    const char* name;
    const char* alias = nullptr; // a second name that --help does not show
    Takes takes = Takes::Nothing;
    std::vector<std::string> words = {}; // Word: in the order of their items
    // The mode it chooses (Window: none), and the modes that take it (0: any).
    Mode starts = Mode::Window;
    unsigned modes = 0;
    Group group = Group::None;
    void (*apply)(Parsing&, const TakenValue&) = nullptr;
    // In --help: what stands for the value, and the description: a chosen mode's,
    // or an option's own lines, shown under the last mode that takes it.
    const char* placeholder = "";
    const char* description = "";
};

using P = Parsing;
using V = TakenValue;

// In the order --help shows them.
const std::vector<Option> kOptions = {
    {.name = "--preview",
     .takes = Takes::FileOrOperand,
     .starts = Mode::Preview,
     .apply =
         [](P& p, const V& v) {
             p.line.mode = Mode::Preview;
             p.previewFile = v.text;
         },
     .placeholder = "ARCHIVO",
     .description = "muestra cómo se leerá el archivo, una línea JSON por línea de datos"},
    {.name = "--batch",
     .starts = Mode::Batch,
     .apply = [](P& p, const V&) { p.line.mode = Mode::Batch; },
     .description = "importa sin ventana; lo que no se indique se toma de settings.conf; el usuario viene\n"
                    "de --user, de la variable de entorno ISC_USER o de settings.conf, y la clave de\n"
                    "--password-file F (su primera línea), de IMPORTARCOT_PASSWORD, de ISC_PASSWORD o de\n"
                    "settings.conf, en ese orden, nunca de la línea de órdenes; termina con 0 (importado),\n"
                    "1 (detenido), 2 (uso incorrecto) o 3 (importado con cotizaciones rechazadas)"},
    {.name = "--help", .alias = "-h", .starts = Mode::Help, .apply = [](P& p, const V&) { p.help = true; }},
    {.name = "--version", .starts = Mode::Version, .apply = [](P& p, const V&) { p.version = true; }},
    {.name = "--server",
     .takes = Takes::Value,
     .modes = bit(Mode::Batch),
     .group = Group::BatchValues,
     .apply = [](P& p, const V& v) { p.line.server = v.text; },
     .placeholder = "S"},
    {.name = "--user",
     .takes = Takes::Value,
     .modes = bit(Mode::Batch),
     .group = Group::BatchValues,
     .apply = [](P& p, const V& v) { p.line.user = v.text; },
     .placeholder = "U"},
    {.name = "--company",
     .takes = Takes::Value,
     .modes = bit(Mode::Batch),
     .group = Group::BatchValues,
     .apply = [](P& p, const V& v) { p.line.company = v.text; },
     .placeholder = "C"},
    {.name = "--file",
     .takes = Takes::Value,
     .modes = bit(Mode::Batch),
     .group = Group::BatchValues,
     .apply = [](P& p, const V& v) { p.line.file = v.text; },
     .placeholder = "ARCHIVO"},
    {.name = "--separator",
     .takes = Takes::Word,
     .words = {"comma", "semicolon", "tab"},
     .modes = kReadingModes,
     .group = Group::Reading,
     .apply =
         [](P& p, const V& v) {
             p.line.separatorItem = v.item;
             p.line.separatorGiven = true;
         }},
    {.name = "--delimiter",
     .takes = Takes::Word,
     .words = {"none", "double", "single"},
     .modes = kReadingModes,
     .group = Group::Reading,
     .apply =
         [](P& p, const V& v) {
             p.line.delimiterItem = v.item;
             p.line.delimiterGiven = true;
         }},
    {.name = "--password-file",
     .takes = Takes::Value,
     .modes = bit(Mode::Batch),
     .group = Group::BatchValues,
     .apply = [](P& p, const V& v) { p.line.passwordFile = v.text; },
     .placeholder = "F"},
    {.name = "--check",
     .modes = bit(Mode::Batch),
     .group = Group::BatchRun,
     .apply = [](P& p, const V&) { p.line.check = true; },
     .description = "comprueba todo el archivo sin grabar nada: cada cotización se escribe\n"
                    "y se deshace; informa de cada problema y sigue; termina con 0 (sin\n"
                    "problemas), 3 (con problemas) o 1 (no pudo seguir)"},
    {.name = "--skip-existing",
     .modes = bit(Mode::Batch),
     .group = Group::BatchRun,
     .apply = [](P& p, const V&) { p.line.skipExisting = true; },
     .description = "no graba de nuevo una cotización cuyo prefijo y número ya están grabados"},
    {.name = "--rejects",
     .takes = Takes::File,
     .modes = bit(Mode::Batch),
     .group = Group::BatchRun,
     .apply = [](P& p, const V& v) { p.line.rejects = v.text; },
     .placeholder = "F",
     .description = "deja en F las líneas de las cotizaciones no grabadas, para corregirlas\n"
                    "e importarlas de nuevo (vacío si no hubo ninguna)"},
    {.name = "--skip-lines",
     .takes = Takes::LineCount,
     .modes = kReadingModes,
     .group = Group::ReadingRun,
     .apply =
         [](P& p, const V& v) {
             p.line.skipLines = v.count;
             p.line.skipLinesGiven = true;
         },
     .placeholder = "N",
     .description = "no importa las N primeras líneas (un encabezado)"},
    {.name = "--encoding",
     .takes = Takes::Word,
     .words = {"windows-1252", "utf-8"},
     .modes = kReadingModes,
     .group = Group::ReadingRun,
     .apply =
         [](P& p, const V& v) {
             p.line.encodingItem = v.item;
             p.line.encodingGiven = true;
         },
     .description = "codificación del archivo (windows-1252 si no se indica;\n"
                    "un archivo con marca de orden de bytes UTF-8 es siempre UTF-8)"},
    // A password on the command line would show in the process list and in the
    // shell's history, so it is refused with or without its value.
    {.name = "--password", .takes = Takes::Refused},
};

const Option* optionNamed(const std::string& name)
{
    for (const Option& option : kOptions)
        if (name == option.name || (option.alias != nullptr && name == option.alias))
            return &option;
    return nullptr;
}

// "a, b y c", or with "o" for the last.
std::string listText(const std::vector<std::string>& items, const char* last)
{
    std::string text;
    for (std::size_t k = 0; k < items.size(); ++k)
        text += (k == 0 ? "" : k + 1 == items.size() ? std::string(" ") + last + " " : ", ") + items[k];
    return text;
}

// The names of the options that choose one of the modes, in the table's order.
std::vector<std::string> modeNames(unsigned modes)
{
    std::vector<std::string> names;
    for (const Option& option : kOptions)
        if (option.starts != Mode::Window && (modes & bit(option.starts)) != 0)
            names.push_back(option.name);
    return names;
}

} // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments)
{
    ParsedCommandLine parsed;
    Parsing parsing;
    std::vector<bool> used(kOptions.size(), false);
    std::vector<std::string> operands;
    bool optionsEnded = false;
    auto fail = [&](const std::string& reason) {
        parsed.error = reason;
        return parsed;
    };
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
        const Option* option = optionNamed(name);
        if (option == nullptr)
            return fail("opción desconocida: " + name);
        TakenValue taken{};
        switch (option->takes) {
        case Takes::Nothing:
            if (attached)
                return fail(name + " no lleva valor");
            break;
        case Takes::Refused:
            return fail(kPasswordRefused);
        case Takes::FileOrOperand:
            taken.text = value();
            break;
        case Takes::Value:
            taken.text = value();
            if (!taken.text)
                return fail(name + " necesita un valor");
            break;
        case Takes::File:
            taken.text = value();
            if (!taken.text || taken.text->empty())
                return fail(name + " necesita el archivo");
            break;
        case Takes::Word: {
            const auto text = value();
            const auto item = text ? itemOf(*text, option->words) : std::nullopt;
            if (!item)
                return fail(name + " toma " + listText(option->words, "o"));
            taken.item = *item;
            break;
        }
        case Takes::LineCount: {
            const auto text = value();
            const auto count = text ? lineCountOf(*text) : std::nullopt;
            if (!count)
                return fail(name + " toma un número de líneas (0 o más)");
            taken.count = *count;
            break;
        }
        }
        option->apply(parsing, taken);
        used[static_cast<std::size_t>(option - kOptions.data())] = true;
    }
    CommandLine& line = parsing.line;
    if (parsing.help || parsing.version) {
        line.mode = parsing.help ? Mode::Help : Mode::Version;
        parsed.commandLine = line;
        return parsed;
    }
    for (const Group group : {Group::BatchValues, Group::BatchRun, Group::Reading, Group::ReadingRun}) {
        std::vector<std::string> names;
        bool wrongMode = false;
        unsigned modes = 0;
        for (std::size_t k = 0; k < kOptions.size(); ++k) {
            if (kOptions[k].group != group)
                continue;
            names.push_back(kOptions[k].name);
            modes = kOptions[k].modes;
            wrongMode = wrongMode || (used[k] && (modes & bit(line.mode)) == 0);
        }
        if (wrongMode)
            return fail(listText(names, "y") + " van con " + listText(modeNames(modes), "o"));
    }

    // The one operand is the data file of whichever mode: the window's field, the
    // preview's file, the batch's --file.
    std::optional<std::string>& dataFile = line.mode == Mode::Preview ? parsing.previewFile : line.file;
    if (operands.size() > 1 || (!operands.empty() && dataFile))
        return fail("se da un solo archivo de datos");
    if (!operands.empty())
        dataFile = operands.front();
    if (line.mode == Mode::Preview) {
        if (!parsing.previewFile)
            return fail("--preview necesita el archivo");
        line.previewFile = *parsing.previewFile;
    }
    parsed.commandLine = line;
    return parsed;
}

namespace {

// --help's lines are at most this wide.
constexpr std::size_t kHelpColumns = 100;
// Where the descriptions of the options start.
constexpr std::size_t kDescriptionColumn = 25;
const std::string kIndent = "      ";

std::size_t columns(const std::string& text)
{
    std::size_t count = 0;
    for (const char c : text)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

// "--separator comma|semicolon|tab", "--rejects F", "--check".
std::string synopsis(const Option& option)
{
    std::string text = option.name;
    if (!option.words.empty()) {
        text += ' ';
        for (std::size_t k = 0; k < option.words.size(); ++k)
            text += (k == 0 ? "" : "|") + option.words[k];
    } else if (*option.placeholder != '\0') {
        text += std::string(" ") + option.placeholder;
    }
    return text;
}

// The lines of a description, each but the first after the given indentation.
std::string indented(const std::string& description, const std::string& indentation)
{
    std::string text;
    std::size_t start = 0;
    for (std::size_t end; (end = description.find('\n', start)) != std::string::npos; start = end + 1)
        text += description.substr(start, end - start) + "\n" + indentation;
    return text + description.substr(start) + "\n";
}

// The last mode, in the table's order, that takes the option.
Mode lastModeTaking(const Option& option)
{
    Mode last = Mode::Window;
    for (const Option& mode : kOptions)
        if (mode.starts != Mode::Window && (option.modes & bit(mode.starts)) != 0)
            last = mode.starts;
    return last;
}

// A mode's lines: its synopsis with the options it takes, wrapped, its description,
// then the options described under it.
std::string modeSection(const std::string& program, const Option& mode)
{
    std::string text;
    std::string line = program + " " + synopsis(mode);
    std::string described;
    for (const Option& option : kOptions) {
        if ((option.modes & bit(mode.starts)) == 0)
            continue;
        if (*option.description != '\0' && lastModeTaking(option) == mode.starts) {
            std::string head = kIndent + "[" + synopsis(option) + "]";
            head += std::string(
                std::max<std::size_t>(2, kDescriptionColumn - std::min(kDescriptionColumn, columns(head))),
                ' ');
            described += head + indented(option.description, std::string(kDescriptionColumn, ' '));
            continue;
        }
        const std::string item = "[" + synopsis(option) + "]";
        if (columns(line) + 1 + columns(item) > kHelpColumns) {
            text += line + "\n";
            line = kIndent + item;
        } else {
            line += " " + item;
        }
    }
    return text + line + "\n" + kIndent + indented(mode.description, kIndent) + described;
}

} // namespace

std::string usageText(const std::string& program)
{
    const std::string p = "  " + program;
    std::string text =
        "Uso:\n" + p +
        " [ARCHIVO]            abre la ventana de importación, con ARCHIVO como archivo de datos\n";
    std::vector<std::string> alone;
    for (const Option& option : kOptions) {
        if (option.starts == Mode::Preview || option.starts == Mode::Batch)
            text += modeSection(p, option);
        else if (option.starts != Mode::Window)
            alone.push_back(option.name);
    }
    return text + p + " " + listText(alone, "|") +
           "\n"
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
