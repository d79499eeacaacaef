#pragma once
// The real Qt host on the offscreen platform and screenshots read back as
// images, for the Qt host's own tests.

#include <QBuffer>
#include <QImage>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/ui/support/host_fixture.h"
#include "ui/toolkit/host.h"

namespace ui::test {

inline IHost& QtHost() { return TestHost(); }

inline std::vector<std::byte> PngBytes(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const auto* begin = reinterpret_cast<const std::byte*>(png.constData());
    return {begin, begin + png.size()};
}

// Saves the window under the build's screenshots folder and reads it back.
inline QImage ScreenshotImage(IHostWindow& window, const std::string& name) {
    std::filesystem::create_directories(KALO_SCREENSHOT_DIR);
    const auto path = std::filesystem::path(KALO_SCREENSHOT_DIR) / (name + ".png");
    if (!window.SaveScreenshot(path.wstring())) return {};
    return QImage(QString::fromStdString(path.string()));
}

}  // namespace ui::test
