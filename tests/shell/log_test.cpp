#include "shell/log.h"

#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "tests/support/log_capture.h"

namespace {

// Only what a printf conversion takes gets through to the wide formatters.
static_assert(kIsPrintfArgument<const wchar_t*> && kIsPrintfArgument<int> && kIsPrintfArgument<long>);
static_assert(!kIsPrintfArgument<std::wstring> && !kIsPrintfArgument<std::string>);

TEST(LogTimestamp, TwoDigitFieldsAndFullYear) {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 3;
    t.tm_hour = 9;
    t.tm_min = 5;
    t.tm_sec = 7;
    EXPECT_EQ(FormatLogTimestamp(t), L"03/03/2026 09:05:07");
    t.tm_mon = 11; t.tm_mday = 31; t.tm_hour = 23; t.tm_min = 59; t.tm_sec = 59;
    EXPECT_EQ(FormatLogTimestamp(t), L"12/31/2026 23:59:59");
}

TEST(Log, LineHasStampTagThreadIdTabAndMessage) {
    LogCapture capture;
    CCTLog::Instance().Log(LogLevel::Error, "CCheckEnv::Work", L"Start work... %ls=%d", L"gpu", 2);
    const auto lines = capture.Lines();
    ASSERT_EQ(lines.size(), 1u);
    const std::regex format(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d\|CCheckEnv::Work\|\d+\tStart work\.\.\. gpu=2)");
    EXPECT_TRUE(std::regex_match(lines[0], format)) << lines[0];
}

TEST(Log, LevelsAboveTheMaximumAreDropped) {
    LogCapture capture(kLogLimitAtStart);
    CCTLog::Instance().Log(LogLevel::Progress, "T::Progress", L"before");
    CCTLog::Instance().Log(LogLevel::Error, "T::Failure", L"always");
    CCTLog::Instance().SetMaxLevel(kLogLimitRunning);
    CCTLog::Instance().Log(LogLevel::Progress, "T::Progress", L"after");
    EXPECT_EQ(capture.Messages(), (std::vector<std::string>{"always", "after"}));
}

TEST(Log, DisabledOrFilelessLoggerWritesNothing) {
    LogCapture capture;
    CCTLog::Instance().SetEnabled(false);
    CCTLog::Instance().Log(LogLevel::Error, "T::Op", L"dropped");
    CCTLog::Instance().Close();
    CCTLog::Instance().SetEnabled(true);
    CCTLog::Instance().Log(LogLevel::Error, "T::Op", L"also dropped");  // enabled but no file
    EXPECT_TRUE(capture.Lines().empty());
}

TEST(Log, ChineseTagInCodePage936IsConverted) {
    LogCapture capture;
    CCTLog::Instance().Log(LogLevel::Error, "\xD6\xD0\xCE\xC4::Op", L"x");
    const auto lines = capture.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("|\xE4\xB8\xAD\xE6\x96\x87::Op|"), std::string::npos) << lines[0];
}

TEST(Log, LongMessagesReachTheFileWhole) {
    LogCapture capture;
    const std::wstring longText(5000, L'x');
    CCTLog::Instance().Log(LogLevel::Error, "T::Op", L"%ls", longText.c_str());
    const auto messages = capture.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].size(), 5000u);
}

TEST(Log, CallerDataIsNeverAFormat) {
    LogCapture capture;
    CCTLog::Instance().Log(LogLevel::Error, "T::Op", L"file=%ls", L"C:\\%s%n%d.json");
    EXPECT_EQ(capture.Messages(), (std::vector<std::string>{"file=C:\\%s%n%d.json"}));
}

TEST(Log, TwoThreadsWriteWholeLines) {
    LogCapture capture;
    constexpr int kPerThread = 500;
    auto writer = [](const wchar_t* word) {
        for (int i = 0; i < kPerThread; ++i) CCTLog::Instance().Log(LogLevel::Error, "T::Op", L"%ls-%d-%ls", word, i, word);
    };
    std::thread a(writer, L"alpha");
    std::thread b(writer, L"beta");
    a.join();
    b.join();
    const auto messages = capture.Messages();
    ASSERT_EQ(messages.size(), 2u * kPerThread);
    const std::regex whole(R"((alpha-\d+-alpha)|(beta-\d+-beta))");
    for (const auto& m : messages) ASSERT_TRUE(std::regex_match(m, whole)) << m;
}

// Other processes append to the same daily file: a long line must never be
// split by theirs, as it would be if it went out in several writes.
TEST(Log, OpeningAppendsAfterAnEmptyLine) {
    ScopedTempFolder folder;
    const std::wstring path = folder.Write(L"day.log", "earlier line\n");
    CCTLog& log = CCTLog::Instance();
    log.Close();
    log.SetConsoleCopy(nullptr);
    ASSERT_TRUE(log.OpenFile(path));
    log.SetEnabled(true);
    log.Log(LogLevel::Error, "T::Op", L"later");
    log.Close();
    const std::string content = ReadWholeFile(path);
    EXPECT_EQ(content.rfind("earlier line\n\n", 0), 0u) << content;
    EXPECT_NE(content.find("\tlater\n"), std::string::npos);
}

TEST(Log, UnopenableFileLeavesTheLoggerSilent) {
    CCTLog& log = CCTLog::Instance();
    log.Close();
    EXPECT_FALSE(log.OpenFile(L"/nonexistent-folder/for/sure/x.log"));
    log.SetEnabled(true);
    log.Log(LogLevel::Error, "T::Op", L"nowhere");  // must not crash
    EXPECT_FALSE(log.HasFile());
    log.Close();
}

}  // namespace
