#include "app/close_on_signals.h"

#include "platform/stop_request.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <csignal>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace app {

CloseOnSignals::CloseOnSignals(QWidget* window) : QObject(window), window_(window)
{
#ifndef _WIN32
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    signals_ = std::make_unique<platform::StopOnSignals>(std::initializer_list<int>{SIGTERM, SIGHUP, SIGINT},
                                                         pipe_[1]);
    notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &CloseOnSignals::closeWindow);
#endif
}

CloseOnSignals::~CloseOnSignals()
{
#ifndef _WIN32
    // The handlers go before the pipe they write to.
    signals_.reset();
    for (int fd : pipe_)
        if (fd >= 0)
            ::close(fd);
#endif
}

void CloseOnSignals::closeWindow()
{
#ifndef _WIN32
    char bytes[16];
    while (::read(pipe_[0], bytes, sizeof bytes) > 0) {
    }
#endif
    // Closed from the event loop's own pass, not from inside whatever handler is
    // running; a run in progress has already seen the stop and ends at its next line.
    QTimer::singleShot(0, window_, [window = QPointer<QWidget>(window_)] {
        if (window)
            window->close();
    });
}

} // namespace app
