#include "ui/host/qt/host_qt_window.h"

#include <QBuffer>
#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QScreen>
#include <QTimer>
#include <QTimerEvent>
#include <QWheelEvent>
#include <utility>

#include "shell/embedded_resource.h"
#include "shell/safe_files.h"
#include "ui/host/qt/host_qt_canvas.h"
#include "ui/host/qt/host_qt_convert.h"
#include "ui/host/qt/host_qt_image.h"
#include "ui/toolkit/modal_owner.h"
#include "ui/toolkit/window_styles.h"

namespace ui::qt {

namespace {

bool g_framePainted = false;
QEventLoop* g_untilFirstFrame = nullptr;

void FramePainted() {
    if (g_framePainted) return;
    g_framePainted = true;
    if (g_untilFirstFrame != nullptr) g_untilFirstFrame->quit();
    StartScreenReaderBridgeSoon();
}

}  // namespace

void RunUntilFirstFrame(std::chrono::milliseconds limit) {
    if (g_framePainted) return;
    QEventLoop loop;
    QTimer::singleShot(limit, &loop, &QEventLoop::quit);
    g_untilFirstFrame = &loop;
    loop.exec();
    g_untilFirstFrame = nullptr;
}

// The Qt object of one window: translates its events for CQtHostWindow.
// Overriding virtuals needs no moc.
class CQtSurface final : public QRasterWindow {
public:
    explicit CQtSurface(CQtHostWindow& window) : window_(window) {}

    int wheelRemainder = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        {
            QPainter painter(this);
            window_.Paint(painter, event->rect());
        }
        FramePainted();
        window_.AfterFrame();
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (window_.AcceptsInput()) window_.events_.OnMouseMove(window_.ToClient(At(event->position())));
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (const auto button = ButtonOf(event); button && window_.AcceptsInput())
            window_.events_.OnMouseDown(*button, window_.ToClient(At(event->position())));
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (const auto button = ButtonOf(event); button && window_.AcceptsInput())
            window_.events_.OnMouseUp(*button, window_.ToClient(At(event->position())));
    }
    void wheelEvent(QWheelEvent* event) override {
        if (!window_.AcceptsInput()) return;
        // Fine-grained wheels send fractions of a notch (120 units); they add up.
        wheelRemainder += event->angleDelta().y();
        const int notches = wheelRemainder / QWheelEvent::DefaultDeltasPerStep;
        wheelRemainder %= QWheelEvent::DefaultDeltasPerStep;
        if (notches != 0) window_.events_.OnMouseWheel(notches, window_.ToClient(At(event->position())));
    }
    void keyPressEvent(QKeyEvent* event) override {
        const KeyPress key = KeyOf(event);
        if (key.key != Key::Other && window_.AcceptsInput() && window_.events_.OnKeyDown(key)) {
            event->accept();
        } else {
            event->ignore();
        }
    }
    void timerEvent(QTimerEvent* event) override { window_.DeliverTimer(event->timerId()); }
    // What AT-SPI lists under the application: the toolkit's tree.
    QAccessibleInterface* accessibleRoot() const override { return window_.accessible_->WindowInterface(); }
    bool event(QEvent* event) override {
        if (event->type() == QEvent::Leave) {
            if (window_.AcceptsInput()) window_.events_.OnMouseLeave();
        } else if (event->type() == QEvent::Close) {
            // The toolkit window decides whether and how it closes.
            event->ignore();
            if (window_.AcceptsInput()) window_.events_.OnCloseRequested();
            return true;
        }
        return QRasterWindow::event(event);
    }

private:
    static Point At(QPointF p) { return {qFloor(p.x()), qFloor(p.y())}; }
    static KeyPress KeyOf(const QKeyEvent* event) {
        KeyPress key;
        key.shift = (event->modifiers() & Qt::ShiftModifier) != 0;
        key.alt = (event->modifiers() & Qt::AltModifier) != 0;
        switch (event->key()) {
            case Qt::Key_Backtab: key.key = Key::Tab; key.shift = true; break;
            case Qt::Key_Tab: key.key = Key::Tab; break;
            case Qt::Key_Return:
            case Qt::Key_Enter: key.key = Key::Enter; break;
            case Qt::Key_Space: key.key = Key::Space; break;
            case Qt::Key_Escape: key.key = Key::Escape; break;
            case Qt::Key_Up: key.key = Key::Up; break;
            case Qt::Key_Down: key.key = Key::Down; break;
            case Qt::Key_Home: key.key = Key::Home; break;
            case Qt::Key_End: key.key = Key::End; break;
            case Qt::Key_F4: key.key = Key::F4; break;
            default: break;
        }
        return key;
    }
    static std::optional<MouseButton> ButtonOf(const QMouseEvent* event) {
        switch (event->button()) {
            case Qt::LeftButton: return MouseButton::Left;
            case Qt::RightButton: return MouseButton::Right;
            case Qt::MiddleButton: return MouseButton::Middle;
            default: return std::nullopt;
        }
    }

    CQtHostWindow& window_;
};

CQtHostWindow::CQtHostWindow(IHostWindowEvents& events, const HostWindowOptions& options, CQtFonts& fonts)
    : events_(events),
      fonts_(fonts),
      owner_(dynamic_cast<CQtHostWindow*>(options.owner)),
      transparent_(false),
      style_(options.style),
      exStyle_(options.exStyle),
      surface_(std::make_unique<CQtSurface>(*this)) {
    accessible_ = std::make_unique<CQtAccessibleBridge>(*surface_, events, owner_ != nullptr);
    SetStyle(options.style, options.exStyle);
    SetTransparent(options.transparent);
    if (owner_) surface_->setTransientParent(owner_->surface_.get());
    surface_->setTitle(ToQString(options.title));
    // The window's class name, where a screen reader or a test can see it.
    surface_->setObjectName(ToQString(options.className));
    surface_->resize(std::max(1, options.size.cx), std::max(1, options.size.cy));
}

CQtHostWindow::~CQtHostWindow() = default;

// A window shown takes the keyboard, as a new window does on Windows.
void CQtHostWindow::Show() {
    surface_->show();
    surface_->requestActivate();
}
void CQtHostWindow::Hide() { surface_->hide(); }
bool CQtHostWindow::IsVisible() const { return surface_->isVisible(); }
void CQtHostWindow::SetTitle(const std::wstring& title) { surface_->setTitle(ToQString(title)); }
std::wstring CQtHostWindow::Title() const { return ToWide(surface_->title()); }

// The skinned windows draw their own frame, so no style brings back the
// window manager's; a tool window stays off the task bar.
void CQtHostWindow::SetStyle(uint32_t style, uint32_t exStyle) {
    style_ = style;
    exStyle_ = exStyle;
    Qt::WindowFlags flags = Qt::FramelessWindowHint;
    flags |= (exStyle & kExStyleToolWindow) != 0 ? Qt::Tool : Qt::Window;
    surface_->setFlags(flags);
}

void CQtHostWindow::SetTransparent(bool transparent) {
    if (transparent == transparent_) return;
    transparent_ = transparent;
    QSurfaceFormat format = surface_->format();
    format.setAlphaBufferSize(transparent ? 8 : 0);
    surface_->setFormat(format);
}

void CQtHostWindow::SetShadow(ShadowImageSource image, const Corners& margin) {
    const Size client = ClientSize();
    shadow_ = PendingWindowShadow(std::move(image), margin);
    accessible_->SetClientOrigin(QPoint(shadow_.margin.left, shadow_.margin.top));
    Resize(client);
}

// The icon is for the task bar and the window switcher, not for the frame
// the user waits for: taken before it, the icon's decode and its conversion
// for the display inside show() came first. A window not yet painted takes
// it after its first frame.
void CQtHostWindow::SetProgramIcon(int resourceId) {
    pendingIcon_ = resourceId;
    if (painted_) ApplyPendingIcon();
}

void CQtHostWindow::AfterFrame() {
    painted_ = true;
    ApplyPendingIcon();
}

void CQtHostWindow::ApplyPendingIcon() {
    if (!pendingIcon_) return;
    const int resourceId = *std::exchange(pendingIcon_, std::nullopt);
    const auto found = FindEmbeddedResource(L"ICON", resourceId);
    if (!found) return;
    const QImage image = ReadPng(*found);
    if (image.isNull()) return;
    surface_->setIcon(QIcon(QPixmap::fromImage(image)));
}

QRect CQtHostWindow::ToSurface(const Rect& client) const {
    return ToQRect(client.Offset(shadow_.margin.left, shadow_.margin.top));
}

void CQtHostWindow::Resize(Size size) {
    surface_->resize(std::max(1, size.cx + shadow_.margin.left + shadow_.margin.right),
                     std::max(1, size.cy + shadow_.margin.top + shadow_.margin.bottom));
}
Size CQtHostWindow::ClientSize() const {
    return {surface_->width() - shadow_.margin.left - shadow_.margin.right, surface_->height() - shadow_.margin.top - shadow_.margin.bottom};
}
QWindow& CQtHostWindow::NativeWindow() { return *surface_; }

void CQtHostWindow::Center() {
    QRect area;
    if (owner_) {
        area = owner_->surface_->geometry();
    } else if (QScreen* screen = surface_->screen() ? surface_->screen() : QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    if (area.isEmpty()) return;
    surface_->setPosition(area.center() - QPoint(surface_->width() / 2, surface_->height() / 2));
}

void CQtHostWindow::Minimize() { surface_->showMinimized(); }
void CQtHostWindow::Maximize() { surface_->showMaximized(); }
void CQtHostWindow::Restore() { surface_->showNormal(); }
// Platforms without window-manager moves (offscreen) refuse; nothing to do then.
void CQtHostWindow::StartMove() { surface_->startSystemMove(); }
void CQtHostWindow::SetInputEnabled(bool enabled) { inputEnabled_ = enabled; }
void CQtHostWindow::Invalidate(const Rect& rect) {
    if (!rect.IsEmpty()) surface_->update(ToSurface(rect));
}
void CQtHostWindow::InvalidateAll() { surface_->update(); }

void CQtHostWindow::NotifyAccessible(AccessibleEvent event, Control& element) { accessible_->Notify(event, element); }

void CQtHostWindow::SetCursor(CursorShape cursor) {
    surface_->setCursor(QCursor(cursor == CursorShape::Hand ? Qt::PointingHandCursor : Qt::ArrowCursor));
}

void CQtHostWindow::SetTimer(uint32_t timerId, uint32_t intervalMs) {
    KillTimer(timerId);
    const int qtId = surface_->startTimer(std::chrono::milliseconds(intervalMs));
    if (qtId != 0) qtTimerOf_[timerId] = qtId;
}

void CQtHostWindow::KillTimer(uint32_t timerId) {
    if (const auto it = qtTimerOf_.find(timerId); it != qtTimerOf_.end()) {
        surface_->killTimer(it->second);
        qtTimerOf_.erase(it);
    }
}

void CQtHostWindow::DeliverTimer(int qtTimerId) {
    for (const auto& [timerId, qtId] : qtTimerOf_) {
        if (qtId == qtTimerId) {
            const uint32_t id = timerId;  // OnTimer may change the map
            events_.OnTimer(id);
            return;
        }
    }
}

int CQtHostWindow::RunModal() {
    if (modalLoop_) return 0;  // already running: a second loop would never be ended
    const CModalOwnerInput ownerInput(owner_);
    Show();
    QEventLoop loop;
    modalLoop_ = &loop;
    const int code = loop.exec();
    modalLoop_ = nullptr;
    // The keyboard goes back to the owner, not to wherever the system puts it.
    if (owner_) owner_->surface_->requestActivate();
    return code;
}

void CQtHostWindow::EndModal(int code) {
    if (modalLoop_) modalLoop_->exit(code);
}

void CQtHostWindow::Paint(QPainter& painter, const QRect& dirty) {
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(dirty, transparent_ ? QColor(Qt::transparent) : QColor(Qt::white));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setClipRect(dirty);
    CQtCanvas canvas(painter, fonts_);
    DrawWindowShadow(canvas, shadow_, {surface_->width(), surface_->height()});
    painter.translate(shadow_.margin.left, shadow_.margin.top);
    events_.OnPaint(canvas, ToRect(dirty).Offset(-shadow_.margin.left, -shadow_.margin.top));
}

Size CQtHostWindow::PaintInto(std::vector<Argb>& pixels) {
    const QSize size = surface_->size();
    pixels.assign(static_cast<size_t>(size.width()) * static_cast<size_t>(size.height()), 0);
    QImage image(reinterpret_cast<uchar*>(pixels.data()), size.width(), size.height(),
                 QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&image);
        Paint(painter, QRect(QPoint(0, 0), size));
    }
    return {size.width(), size.height()};
}

bool CQtHostWindow::SaveScreenshot(const std::wstring& path) {
    // Painting into an image rather than grabbing the screen works on every
    // platform, offscreen included.
    const qreal ratio = surface_->devicePixelRatio();
    QImage image(surface_->size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    {
        QPainter painter(&image);
        Paint(painter, QRect(QPoint(0, 0), surface_->size()));
    }
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return false;
    return ReplaceFileAtomically(path, std::string_view(png.constData(), static_cast<size_t>(png.size())));
}

}  // namespace ui::qt
