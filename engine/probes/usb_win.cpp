// The USB 3.0 ports of the root hubs, found through the USB host-controller
// and hub driver requests.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "engine/probes/facts_win.h"
// After windows.h, which facts_win.h brings in.
#include <winioctl.h>
#include <usbioctl.h>

namespace {

// The driver requests, by their control codes (FILE_DEVICE_USB, buffered).
// The host controller's root-hub name and the hub's node information share
// one function number; they go to different devices.
constexpr DWORD kIoctlRootHubName = 0x220408;                    // IOCTL_USB_GET_ROOT_HUB_NAME
constexpr DWORD kIoctlNodeInformation = 0x220408;                // IOCTL_USB_GET_NODE_INFORMATION
constexpr DWORD kIoctlNodeConnectionInformation = 0x22040C;      // IOCTL_USB_GET_NODE_CONNECTION_INFORMATION
constexpr DWORD kIoctlNodeConnectionInformationEx = 0x220448;    // IOCTL_USB_GET_NODE_CONNECTION_INFORMATION_EX
// IOCTL_USB_GET_NODE_CONNECTION_INFORMATION_EX_V2: given a port and the
// protocols the caller understands, the hub answers with the protocols the
// port supports, in the same 16-byte block.
constexpr DWORD kIoctlNodeConnectionInformationExV2 = 0x22045C;

constexpr int kHostControllerCount = 50;
constexpr DWORD kRootHubNameProbeBytes = 6;  // the length word and one character
constexpr DWORD kNodeInformationBytes = 76;  // USB_NODE_INFORMATION
constexpr DWORD kConnectionInformationBytes = 365;
constexpr DWORD kProtocolBlockBytes = 16;
// Hub names are short symbolic links; an answer beyond this is not one.
constexpr DWORD kMaxRootHubNameBytes = 4096;

// USB_PROTOCOLS: the bit of USB 3.0.
constexpr ULONG kUsb300 = 4;

// The 16-byte block of the protocol request (USB_NODE_CONNECTION_INFORMATION_EX_V2).
struct ProtocolBlock {
    ULONG connectionIndex;
    ULONG length;
    ULONG supportedProtocols;
    ULONG flags;
};
static_assert(sizeof(ProtocolBlock) == kProtocolBlockBytes);
// Byte offsets of USB_NODE_INFORMATION: NodeType (4 bytes), then the hub
// descriptor, whose third byte is the number of ports.
constexpr size_t kNodeInfoPortCountOffset = 4 + 2;

// The codes and layouts above are the SDK's.
static_assert(kIoctlRootHubName == IOCTL_USB_GET_ROOT_HUB_NAME);
static_assert(kIoctlNodeInformation == IOCTL_USB_GET_NODE_INFORMATION);
static_assert(kIoctlNodeConnectionInformation == IOCTL_USB_GET_NODE_CONNECTION_INFORMATION);
static_assert(kIoctlNodeConnectionInformationEx == IOCTL_USB_GET_NODE_CONNECTION_INFORMATION_EX);
static_assert(kIoctlNodeConnectionInformationExV2 == IOCTL_USB_GET_NODE_CONNECTION_INFORMATION_EX_V2);
static_assert(sizeof(USB_NODE_INFORMATION) == kNodeInformationBytes);
static_assert(offsetof(USB_NODE_INFORMATION, u.HubInformation.HubDescriptor.bNumberOfPorts) == kNodeInfoPortCountOffset);

CKernelHandle OpenUsbDevice(const std::wstring& path) {
    return CKernelHandle(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
}

bool Request(const CKernelHandle& device, DWORD code, void* buffer, DWORD size, DWORD* returned = nullptr) {
    DWORD bytes = 0;
    const bool ok = DeviceIoControl(device.Get(), code, buffer, size, buffer, size, &bytes, nullptr) != FALSE;
    if (returned) *returned = bytes;
    return ok;
}

// The root hub's name (without the "\\.\" prefix); empty when the controller
// gives none.
std::wstring RootHubName(const CKernelHandle& controller) {
    // USB_ROOT_HUB_NAME: a 32-bit total length, then the name's characters.
    std::array<BYTE, kRootHubNameProbeBytes> probe{};
    if (!Request(controller, kIoctlRootHubName, probe.data(), kRootHubNameProbeBytes)) return {};
    ULONG needed = 0;
    std::memcpy(&needed, probe.data(), sizeof(needed));
    if (needed <= sizeof(ULONG) || needed > kMaxRootHubNameBytes) return {};

    std::vector<BYTE> answer(needed, 0);
    DWORD returned = 0;
    if (!Request(controller, kIoctlRootHubName, answer.data(), needed, &returned)) return {};
    const size_t nameBytes = std::min<size_t>(returned, needed) > sizeof(ULONG)
                                 ? std::min<size_t>(returned, needed) - sizeof(ULONG)
                                 : 0;
    std::wstring name(nameBytes / sizeof(wchar_t), L'\0');
    std::memcpy(name.data(), answer.data() + sizeof(ULONG), name.size() * sizeof(wchar_t));
    // The driver may count the terminating zero.
    if (const size_t zero = name.find(L'\0'); zero != std::wstring::npos) name.resize(zero);
    return name;
}

int32_t CountRootHubPorts(const std::wstring& hubName) {
    const CKernelHandle hub = OpenUsbDevice(L"\\\\.\\" + hubName);
    if (!hub.IsValid()) return 0;
    std::array<BYTE, kNodeInformationBytes> nodeInformation{};
    if (!Request(hub, kIoctlNodeInformation, nodeInformation.data(), kNodeInformationBytes)) return 0;
    const unsigned portCount = nodeInformation[kNodeInfoPortCountOffset];

    int32_t count = 0;
    for (ULONG port = 1; port <= portCount; ++port) {
        std::array<BYTE, kConnectionInformationBytes> connection{};
        std::memcpy(connection.data(), &port, sizeof(port));
        if (!Request(hub, kIoctlNodeConnectionInformation, connection.data(), kConnectionInformationBytes)) continue;

        ProtocolBlock protocols{};
        protocols.connectionIndex = port;
        protocols.length = kProtocolBlockBytes;
        protocols.supportedProtocols = kUsb300;
        DWORD returned = 0;
        const bool hasProtocols =
            Request(hub, kIoctlNodeConnectionInformationExV2, &protocols, kProtocolBlockBytes, &returned) &&
            returned >= kProtocolBlockBytes;

        std::array<BYTE, kConnectionInformationBytes> connectionEx{};
        std::memcpy(connectionEx.data(), &port, sizeof(port));
        if (Request(hub, kIoctlNodeConnectionInformationEx, connectionEx.data(), kConnectionInformationBytes) &&
            hasProtocols && (protocols.supportedProtocols & kUsb300) != 0) {
            ++count;
        }
    }
    return count;
}

}  // namespace

namespace probes_win {

int32_t CountUsbCompanionPorts() {
    int32_t count = 0;
    for (int number = 0; number < kHostControllerCount; ++number) {
        // The controller stays open while its root hub is examined.
        const CKernelHandle controller = OpenUsbDevice(L"\\\\.\\HCD" + std::to_wstring(number));
        if (!controller.IsValid()) continue;
        const std::wstring hubName = RootHubName(controller);
        if (hubName.empty()) continue;
        count += CountRootHubPorts(hubName);
    }
    return count;
}

}  // namespace probes_win
