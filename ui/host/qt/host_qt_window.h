#pragma once
// A native window of the Qt host: a frameless raster window whose paint and
// input events go to the toolkit window above it.

#include <QEventLoop>
#include <QRasterWindow>
#include <chrono>
#include <map>
#include <memory>
#include <optional>

#include "ui/host/qt/host_qt_accessible.h"
#include "ui/host/qt/host_qt_fonts.h"
#include "ui/toolkit/host.h"
#include "ui/toolkit/window_shadow.h"

namespace ui::qt {

class CQtSurface;

// Runs the event loop until a window of the host has painted its first
// frame (at once when one has), or for `limit` at most, or until the
// program quits. QGuiApplication::exec starts the screen-reader bridge, a
// session bus connection, before it handles any event: run first, this
// puts the first frame before it.
void RunUntilFirstFrame(std::chrono::milliseconds limit);

class CQtHostWindow final : public IHostWindow {
public:
    CQtHostWindow(IHostWindowEvents& events, const HostWindowOptions& options, CQtFonts& fonts);
    ~CQtHostWindow() override;
    CQtHostWindow(const CQtHostWindow&) = delete;
    CQtHostWindow& operator=(const CQtHostWindow&) = delete;

    void Show() override;
    void Hide() override;
    bool IsVisible() const override;
    void SetTitle(const std::wstring& title) override;
    std::wstring Title() const override;
    void SetStyle(uint32_t style, uint32_t exStyle) override;
    uint32_t Style() const override { return style_; }
    uint32_t ExStyle() const override { return exStyle_; }
    void SetTransparent(bool transparent) override;
    void SetShadow(ShadowImageSource image, const Corners& margin) override;
    void SetProgramIcon(int resourceId) override;
    void Resize(Size size) override;
    Size ClientSize() const override;
    void Center() override;
    void Minimize() override;
    void Maximize() override;
    void Restore() override;
    void StartMove() override;
    void SetInputEnabled(bool enabled) override;
    bool IsInputEnabled() const override { return inputEnabled_; }
    void Invalidate(const Rect& rect) override;
    void InvalidateAll() override;
    void SetCursor(CursorShape cursor) override;
    void NotifyAccessible(AccessibleEvent event, Control& element) override;
    void SetTimer(uint32_t timerId, uint32_t intervalMs) override;
    void KillTimer(uint32_t timerId) override;
    // The window stays visible when the loop ends; the caller hides or
    // destroys it. EndModal outside a modal run does nothing.
    int RunModal() override;
    void EndModal(int code) override;
    bool SaveScreenshot(const std::wstring& path) override;
    Size PaintInto(std::vector<Argb>& pixels) override;

    QWindow& NativeWindow();

private:
    friend class CQtSurface;
    void Paint(QPainter& painter, const QRect& dirty);
    // The surface's events; false when the window takes no input now.
    bool AcceptsInput() const { return inputEnabled_; }
    void DeliverTimer(int qtTimerId);
    // Surface points to client points: the shadow margin lies around the client.
    Point ToClient(Point surface) const { return {surface.x - shadow_.margin.left, surface.y - shadow_.margin.top}; }
    QRect ToSurface(const Rect& client) const;
    // After each frame the surface paints.
    void AfterFrame();
    void ApplyPendingIcon();

    IHostWindowEvents& events_;
    CQtFonts& fonts_;
    CQtHostWindow* owner_;
    bool transparent_;
    uint32_t style_;
    uint32_t exStyle_;
    WindowShadow shadow_;  // its margin lies around the client; none without a shadow
    bool inputEnabled_ = true;
    bool painted_ = false;            // the surface has painted a frame
    std::optional<int> pendingIcon_;  // asked for before that frame
    QEventLoop* modalLoop_ = nullptr;
    std::map<uint32_t, int> qtTimerOf_;  // toolkit timer id -> QObject timer id
    std::unique_ptr<CQtSurface> surface_;
    // Goes before the surface: it takes its interfaces out of Qt's cache.
    std::unique_ptr<CQtAccessibleBridge> accessible_;
};

}  // namespace ui::qt
