#include "ui/toolkit/cross_thread_sender.h"

namespace ui {

bool CCrossThreadSender::Send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    auto request = std::make_shared<Request>();
    std::unique_lock<std::mutex> guard(lock_);
    if (target_ == nullptr) return false;
    host_.Post([self = shared_from_this(), request, message, wParam, lParam] {
        self->Deliver(*request, message, wParam, lParam);
    });
    // A handler that closes the window detaches this sender: its sender
    // still waits for the handler to finish.
    changed_.wait(guard, [&] { return request->done || (target_ == nullptr && !request->handling); });
    return request->done;
}

void CCrossThreadSender::Deliver(Request& request, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    IHostWindowEvents* target = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock_);
        target = target_;
        request.handling = target != nullptr;
    }
    // Handled without the lock: the handler may close the window, which
    // detaches this sender.
    if (target != nullptr) target->OnCustomMessage(message, wParam, lParam);
    {
        std::lock_guard<std::mutex> guard(lock_);
        request.handling = false;
        request.done = target != nullptr;
    }
    changed_.notify_all();
}

void CCrossThreadSender::Detach() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        target_ = nullptr;
    }
    changed_.notify_all();
}

}  // namespace ui
