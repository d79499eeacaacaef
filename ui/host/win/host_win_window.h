#pragma once
// A native window of the Win32 host: one HWND per toolkit window, drawn by
// GDI+ into a 32-bit surface of its own. Opaque windows copy the surface to
// the screen on WM_PAINT; per-pixel transparent windows are layered and hand
// the whole surface to UpdateLayeredWindow. A drop shadow lies in a margin
// around the client; everything the toolkit sees is in client coordinates.

#include <cstdint>
#include <memory>

#include "ui/host/win/host_win_fonts.h"
#include "ui/host/win/host_win_gdi.h"
#include "ui/toolkit/host.h"
#include "ui/toolkit/window_shadow.h"

namespace ui::win {

class CWinAccessible;

class CWinHostWindow final : public IHostWindow {
public:
    CWinHostWindow(IHostWindowEvents& events, const HostWindowOptions& options, CWinFonts& fonts);
    ~CWinHostWindow() override;
    CWinHostWindow(const CWinHostWindow&) = delete;
    CWinHostWindow& operator=(const CWinHostWindow&) = delete;

    // False when the system refused the native window (logged).
    bool IsCreated() const { return hwnd_.IsValid(); }
    HWND Handle() const { return hwnd_.Get(); }

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
    Size ClientSize() const override { return clientSize_; }
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
    // Nothing until a client has asked for the window's accessible objects.
    void NotifyAccessible(AccessibleEvent event, Control& element) override;
    void SetTimer(uint32_t timerId, uint32_t intervalMs) override;
    void KillTimer(uint32_t timerId) override;
    // The window stays visible when the loop ends; the caller hides or
    // destroys it. EndModal outside a modal run does nothing.
    int RunModal() override;
    void EndModal(int code) override;
    bool SaveScreenshot(const std::wstring& path) override;
    Size PaintInto(std::vector<Argb>& pixels) override;

    // Between client coordinates and the screen's pixels (scale and shadow
    // margin applied), for assistive technology.
    RECT ScreenRectOf(const Rect& client) const;
    Point ClientPointFromScreen(POINT screen) const;

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaintMessage(HWND window);
    void OnSizeMessage(Size pixels);
    void OnMouseButton(UINT message, LPARAM lParam);

    // Draws the dirty part (surface device pixels) of the whole window.
    void Paint(Gdiplus::Graphics& graphics, double scale, const Rect& dirtyPixels);
    void PaintSurface(const Rect& dirtyPixels);
    // Layered windows: the surface to the screen, now or soon.
    void PresentLayered();
    void ScheduleLayeredRepaint();

    DWORD NativeExStyle() const;
    // The native window and the surface follow client size, margin and scale.
    void ApplySize();
    Size SurfaceSize() const;  // device-independent pixels, margin included
    Size SurfacePixelSize() const;
    Rect ToSurfacePixels(const Rect& client) const;
    Point ToClient(int surfaceX, int surfaceY) const;
    HCURSOR CursorHandle() const;

    IHostWindowEvents& events_;
    CWinFonts& fonts_;
    CWinHostWindow* owner_;
    uint32_t style_;
    uint32_t exStyle_;
    bool transparent_;
    WindowShadow shadow_;  // its margin lies around the client; none without a shadow
    Size clientSize_;
    double scale_ = 1.0;
    bool inputEnabled_ = true;
    bool trackingLeave_ = false;
    int wheelRemainder_ = 0;
    CursorShape cursor_ = CursorShape::Arrow;
    bool modalRunning_ = false;
    bool modalEnded_ = false;
    int modalCode_ = 0;
    Rect layeredDirty_;  // surface pixels still to paint before the next present
    bool layeredRepaintPosted_ = false;
    CDibSurface surface_;
    // Made on the first WM_GETOBJECT; destroyed before the native window.
    std::unique_ptr<CWinAccessible> accessible_;
    // Released after the window that shows them.
    CIconHandle bigIcon_;
    CIconHandle smallIcon_;
    CWindowHandle hwnd_;
};

}  // namespace ui::win
