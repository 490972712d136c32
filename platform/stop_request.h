#pragma once
// A request to stop the program, raised by a signal (Ctrl+C, kill, the terminal
// going away). A signal handler may do next to nothing, so it only notes the
// request; the run looks at it between lines and stops like any error, and the
// window closes as if the user had closed it.
#include <initializer_list>

#ifndef _WIN32
#include <csignal>
#endif

namespace platform {

bool stopRequested() noexcept;
// The signal that asked for the stop (0 when none did).
int stopSignal() noexcept;
// Whether a StopOnSignals lives: the program then answers the signals itself, and
// a library that would end its work on them (the database client closes its
// connections) is to leave them alone.
bool stopOnSignalsActive() noexcept;

// While it lives, the given signals request a stop instead of ending the process
// at once; when notifyFd is not -1, each one also writes a byte there (the read end
// of that pipe wakes an event loop). A second signal of the same kind ends the
// process as usual, for a run that does not come back. The previous handlers
// return when it goes, and the request with them. A library that installs its own
// handler later calls this one in turn, so the second signal is looked for here too.
class StopOnSignals {
public:
    explicit StopOnSignals(std::initializer_list<int> signalNumbers, int notifyFd = -1);
    ~StopOnSignals();
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

private:
    static constexpr int kMaxSignals = 4;
    int signals_[kMaxSignals] = {};
    int count_ = 0;
#ifndef _WIN32
    struct sigaction saved_[kMaxSignals] = {};
#endif
};

} // namespace platform
