#include "ui/toolkit/cross_thread_sender.h"

namespace ui {

bool CCrossThreadSender::Run(std::function<void()> task) {
    auto request = std::make_shared<Request>();
    std::unique_lock<std::mutex> guard(lock_);
    if (!attached_) return false;
    host_.Post([self = shared_from_this(), request, task = std::move(task)] { self->Deliver(*request, task); });
    // A task that closes the window detaches this sender: its sender still
    // waits for the task to finish.
    changed_.wait(guard, [&] { return request->done || (!attached_ && !request->running); });
    return request->done;
}

void CCrossThreadSender::Deliver(Request& request, const std::function<void()>& task) {
    bool attached = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        attached = attached_;
        request.running = attached;
    }
    // Run without the lock: the task may close the window, which detaches
    // this sender.
    if (attached) task();
    {
        std::lock_guard<std::mutex> guard(lock_);
        request.running = false;
        request.done = attached;
    }
    changed_.notify_all();
}

void CCrossThreadSender::Detach() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        attached_ = false;
    }
    changed_.notify_all();
}

}  // namespace ui
