#pragma once
// The one way another thread talks to a window: a message delivered to the
// window's OnCustomMessage on the window thread while the sender waits.
// Workers keep this object, not the window: it outlives the window, and a
// window that goes away releases a waiting sender instead of leaving it
// blocked. So the window thread may join a worker once the window is gone,
// even a worker that was about to send.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "ui/toolkit/host.h"

namespace ui {

class CCrossThreadSender : public std::enable_shared_from_this<CCrossThreadSender> {
public:
    CCrossThreadSender(IHost& host, IHostWindowEvents& target) : host_(host), target_(&target) {}

    // From any thread but the window's: true once the window has handled the
    // message; false when the window is gone, before or while waiting.
    bool Send(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // Window thread: no message reaches the window after this, and a waiting
    // sender returns.
    void Detach();

private:
    struct Request {
        bool handling = false;  // the window thread is in the handler
        bool done = false;
    };
    void Deliver(Request& request, uint32_t message, uintptr_t wParam, intptr_t lParam);

    IHost& host_;
    std::mutex lock_;
    std::condition_variable changed_;
    IHostWindowEvents* target_;  // null once detached
};

}  // namespace ui
