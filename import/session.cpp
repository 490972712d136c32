#include "import/session.h"

#include "database/dm.h"
#include "dataset/declarations.h"
#include "dataset/integer_text.h"
#include "import/data_file.h"
#include "import/fdm_services.h"
#include "import/mapping.h"
#include "import/quotation_assembly.h"
#include "import/quotation_save.h"
#include "platform/errors.h"
#include "platform/slow_call_watch.h"
#include "platform/stop_request.h"

#include <algorithm>

namespace importer {

ImportSession::ImportSession(platform::Dialogs& dialogs, RunEvents& events, database::Tfdm& fdm)
    : dialogs_(dialogs), events_(events), fdm_(fdm), reporting_(dialogs),
      mapping_(std::make_unique<Mapping>(fdm)), CFacturas_(dataset::makeCFacturas()),
      PFacturas_(fdm.makePFacturas()), save_(std::make_unique<QuotationSave>(fdm, *CFacturas_, *PFacturas_)),
      assembly_(std::make_unique<QuotationAssembly>(dialogs, events, fdm, *mapping_, *CFacturas_, *save_))
{
}

ImportSession::~ImportSession() = default;

const SaveTally& ImportSession::tally() const
{
    return save_->tally();
}

const MessagePlace& ImportSession::place() const
{
    return assembly_->place();
}

const RejectedLines& ImportSession::rejectedLines() const
{
    return assembly_->rejectedLines();
}

Settings ImportSession::readSettings()
{
    const std::string directory = diraplicacion(dialogs_);
    const SettingsLines lines = readSettingsFile(settingsFilePath(directory));
    const Settings settings{lines[0], lines[1], lines[2], lines[3], lines[4], lines[5]};
    if (settings.espera)
        espera_ = *settings.espera;

    reporting_.ConfigurarProviders({PFacturas_.get(), &mapping_->PImporinv(), &mapping_->PNomcampo(),
                                    CFacturas_.get(), CFacturas_->detail(), &mapping_->CImportacion(),
                                    &mapping_->CImporinv(), &mapping_->CNomcampos()});
    return settings;
}

bool ImportSession::connect(const ConnectionValues& values)
{
    if (values.company.empty() || values.user.empty() || values.password.empty())
        return false;
    events_.statusShown("Conectando a la base de datos " + values.company + " ...");
    fdm_.reconnect(values.server + "/datos/" + values.company + "/merkalo.fdb", values.user, values.password);
    events_.statusHidden();
    events_.connected();

    // A later connect reads the mapping anew from the database connected now; only
    // the first load may start the unattended run.
    const bool firstLoad = !mappingLoaded_;
    mapping_->load();
    mappingLoaded_ = true;
    events_.mappingReset();
    return firstLoad && espera_ == "1" && fdm_.Merkalo().isOpen();
}

RunEnd ImportSession::run(const RunRequest& request)
{
    // Every run ends once for the front end, also when an error or a stop request
    // unwinds it.
    RunEnd end{};
    try {
        end = runFile(request);
    } catch (...) {
        events_.runEnded(RunEnd::Stopped);
        throw;
    }
    events_.runEnded(end);
    return end;
}

RunEnd ImportSession::runFile(const RunRequest& request)
{
    const RunOptions& options = request.options;
    finished_ = false;
    events_.statusShown(kImportingStatus);
    fdm_.startRun();
    // What the data module and the mapping keep for the run ends with it, however
    // it ends.
    mapping_->startRun();
    struct RunKeep {
        database::Tfdm& fdm;
        Mapping& mapping;
        ~RunKeep()
        {
            fdm.endRun();
            mapping.endRun();
        }
    } runKeep{fdm_, *mapping_};
    digitos_ = dataset::textToInteger(configuracion(fdm_, dialogs_, "FACTURACION", "DOCUMENTOS",
                                                    "REDONDEO AL MULTIPLO DE DIEZ EN TOTALES"));
    events_.runPreparing();
    // A write that waits for another user's lock waits as long as the run allows,
    // and the front end hears of it once a second.
    fdm_.Merkalo().setLockTimeout(options.lockTimeout);
    const int lockTimeout = options.lockTimeout;
    const auto tellWaiting = [this, lockTimeout](std::chrono::seconds waited) {
        events_.lockWaiting({waited, lockTimeout});
    };
    platform::SlowCallWatch saveWatch(tellWaiting);
    struct WatchKeep {
        QuotationAssembly& assembly;
        ~WatchKeep() { assembly.setSaveWatch(nullptr); }
    } watchKeep{*assembly_};
    assembly_->setSaveWatch(&saveWatch);
    // A run starts clean, also after one that an error stopped: nothing of an
    // unfinished quotation is carried into it.
    assembly_->startRun(options, request.connection.user);
    save_->tally() = SaveTally{};
    fdm_.setRehearsing(options.check);

    const std::string& path = request.dataPath;
    if (const auto refusal = checkDataFilePath(path)) {
        dialogs_.plainMessage(*refusal);
        finishRun();
        return RunEnd::FileRefused;
    }
    PFacturas_->open(*CFacturas_, {kHeaderReadId});

    DataFileOpening opening = openDataFile(path, request.reader);
    if (!opening.opened) {
        dialogs_.plainMessage(opening.refusal);
        finishRun();
        return RunEnd::FileRefused;
    }
    {
        // The file is held exclusively until the reader is through with it or the
        // run stops.
        OpenedDataFile data = std::move(*opening.opened);
        const std::int64_t step = progressStepSize(data.size);
        std::int64_t bytesRead = 0;
        events_.runStarted({path, data.size, data.lines});
        const auto stopAsked = [stop = request.stop] { return stop != nullptr && stop->load(); };
        FileByteSource source = data.bytes();
        // The steps of a quotation's lines wait for its end; a run that ends early
        // (a stop, the file failing) first completes the steps of the lines read,
        // as a step at every line would have. A step that failed ended it itself.
        bool stepFailed = false;
        try {
            DelimitedReader(data.options)
                .run(
                    source, data.size,
                    // The lines skipped at the start are not imported, and nothing of them
                    // may reach the values: the slots beyond a line's own fields still hold
                    // what a skipped line left there until a later line reaches that far.
                    [this, &options, &stepFailed, &bytesRead, &stopAsked, skippedFields = 0, ownFields = 0,
                     clean = Slots{}](const Slots& slots, int fieldCount, std::int64_t line) mutable {
                        // A stop asked for by a signal or by the front end ends the run
                        // between two lines, so the quotations stored so far stay whole;
                        // the front end says why.
                        if (platform::stopRequested() || stopAsked())
                            throw platform::SilentAbort();
                        if (line <= options.skipLines) {
                            skippedFields = std::max(skippedFields, fieldCount);
                            return;
                        }
                        ownFields = std::max(ownFields, fieldCount);
                        stepFailed = true;
                        if (ownFields >= skippedFields) {
                            assembly_->lineStep(slots, fieldCount, line);
                        } else {
                            std::copy(slots.begin(), slots.begin() + ownFields, clean.begin());
                            assembly_->lineStep(clean, fieldCount, line);
                        }
                        stepFailed = false;
                        events_.lineRead({line, bytesRead, assembly_->lineShown()});
                    },
                    // Called for every byte: no division below the next multiple of the step
                    // (a count may jump over it: the LF of a CR LF is counted, not tested).
                    [this, step, next = step, &bytesRead](std::int64_t count) mutable {
                        bytesRead = count;
                        if (count < next)
                            return;
                        if (count % step == 0)
                            events_.progressStep();
                        next = (count / step + 1) * step;
                    });
            // Asked for after the last line, the stop still comes before the last
            // quotation is stored.
            if (stopAsked())
                throw platform::SilentAbort();
        } catch (...) {
            if (!stepFailed)
                assembly_->stepReadLines();
            throw;
        }
    }
    const bool noDataLines = options.noDataIsEmptyImport && assembly_->linesTaken() == 0;
    if (noDataLines)
        assembly_->endRunWithoutLines();
    else
        assembly_->endRun();
    fdm_.setRehearsing(false);

    dialogs_.plainMessage(noDataLines ? kNoDataLinesMessage : kFinishedMessage);
    finished_ = true;
    finishRun();
    return RunEnd::Finished;
}

void ImportSession::finishRun()
{
    events_.statusHidden();
}

} // namespace importer
