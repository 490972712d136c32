#pragma once
// The import behind both front ends: reading the settings, connecting to the
// company's database with its column mapping, and running a request. The front end
// draws what happens from the events and answers the modal boxes; the window's
// handlers (FormCreate, CiaExit, SpeedButton3Click) and the batch mode call these.
#include "import/error_reporting.h"
#include "import/message_place.h"
#include "import/rejected_lines.h"
#include "import/run_events.h"
#include "import/run_request.h"
#include "import/settings_file.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace database {
class Tfdm;
class Provider;
} // namespace database
namespace dataset {
class RecordSet;
}
namespace platform {
class Dialogs;
}

namespace importer {

class Mapping;
class QuotationAssembly;
class QuotationSave;
struct SaveTally;

// The six start-up values of settings.conf; a line the file lacks is nothing.
struct Settings {
    std::optional<std::string> server, user, password, company, dataPath;
    // The unattended flag: "1" asks for the run as soon as the first connect has
    // loaded the mapping.
    std::optional<std::string> espera;
};

class ImportSession {
public:
    ImportSession(platform::Dialogs& dialogs, RunEvents& events, database::Tfdm& fdm);
    ~ImportSession();
    ImportSession(const ImportSession&) = delete;
    ImportSession& operator=(const ImportSession&) = delete;

    // The settings from the suite's installation directory, then the error
    // handlers installed in the providers and record sets of the import. A
    // registry value of another type raises its error before either.
    Settings readSettings();
    // Connects to <server>/datos/<company>/merkalo.fdb and loads the column mapping.
    // Nothing happens without company, user or password. True when this first
    // mapping of the session asks for the unattended run (the flag "1").
    bool connect(const ConnectionValues& values);
    // The import run, and how it ended; an error that stops it is raised.
    RunEnd run(const RunRequest& request);

    // The line and quotation that the run's current message is about.
    const MessagePlace& place() const;
    // The lines of the last run that were not stored.
    const RejectedLines& rejectedLines() const;

    Mapping& mapping() { return *mapping_; }
    dataset::RecordSet& CFacturas() { return *CFacturas_; }
    const SaveTally& tally() const;
    // Whether the last run reached its end (the closing message, or a file
    // without data lines when that is an import of nothing).
    bool finished() const { return finished_; }

private:
    RunEnd runFile(const RunRequest& request);
    void finishRun();

    platform::Dialogs& dialogs_;
    RunEvents& events_;
    database::Tfdm& fdm_;
    ErrorReporting reporting_;
    std::unique_ptr<Mapping> mapping_;
    std::unique_ptr<dataset::RecordSet> CFacturas_;
    std::unique_ptr<database::Provider> PFacturas_;
    std::unique_ptr<QuotationSave> save_;
    std::unique_ptr<QuotationAssembly> assembly_;

    std::string espera_;
    // The rounding setting, read at the start of each run: no step uses its value,
    // but a setting that is no integer stops the run.
    std::int32_t digitos_ = 0;
    bool mappingLoaded_ = false;
    bool finished_ = false;
};

} // namespace importer
