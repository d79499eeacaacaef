#include "engine/result_page.h"

namespace {

// Fail outranks Unknown, which outranks Pass, whatever the row order.
CheckResult Fold(CheckResult verdict, CheckResult row) {
    if (row == CheckResult::Fail) return CheckResult::Fail;
    if (row == CheckResult::Unknown && verdict != CheckResult::Fail) return CheckResult::Unknown;
    return verdict;
}

}  // namespace

ResultPage BuildResultPage(const CheckReport& report) {
    const HardwareInventory& shown = report.display;
    // The second adapter is shown only when it passes; its driver goes with it.
    const size_t adapter = report.gpuGameResult[1] == CheckResult::Pass ? 1 : 0;
    const int driverBit = adapter == 1 ? 2 : 1;
    // The driver row is never "cannot be confirmed": an unjudged driver passes.
    const CheckResult driverResult = (report.driverFlags & driverBit) != 0 ? CheckResult::Fail : CheckResult::Pass;

    ResultPage page{
        {{
            {ResultComponent::Cpu, L"IDS_STRING_CPU", shown.cpuText, report.cpuGameResult},
            {ResultComponent::Memory, L"IDS_STRING_RAM", shown.memoryText, report.memoryResult},
            {ResultComponent::Gpu, L"IDS_STRING_GPU", shown.gpuName[adapter], report.gpuGameResult[adapter]},
            {ResultComponent::Driver, L"IDS_STRING_DRIVER_VERSION", shown.driverVersion[adapter], driverResult},
            {ResultComponent::Os, L"IDS_STRING_OS", shown.osText, report.osResult},
        }},
        Headline::Compatible, L"IDS_STRING_CONFIG_YES", L"IDS_STRING_CONFIG_YES_TIP", 0};

    CheckResult verdict = CheckResult::Pass;
    for (const ResultRow& row : page.rows) verdict = Fold(verdict, row.result);

    if (verdict == CheckResult::Fail) {
        const bool onlyDriverFailed = report.cpuGameResult == CheckResult::Pass &&
                                      report.memoryResult == CheckResult::Pass &&
                                      report.osResult == CheckResult::Pass &&
                                      (report.gpuGameResult[0] == CheckResult::Pass ||
                                       report.gpuGameResult[1] == CheckResult::Pass);
        if (onlyDriverFailed) {
            page.headline = Headline::DriverNotCompatible;
            page.titleKey = L"IDS_STRING_DRIVER_VERSION_NO";
            page.tipKey = L"IDS_STRING_DRIVER_VERSION_NO_TIP";
            page.titlePage = 3;
        } else {
            page.headline = Headline::NotCompatible;
            page.titleKey = L"IDS_STRING_CONFIG_NO";
            page.tipKey = L"IDS_STRING_CONFIG_NO_TIP";
            page.titlePage = 1;
        }
    } else if (verdict == CheckResult::Unknown) {
        page.headline = Headline::CannotBeConfirmed;
        page.titleKey = L"IDS_STRING_CONFIG_UNKNOW";
        page.tipKey = L"IDS_STRING_CONFIG_UNKNOW_TIP";
        page.titlePage = 2;
    }
    return page;
}
