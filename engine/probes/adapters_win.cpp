// Display controllers from WMI's Win32_VideoController. Which of them count
// as graphics adapters is decided by the portable adapter selection.

#include "engine/probes/facts_win.h"
#include "shell/log.h"

namespace {
constexpr char kAdapterTag[] = "CCheckEnv::ProbeGraphicsAdapters";
}  // namespace

namespace probes_win {

bool ListVideoControllers(std::vector<VideoControllerInfo>& controllers) {
    controllers.clear();
    const CComInitialization com(COINIT_APARTMENTTHREADED);
    if (FAILED(com.Result())) {
        CCTLog::Instance().Log(LogLevel::Error, kAdapterTag, L"CoInitializeEx failed, hr=0x%08lx",
                               static_cast<unsigned long>(com.Result()));
        return false;
    }
    const CWmiConnection wmi(WmiAuthentication::Default, kAdapterTag);
    if (!wmi.IsConnected()) return false;
    // The COM objects of the connection go before the initialisation does.
    return wmi.ForEachObject(L"Win32_VideoController", [&](IWbemClassObject& object) {
        VideoControllerInfo info;
        info.description = WmiPropertyText(object, L"Description");
        info.driverVersion = WmiPropertyText(object, L"DriverVersion");
        CCTLog::Instance().Log(LogLevel::Progress, kAdapterTag, L"display adapter %ls, driver %ls",
                               info.description.value_or(L"(no description)").c_str(),
                               info.driverVersion.value_or(L"(unknown)").c_str());
        controllers.push_back(std::move(info));
        return true;
    });
}

}  // namespace probes_win
