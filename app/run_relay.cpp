#include "app/run_relay.h"

#include "import/data_file.h"
#include "import/message_place.h"
#include "import/run_summary.h"
#include "import/session.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <cfenv>
#include <exception>

namespace app {

namespace {

// Often enough for the eye, seldom enough that drawing costs the run nothing.
constexpr int kDrawIntervalMs = 250;

// The place under a message starts a sentence of its own.
std::string asSentence(std::string place)
{
    if (place.rfind("línea", 0) == 0)
        place[0] = 'L';
    return place;
}

} // namespace

RunRelay::RunRelay(RunWindow& window, platform::Dialogs& dialogs)
    : window_(window), dialogs_(dialogs), uiThread_(std::this_thread::get_id())
{
    drawTimer_.setInterval(kDrawIntervalMs);
    QObject::connect(&drawTimer_, &QTimer::timeout, &calls_, [this] { drawProgress(false); });
    // Before each box the window shows where the run is, and paints it at once.
    calls_.setBeforeEach([this] { drawProgress(true); });
}

RunRelay::~RunRelay() = default;

bool RunRelay::inRun() const
{
    return std::this_thread::get_id() != uiThread_;
}

void RunRelay::onUiThread(const std::function<void()>& call)
{
    if (inRun())
        calls_.call(call);
    else
        call();
}

// ---- The run in the background ------------------------------------------------

void RunRelay::runInBackground(const std::function<void()>& work)
{
    running_ = true;
    stopRequested_ = false;
    end_.reset();
    quotationErrors_.clear();
    refusals_.clear();
    {
        const std::lock_guard lock(mutex_);
        paused_ = false;
        progress_ = {};
        progressChanged_ = false;
    }
    // The line amounts are computed in the floating-point setting of this thread,
    // which a new thread does not get everywhere (Windows starts it with a shorter
    // significand).
    std::fenv_t setting;
    std::fegetenv(&setting);

    std::exception_ptr failure;
    bool over = false;
    QEventLoop loop;
    drawTimer_.start();
    std::thread run([&] {
        std::fesetenv(&setting);
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        // After everything the run handed over, in its order.
        calls_.post([&] {
            over = true;
            loop.quit();
        });
    });
    while (!over) {
        loop.exec();
        // An application that is quitting leaves every event loop at once; the run's
        // last calls still need this thread.
        if (!over)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    run.join();
    drawTimer_.stop();
    drawProgress(false);
    running_ = false;
    if (end_)
        window_.runEnded(*end_);
    if (failure)
        std::rethrow_exception(failure);
}

void RunRelay::pause()
{
    {
        const std::lock_guard lock(mutex_);
        paused_ = true;
    }
    calls_.hold();
}

void RunRelay::resume()
{
    {
        const std::lock_guard lock(mutex_);
        paused_ = false;
    }
    resumed_.notify_all();
    calls_.release();
}

void RunRelay::requestStop()
{
    {
        const std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    resumed_.notify_all();
}

void RunRelay::drawProgress(bool repaint)
{
    RunProgress progress;
    {
        const std::lock_guard lock(mutex_);
        if (!progressChanged_)
            return;
        progress = progress_;
        progress_.steps = 0;
        progress_.lineShown.reset();
        progressChanged_ = false;
    }
    window_.drawProgress(progress, repaint);
}

// ---- RunEvents ------------------------------------------------------------------

void RunRelay::statusShown(const std::string& text)
{
    if (inRun())
        calls_.post([this, text] { window_.statusShown(text); });
    else
        window_.statusShown(text);
}

void RunRelay::statusHidden()
{
    if (inRun())
        calls_.post([this] { window_.statusHidden(); });
    else
        window_.statusHidden();
}

void RunRelay::connected()
{
    if (inRun())
        calls_.post([this] { window_.connected(); });
    else
        window_.connected();
}

// The grid reads the mapping table when it paints: the run goes on only once the
// grid has taken what it shows from it.
void RunRelay::mappingReset()
{
    onUiThread([this] { window_.mappingReset(); });
}

void RunRelay::runPreparing()
{
    onUiThread([this] { window_.runPreparing(); });
}

void RunRelay::runStarted(const importer::RunStart& start)
{
    if (!inRun()) {
        window_.runStarted(start);
        return;
    }
    const std::lock_guard lock(mutex_);
    progress_.started = true;
    progress_.lines = start.lines;
    progress_.line = 0;
    progress_.stored = 0;
    progress_.refused = 0;
    progressChanged_ = true;
}

void RunRelay::lineRead(const importer::LineRead& line)
{
    if (!inRun()) {
        window_.lineRead(line);
        return;
    }
    std::unique_lock lock(mutex_);
    progress_.line = line.line;
    progress_.lockWait.reset();
    progressChanged_ = true;
    // Between two lines is where the run waits while the window asks whether to stop.
    resumed_.wait(lock, [this] { return !paused_ || stopRequested_; });
}

void RunRelay::lineDisplayed(const std::string& text)
{
    if (!inRun()) {
        window_.lineDisplayed(text);
        return;
    }
    const std::lock_guard lock(mutex_);
    progress_.lineShown = text;
    progressChanged_ = true;
}

void RunRelay::progressStep()
{
    if (!inRun()) {
        window_.progressStep();
        return;
    }
    const std::lock_guard lock(mutex_);
    ++progress_.steps;
    progressChanged_ = true;
}

void RunRelay::lockWaiting(const importer::LockWait& wait)
{
    // From the watch's thread, while the run's thread waits in the database: the
    // figures say so at their next drawing.
    const std::lock_guard lock(mutex_);
    progress_.lockWait = std::pair<long long, int>{wait.waited.count(), wait.timeout};
    progressChanged_ = true;
}

void RunRelay::quotationEnded(const importer::QuotationEnd& end)
{
    if (!inRun()) {
        window_.quotationEnded(end);
        return;
    }
    const bool refused = end.outcome == importer::QuotationOutcome::Refused;
    if (refused)
        refusals_.insert(refusals_.end(), quotationErrors_.begin(), quotationErrors_.end());
    quotationErrors_.clear();
    const std::lock_guard lock(mutex_);
    progress_.lockWait.reset();
    if (refused)
        ++progress_.refused;
    else if (end.outcome == importer::QuotationOutcome::Stored)
        ++progress_.stored;
    progressChanged_ = true;
}

// The window closes at the end of a complete run: not while this thread is still
// inside the run's event loop, but once runInBackground is through with it.
void RunRelay::runEnded(importer::RunEnd end)
{
    if (inRun())
        end_ = end;
    else
        window_.runEnded(end);
}

// ---- Dialogs --------------------------------------------------------------------

void RunRelay::plainMessage(const std::string& text)
{
    // The closing box lists what was refused, with the run's figures.
    if (inRun() && text == importer::kFinishedMessage && !refusals_.empty()) {
        plainMessageWithDetails(text, closingDetails());
        return;
    }
    onUiThread([&] { dialogs_.plainMessage(text); });
}

void RunRelay::errorDialog(const std::string& text)
{
    if (!inRun() || session_ == nullptr) {
        onUiThread([&] { dialogs_.errorDialog(text); });
        return;
    }
    // By the time a quotation is stored the line display shows the next one: the
    // box names the line and quotation it is about.
    const std::string place = importer::placeText(session_->place());
    quotationErrors_.push_back(importer::placedMessage(place, text));
    if (place.empty())
        onUiThread([&] { dialogs_.errorDialog(text); });
    else
        onUiThread([&] { dialogs_.errorDialogWithPlace(text, asSentence(place)); });
}

void RunRelay::errorDialogWithPlace(const std::string& text, const std::string& place)
{
    onUiThread([&] { dialogs_.errorDialogWithPlace(text, place); });
}

void RunRelay::plainMessageWithDetails(const std::string& text, const std::string& details)
{
    onUiThread([&] { dialogs_.plainMessageWithDetails(text, details); });
}

void RunRelay::defaultErrorDisplay(const std::string& text)
{
    onUiThread([&] { dialogs_.defaultErrorDisplay(text); });
}

void RunRelay::beep()
{
    onUiThread([&] { dialogs_.beep(); });
}

std::optional<std::string> RunRelay::openFile(const platform::OpenFileRequest& request)
{
    std::optional<std::string> chosen;
    onUiThread([&] { chosen = dialogs_.openFile(request); });
    return chosen;
}

bool RunRelay::confirm(const std::string& text)
{
    bool yes = false;
    onUiThread([&] { yes = dialogs_.confirm(text); });
    return yes;
}

bool RunRelay::question(const std::string& text)
{
    bool yes = false;
    onUiThread([&] { yes = dialogs_.question(text); });
    return yes;
}

std::string RunRelay::closingDetails() const
{
    std::string details;
    for (const std::string& refusal : refusals_)
        details += refusal + "\n";
    if (session_ != nullptr)
        details += "\n" + importer::summaryLine(session_->tally());
    return details;
}

} // namespace app
