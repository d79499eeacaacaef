#include <windows.h>

#include "shell/running_marker.h"

void MarkProgramRunning() {
    // Never closed: the system drops the mutex when the process ends, however
    // it ends, so the mark cannot outlive the copy.
    static const HANDLE mark = CreateMutexW(nullptr, FALSE, kRunningMarkName);
    static_cast<void>(mark);
}
