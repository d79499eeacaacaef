// Whether the machine runs on a battery: its AC-adapter device.

#include "engine/probes/facts_linux.h"

namespace probes_linux {

bool HasAcAdapter(const CSysfsTree& tree) {
    // The ACPI AC-adapter device, the one the Windows build looks for.
    for (const std::string& device : tree.List("sys/bus/acpi/devices")) {
        if (device.rfind("ACPI0003:", 0) != 0) continue;
        const std::string status = tree.ReadLine("sys/bus/acpi/devices/" + device + "/status");
        if (status != "0") return true;  // _STA 0: described by the firmware but absent
    }
    // Machines whose firmware names the adapter otherwise still show a mains
    // supply or a system battery. A battery of scope "Device" belongs to a
    // wireless mouse or a game pad, which desktops have too.
    for (const std::string& supply : tree.List("sys/class/power_supply")) {
        const std::string folder = "sys/class/power_supply/" + supply;
        const std::string type = tree.ReadLine(folder + "/type");
        if ((type == "Mains" || type == "Battery") && tree.ReadLine(folder + "/scope") != "Device") return true;
    }
    return false;
}

}  // namespace probes_linux
