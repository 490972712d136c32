#pragma once
// The window's answer to SIGTERM, SIGHUP and SIGINT (a shutdown, the session or
// terminal going away, Ctrl+C where it was started): it closes as if the user had
// closed it, so that the program ends normally and lets go of the embedded
// database. A signal handler cannot touch widgets; it writes a byte to a pipe, and
// the event loop reads it and closes the window.
#include <QObject>
#include <memory>

class QSocketNotifier;
class QWidget;

namespace platform {
class StopOnSignals;
}

namespace app {

class CloseOnSignals : public QObject {
public:
    explicit CloseOnSignals(QWidget* window);
    ~CloseOnSignals() override;

private:
    void closeWindow();

    QWidget* window_;
    int pipe_[2] = {-1, -1};
    std::unique_ptr<platform::StopOnSignals> signals_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace app
