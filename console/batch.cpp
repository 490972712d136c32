#include "console/batch.h"

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <optional>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#include "console/console_host.h"
#include "database/dm.h"
#include "import/quotation_save.h"
#include "import/rejected_lines.h"
#include "import/rejects_path.h"
#include "import/session.h"
#include "platform/guard.h"
#include "platform/small_file.h"
#include "platform/stop_request.h"
#include "platform/text_codec.h"

namespace console {
namespace {

constexpr const char* kProgram = "importarcot";
// A wait longer than a day is no wait a nightly job wants; the engine takes 32 bits.
constexpr std::int64_t kLongestLockTimeout = 24 * 60 * 60;

// The first line of the password file's text, without its line end.
std::string firstLine(const std::string& text)
{
    return text.substr(0, text.find_first_of("\r\n"));
}

// The name of a signal that stops the run, for its message.
std::string signalName(int signal)
{
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
#ifdef SIGHUP
    case SIGHUP:
        return "SIGHUP";
#endif
    }
    return std::to_string(signal);
}

// A variable of the environment that is set and not empty.
std::optional<std::string> environmentValue(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0')
        return std::nullopt;
    return value;
}

} // namespace

std::string summaryLine(const importer::SaveTally& tally, bool check, bool skipExisting)
{
    const std::string last =
        tally.lastStored.empty() ? "ninguna" : platform::systemTextToUtf8(tally.lastStored);
    std::string line = check ? "Cotizaciones que se grabarían: " + std::to_string(tally.stored) +
                                   ", con problemas: " + std::to_string(tally.refused + tally.problems) +
                                   ", líneas que se grabarían: " + std::to_string(tally.linesStored) +
                                   ", última que se grabaría: " + last
                             : "Cotizaciones grabadas: " + std::to_string(tally.stored) +
                                   ", rechazadas: " + std::to_string(tally.refused) +
                                   ", líneas grabadas: " + std::to_string(tally.linesStored) +
                                   ", última grabada: " + last;
    if (skipExisting)
        line += ", omitidas: " + std::to_string(tally.skipped);
    return line;
}

int runBatch(const CommandLine& line, std::ostream& out, std::ostream& err, int progressWidth)
{
    // Ctrl+C, kill and a terminal that goes away stop the run between two lines:
    // the quotations stored so far are named in the summary.
#ifdef SIGHUP
    const platform::StopOnSignals stopOnSignals({SIGINT, SIGTERM, SIGHUP});
#else
    const platform::StopOnSignals stopOnSignals({SIGINT, SIGTERM});
#endif
    ConsoleHost host(err, progressWidth);

    // The password never comes from the command line, where the process list and
    // the shell's history would show it.
    std::optional<std::string> password;
    if (line.passwordFile) {
        platform::SmallFileError problem = platform::SmallFileError::None;
        const bool read = platform::runGuarded(host.dialogs(), [&] {
            const platform::SmallFile file =
                platform::readSmallFile(*line.passwordFile, platform::ExclusiveFile::Sharing::Readers);
            problem = file.error;
            if (problem == platform::SmallFileError::None)
                password = firstLine(file.content);
        });
        if (!read || !password) {
            if (problem != platform::SmallFileError::None)
                err << kProgram << ": no se puede leer el archivo de la clave " << *line.passwordFile << ": "
                    << platform::smallFileReason(problem) << "\n";
            return kBatchStopped;
        }
    } else {
        password = environmentValue(kPasswordVariable);
        if (!password)
            password = environmentValue(kFirebirdPasswordVariable);
    }
    // Firebird's own tools take the user from ISC_USER; administrators have it set.
    const std::optional<std::string> user = line.user ? line.user : environmentValue(kFirebirdUserVariable);

    database::Tfdm fdm;
    importer::ImportSession session(host.dialogs(), host, fdm);
    host.followPlace(&session.place());

    // The settings as the window reads them at its creation; what the command line
    // gives replaces them. The window goes on with empty fields after a failure
    // here; unattended, a registry or settings file that cannot be read stops
    // before anything is tried, rather than run with values nobody chose.
    importer::Settings settings;
    if (!platform::runGuarded(host.dialogs(), [&] { settings = session.readSettings(); })) {
        out << summaryLine(session.tally()) << "\n" << std::flush;
        return kBatchStopped;
    }
    const auto given = [](const std::optional<std::string>& chosen, const std::optional<std::string>& set) {
        return chosen.value_or(set.value_or(std::string()));
    };
    importer::RunRequest request;
    request.connection = {given(line.server, settings.server), given(user, settings.user),
                          given(password, settings.password), given(line.company, settings.company)};
    request.dataPath = given(line.file, settings.dataPath);
    request.reader = {importer::separatorForItem(line.separatorItem),
                      importer::delimiterForItem(line.delimiterItem), line.encodingItem == 1};
    importer::RunOptions& options = request.options;
    options.check = line.check;
    options.skipExisting = line.skipExisting;
    options.skipLines = line.skipLines;
    options.keepRejected = line.rejects.has_value();
    options.lockTimeout = static_cast<int>(std::min<std::int64_t>(line.lockTimeout, kLongestLockTimeout));
    // A source system that exported nothing tonight is no failure.
    options.noDataIsEmptyImport = true;

    // Without these the window does not even try to connect; here that is a
    // command line that lacks something.
    const std::pair<const std::string&, const char*> required[] = {
        {request.connection.user, "el usuario (--user, ISC_USER o settings.conf)"},
        {request.connection.password,
         "la clave (--password-file, IMPORTARCOT_PASSWORD, ISC_PASSWORD o settings.conf)"},
        {request.connection.company, "la empresa (--company o settings.conf)"}};
    bool missing = false;
    for (const auto& [value, what] : required) {
        if (value.empty()) {
            err << kProgram << ": falta " << what << "\n";
            missing = true;
        }
    }
    if (missing) {
        err << usageText(kProgram);
        return kBatchUsage;
    }
    // Where the rejects go is settled before anything is read or stored: the data
    // file, a device or an unwritable folder there would be found out only after
    // the whole file was stored.
    if (line.rejects) {
        if (const auto refusal = importer::checkRejectsPath(*line.rejects, request.dataPath)) {
            err << kProgram << ": " << *refusal << "\n" << usageText(kProgram);
            return kBatchUsage;
        }
    }

    // The window's steps: connecting loads the mapping, then the run, once, whether
    // the unattended flag of settings.conf asked for it or F2 would have.
    const bool ran = platform::runGuarded(host.dialogs(), [&] {
        session.connect(request.connection);
        session.run(request);
    });
    host.endProgress();

    if (platform::stopRequested())
        err << kProgram << ": importación detenida por la señal " << signalName(platform::stopSignal())
            << "\n";

    // The lines not stored, also after a stop: fixed and imported, they complete
    // the import.
    bool rejectsWritten = true;
    if (line.rejects) {
        const importer::RejectsFileRequest rejects{*line.rejects, request.dataPath, request.reader,
                                                   line.skipLines};
        if (const auto failure = importer::writeRejectsFile(rejects, session.rejectedLines())) {
            err << kProgram << ": " << *failure << "\n";
            rejectsWritten = false;
        }
    }

    const importer::SaveTally& tally = session.tally();
    out << summaryLine(tally, line.check, line.skipExisting) << "\n" << std::flush;
    if (!ran || !session.finished() || !rejectsWritten)
        return kBatchStopped;
    return tally.refused + tally.problems > 0 ? kBatchWithRefusals : kBatchImported;
}

int terminalWidth(int fd)
{
#ifdef _WIN32
    // The visible width of the console window; a pipe or a file is no console.
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), &info))
        return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
#else
    if (!::isatty(fd))
        return 0;
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
#endif
}

} // namespace console
