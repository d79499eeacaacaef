#include "ui/host/qt/host_qt_message.h"

#include <QEventLoop>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScreen>

namespace ui::qt {

namespace {

constexpr int kWidth = 400;
constexpr int kMargin = 24;
constexpr int kButtonWidth = 96;
constexpr int kButtonHeight = 32;
constexpr int kTextFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;

QFont MessageFont() {
    QFont font(QStringLiteral("sans-serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(14);
    return font;
}

}  // namespace

CQtMessageWindow::CQtMessageWindow(const QString& text, const QString& caption) : text_(text) {
    setObjectName(QString::fromLatin1(kFallbackMessageName));
    setTitle(caption);
    setFlag(Qt::Dialog);
    const QFontMetrics metrics(MessageFont());
    const QRect measured = metrics.boundingRect(QRect(0, 0, kWidth - 2 * kMargin, 10000), kTextFlags, text_);
    textRect_ = QRect(kMargin, kMargin, kWidth - 2 * kMargin, measured.height());
    const int height = kMargin + textRect_.height() + kMargin + kButtonHeight + kMargin;
    resize(kWidth, height);
    setMinimumSize(size());
    setMaximumSize(size());
}

QRect CQtMessageWindow::ButtonRect() const {
    return QRect((kWidth - kButtonWidth) / 2, textRect_.bottom() + 1 + kMargin, kButtonWidth, kButtonHeight);
}

void CQtMessageWindow::Render(QPainter& painter) const {
    painter.fillRect(QRect(QPoint(0, 0), size()), QColor(0xFF, 0xFF, 0xFF));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(MessageFont());
    painter.setPen(QColor(0x33, 0x33, 0x33));
    painter.drawText(textRect_, kTextFlags, text_);
    const QRectF button = QRectF(ButtonRect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QColor(0xB0, 0xB0, 0xB0));
    painter.setBrush(pressed_ ? QColor(0xD8, 0xD8, 0xD8) : QColor(0xF0, 0xF0, 0xF0));
    painter.drawRoundedRect(button, 4, 4);
    painter.setPen(QColor(0x33, 0x33, 0x33));
    painter.drawText(ButtonRect(), Qt::AlignCenter, QStringLiteral("OK"));
}

void CQtMessageWindow::Close() {
    hide();
    if (loop_ != nullptr) loop_->quit();
}

void CQtMessageWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Render(painter);
}

void CQtMessageWindow::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton && ButtonRect().contains(event->position().toPoint());
    update();
}

void CQtMessageWindow::mouseReleaseEvent(QMouseEvent* event) {
    const bool clicked = pressed_ && ButtonRect().contains(event->position().toPoint());
    pressed_ = false;
    update();
    if (clicked) Close();
}

void CQtMessageWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
        case Qt::Key_Escape:
            Close();
            return;
        default:
            QRasterWindow::keyPressEvent(event);
    }
}

bool CQtMessageWindow::event(QEvent* event) {
    // The window manager's close ends the message as OK does.
    if (event->type() == QEvent::Close) {
        Close();
        return true;
    }
    return QRasterWindow::event(event);
}

void RunFallbackMessage(const QString& text, const QString& caption) {
    CQtMessageWindow window(text, caption);
    QEventLoop loop;
    window.SetLoop(&loop);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        window.setPosition(screen->availableGeometry().center() - QPoint(window.width() / 2, window.height() / 2));
    }
    window.show();
    window.requestActivate();
    loop.exec();
}

}  // namespace ui::qt
