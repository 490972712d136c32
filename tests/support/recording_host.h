#pragma once
// A front end of the import for tests: the window's fields as texts, the modal
// boxes recorded, every event that shows something in a list, in order, and the
// run's events in a list of their own. The window's handlers are played over a
// session by their names: they build the session's calls from the texts as the
// window builds them from its controls.
#include "import/run_events.h"
#include "import/run_request.h"
#include "import/session.h"
#include "platform/guard.h"
#include "support/recording_dialogs.h"

#include <map>
#include <string>
#include <vector>

namespace testing_support {

// The window's edit boxes.
enum class FormField { Servidor, Tusua, TClave, Cia, Ubicacion };

class RecordingHost : public importer::RunEvents {
public:
    platform::Dialogs& dialogs() { return dialogs_; }
    std::string text(FormField field) const
    {
        const auto found = texts.find(field);
        return found == texts.end() ? std::string() : found->second;
    }

    // The request that F2 makes of the fields, with the run's options.
    importer::RunRequest request() const
    {
        importer::RunRequest made;
        made.connection = {text(FormField::Servidor), text(FormField::Tusua), text(FormField::TClave),
                           text(FormField::Cia)};
        made.dataPath = text(FormField::Ubicacion);
        made.reader = {importer::separatorForItem(separator), importer::delimiterForItem(delimiter)};
        made.options = options;
        return made;
    }

    // The window's handlers; each raises what the session raises.
    void FormCreate(importer::ImportSession& session)
    {
        const importer::Settings settings = session.readSettings();
        const std::pair<const std::optional<std::string>&, FormField> read[] = {
            {settings.server, FormField::Servidor},
            {settings.user, FormField::Tusua},
            {settings.password, FormField::TClave},
            {settings.company, FormField::Cia},
            {settings.dataPath, FormField::Ubicacion}};
        for (const auto& [value, field] : read)
            if (value)
                texts[field] = *value;
        espera = settings.espera.value_or("");
    }
    void FormActivate(importer::ImportSession& session)
    {
        for (FormField field : {FormField::Servidor, FormField::Tusua, FormField::TClave, FormField::Cia})
            if (text(field).empty())
                return;
        CiaExit(session);
    }
    void CiaExit(importer::ImportSession& session)
    {
        if (session.connect(request().connection))
            session.run(request());
    }
    void SpeedButton3Click(importer::ImportSession& session) { session.run(request()); }

    // RunEvents
    void statusShown(const std::string& text) override
    {
        status = text;
        statusVisible = true;
        events.push_back("status: " + text);
    }
    void statusHidden() override
    {
        statusVisible = false;
        events.push_back("status hidden");
    }
    void connected() override { generateEnabled = true; }
    void mappingReset() override { ++mappingResets; }
    void runPreparing() override
    {
        gridFollowing = false;
        lineDisplayVisible = true;
    }
    void lineDisplayed(const std::string& text) override { lineDisplay = text; }
    void progressStep() override { ++progressSteps; }
    void runStarted(const importer::RunStart& start) override
    {
        runEvents.push_back("started " + std::to_string(start.size) + " " + start.path);
    }
    void lineRead(const importer::LineRead& line) override
    {
        runEvents.push_back("line " + std::to_string(line.line) + ": " + line.shown);
        linesRead.push_back(line);
    }
    void quotationEnded(const importer::QuotationEnd& end) override
    {
        static constexpr const char* kOutcomes[] = {"stored", "refused", "skipped"};
        runEvents.push_back(std::string(kOutcomes[static_cast<int>(end.outcome)]) + " " + end.place.prefix +
                            " " + end.place.number + " from line " + std::to_string(end.place.line));
    }
    void runEnded(importer::RunEnd end) override
    {
        static constexpr const char* kEnds[] = {"finished", "file refused", "stopped"};
        runEvents.push_back(std::string("ended ") + kEnds[static_cast<int>(end)]);
        // The window closes after a run that reached its end or refused its file.
        if (end != importer::RunEnd::Stopped) {
            closed = true;
            events.push_back("closed");
        }
    }

    RecordingDialogs dialogs_;
    std::map<FormField, std::string> texts;
    int separator = 0;
    int delimiter = 0;
    importer::RunOptions options;
    std::string espera; // the unattended flag the settings gave
    std::string status;
    bool statusVisible = false;
    bool generateEnabled = false;
    bool lineDisplayVisible = false;
    std::string lineDisplay;
    int progressSteps = 0;
    int mappingResets = 0;
    bool gridFollowing = true;
    bool closed = false;
    std::vector<std::string> events;
    std::vector<std::string> runEvents;
    std::vector<importer::LineRead> linesRead;
};

} // namespace testing_support
