#pragma once
// The real Qt host on the offscreen platform, a window-events recorder and
// screenshots read back as images, for the host tests.

#include <QBuffer>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ui/toolkit/host.h"

namespace ui::test {

inline IHost& QtHost() {
    static int argc = 1;
    static char name[] = "host_qt_tests";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 1);  // real windows without a display
    return CreatePlatformHost(argc, argv);
}

struct CRecordedEvents : IHostWindowEvents {
    std::function<void(ICanvas&)> paint;
    std::function<void(uint32_t)> timer;
    std::function<void(uint32_t, uintptr_t, intptr_t)> message;
    std::vector<std::string> input;  // "down 3,4", "wheel 1", ...

    void OnPaint(ICanvas& canvas, const Rect&) override {
        if (paint) paint(canvas);
    }
    void OnMouseMove(Point at) override { input.push_back("move " + Text(at)); }
    void OnMouseDown(MouseButton, Point at) override { input.push_back("down " + Text(at)); }
    void OnMouseUp(MouseButton, Point at) override { input.push_back("up " + Text(at)); }
    void OnMouseLeave() override { input.push_back("leave"); }
    void OnMouseWheel(int delta, Point) override { input.push_back("wheel " + std::to_string(delta)); }
    void OnTimer(uint32_t id) override {
        if (timer) timer(id);
    }
    void OnCloseRequested() override { input.push_back("close"); }
    void OnCustomMessage(uint32_t m, uintptr_t w, intptr_t l) override {
        if (message) message(m, w, l);
    }
    static std::string Text(Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); }
};

inline std::vector<std::byte> PngBytes(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const auto* begin = reinterpret_cast<const std::byte*>(png.constData());
    return {begin, begin + png.size()};
}

// Saves the window under the build's screenshots folder and reads it back.
inline QImage Screenshot(IHostWindow& window, const std::string& name) {
    std::filesystem::create_directories(KALO_SCREENSHOT_DIR);
    const auto path = std::filesystem::path(KALO_SCREENSHOT_DIR) / (name + ".png");
    if (!window.SaveScreenshot(path.wstring())) return {};
    return QImage(QString::fromStdString(path.string()));
}

}  // namespace ui::test
