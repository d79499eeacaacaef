#include "engine/result_page.h"

#include <gtest/gtest.h>

namespace {

constexpr CheckResult U = CheckResult::Unknown;
constexpr CheckResult F = CheckResult::Fail;
constexpr CheckResult P = CheckResult::Pass;

CheckReport Report(CheckResult cpu, CheckResult gpu0, CheckResult gpu1, CheckResult memory, CheckResult os,
                   int driverFlags) {
    CheckReport report;
    report.cpuGameResult = cpu;
    report.gpuGameResult = {gpu0, gpu1};
    report.memoryResult = memory;
    report.osResult = os;
    report.driverFlags = driverFlags;
    report.display.gpuName = {L"INTEL(R) UHD GRAPHICS 630 ", L"NVIDIA GEFORCE GTX 1060 "};
    report.display.driverVersion = {L"27.20.100.8280", L"25.21.14.1634"};
    return report;
}

TEST(ResultPage, HeadlineFollowsTheRowsAndTheShownAdapter) {
    const struct {
        const char* name;
        CheckReport report;
        Headline headline;
        int titlePage;
        const wchar_t* shownGpu;
        CheckResult driverMark;
    } kCases[] = {
        {"everything passes", Report(P, F, P, P, P, 0), Headline::Compatible, 0, L"NVIDIA GEFORCE GTX 1060 ", P},
        {"first adapter shown when the second does not pass", Report(P, P, U, P, P, 0), Headline::Compatible, 0,
         L"INTEL(R) UHD GRAPHICS 630 ", P},
        {"a failing row wins over an unknown one", Report(U, F, U, P, P, 0), Headline::NotCompatible, 1,
         L"INTEL(R) UHD GRAPHICS 630 ", P},
        {"unknown without failures", Report(P, U, U, U, P, 0), Headline::CannotBeConfirmed, 2,
         L"INTEL(R) UHD GRAPHICS 630 ", P},
        {"only the shown driver fails", Report(P, F, P, P, P, 2), Headline::DriverNotCompatible, 3,
         L"NVIDIA GEFORCE GTX 1060 ", F},
        {"the hidden adapter's driver flag is ignored", Report(P, F, P, P, P, 1), Headline::Compatible, 0,
         L"NVIDIA GEFORCE GTX 1060 ", P},
        {"driver and processor fail", Report(F, P, U, P, P, 1), Headline::NotCompatible, 1,
         L"INTEL(R) UHD GRAPHICS 630 ", F},
        {"shown adapter fails, the driver headline needs a passing adapter", Report(P, F, U, P, P, 1),
         Headline::NotCompatible, 1, L"INTEL(R) UHD GRAPHICS 630 ", F},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const ResultPage page = BuildResultPage(c.report);
        EXPECT_EQ(page.headline, c.headline);
        EXPECT_EQ(page.titlePage, c.titlePage);
        EXPECT_EQ(page.rows[2].value, c.shownGpu);
        EXPECT_EQ(page.rows[3].result, c.driverMark);
    }
}

TEST(ResultPage, RowsComeInPageOrderWithTheirCaptionKeys) {
    const ResultPage page = BuildResultPage(Report(P, P, U, P, P, 0));
    const ResultComponent order[] = {ResultComponent::Cpu, ResultComponent::Memory, ResultComponent::Gpu,
                                     ResultComponent::Driver, ResultComponent::Os};
    const wchar_t* keys[] = {L"IDS_STRING_CPU", L"IDS_STRING_RAM", L"IDS_STRING_GPU", L"IDS_STRING_DRIVER_VERSION",
                             L"IDS_STRING_OS"};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(page.rows[i].component, order[i]);
        EXPECT_STREQ(page.rows[i].captionKey, keys[i]);
    }
    EXPECT_STREQ(page.titleKey, L"IDS_STRING_CONFIG_YES");
    EXPECT_STREQ(page.tipKey, L"IDS_STRING_CONFIG_YES_TIP");
}

}  // namespace
