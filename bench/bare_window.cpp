// The least a Qt 6 program does to show a frameless 1200 x 675 raster window
// and paint it once: the floor the windowed program's start is measured
// against (bench/window_start.py). With --skinned it also does what every
// skinned window of ours must: per-pixel transparency around the window
// (1260 x 735 with the shadow margin), a 256 px icon, and one line of text in
// the system font at the welcome page's largest size. The gap between the
// two is the part of the start that no skinned window drawing text avoids.
#include <QFont>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QRasterWindow>
#include <QSurfaceFormat>
#include <cstring>

namespace {

class CBareWindow : public QRasterWindow {
public:
    explicit CBareWindow(bool skinned) : skinned_(skinned) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const int margin = skinned_ ? kShadowMargin : 0;
        if (skinned_) {
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.fillRect(QRect(0, 0, width(), height()), Qt::transparent);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
        painter.fillRect(QRect(margin, margin, width() - 2 * margin, height() - 2 * margin), QColor(0x20, 0x60, 0xA0));
        painter.fillRect(QRect(100, 100, 400, 80), Qt::white);
        if (skinned_) {
            QFont font;
            font.setPixelSize(50);
            painter.setFont(font);
            painter.setPen(Qt::white);
            painter.drawText(QRect(100, 200, 1000, 100), QStringLiteral("Welcome to the check"));
        }
    }

private:
    static constexpr int kShadowMargin = 30;
    bool skinned_;
};

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    const bool skinned = argc > 1 && std::strcmp(argv[1], "--skinned") == 0;
    CBareWindow window(skinned);
    window.setFlags(Qt::Window | Qt::FramelessWindowHint);
    if (skinned) {
        QSurfaceFormat format = window.format();
        format.setAlphaBufferSize(8);
        window.setFormat(format);
        QImage icon(256, 256, QImage::Format_ARGB32);
        icon.fill(0xFF336699);
        window.setIcon(QIcon(QPixmap::fromImage(icon)));
        window.resize(1260, 735);
    } else {
        window.resize(1200, 675);
    }
    window.show();
    return application.exec();
}
