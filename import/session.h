#pragma once
// The window's behaviour without its widgets: the handlers that the window (or the
// batch mode) calls, the fields of the run and the record sets of the import.
#include "import/form_host.h"
#include "import/message_place.h"
#include "import/reader.h"
#include "import/rejected_lines.h"
#include "import/run_options.h"

#include <cstdint>
#include <memory>
#include <string>

namespace database {
class Tfdm;
class Provider;
} // namespace database
namespace dataset {
class RecordSet;
}

namespace importer {

class Mapping;
class QuotationAssembly;
class QuotationSave;
struct SaveTally;

class ImportSession {
public:
    ImportSession(FormHost& host, database::Tfdm& fdm);
    ~ImportSession();
    ImportSession(const ImportSession&) = delete;
    ImportSession& operator=(const ImportSession&) = delete;

    // Window creation: the settings file, then the error handlers of the data module.
    void FormCreate();
    // First activation: CiaExit when Servidor, Tusua, TClave and Cia all hold text.
    void FormActivate();
    // The focus leaves Cia: connect, load the mapping, maybe the unattended run.
    void CiaExit();
    // F2 or "F2: Generar": the import run.
    void SpeedButton3Click();

    // The unattended flag from the sixth line of the settings file.
    const std::string& Espera() const { return espera_; }

    // What the next runs do beyond the window's import (the batch mode's options).
    void setRunOptions(const RunOptions& options) { options_ = options; }
    // The line and quotation that the run's current message is about.
    const MessagePlace& place() const;
    // The lines of the last run that were not stored.
    const RejectedLines& rejectedLines() const;

    Mapping& mapping() { return *mapping_; }
    dataset::RecordSet& CFacturas() { return *CFacturas_; }
    const SaveTally& tally() const;
    // Whether the last run reached its closing message.
    bool finished() const { return finished_; }

private:
    // The run behind SpeedButton3Click, and how it ended when it returns.
    RunEnd run();
    void finishRun();

    FormHost& host_;
    database::Tfdm& fdm_;
    std::unique_ptr<Mapping> mapping_;
    std::unique_ptr<dataset::RecordSet> CFacturas_;
    std::unique_ptr<database::Provider> PFacturas_;
    std::unique_ptr<QuotationSave> save_;
    std::unique_ptr<QuotationAssembly> assembly_;

    RunOptions options_;
    std::string espera_;
    // The rounding setting, read at the start of each run: no step uses its value,
    // but a setting that is no integer stops the run.
    std::int32_t digitos_ = 0;
    bool mappingLoaded_ = false;
    bool finished_ = false;
};

} // namespace importer
