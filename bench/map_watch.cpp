// Starts a windowed program on the X display and reports, on one line, the
// milliseconds from exec to the map of its first top-level window and to
// its first painted frame (the first change of the window's pixels), then
// after --hold-ms (time for a driver to press keys) its peak memory
// (VmHWM), and ends it. Used by bench/window_start.py.
//
// Usage: map_watch [--hold-ms N] program [arguments...]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The pixel at the window's centre, in root coordinates; 0 when unreadable.
uint32_t CentrePixel(xcb_connection_t* x, xcb_window_t root, int16_t cx, int16_t cy) {
    auto* reply = xcb_get_image_reply(
        x, xcb_get_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, root, cx, cy, 1, 1, ~0u), nullptr);
    if (reply == nullptr) return 0;
    uint32_t pixel = 0;
    std::memcpy(&pixel, xcb_get_image_data(reply), std::min<int>(4, xcb_get_image_data_length(reply)));
    std::free(reply);
    return pixel;
}

long PeakKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    long holdMs = 0;
    if (argc > 2 && std::strcmp(argv[1], "--hold-ms") == 0) {
        holdMs = std::strtol(argv[2], nullptr, 10);
        first = 3;
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: map_watch [--hold-ms N] program [arguments...]\n");
        return 2;
    }
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "map_watch: no X display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[first], argv + first);
        _exit(127);
    }
    double mapMs = -1;
    xcb_window_t window = 0;
    // A program that never maps a window is ended after 20 s.
    while (window == 0) {
        if (xcb_connection_has_error(x)) return 3;
        xcb_generic_event_t* event = xcb_poll_for_event(x);
        if (event == nullptr) {
            if (MillisecondsSince(start) > 20'000) {
                kill(child, SIGKILL);
                waitpid(child, nullptr, 0);
                std::printf("map_ms -1 first_frame_ms -1 peak_kb -1\n");
                return 1;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            continue;
        }
        if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY) {
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            mapMs = MillisecondsSince(start);
            window = map->window;
        }
        std::free(event);
    }
    auto* geometry = xcb_get_geometry_reply(x, xcb_get_geometry(x, window), nullptr);
    const int16_t cx = static_cast<int16_t>(geometry ? geometry->x + geometry->width / 2 : 0);
    const int16_t cy = static_cast<int16_t>(geometry ? geometry->y + geometry->height / 2 : 0);
    std::free(geometry);
    const uint32_t before = CentrePixel(x, root, cx, cy);
    double frameMs = -1;
    while (MillisecondsSince(start) < 10'000) {
        if (CentrePixel(x, root, cx, cy) != before) {
            frameMs = MillisecondsSince(start);
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    std::printf("pid %d\n", static_cast<int>(child));
    std::fflush(stdout);
    if (holdMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
    const long peak = PeakKilobytes(child);
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    std::printf("map_ms %.2f first_frame_ms %.2f peak_kb %ld\n", mapMs, frameMs, peak);
    xcb_disconnect(x);
    return frameMs < 0 ? 1 : 0;
}
