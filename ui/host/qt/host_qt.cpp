// The Linux host of the toolkit: one QGuiApplication per process, windows,
// images and fonts from the host_qt_* files.

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <chrono>
#include <cstdio>
#include <optional>

#include "ui/host/qt/host_qt_canvas.h"
#include "ui/host/qt/host_qt_convert.h"
#include "ui/host/qt/host_qt_display.h"
#include "ui/host/qt/host_qt_fonts.h"
#include "ui/host/qt/host_qt_image.h"
#include "ui/host/qt/host_qt_message.h"
#include "ui/host/qt/host_qt_window.h"
#include "ui/toolkit/host.h"

namespace ui {
namespace qt {
namespace {

class CQtHost final : public IHost {
public:
    CQtHost(int& argc, char** argv) : application_(argc, argv) {}

    std::unique_ptr<IHostWindow> CreateHostWindow(IHostWindowEvents& events,
                                                  const HostWindowOptions& options) override {
        return std::make_unique<CQtHostWindow>(events, options, fonts_);
    }
    ImagePtr DecodeImage(std::span<const std::byte> bytes) override { return DecodePng(bytes, 1); }
    ImagePtr DecodeImageAtScale(std::span<const std::byte> bytes, int scale) override {
        return DecodePng(bytes, scale);
    }
    // A QImage decoded from bytes touches nothing the window thread holds.
    bool DecodesOnAnyThread() const override { return true; }
    std::wstring RegisterPrivateFont(std::span<const std::byte> bytes) override { return fonts_.Register(bytes); }
    void AliasFontFamily(const std::wstring& layoutFamily, const std::wstring& faceFamily) override {
        fonts_.Alias(layoutFamily, faceFamily);
    }
    ICanvas& MeasuringCanvas() override { return measuringCanvas_; }
    double ScreenScale() const override {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen ? screen->devicePixelRatio() : 1.0;
    }
    // Qt Gui has no message box: the host draws its own window, which needs
    // no skin. The standard error stream gets the message too, for a
    // terminal that started the program.
    void ShowNativeMessage(const std::wstring& text, const std::wstring& caption) override {
        std::fprintf(stderr, "%s: %s\n", ToQString(caption).toUtf8().constData(), ToQString(text).toUtf8().constData());
        RunFallbackMessage(ToQString(text), ToQString(caption));
    }
    // The display opened; without a screen on it no window can show.
    bool BeginWindowThread() override { return QGuiApplication::primaryScreen() != nullptr; }
    int RunMessageLoop() override {
        quitCode_.reset();
        // The first frame before the bridge QGuiApplication::exec starts;
        // a quit asked for meanwhile ends the run here, as exec would have.
        RunUntilFirstFrame(kFirstFrameWait);
        if (quitCode_) return *quitCode_;
        return QGuiApplication::exec();
    }
    void Quit(int code) override {
        quitCode_ = code;
        QCoreApplication::exit(code);
    }
    void Post(std::function<void()> task) override {
        QMetaObject::invokeMethod(&application_, std::move(task), Qt::QueuedConnection);
    }

private:
    // Long enough for any display to expose a shown window.
    static constexpr std::chrono::milliseconds kFirstFrameWait{1000};

    // Declared first so that it outlives everything below that needs it.
    QGuiApplication application_;
    std::optional<int> quitCode_;
    CQtFonts fonts_;
    QImage measuringImage_{1, 1, QImage::Format_ARGB32_Premultiplied};
    QPainter measuringPainter_{&measuringImage_};
    CQtCanvas measuringCanvas_{measuringPainter_, fonts_};
};

// Never destroyed: at static destruction Qt's own globals are already gone,
// so a QGuiApplication torn down then crashes. The process ends right after.
CQtHost*& TheHost() {
    static CQtHost* host = nullptr;
    return host;
}

}  // namespace
}  // namespace qt

IHost& CreatePlatformHost(int& argc, char** argv) {
    auto& host = qt::TheHost();
    if (!host) {
        const qt::CFontConfigPreload fontConfig;
        host = new qt::CQtHost(argc, argv);
    }
    return *host;
}

IHost* TryCreatePlatformHost(int& argc, char** argv, std::string& reason) {
    if (qt::TheHost() == nullptr && !qt::DisplayReachable(reason)) return nullptr;
    return &CreatePlatformHost(argc, argv);
}

IHost* PlatformHost() { return qt::TheHost(); }

}  // namespace ui
