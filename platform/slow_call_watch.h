#pragma once
// A call that shows no progress of its own while it lasts (a write that waits for
// another user's lock) is watched from a thread of its own: once it has run for a
// second, and after every further second, the watch says how long it has been
// running, so that the user learns why nothing moves.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace platform {

class SlowCallWatch {
public:
    // Called on the watch's thread, never on the caller's.
    using Notice = std::function<void(std::chrono::seconds running)>;

    explicit SlowCallWatch(Notice notice);
    ~SlowCallWatch();
    SlowCallWatch(const SlowCallWatch&) = delete;
    SlowCallWatch& operator=(const SlowCallWatch&) = delete;

    // Marks the watched call for as long as it lives; two atomic stores, cheap
    // enough for every quotation.
    class During {
    public:
        explicit During(SlowCallWatch* watch);
        ~During();
        During(const During&) = delete;
        During& operator=(const During&) = delete;

    private:
        SlowCallWatch* watch_;
    };

private:
    void watch();

    Notice notice_;
    // When the watched call started, in milliseconds of the steady clock; 0 while
    // no call is watched.
    std::atomic<std::int64_t> startedAt_{0};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace platform
