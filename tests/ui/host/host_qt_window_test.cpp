// Windows of the Qt host on the offscreen platform: timers, modal runs,
// input while disabled, posting from other threads, images and screenshots.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <thread>

#include "tests/ui/host/qt_host_fixture.h"
#include "ui/toolkit/host_qt_window.h"

namespace ui::test {
namespace {

std::unique_ptr<IHostWindow> MakeWindow(CRecordedEvents& events, IHostWindow* owner = nullptr) {
    return QtHost().CreateHostWindow(events, {L"test", {120, 80}, false, owner});
}

TEST(QtHostWindow, RepeatingTimerFiresWithItsId) {
    CRecordedEvents events;
    auto window = MakeWindow(events);
    std::vector<uint32_t> fired;
    events.timer = [&](uint32_t id) {
        fired.push_back(id);
        if (fired.size() == 3) {
            window->KillTimer(id);
            QtHost().Quit(0);
        }
    };
    window->SetTimer(7, 1);
    window->SetTimer(7, 5);  // the same id restarts, not adds, a timer
    EXPECT_EQ(QtHost().RunMessageLoop(), 0);
    EXPECT_EQ(fired, (std::vector<uint32_t>{7, 7, 7}));
}

TEST(QtHostWindow, RunModalReturnsTheEndCodeAndDisablesTheOwner) {
    CRecordedEvents ownerEvents, dialogEvents;
    auto owner = MakeWindow(ownerEvents);
    auto dialog = MakeWindow(dialogEvents, owner.get());
    owner->Show();
    bool ownerInputDuringRun = true;
    QtHost().Post([&] {
        ownerInputDuringRun = owner->IsInputEnabled();
        dialog->EndModal(42);
    });
    EXPECT_EQ(dialog->RunModal(), 42);
    EXPECT_FALSE(ownerInputDuringRun);
    EXPECT_TRUE(owner->IsInputEnabled());
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

TEST(QtHost, TasksPostedFromAnyThreadRunOnTheWindowThreadInOrder) {
    IHost& host = QtHost();
    const auto windowThread = std::this_thread::get_id();
    std::vector<std::string> order;
    bool allOnWindowThread = true;
    const auto record = [&](std::string what) {
        allOnWindowThread = allOnWindowThread && std::this_thread::get_id() == windowThread;
        order.push_back(std::move(what));
    };
    std::thread poster([&] {
        host.Post([&] { record("first"); });
        host.Post([&] {
            record("second");
            host.Quit(0);
        });
    });
    poster.join();
    host.Post([&] { record("from the window thread"); });
    host.RunMessageLoop();
    EXPECT_TRUE(allOnWindowThread);
    EXPECT_EQ(order, (std::vector<std::string>{"first", "second", "from the window thread"}));
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

TEST(QtHostWindow, TransparentScreenshotKeepsUnpaintedPixelsClear) {
    CRecordedEvents events;
    events.paint = [](ICanvas& canvas) { canvas.FillRect({0, 0, 60, 80}, 0xFFD24128); };
    auto window = QtHost().CreateHostWindow(events, {L"clear", {120, 80}, true, nullptr});
    const QImage shot = ScreenshotImage(*window, "host_transparent");
    ASSERT_EQ(shot.size(), QSize(120, 80));
    EXPECT_EQ(shot.pixel(30, 40), 0xFFD24128u);
    EXPECT_EQ(qAlpha(shot.pixel(90, 40)), 0);
    EXPECT_FALSE(window->SaveScreenshot(L"/nonexistent-folder/shot.png"));
}

}  // namespace
}  // namespace ui::test
