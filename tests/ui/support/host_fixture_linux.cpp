#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>
#include <cstdlib>

#include "shell/text_convert.h"
#include "tests/ui/support/host_fixture.h"
#include "ui/host/qt/host_qt_message.h"

namespace ui::test {

IHost& TestHost() {
    static int argc = 1;
    static char name[] = "kalo_ui_tests";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 1);  // real windows without a display
    return CreatePlatformHost(argc, argv);
}

void CloseWindowsTitled(const std::wstring& title) {
    const QString wanted = QString::fromStdString(WideToUtf8(title));
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->isVisible() && window->title() == wanted) window->close();
    }
}

namespace {

// The Qt host draws its own message window: once it shows, it is saved for
// people to look at, its text goes to stderr as the host writes it, and OK
// is pressed. Until then this looks again on the window thread's loop.
void AnswerFallbackMessage() {
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (!window->isVisible() || window->objectName() != QLatin1String(qt::kFallbackMessageName)) continue;
        auto* message = static_cast<qt::CQtMessageWindow*>(window);
        QImage shot(message->size(), QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&shot);
        message->Render(painter);
        painter.end();
        shot.save(QString::fromUtf8(KALO_SCREENSHOT_DIR "/fallback_message.png"));
        QMouseEvent press(QEvent::MouseButtonPress, message->ButtonRect().center(), message->ButtonRect().center(),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(message, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, message->ButtonRect().center(),
                            message->ButtonRect().center(), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(message, &release);
        return;
    }
    QTimer::singleShot(10, &AnswerFallbackMessage);
}

}  // namespace

void AnswerNextNativeMessage() { QTimer::singleShot(10, &AnswerFallbackMessage); }

void ProcessPendingEvents() { QCoreApplication::processEvents(); }

}  // namespace ui::test
