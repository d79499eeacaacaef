#include "ui/host/qt/host_qt_display.h"

#include <netdb.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace ui::qt {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// A connection to a local socket, by path or (leading '\0') abstract name.
bool ConnectsToLocalSocket(const std::string& path) {
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof(address.sun_path)) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), path.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size());
    const bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
    close(fd);
    return connected;
}

bool ConnectsToTcp(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
    bool connected = false;
    for (addrinfo* at = found; at != nullptr && !connected; at = at->ai_next) {
        const int fd = socket(at->ai_family, at->ai_socktype | SOCK_CLOEXEC, at->ai_protocol);
        if (fd < 0) continue;
        connected = connect(fd, at->ai_addr, at->ai_addrlen) == 0;
        close(fd);
    }
    freeaddrinfo(found);
    return connected;
}

// DISPLAY is "[host]:number[.screen]"; a local server listens on
// /tmp/.X11-unix/X<number> (and the abstract name of that path).
bool XServerReachable(const std::string& display) {
    const size_t colon = display.rfind(':');
    if (colon == std::string::npos) return false;
    const std::string host = display.substr(0, colon);
    const int number = std::atoi(display.c_str() + colon + 1);
    if (host.empty() || host == "unix") {
        const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
        return ConnectsToLocalSocket(path) || ConnectsToLocalSocket(std::string(1, '\0') + path);
    }
    return ConnectsToTcp(host, 6000 + number);
}

bool WaylandReachable(const std::string& name) {
    if (name.empty()) return false;
    if (name.front() == '/') return ConnectsToLocalSocket(name);
    const std::string runtime = Environment("XDG_RUNTIME_DIR");
    return !runtime.empty() && ConnectsToLocalSocket(runtime + "/" + name);
}

}  // namespace

bool DisplayReachable(std::string& reason) {
    const std::string platform = Environment("QT_QPA_PLATFORM");
    const bool wayland = platform.rfind("wayland", 0) == 0;
    // Platforms that need no display server (offscreen, vnc, ...) are Qt's own.
    if (!platform.empty() && !wayland && platform.rfind("xcb", 0) != 0) return true;
    if (wayland) {
        const std::string name = Environment("WAYLAND_DISPLAY").empty() ? "wayland-0" : Environment("WAYLAND_DISPLAY");
        if (WaylandReachable(name)) return true;
        reason = "cannot connect to the Wayland display " + name;
        return false;
    }
    const std::string display = Environment("DISPLAY");
    if (display.empty()) {
        reason = Environment("WAYLAND_DISPLAY").empty() ? "no display (neither DISPLAY nor WAYLAND_DISPLAY is set)"
                                                        : "no X display (DISPLAY is not set)";
        return false;
    }
    if (XServerReachable(display)) return true;
    reason = "cannot connect to the X display " + display;
    return false;
}

}  // namespace ui::qt
