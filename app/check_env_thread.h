#pragma once
// The worker thread of one check: runs the check sequence on the
// process-wide CCheckHelper, then calls the completion callback, through
// which the window (or the terminal) takes the finished check.

#include <functional>

#include "shell/thread.h"

class CheckEnvThread : public CCTThread {
public:
    using Callback = std::function<void()>;

    CheckEnvThread() : CCTThread(false) {}
    // Waits for a running check: the callback and the helper must not be
    // used by a thread whose object is gone.
    ~CheckEnvThread() override { Stop(); }

    // Takes over the callback, then starts the thread unless a previous run
    // of this object is still active. Downloads of the process-wide
    // CCheckHelper may run again from here on.
    bool Start(Callback callback);
    using CCTThread::Start;

    // The check, then the callback unless a stop was requested meanwhile: an
    // owner that stops the worker is going away, and a callback that waits
    // for the owner's thread would wait for ever.
    uint32_t Run() override;

protected:
    // Cancels the download of the process-wide CCheckHelper, the one wait of
    // a check that can last (up to the service deadline).
    void WakeForStop() override;

private:
    Callback callback_;
};
