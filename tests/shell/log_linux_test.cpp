#include "shell/log.h"

#include <gtest/gtest.h>

#include "tests/support/child_processes.h"
#include "tests/support/log_capture.h"

namespace {

TEST(Log, ProcessesLoggingLongLinesAtOnceWriteWholeLines) {
    LogCapture capture;
    constexpr int kChildren = 4;
    constexpr int kLines = 40;
    RunInChildProcesses(kChildren, [](int child) {
        const std::wstring text(20000, static_cast<wchar_t>(L'a' + child));
        for (int i = 0; i < kLines; ++i) CCTLog::Instance().Log(LogLevel::Error, "T::Op", L"%ls", text.c_str());
        return 0;
    });
    const auto messages = capture.Messages();
    ASSERT_EQ(messages.size(), size_t{kChildren * kLines});
    for (const auto& m : messages) {
        ASSERT_EQ(m.size(), 20000u);
        ASSERT_EQ(m.find_first_not_of(m[0]), std::string::npos) << "a line mixed with another process's";
    }
}

}  // namespace
