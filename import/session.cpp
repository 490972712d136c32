#include "import/session.h"

#include "database/dm.h"
#include "dataset/declarations.h"
#include "dataset/integer_text.h"
#include "import/data_file.h"
#include "import/mapping.h"
#include "import/quotation_assembly.h"
#include "import/quotation_save.h"
#include "import/settings_file.h"
#include "platform/errors.h"
#include "platform/slow_call_watch.h"
#include "platform/stop_request.h"

#include <algorithm>

namespace importer {

ImportSession::ImportSession(FormHost& host, database::Tfdm& fdm)
    : host_(host), fdm_(fdm), mapping_(std::make_unique<Mapping>(fdm)), CFacturas_(dataset::makeCFacturas()),
      PFacturas_(fdm.makePFacturas()), save_(std::make_unique<QuotationSave>(fdm, *CFacturas_, *PFacturas_)),
      assembly_(std::make_unique<QuotationAssembly>(host, fdm, *mapping_, *CFacturas_, *save_))
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

void ImportSession::FormCreate()
{
    const std::string directory = diraplicacion(host_.dialogs());
    const SettingsLines lines = readSettingsFile(settingsFilePath(directory));
    static constexpr FormField kFields[] = {FormField::Servidor, FormField::Tusua, FormField::TClave,
                                            FormField::Cia, FormField::Ubicacion};
    for (std::size_t i = 0; i < std::size(kFields); ++i)
        if (lines[i])
            host_.setText(kFields[i], *lines[i]);
    if (lines[5])
        espera_ = *lines[5];

    fdm_.ConfigurarProviders({PFacturas_.get(), &mapping_->PImporinv(), &mapping_->PNomcampo(),
                              CFacturas_.get(), CFacturas_->detail(), &mapping_->CImportacion(),
                              &mapping_->CImporinv(), &mapping_->CNomcampos()});
}

void ImportSession::FormActivate()
{
    for (FormField field : {FormField::Servidor, FormField::Tusua, FormField::TClave, FormField::Cia})
        if (host_.text(field).empty())
            return;
    CiaExit();
}

void ImportSession::CiaExit()
{
    const std::string cia = host_.text(FormField::Cia);
    const std::string user = host_.text(FormField::Tusua);
    const std::string password = host_.text(FormField::TClave);
    if (cia.empty() || user.empty() || password.empty())
        return;
    host_.showStatus("Conectando a la base de datos " + cia + " ...");
    fdm_.reconnect(host_.text(FormField::Servidor) + "/datos/" + cia + "/merkalo.fdb", user, password);
    host_.hideStatus();
    host_.enableGenerate();

    // A later connect reads the mapping anew from the database connected now; only
    // the first load may start the unattended run.
    const bool firstLoad = !mappingLoaded_;
    mapping_->load();
    mappingLoaded_ = true;
    host_.mappingReset();
    if (firstLoad && espera_ == "1" && fdm_.Merkalo().isOpen())
        SpeedButton3Click();
}

void ImportSession::SpeedButton3Click()
{
    // Every run ends once for the host, also when an error or a stop request
    // unwinds it.
    RunEnd end{};
    try {
        end = run();
    } catch (...) {
        host_.runEnded(RunEnd::Stopped);
        throw;
    }
    host_.runEnded(end);
}

RunEnd ImportSession::run()
{
    finished_ = false;
    host_.showStatus(kImportingStatus);
    fdm_.startRun();
    // What the data module keeps for the run ends with it, however it ends.
    struct RunKeep {
        database::Tfdm& fdm;
        ~RunKeep() { fdm.endRun(); }
    } runKeep{fdm_};
    digitos_ = dataset::textToInteger(
        fdm_.configuracion("FACTURACION", "DOCUMENTOS", "REDONDEO AL MULTIPLO DE DIEZ EN TOTALES"));
    host_.stopGridFollowing();
    host_.showLineDisplay();
    // A write that waits for another user's lock waits as long as the run allows,
    // and the front end hears of it once a second.
    fdm_.Merkalo().setLockTimeout(options_.lockTimeout);
    const int lockTimeout = options_.lockTimeout;
    platform::SlowCallWatch saveWatch([this, lockTimeout](std::chrono::seconds waited) {
        host_.lockWaiting({waited, lockTimeout});
    });
    struct WatchKeep {
        QuotationAssembly& assembly;
        ~WatchKeep() { assembly.setSaveWatch(nullptr); }
    } watchKeep{*assembly_};
    assembly_->setSaveWatch(&saveWatch);
    // A run starts clean, also after one that an error stopped: nothing of an
    // unfinished quotation is carried into it.
    assembly_->startRun(options_);
    save_->tally() = SaveTally{};
    fdm_.setRehearsing(options_.check);

    const std::string path = host_.text(FormField::Ubicacion);
    if (const auto refusal = checkDataFilePath(path)) {
        host_.dialogs().plainMessage(*refusal);
        finishRun();
        return RunEnd::FileRefused;
    }
    const ReaderOptions options{separatorForItem(host_.separatorIndex()),
                                delimiterForItem(host_.delimiterIndex()), options_.utf8};
    PFacturas_->open(*CFacturas_, {kHeaderReadId});

    DataFileOpening opening = openDataFile(path, options);
    if (!opening.opened) {
        host_.dialogs().plainMessage(opening.refusal);
        finishRun();
        return RunEnd::FileRefused;
    }
    {
        // The file is held exclusively until the reader is through with it or the
        // run stops.
        OpenedDataFile data = std::move(*opening.opened);
        const std::int64_t step = progressStepSize(data.size);
        std::int64_t bytesRead = 0;
        host_.runStarted({path, data.size});
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
                    [this, &stepFailed, &bytesRead, skippedFields = 0, ownFields = 0,
                     clean = Slots{}](const Slots& slots, int fieldCount, std::int64_t line) mutable {
                        // A stop asked for by a signal ends the run between two lines, so
                        // the quotations stored so far stay whole; the front end says why.
                        if (platform::stopRequested())
                            throw platform::SilentAbort();
                        if (line <= options_.skipLines) {
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
                        host_.lineRead({line, bytesRead, assembly_->lineShown()});
                    },
                    // Called for every byte: no division below the next multiple of the step
                    // (a count may jump over it: the LF of a CR LF is counted, not tested).
                    [this, step, next = step, &bytesRead](std::int64_t count) mutable {
                        bytesRead = count;
                        if (count < next)
                            return;
                        if (count % step == 0)
                            host_.progressStep();
                        next = (count / step + 1) * step;
                    });
        } catch (...) {
            if (!stepFailed)
                assembly_->stepReadLines();
            throw;
        }
    }
    if (options_.noDataIsEmptyImport && assembly_->linesTaken() == 0) {
        assembly_->endRunWithoutLines();
        fdm_.setRehearsing(false);
        host_.dialogs().plainMessage(kNoDataLinesMessage);
        finished_ = true;
        finishRun();
        return RunEnd::Finished;
    }
    assembly_->endRun();
    fdm_.setRehearsing(false);

    host_.dialogs().plainMessage(kFinishedMessage);
    finished_ = true;
    host_.closeForm();
    finishRun();
    return RunEnd::Finished;
}

void ImportSession::finishRun()
{
    host_.hideStatus();
    host_.closeForm();
}

} // namespace importer
