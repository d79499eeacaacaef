#include <QCoreApplication>
#include <QGuiApplication>
#include <QWindow>
#include <cstdlib>

#include "shell/text_convert.h"
#include "tests/ui/support/host_fixture.h"

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

void AnswerNextNativeMessage() {}

void ProcessPendingEvents() { QCoreApplication::processEvents(); }

}  // namespace ui::test
