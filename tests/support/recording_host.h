#pragma once
// The window's side of the import, recorded: field texts in a map, every call
// that shows something in a list of events, in order, and the run's events in a
// list of their own.
#include "import/form_host.h"
#include "support/recording_dialogs.h"

#include <map>
#include <string>
#include <vector>

namespace testing_support {

class RecordingHost : public importer::FormHost {
public:
    platform::Dialogs& dialogs() override { return dialogs_; }
    std::string text(importer::FormField field) const override
    {
        const auto found = texts.find(field);
        return found == texts.end() ? std::string() : found->second;
    }
    void setText(importer::FormField field, const std::string& text) override { texts[field] = text; }
    int separatorIndex() const override { return separator; }
    int delimiterIndex() const override { return delimiter; }
    void showStatus(const std::string& text) override
    {
        status = text;
        statusVisible = true;
        events.push_back("status: " + text);
    }
    void hideStatus() override
    {
        statusVisible = false;
        events.push_back("status hidden");
    }
    void enableGenerate() override { generateEnabled = true; }
    void showLineDisplay() override { lineDisplayVisible = true; }
    void setLineDisplay(const std::string& text) override { lineDisplay = text; }
    void progressStep() override { ++progressSteps; }
    void mappingReset() override { ++mappingResets; }
    void stopGridFollowing() override { gridFollowing = false; }
    void closeForm() override
    {
        closed = true;
        events.push_back("closed");
    }
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
    }

    RecordingDialogs dialogs_;
    std::map<importer::FormField, std::string> texts;
    int separator = 0;
    int delimiter = 0;
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
