#pragma once
// The Qt host's own message window, for what must reach the user when the
// program's skin cannot be drawn (a layout that cannot be built): a caption,
// the text wrapped in the system's sans-serif face and one OK button, drawn
// by the host itself. Qt Gui has no message box of its own.

#include <QRasterWindow>
#include <QRect>
#include <QString>

class QEventLoop;

namespace ui::qt {

// Shows the window and waits until OK, Enter, Space, Escape or the window
// manager closes it.
void RunFallbackMessage(const QString& text, const QString& caption);

// The window itself, in reach of the tests (found by this object name).
inline constexpr char kFallbackMessageName[] = "KALOFallbackMessage";

class CQtMessageWindow final : public QRasterWindow {
public:
    CQtMessageWindow(const QString& text, const QString& caption);
    // The button's place, in window coordinates.
    QRect ButtonRect() const;
    // Draws the whole window into `painter` (its paint event, and screenshots).
    void Render(QPainter& painter) const;
    void Close();
    void SetLoop(QEventLoop* loop) { loop_ = loop; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    QString text_;
    QRect textRect_;
    bool pressed_ = false;
    QEventLoop* loop_ = nullptr;
};

}  // namespace ui::qt
