#include "platform/stop_request.h"

#include <csignal>

#ifndef _WIN32
#include <cerrno>
#include <unistd.h>
#endif

namespace platform {
namespace {

volatile std::sig_atomic_t requestedBy = 0;
volatile std::sig_atomic_t handlersActive = 0;

#ifndef _WIN32
volatile std::sig_atomic_t notifyTo = -1;

extern "C" void noteStop(int signal)
{
    const int savedErrno = errno;
    // The second signal of the same kind ends the program at once, as it would
    // without us. When a library's handler called this one, the default action
    // comes once that handler returns (the signal is blocked until then).
    if (requestedBy == signal) {
        ::signal(signal, SIG_DFL);
        ::raise(signal);
    }
    requestedBy = signal;
    if (notifyTo >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(notifyTo, &byte, 1);
    }
    errno = savedErrno;
}
#endif

} // namespace

bool stopRequested() noexcept
{
    return requestedBy != 0;
}
int stopSignal() noexcept
{
    return requestedBy;
}
bool stopOnSignalsActive() noexcept
{
    return handlersActive != 0;
}

#ifdef _WIN32

StopOnSignals::StopOnSignals(std::initializer_list<int>, int) {}
StopOnSignals::~StopOnSignals() = default;

#else

StopOnSignals::StopOnSignals(std::initializer_list<int> signalNumbers, int notifyFd)
{
    requestedBy = 0;
    handlersActive = 1;
    notifyTo = notifyFd;
    struct sigaction action = {};
    action.sa_handler = noteStop;
    sigemptyset(&action.sa_mask);
    // Restarted system calls keep a database call from failing half-way; the second
    // signal finds the default action back and ends the process.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (int signal : signalNumbers) {
        if (count_ == kMaxSignals)
            break;
        if (::sigaction(signal, &action, &saved_[count_]) == 0)
            signals_[count_++] = signal;
    }
}

StopOnSignals::~StopOnSignals()
{
    for (int i = 0; i < count_; ++i)
        ::sigaction(signals_[i], &saved_[i], nullptr);
    // The request belonged to whoever installed the handlers and has been answered;
    // a later run in the same process starts without it.
    notifyTo = -1;
    requestedBy = 0;
    handlersActive = 0;
}

#endif

} // namespace platform
