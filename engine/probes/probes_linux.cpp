// The Linux probes behind IHardwareProbes. Each fact has its own file in
// engine/probes/; this one only ties them to one root folder.

#include "engine/probes/probes_linux.h"

#include "engine/probes/facts_linux.h"
#include "engine/probes/sysfs_tree_linux.h"
#include "shell/platform.h"

namespace {

class CLinuxHardwareProbes final : public IHardwareProbes {
public:
    explicit CLinuxHardwareProbes(const std::wstring& root)
        : tree_(ToFsPath(root.empty() ? std::wstring(L"/") : root)), isLiveSystem_(tree_.Root() == "/") {}

    bool EnumerateVideoControllers(std::vector<VideoControllerInfo>& controllers) override {
        return probes_linux::ListVideoControllers(tree_, controllers);
    }

    SystemFacts ProbeSystem() override {
        SystemFacts facts;
        facts.addressWidth = probes_linux::AddressWidth(tree_, isLiveSystem_);
        facts.memoryBytes = probes_linux::InstalledMemoryBytes(tree_);
        facts.usbPortCount = probes_linux::CountUsbCompanionPorts(tree_);
        facts.osCaption = probes_linux::OsCaption(tree_);
        return facts;
    }

    std::wstring GetCpuBrand() override { return probes_linux::CpuBrand(tree_, isLiveSystem_); }

    bool HasAcAdapterDevice() override { return probes_linux::HasAcAdapter(tree_); }

private:
    CSysfsTree tree_;
    bool isLiveSystem_;
};

}  // namespace

std::unique_ptr<IHardwareProbes> CreateLinuxHardwareProbes(const std::wstring& root) {
    return std::make_unique<CLinuxHardwareProbes>(root);
}

std::unique_ptr<IHardwareProbes> CreateHardwareProbes() { return CreateLinuxHardwareProbes(L"/"); }
