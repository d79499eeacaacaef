// Windows of the Qt host on the offscreen platform: input while disabled and
// image decoding, given as Qt events and Qt-made images.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWheelEvent>

#include "tests/ui/host/qt/qt_host_fixture.h"
#include "ui/host/qt/host_qt_window.h"

namespace ui::test {
namespace {

std::unique_ptr<IHostWindow> MakeWindow(CRecordedEvents& events, IHostWindow* owner = nullptr) {
    return QtHost().CreateHostWindow(events, {L"test", {120, 80}, false, owner});
}

TEST(QtHostWindow, InputReachesTheEventsOnlyWhileEnabled) {
    struct Case { const char* name; bool enabled; std::vector<std::string> expected; };
    const Case kCases[] = {
        {"enabled", true, {"down 3,4", "wheel 1", "wheel -2", "close"}},
        {"disabled", false, {}},
    };
    for (const Case& c : kCases) {
        CRecordedEvents events;
        auto window = MakeWindow(events);
        window->SetInputEnabled(c.enabled);
        QWindow& native = dynamic_cast<qt::CQtHostWindow&>(*window).NativeWindow();
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(3.5, 4.2), QPointF(3.5, 4.2), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&native, &press);
        for (const int delta : {60, 60, -240}) {  // two half notches make one
            QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, delta), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(&native, &wheel);
        }
        QCloseEvent close;
        QCoreApplication::sendEvent(&native, &close);
        EXPECT_EQ(events.input, c.expected) << c.name;
    }
}

TEST(QtHost, DecodesPngOnly) {
    QImage image(12, 10, QImage::Format_ARGB32);
    image.fill(Qt::red);
    const std::vector<std::byte> png = PngBytes(image);
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    const auto* bmpBegin = reinterpret_cast<const std::byte*>(bmp.constData());

    struct Case { const char* name; std::vector<std::byte> bytes; int scale; std::optional<Size> expected; };
    const Case kCases[] = {
        {"png", png, 1, Size{12, 10}},
        {"png drawn at 2x", png, 2, Size{6, 5}},
        {"scale 0", png, 0, std::nullopt},
        {"bmp", {bmpBegin, bmpBegin + bmp.size()}, 1, std::nullopt},
        {"truncated png", {png.begin(), png.begin() + 40}, 1, std::nullopt},
        {"empty", {}, 1, std::nullopt},
    };
    for (const Case& c : kCases) {
        const ImagePtr decoded = QtHost().DecodeImageAtScale(c.bytes, c.scale);
        ASSERT_EQ(decoded != nullptr, c.expected.has_value()) << c.name;
        if (decoded) {
            EXPECT_EQ(decoded->PixelSize(), *c.expected) << c.name;
        }
    }
}

}  // namespace
}  // namespace ui::test
