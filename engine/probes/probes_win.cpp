// The Windows probes behind IHardwareProbes. Each fact has its own file in
// engine/probes/; this one owns the COM set-up the system probe's facts share.

#include "engine/probes/facts_win.h"
#include "engine/probes/probes.h"

namespace {

constexpr char kSystemTag[] = "CCheckEnv::ProbeSystem";

class CWindowsHardwareProbes final : public IHardwareProbes {
public:
    bool EnumerateVideoControllers(std::vector<VideoControllerInfo>& controllers) override {
        return probes_win::ListVideoControllers(controllers);
    }

    SystemFacts ProbeSystem() override {
        SystemFacts facts;
        {
            // A thread already in the single-threaded apartment keeps it;
            // WMI answers there as well. Without COM at all every WMI fact
            // stays unknown, and the USB count, which needs no COM, still runs.
            const CComInitialization com(COINIT_MULTITHREADED);
            if (com.IsUsable()) {
                const CWmiConnection wmi(WmiAuthentication::Packet, kSystemTag);
                facts.addressWidth = probes_win::AddressWidth(wmi);
                facts.memoryBytes = probes_win::InstalledMemoryBytes(wmi);
                facts.osCaption = probes_win::OsCaption(wmi);
            }
        }
        // Two passes, each counting from zero; the second one's count is kept.
        probes_win::CountUsbCompanionPorts();
        facts.usbPortCount = probes_win::CountUsbCompanionPorts();
        return facts;
    }

    std::wstring GetCpuBrand() override { return probes_win::CpuBrand(); }

    bool HasAcAdapterDevice() override { return probes_win::HasAcAdapter(); }
};

}  // namespace

std::unique_ptr<IHardwareProbes> CreateHardwareProbes() { return std::make_unique<CWindowsHardwareProbes>(); }
