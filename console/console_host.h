#pragma once
// The batch mode's side of the import: every modal box is one line on the error
// stream answered at once, and while the file is read the run's events rewrite a
// progress line in place when the error stream is a terminal.
#include "import/run_events.h"
#include "platform/dialogs.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>

namespace importer {
struct MessagePlace;
}

namespace console {

// Writes the lines of the batch mode on the error stream and keeps the progress
// line out of their way: it is erased before any other line is written. The notice
// of a wait comes from another thread than the run's, so every write takes a lock.
class ConsoleLines {
public:
    // progressWidth: the terminal's columns, or 0 when the stream is no terminal
    // (a file, a pipe), in which case no progress line is ever written.
    ConsoleLines(std::ostream& err, int progressWidth);

    // One message line; line breaks inside the text become blanks.
    void message(const std::string& text);
    // Rewrites the progress line in place.
    void progress(const std::string& text);
    // Erases the progress line, if one is shown.
    void endProgress();
    bool progressEnabled() const { return width_ > 0; }

private:
    void erase();

    std::mutex mutex_;
    std::ostream& err_;
    int width_;
    std::size_t shownWidth_ = 0; // characters of the progress line on the screen
};

// The modal boxes as lines: a plain message as its text, the error dialog and the
// default error display as "Error: " and the text; the beep prints nothing. While
// the run is at a line of the file, the text is preceded by that line and its
// quotation ("línea 12, cotización COT 1002: ").
class ConsoleDialogs : public platform::Dialogs {
public:
    explicit ConsoleDialogs(ConsoleLines& lines) : lines_(lines) {}
    void followPlace(const importer::MessagePlace* place) { place_ = place; }
    void plainMessage(const std::string& text) override;
    void errorDialog(const std::string& text) override;
    void defaultErrorDisplay(const std::string& text) override;
    void beep() override {}
    // Nothing in the batch mode asks for a file; were it to, nobody could answer.
    std::optional<std::string> openFile(const platform::OpenFileRequest&) override { return std::nullopt; }

private:
    std::string placed(const std::string& text) const;

    ConsoleLines& lines_;
    const importer::MessagePlace* place_ = nullptr;
};

class ConsoleHost : public importer::RunEvents {
public:
    ConsoleHost(std::ostream& err, int progressWidth);
    ~ConsoleHost() override;

    platform::Dialogs& dialogs() { return dialogs_; }
    // The run's place in the file, named in front of its messages.
    void followPlace(const importer::MessagePlace* place) { dialogs_.followPlace(place); }
    // How the last import run ended; nothing before the first.
    std::optional<importer::RunEnd> lastRunEnd() const { return lastRunEnd_; }
    // Erases the progress line before the caller writes elsewhere.
    void endProgress() { lines_.endProgress(); }

    // RunEvents: the window's widgets have no place here; the progress line
    // follows the reading instead.
    void runStarted(const importer::RunStart& start) override;
    void lineRead(const importer::LineRead& line) override;
    void quotationEnded(const importer::QuotationEnd& end) override;
    void lockWaiting(const importer::LockWait& wait) override;
    void runEnded(importer::RunEnd end) override;

private:
    void drawProgress(bool force);

    ConsoleLines lines_;
    ConsoleDialogs dialogs_;
    std::optional<importer::RunEnd> lastRunEnd_;

    // The run in progress: the size the reader counts, the percentage drawn, the
    // quotations stored and the line being imported.
    std::int64_t fileSize_ = 0;
    int stored_ = 0;
    int percent_ = -1;
    std::string line_;
    std::chrono::steady_clock::time_point lastDraw_{};
};

// The percentage of the file read after the given number of progress steps: the
// run steps once per hundredth of the file, or once per byte of a file shorter
// than 100 bytes, as the window's progress bar does.
int progressPercent(std::int64_t steps, std::int64_t fileSize);

} // namespace console
