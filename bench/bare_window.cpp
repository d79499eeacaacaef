// The least a Qt 6 program does to show a frameless 1200 x 675 raster window
// and paint it once: the floor the windowed program's start is measured
// against (bench/window_start.py).
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>

namespace {

class CBareWindow : public QRasterWindow {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(QRect(0, 0, width(), height()), QColor(0x20, 0x60, 0xA0));
        painter.fillRect(QRect(100, 100, 400, 80), Qt::white);
    }
};

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    CBareWindow window;
    window.setFlags(Qt::Window | Qt::FramelessWindowHint);
    window.resize(1200, 675);
    window.show();
    return application.exec();
}
