#include "console/command_line.h"

namespace console {
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

// A count of lines or seconds: decimal digits only, within 64 bits.
std::optional<std::int64_t> countOf(const std::string& text)
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

// How an option takes its value, and so what it says when the value will not do.
enum class Takes {
    Nothing,       // a flag; "--check=1" is refused
    Value,         // any text, also empty
    File,          // a file's name, not empty
    FileOrOperand, // a file's name, or none when the operand gives it
    Word,          // one of its words, as the item of a list
    LineCount,     // a count of lines
    Seconds,       // a count of seconds
    Refused,       // never taken
};

// Options that only some modes take are refused together when the mode is wrong,
// with one message that names the whole group; the groups are checked in this order.
enum class Group { None, BatchValues, BatchRun, BatchWait, Reading, ReadingRun };

constexpr unsigned bit(Mode mode)
{
    return 1u << static_cast<unsigned>(mode);
}

// The modes that take the options of a group.
unsigned modesOf(Group group)
{
    switch (group) {
    case Group::None:
        break;
    case Group::BatchValues:
    case Group::BatchRun:
    case Group::BatchWait:
        return bit(Mode::Batch);
    case Group::Reading:
    case Group::ReadingRun:
        return bit(Mode::Preview) | bit(Mode::Batch);
    }
    return 0;
}

struct Option {
    const char* name;
    const char* alias = nullptr; // a second name that --help does not show
    Takes takes = Takes::Nothing;
    std::vector<std::string> words = {}; // Word: in the order of their items
    Mode starts = Mode::Window;          // the mode it chooses; Window: none
    Group group = Group::None;
    // What it fills: its text, its word's item or its count, and a flag set when
    // it is given.
    template <class T> using Member = T CommandLine::*;
    Member<std::optional<std::string>> text = nullptr;
    Member<int> item = nullptr;
    Member<std::int64_t> count = nullptr;
    Member<bool> given = nullptr;
    // In --help: what stands for the value, and the description: a chosen mode's,
    // or an option's own lines, shown under the last mode that takes it.
    const char* placeholder = "";
    const char* description = "";
};

using L = CommandLine;

// In the order --help shows them. One entry to a line or two reads better than
// the formatter's one field to a line.
// clang-format off
const std::vector<Option> kOptions = {
    {.name = "--preview", .takes = Takes::FileOrOperand, .starts = Mode::Preview, .placeholder = "ARCHIVO",
     .description = "muestra cómo se leerá el archivo, una línea JSON por línea de datos"},
    {.name = "--batch", .starts = Mode::Batch,
     .description = "importa sin ventana; lo que no se indique se toma de settings.conf; el usuario viene\n"
                    "de --user, de la variable de entorno ISC_USER o de settings.conf, y la clave de\n"
                    "--password-file F (su primera línea), de IMPORTARCOT_PASSWORD, de ISC_PASSWORD o de\n"
                    "settings.conf, en ese orden, nunca de la línea de órdenes; termina con 0 (importado),\n"
                    "1 (detenido), 2 (uso incorrecto) o 3 (importado con cotizaciones rechazadas)"},
    {.name = "--help", .alias = "-h", .starts = Mode::Help},
    {.name = "--version", .starts = Mode::Version},
    {.name = "--server", .takes = Takes::Value, .group = Group::BatchValues, .text = &L::server,
     .placeholder = "S"},
    {.name = "--user", .takes = Takes::Value, .group = Group::BatchValues, .text = &L::user,
     .placeholder = "U"},
    {.name = "--company", .takes = Takes::Value, .group = Group::BatchValues, .text = &L::company,
     .placeholder = "C"},
    {.name = "--file", .takes = Takes::Value, .group = Group::BatchValues, .text = &L::file,
     .placeholder = "ARCHIVO"},
    {.name = "--separator", .takes = Takes::Word, .words = {"comma", "semicolon", "tab"},
     .group = Group::Reading, .item = &L::separatorItem, .given = &L::separatorGiven},
    {.name = "--delimiter", .takes = Takes::Word, .words = {"none", "double", "single"},
     .group = Group::Reading, .item = &L::delimiterItem, .given = &L::delimiterGiven},
    {.name = "--password-file", .takes = Takes::Value, .group = Group::BatchValues, .text = &L::passwordFile,
     .placeholder = "F"},
    {.name = "--check", .group = Group::BatchRun, .given = &L::check,
     .description = "comprueba todo el archivo sin grabar nada: cada cotización se escribe\n"
                    "y se deshace; informa de cada problema y sigue; termina con 0 (sin\n"
                    "problemas), 3 (con problemas) o 1 (no pudo seguir)"},
    {.name = "--skip-existing", .group = Group::BatchRun, .given = &L::skipExisting,
     .description = "no graba de nuevo una cotización cuyo prefijo y número ya están grabados"},
    {.name = "--rejects", .takes = Takes::File, .group = Group::BatchRun, .text = &L::rejects,
     .placeholder = "F",
     .description = "deja en F las líneas de las cotizaciones no grabadas, para corregirlas\n"
                    "e importarlas de nuevo (vacío si no hubo ninguna)"},
    {.name = "--lock-timeout", .takes = Takes::Seconds, .group = Group::BatchWait, .count = &L::lockTimeout,
     .placeholder = "S",
     .description = "segundos que espera a que otro usuario libere lo que se graba antes de\n"
                    "rechazar la cotización (60 si no se indica; 0: no espera)"},
    {.name = "--skip-lines", .takes = Takes::LineCount, .group = Group::ReadingRun, .count = &L::skipLines,
     .given = &L::skipLinesGiven, .placeholder = "N",
     .description = "no importa las N primeras líneas (un encabezado)"},
    {.name = "--encoding", .takes = Takes::Word, .words = {"windows-1252", "utf-8"},
     .group = Group::ReadingRun, .item = &L::encodingItem, .given = &L::encodingGiven,
     .description = "codificación del archivo (windows-1252 si no se indica;\n"
                    "un archivo con marca de orden de bytes UTF-8 es siempre UTF-8)"},
    // A password on the command line would show in the process list and in the
    // shell's history, so it is refused with or without its value.
    {.name = "--password", .takes = Takes::Refused},
};
// clang-format on

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
    CommandLine line;
    // --help and --version win over everything else given with them, as usual.
    bool help = false;
    bool version = false;
    std::optional<std::string> previewFile;
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
            // The next argument is the value unless it starts with "--": another
            // option, or "--" that ends the options. A value that starts so is given
            // as --option=value.
            if (i + 1 >= arguments.size() || arguments[i + 1].rfind("--", 0) == 0)
                return std::nullopt;
            return arguments[++i];
        };
        const Option* option = optionNamed(name);
        if (option == nullptr)
            return fail("opción desconocida: " + name);
        switch (option->takes) {
        case Takes::Nothing:
            if (attached)
                return fail(name + " no lleva valor");
            break;
        case Takes::Refused:
            return fail(kPasswordRefused);
        case Takes::FileOrOperand:
            // The preview's file may also come as the operand: --preview -- -file.csv.
            previewFile = value();
            break;
        case Takes::Value:
        case Takes::File: {
            const auto text = value();
            const bool file = option->takes == Takes::File;
            if (!text || (file && text->empty()))
                return fail(name + (file ? " necesita el archivo" : " necesita un valor"));
            line.*option->text = text;
            break;
        }
        case Takes::Word: {
            const auto text = value();
            if (!text)
                return fail("falta el valor de " + name);
            const auto item = itemOf(*text, option->words);
            if (!item)
                return fail(name + " toma " + listText(option->words, "o"));
            line.*option->item = *item;
            break;
        }
        case Takes::LineCount:
        case Takes::Seconds: {
            const auto text = value();
            if (!text)
                return fail("falta el valor de " + name);
            const auto count = countOf(*text);
            if (!count)
                return fail(name + (option->takes == Takes::Seconds ? " toma un número de segundos (0 o más)"
                                                                    : " toma un número de líneas (0 o más)"));
            line.*option->count = *count;
            break;
        }
        }
        if (option->given != nullptr)
            line.*option->given = true;
        if (option->starts == Mode::Help)
            help = true;
        else if (option->starts == Mode::Version)
            version = true;
        else if (option->starts != Mode::Window)
            line.mode = option->starts;
        used[static_cast<std::size_t>(option - kOptions.data())] = true;
    }
    if (help || version) {
        line.mode = help ? Mode::Help : Mode::Version;
        parsed.commandLine = line;
        return parsed;
    }
    for (const Group group :
         {Group::BatchValues, Group::BatchRun, Group::BatchWait, Group::Reading, Group::ReadingRun}) {
        std::vector<std::string> names;
        bool wrongMode = false;
        for (std::size_t k = 0; k < kOptions.size(); ++k) {
            if (kOptions[k].group != group)
                continue;
            names.push_back(kOptions[k].name);
            wrongMode = wrongMode || (used[k] && (modesOf(group) & bit(line.mode)) == 0);
        }
        if (wrongMode)
            return fail(listText(names, "y") + (names.size() == 1 ? " va con " : " van con ") +
                        listText(modeNames(modesOf(group)), "o"));
    }

    // The one operand is the data file of whichever mode: the window's field, the
    // preview's file, the batch's --file.
    std::optional<std::string>& dataFile = line.mode == Mode::Preview ? previewFile : line.file;
    std::vector<std::string> files = operands;
    if (dataFile)
        files.insert(files.begin(), *dataFile);
    if (files.size() > 1)
        return fail("se dieron " + (files.size() == 2 ? std::string("dos") : std::to_string(files.size())) +
                    " archivos de datos: " + listText(files, "y"));
    if (!operands.empty())
        dataFile = operands.front();
    if (line.mode == Mode::Preview) {
        if (!previewFile)
            return fail("--preview necesita el archivo");
        line.previewFile = *previewFile;
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
        if (mode.starts != Mode::Window && (modesOf(option.group) & bit(mode.starts)) != 0)
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
        if ((modesOf(option.group) & bit(mode.starts)) == 0)
            continue;
        if (*option.description != '\0' && lastModeTaking(option) == mode.starts) {
            // Two blanks at least between the option and its description.
            const std::string head = kIndent + "[" + synopsis(option) + "]";
            const std::size_t width = columns(head);
            described += head +
                         std::string(width + 2 > kDescriptionColumn ? 2 : kDescriptionColumn - width, ' ') +
                         indented(option.description, std::string(kDescriptionColumn, ' '));
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

} // namespace console
