#include "app/ui_calls.h"

#include <future>

namespace app {

UiCalls::UiCalls(QObject* parent) : QObject(parent) {}

void UiCalls::post(Call call)
{
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(std::move(call));
    }
    QMetaObject::invokeMethod(this, &UiCalls::drain, Qt::QueuedConnection);
}

void UiCalls::call(Call call)
{
    std::packaged_task<void()> task(std::move(call));
    std::future<void> done = task.get_future();
    post([&task] { task(); });
    done.get();
}

void UiCalls::hold()
{
    held_ = true;
}

void UiCalls::release()
{
    held_ = false;
    QMetaObject::invokeMethod(this, &UiCalls::drain, Qt::QueuedConnection);
}

void UiCalls::drain()
{
    // A call that shows a modal box runs the event loop again until the box is
    // answered; the calls after it wait for it rather than start inside it.
    if (draining_)
        return;
    struct Draining {
        bool& flag;
        explicit Draining(bool& flag) : flag(flag) { flag = true; }
        ~Draining() { flag = false; }
    } draining{draining_};
    while (!held_) {
        Call next;
        {
            const std::lock_guard lock(mutex_);
            if (queue_.empty())
                break;
            next = std::move(queue_.front());
            queue_.pop_front();
        }
        if (beforeEach_)
            beforeEach_();
        next();
    }
}

} // namespace app
