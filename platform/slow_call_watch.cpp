#include "platform/slow_call_watch.h"

namespace platform {
namespace {

// How often the watch looks: often enough that a second's notice comes at most a
// quarter of a second late.
constexpr auto kLook = std::chrono::milliseconds(250);

std::int64_t nowMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
               .count() +
           1; // never 0, which means no call
}

} // namespace

SlowCallWatch::SlowCallWatch(Notice notice) : notice_(std::move(notice)), thread_([this] { watch(); }) {}

SlowCallWatch::~SlowCallWatch()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void SlowCallWatch::watch()
{
    std::int64_t noticedCall = 0;
    std::int64_t noticedSeconds = 0;
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, kLook, [this] { return stopping_; })) {
        const std::int64_t started = startedAt_.load(std::memory_order_acquire);
        if (started == 0)
            continue;
        if (started != noticedCall) {
            noticedCall = started;
            noticedSeconds = 0;
        }
        const std::int64_t seconds = (nowMilliseconds() - started) / 1000;
        if (seconds > noticedSeconds) {
            noticedSeconds = seconds;
            lock.unlock();
            notice_(std::chrono::seconds(seconds));
            lock.lock();
        }
    }
}

SlowCallWatch::During::During(SlowCallWatch* watch) : watch_(watch)
{
    if (watch_ != nullptr)
        watch_->startedAt_.store(nowMilliseconds(), std::memory_order_release);
}

SlowCallWatch::During::~During()
{
    if (watch_ != nullptr)
        watch_->startedAt_.store(0, std::memory_order_release);
}

} // namespace platform
