#pragma once
// The one way another thread hands a window its result: a task run on the
// window thread while the sender waits. Workers keep this object, not the
// window: it outlives the window, and a window that goes away releases a
// waiting sender, whose task then never runs. So the window thread may join
// a worker once the window is gone, even a worker that was about to send.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "ui/toolkit/host.h"

namespace ui {

class CCrossThreadSender : public std::enable_shared_from_this<CCrossThreadSender> {
public:
    explicit CCrossThreadSender(IHost& host) : host_(host) {}

    // From any thread but the window's: runs the task on the window thread
    // and returns once it has run (true); false when the window is gone,
    // before or while waiting, and the task did not run.
    bool Run(std::function<void()> task);
    // Window thread: no task runs after this, and a waiting sender returns.
    void Detach();

private:
    struct Request {
        bool running = false;  // the window thread is in the task
        bool done = false;
    };
    void Deliver(Request& request, const std::function<void()>& task);

    IHost& host_;
    std::mutex lock_;
    std::condition_variable changed_;
    bool attached_ = true;  // false once detached
};

}  // namespace ui
