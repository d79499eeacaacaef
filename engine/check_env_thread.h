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
    // of this object is still active.
    bool Start(Callback callback);
    using CCTThread::Start;

    uint32_t Run() override;

private:
    Callback callback_;
};
