// The USB connectors that speak more than one USB generation.

#include <set>
#include <utility>

#include "engine/probes/facts_linux.h"

namespace probes_linux {

int32_t CountUsbCompanionPorts(const CSysfsTree& tree) {
    // A connector that speaks both USB 2 and USB 3 appears as one port on
    // each generation's root hub, the two linked to each other as peers.
    // Counting each linked pair once counts the physical connectors.
    std::set<std::pair<std::string, std::string>> connectors;
    for (const std::string& hub : tree.List("sys/bus/usb/devices")) {
        if (hub.rfind("usb", 0) != 0 || hub.size() == 3) continue;
        const std::string busNumber = hub.substr(3);
        const std::string interface = "sys/bus/usb/devices/" + hub + "/" + busNumber + "-0:1.0";
        const std::string portPrefix = hub + "-port";
        for (const std::string& port : tree.List(interface)) {
            if (port.rfind(portPrefix, 0) != 0) continue;
            const std::string portPath = interface + "/" + port;
            if (!tree.Exists(portPath + "/peer")) continue;
            std::string self = tree.Canonical(portPath).string();
            std::string peer = tree.Canonical(portPath + "/peer").string();
            if (peer < self) std::swap(self, peer);
            connectors.emplace(std::move(self), std::move(peer));
        }
    }
    return static_cast<int32_t>(connectors.size());
}

}  // namespace probes_linux
