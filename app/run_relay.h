#pragma once
// The window's import run goes on in a thread of its own, so that the window keeps
// answering while a file is read and its quotations are written: it repaints, the
// window manager hears from it, and Esc asks whether to stop. The session speaks to
// this relay as its front end and its modal boxes. On the run's thread the relay
// keeps what each line changes on the screen (the line display, the bar, the
// figures) for the window to draw a few times a second, and hands everything else,
// boxes included, to the user-interface thread in order, waiting for each box's
// answer. Called on the user-interface thread (the connect), it hands straight on.
#include "app/ui_calls.h"
#include "import/run_events.h"
#include "platform/dialogs.h"

#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace importer {
class ImportSession;
}

namespace app {

// How far a run is, as the window shows it.
struct RunProgress {
    bool started = false;  // the file is open and being read
    std::int64_t line = 0; // the line last taken in
    std::int64_t lines = 0;
    int stored = 0;
    int refused = 0;
    // A quotation's writing that has waited this long for another user's row, of
    // the most it waits; nothing while no write waits.
    std::optional<std::pair<long long, int>> lockWait;
    // Since the last drawing: the bar's steps, and the line display's new text.
    int steps = 0;
    std::optional<std::string> lineShown;
};

// The window as a run in the background sees it: the session's events, on the
// window's own thread, and the progress to draw.
class RunWindow : public importer::RunEvents {
public:
    // repaint: paint at once (a box is about to open), not at the next pass of the
    // event loop.
    virtual void drawProgress(const RunProgress& progress, bool repaint) = 0;
};

class RunRelay : public importer::RunEvents, public platform::Dialogs {
public:
    RunRelay(RunWindow& window, platform::Dialogs& dialogs);
    ~RunRelay() override;
    RunRelay(const RunRelay&) = delete;
    RunRelay& operator=(const RunRelay&) = delete;

    // The session whose place in the file and figures the boxes of a run name.
    void follow(const importer::ImportSession& session) { session_ = &session; }

    // Runs the work on a thread of its own while this (the user-interface) thread
    // handles its events; returns once the work is over, raising what it raised.
    // The run's end reaches the window after that, on this thread.
    void runInBackground(const std::function<void()>& work);
    bool running() const { return running_; }

    // The window asks whether to stop: until resume(), the run waits before its next
    // line, and its boxes wait too.
    void pause();
    void resume();
    // The run stops between two lines; what the session's request points at.
    void requestStop();
    const std::atomic<bool>& stopRequest() const { return stopRequested_; }

    // RunEvents
    void statusShown(const std::string& text) override;
    void statusHidden() override;
    void connected() override;
    void mappingReset() override;
    void runPreparing() override;
    void runStarted(const importer::RunStart& start) override;
    void lineRead(const importer::LineRead& line) override;
    void lineDisplayed(const std::string& text) override;
    void progressStep() override;
    void quotationEnded(const importer::QuotationEnd& end) override;
    void lockWaiting(const importer::LockWait& wait) override;
    void runEnded(importer::RunEnd end) override;

    // Dialogs
    void plainMessage(const std::string& text) override;
    void errorDialog(const std::string& text) override;
    void errorDialogWithPlace(const std::string& text, const std::string& place) override;
    void plainMessageWithDetails(const std::string& text, const std::string& details) override;
    void defaultErrorDisplay(const std::string& text) override;
    void beep() override;
    std::optional<std::string> openFile(const platform::OpenFileRequest& request) override;
    bool confirm(const std::string& text) override;
    bool question(const std::string& text) override;

private:
    bool inRun() const;
    // Runs the call on the user-interface thread and waits for it.
    void onUiThread(const std::function<void()>& call);
    // Draws what changed since the last drawing.
    void drawProgress(bool repaint);
    std::string closingDetails() const;

    RunWindow& window_;
    platform::Dialogs& dialogs_;
    const importer::ImportSession* session_ = nullptr;
    UiCalls calls_;
    QTimer drawTimer_;
    bool running_ = false; // user-interface thread only
    const std::thread::id uiThread_;
    std::atomic<bool> stopRequested_{false};
    std::optional<importer::RunEnd> end_;

    // Shared by the run's thread and the user-interface thread.
    std::mutex mutex_;
    std::condition_variable resumed_;
    bool paused_ = false;
    RunProgress progress_;
    bool progressChanged_ = false;

    // The run's thread only: the error boxes of the quotation being stored, and the
    // quotations refused, each with its boxes, for the closing box.
    std::vector<std::string> quotationErrors_;
    std::vector<std::string> refusals_;
};

} // namespace app
