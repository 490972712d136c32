#pragma once
// Calls from the run's thread to the user-interface thread, which alone may touch
// widgets and show boxes. They run in the order they were made, each after the
// user-interface thread has drawn what the run did before it; a call that waits
// for its answer (a modal box) holds the run's thread until the user has given it.
#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

namespace app {

class UiCalls : public QObject {
public:
    using Call = std::function<void()>;

    explicit UiCalls(QObject* parent = nullptr);

    // From any thread: runs the call on the user-interface thread after those made
    // before it.
    void post(Call call);
    // From a thread other than the user-interface one: as post, and returns once the
    // call has run, raising what it raised.
    void call(Call call);

    // User-interface thread only. While held, the calls wait: a question of the
    // window is open, and nothing of the run is to come over it.
    void hold();
    void release();
    // Runs on the user-interface thread before each call.
    void setBeforeEach(Call beforeEach) { beforeEach_ = std::move(beforeEach); }

private:
    void drain();

    std::mutex mutex_;
    std::deque<Call> queue_;
    Call beforeEach_;
    // User-interface thread only.
    bool held_ = false;
    bool draining_ = false;
};

} // namespace app
