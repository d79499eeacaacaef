#include "ui/host/win/host_win_window.h"

#include <cmath>
#include <set>
#include <string>

#include "shell/log.h"
#include "shell/safe_files.h"
#include "ui/host/win/host_win_accessible.h"
#include "ui/host/win/host_win_canvas.h"
#include "ui/host/win/host_win_image.h"
#include "ui/toolkit/modal_owner.h"
#include "ui/toolkit/window_styles.h"

namespace ui::win {
namespace {

constexpr wchar_t kToolkitClassName[] = L"KALOToolkitWindow";
// Posted to a layered window to paint what was invalidated since (several
// invalidations, one present).
constexpr UINT kLayeredRepaintMessage = WM_APP + 1;
constexpr int kWheelNotch = WHEEL_DELTA;
constexpr double kDefaultDpi = 96.0;

// Each window's own class, registered once, so that other programs find the
// window by its class name. The class style is the first window's of that
// name; every toolkit window redraws whole windows itself.
bool EnsureWindowClass(const std::wstring& name, uint32_t style, WNDPROC procedure) {
    static std::set<std::wstring> registered;  // window thread only
    if (registered.count(name) != 0) return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = name.c_str();
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        CCTLog::Instance().Log(LogLevel::Error, "CWinHostWindow::RegisterClass", L"RegisterClassExW %ls failed (%lu)",
                               name.c_str(), GetLastError());
        return false;
    }
    registered.insert(name);
    return true;
}

int Scaled(int value, double scale) { return static_cast<int>(std::lround(value * scale)); }

Rect Union(const Rect& a, const Rect& b) {
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

// The keys the toolkit acts on. Alt+F4 stays the system's: it closes the
// window through WM_CLOSE.
KeyPress KeyOf(WPARAM virtualKey) {
    KeyPress key;
    key.shift = GetKeyState(VK_SHIFT) < 0;
    key.alt = GetKeyState(VK_MENU) < 0;
    switch (virtualKey) {
        case VK_TAB: key.key = Key::Tab; break;
        case VK_RETURN: key.key = Key::Enter; break;
        case VK_SPACE: key.key = Key::Space; break;
        case VK_ESCAPE: key.key = Key::Escape; break;
        case VK_UP: key.key = Key::Up; break;
        case VK_DOWN: key.key = Key::Down; break;
        case VK_HOME: key.key = Key::Home; break;
        case VK_END: key.key = Key::End; break;
        case VK_F4: key.key = key.alt ? Key::Other : Key::F4; break;
        default: break;
    }
    return key;
}

int SignedLow(LPARAM value) { return static_cast<short>(LOWORD(static_cast<DWORD_PTR>(value))); }
int SignedHigh(LPARAM value) { return static_cast<short>(HIWORD(static_cast<DWORD_PTR>(value))); }

// The work area of the monitor that shows most of the window.
RECT WorkAreaOf(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) return info.rcWork;
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

// BeginPaint and its EndPaint.
class CPaintScope {
public:
    explicit CPaintScope(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~CPaintScope() { EndPaint(window_, &paint_); }
    CPaintScope(const CPaintScope&) = delete;
    CPaintScope& operator=(const CPaintScope&) = delete;
    HDC Dc() const { return dc_; }
    const RECT& Dirty() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

}  // namespace

CWinHostWindow::CWinHostWindow(IHostWindowEvents& events, const HostWindowOptions& options, CWinFonts& fonts)
    : events_(events),
      fonts_(fonts),
      owner_(dynamic_cast<CWinHostWindow*>(options.owner)),
      style_(options.style),
      exStyle_(options.exStyle),
      transparent_(options.transparent),
      clientSize_{std::max(1, options.size.cx), std::max(1, options.size.cy)},
      scale_(PrimaryScreenScale()) {
    const std::wstring className = options.className.empty() ? std::wstring(kToolkitClassName) : options.className;
    const uint32_t classStyle = options.classStyle != 0 ? options.classStyle : kToolkitClassStyle;
    if (!EnsureWindowClass(className, classStyle, &CWinHostWindow::WindowProcedure)) return;
    // Made hidden (Show comes later) and enabled; the other bits as asked.
    const DWORD style = style_ & ~static_cast<DWORD>(WS_VISIBLE | WS_DISABLED);
    const Size pixels = SurfacePixelSize();
    HWND window = CreateWindowExW(NativeExStyle(), className.c_str(), options.title.c_str(), style, 0, 0, pixels.cx,
                                  pixels.cy, owner_ ? owner_->Handle() : nullptr, nullptr, GetModuleHandleW(nullptr),
                                  this);
    if (window == nullptr) {
        CCTLog::Instance().Log(LogLevel::Error, "CWinHostWindow::Create", L"CreateWindowExW failed (%lu)", GetLastError());
        return;
    }
    hwnd_.Reset(window);
    scale_ = WindowScale(window);
    ApplySize();
}

CWinHostWindow::~CWinHostWindow() {
    // Objects that clients still hold answer from now on that they are
    // disconnected.
    accessible_.reset();
    if (!hwnd_) return;
    // The messages of the window's own destruction find no object any more.
    SetWindowLongPtrW(hwnd_.Get(), GWLP_USERDATA, 0);
    if (modalRunning_ && owner_ && !owner_->IsInputEnabled()) owner_->SetInputEnabled(true);
    hwnd_.Reset();
}

LRESULT CALLBACK CWinHostWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<CWinHostWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return self->HandleMessage(window, message, wParam, lParam);
}

LRESULT CWinHostWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        // The skinned windows draw their own frame: the client area is the
        // whole window, whatever style bits are left.
        case WM_NCCALCSIZE:
            if (wParam) return 0;
            break;
        case WM_NCPAINT:
            return 0;
        case WM_NCACTIVATE:
            // -1: activation changes without the system painting a caption.
            return DefWindowProcW(window, message, wParam, -1);
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            OnPaintMessage(window);
            return 0;
        case kLayeredRepaintMessage:
            layeredRepaintPosted_ = false;
            if (transparent_ && !layeredDirty_.IsEmpty()) {
                // Taken first: what the painting itself invalidates waits
                // for the next round.
                const Rect dirty = layeredDirty_;
                layeredDirty_ = {};
                PaintSurface(dirty);
                PresentLayered();
            }
            return 0;
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) OnSizeMessage({LOWORD(lParam), HIWORD(lParam)});
            return 0;
        case WM_DPICHANGED: {
            scale_ = HIWORD(wParam) / kDefaultDpi;
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window, nullptr, suggested->left, suggested->top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            ApplySize();
            return 0;
        }
        case WM_GETMINMAXINFO: {
            // Maximised, a window without a frame covers the work area, not
            // the task bar.
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            MONITORINFO monitor{};
            monitor.cbSize = sizeof(monitor);
            if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) {
                info->ptMaxPosition = {monitor.rcWork.left - monitor.rcMonitor.left,
                                       monitor.rcWork.top - monitor.rcMonitor.top};
                info->ptMaxSize = {monitor.rcWork.right - monitor.rcWork.left,
                                   monitor.rcWork.bottom - monitor.rcWork.top};
            }
            return 0;
        }
        case WM_MOUSEMOVE:
            if (!inputEnabled_) return 0;
            if (!trackingLeave_) {
                TRACKMOUSEEVENT track{};
                track.cbSize = sizeof(track);
                track.dwFlags = TME_LEAVE;
                track.hwndTrack = window;
                trackingLeave_ = TrackMouseEvent(&track) != FALSE;
            }
            events_.OnMouseMove(ToClient(SignedLow(lParam), SignedHigh(lParam)));
            return 0;
        case WM_MOUSELEAVE:
            trackingLeave_ = false;
            if (inputEnabled_) events_.OnMouseLeave();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            OnMouseButton(message, lParam);
            return 0;
        case WM_MOUSEWHEEL: {
            if (!inputEnabled_) return 0;
            // Fine-grained wheels send fractions of a notch; they add up.
            wheelRemainder_ += GET_WHEEL_DELTA_WPARAM(wParam);
            const int notches = wheelRemainder_ / kWheelNotch;
            wheelRemainder_ %= kWheelNotch;
            if (notches != 0) {
                POINT at{SignedLow(lParam), SignedHigh(lParam)};  // screen coordinates
                ScreenToClient(window, &at);
                events_.OnMouseWheel(notches, ToClient(at.x, at.y));
            }
            return 0;
        }
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            const KeyPress key = KeyOf(wParam);
            if (key.key != Key::Other && inputEnabled_ && events_.OnKeyDown(key)) return 0;
            break;
        }
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT) {
                ::SetCursor(CursorHandle());
                return TRUE;
            }
            break;
        case WM_TIMER:
            events_.OnTimer(static_cast<uint32_t>(wParam));
            return 0;
        case WM_CLOSE:
            // The toolkit window decides whether and how it closes.
            if (inputEnabled_) events_.OnCloseRequested();
            return 0;
        case WM_GETOBJECT:
            // The client area is ours; the frame and everything else stay
            // the system's, and UI Automation clients read ours through its
            // MSAA proxy.
            if (static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT) &&
                events_.AccessibleContent() != nullptr) {
                if (!accessible_) accessible_ = std::make_unique<CWinAccessible>(*this, events_);
                return accessible_->ClientObjectResult(wParam);
            }
            break;
        case CWinAccessible::kDefaultActionMessage:
            if (accessible_) accessible_->RunDefaultAction(static_cast<LONG>(static_cast<LONG_PTR>(wParam)));
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void CWinHostWindow::OnPaintMessage(HWND window) {
    const CPaintScope paint(window);
    if (transparent_ || paint.Dc() == nullptr) return;  // layered windows are presented, not painted
    const Rect dirty = ToRect(paint.Dirty());
    PaintSurface(dirty);
    if (surface_.IsReady()) {
        BitBlt(paint.Dc(), dirty.left, dirty.top, dirty.Width(), dirty.Height(), surface_.Dc(), dirty.left,
               dirty.top, SRCCOPY);
    }
}

// The system resized the window (maximise, restore): the surface follows and
// the client size is what remains inside the margin.
void CWinHostWindow::OnSizeMessage(Size pixels) {
    if (pixels == surface_.PixelSize() || pixels.cx <= 0 || pixels.cy <= 0) return;
    if (!surface_.Resize(pixels)) return;
    clientSize_ = {std::max(1, static_cast<int>(std::lround(pixels.cx / scale_)) - shadow_.margin.left - shadow_.margin.right),
                   std::max(1, static_cast<int>(std::lround(pixels.cy / scale_)) - shadow_.margin.top - shadow_.margin.bottom)};
    InvalidateAll();
}

void CWinHostWindow::OnMouseButton(UINT message, LPARAM lParam) {
    if (!inputEnabled_) return;
    MouseButton button = MouseButton::Left;
    bool pressed = true;
    switch (message) {
        case WM_LBUTTONUP: pressed = false; [[fallthrough]];
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: button = MouseButton::Left; break;
        case WM_RBUTTONUP: pressed = false; [[fallthrough]];
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK: button = MouseButton::Right; break;
        case WM_MBUTTONUP: pressed = false; [[fallthrough]];
        default: button = MouseButton::Middle; break;
    }
    const Point at = ToClient(SignedLow(lParam), SignedHigh(lParam));
    if (pressed) {
        // The release reaches this window even outside it, as the toolkit's
        // buttons expect.
        SetCapture(hwnd_.Get());
        events_.OnMouseDown(button, at);
    } else {
        const bool anyHeld = (GetKeyState(VK_LBUTTON) < 0) || (GetKeyState(VK_RBUTTON) < 0) ||
                             (GetKeyState(VK_MBUTTON) < 0);
        if (!anyHeld && GetCapture() == hwnd_.Get()) ReleaseCapture();
        events_.OnMouseUp(button, at);
    }
}

void CWinHostWindow::Paint(Gdiplus::Graphics& graphics, double scale, const Rect& dirtyPixels) {
    PrepareGraphics(graphics);
    graphics.SetClip(ToGdiRect(dirtyPixels));
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    const Gdiplus::SolidBrush background(transparent_ ? Gdiplus::Color(0, 0, 0, 0)
                                                      : Gdiplus::Color(255, 255, 255, 255));
    graphics.FillRectangle(&background, ToGdiRect(dirtyPixels));
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
    const auto factor = static_cast<Gdiplus::REAL>(scale);
    graphics.ScaleTransform(factor, factor);
    CWinCanvas canvas(graphics, fonts_);
    DrawWindowShadow(canvas, shadow_, SurfaceSize());
    graphics.TranslateTransform(static_cast<Gdiplus::REAL>(shadow_.margin.left), static_cast<Gdiplus::REAL>(shadow_.margin.top));
    const Rect dirty{static_cast<int>(std::floor(dirtyPixels.left / scale)),
                     static_cast<int>(std::floor(dirtyPixels.top / scale)),
                     static_cast<int>(std::ceil(dirtyPixels.right / scale)),
                     static_cast<int>(std::ceil(dirtyPixels.bottom / scale))};
    events_.OnPaint(canvas, dirty.Offset(-shadow_.margin.left, -shadow_.margin.top));
}

void CWinHostWindow::PaintSurface(const Rect& dirtyPixels) {
    if (!surface_.IsReady()) return;
    const Size size = surface_.PixelSize();
    const Rect dirty = dirtyPixels.Intersect({0, 0, size.cx, size.cy});
    if (dirty.IsEmpty()) return;
    GdiFlush();  // GDI is done with the pixels before GDI+ writes them
    Gdiplus::Graphics graphics(&surface_.View());
    Paint(graphics, scale_, dirty);
    graphics.Flush(Gdiplus::FlushIntentionSync);
}

void CWinHostWindow::PresentLayered() {
    if (!hwnd_ || !surface_.IsReady()) return;
    const Size size = surface_.PixelSize();
    SIZE extent{size.cx, size.cy};
    POINT origin{0, 0};
    BLENDFUNCTION blend{};
    blend.BlendOp = AC_SRC_OVER;
    blend.SourceConstantAlpha = 255;
    blend.AlphaFormat = AC_SRC_ALPHA;  // the surface's own premultiplied alpha
    if (!UpdateLayeredWindow(hwnd_.Get(), nullptr, nullptr, &extent, surface_.Dc(), &origin, 0, &blend, ULW_ALPHA)) {
        CCTLog::Instance().Log(LogLevel::Error, "CWinHostWindow::PresentLayered", L"UpdateLayeredWindow failed (%lu)",
                               GetLastError());
    }
}

void CWinHostWindow::ScheduleLayeredRepaint() {
    if (layeredRepaintPosted_ || !hwnd_) return;
    layeredRepaintPosted_ = PostMessageW(hwnd_.Get(), kLayeredRepaintMessage, 0, 0) != FALSE;
}

DWORD CWinHostWindow::NativeExStyle() const {
    return static_cast<DWORD>(exStyle_) | (transparent_ ? static_cast<DWORD>(WS_EX_LAYERED) : 0);
}

Size CWinHostWindow::SurfaceSize() const {
    return {clientSize_.cx + shadow_.margin.left + shadow_.margin.right, clientSize_.cy + shadow_.margin.top + shadow_.margin.bottom};
}

Size CWinHostWindow::SurfacePixelSize() const {
    const Size size = SurfaceSize();
    return {std::max(1, Scaled(size.cx, scale_)), std::max(1, Scaled(size.cy, scale_))};
}

Rect CWinHostWindow::ToSurfacePixels(const Rect& client) const {
    const Rect surface = client.Offset(shadow_.margin.left, shadow_.margin.top);
    return {static_cast<int>(std::floor(surface.left * scale_)), static_cast<int>(std::floor(surface.top * scale_)),
            static_cast<int>(std::ceil(surface.right * scale_)), static_cast<int>(std::ceil(surface.bottom * scale_))};
}

RECT CWinHostWindow::ScreenRectOf(const Rect& client) const {
    RECT screen = ToRECT(ToSurfacePixels(client));
    // The whole window is the native client area: no frame lies between.
    if (hwnd_) MapWindowPoints(hwnd_.Get(), nullptr, reinterpret_cast<POINT*>(&screen), 2);
    return screen;
}

Point CWinHostWindow::ClientPointFromScreen(POINT screen) const {
    if (hwnd_) ScreenToClient(hwnd_.Get(), &screen);
    return ToClient(screen.x, screen.y);
}

Point CWinHostWindow::ToClient(int surfaceX, int surfaceY) const {
    return {static_cast<int>(std::floor(surfaceX / scale_)) - shadow_.margin.left,
            static_cast<int>(std::floor(surfaceY / scale_)) - shadow_.margin.top};
}

HCURSOR CWinHostWindow::CursorHandle() const {
    return LoadCursorW(nullptr, cursor_ == CursorShape::Hand ? IDC_HAND : IDC_ARROW);
}

void CWinHostWindow::ApplySize() {
    const Size pixels = SurfacePixelSize();
    if (!surface_.Resize(pixels)) return;
    if (hwnd_) {
        SetWindowPos(hwnd_.Get(), nullptr, 0, 0, pixels.cx, pixels.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateAll();
}

void CWinHostWindow::Show() {
    if (!hwnd_) return;
    if (transparent_) {
        // A layered window shows nothing until it has been handed its content.
        const Size size = surface_.PixelSize();
        layeredDirty_ = {};
        PaintSurface({0, 0, size.cx, size.cy});
        PresentLayered();
    }
    ShowWindow(hwnd_.Get(), SW_SHOW);
}

void CWinHostWindow::Hide() {
    if (hwnd_) ShowWindow(hwnd_.Get(), SW_HIDE);
}

bool CWinHostWindow::IsVisible() const { return hwnd_ && IsWindowVisible(hwnd_.Get()); }

void CWinHostWindow::SetTitle(const std::wstring& title) {
    if (hwnd_) SetWindowTextW(hwnd_.Get(), title.c_str());
}

std::wstring CWinHostWindow::Title() const {
    if (!hwnd_) return {};
    const int length = GetWindowTextLengthW(hwnd_.Get());
    if (length <= 0) return {};
    std::wstring title(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd_.Get(), title.data(), length + 1);
    title.resize(static_cast<size_t>(std::max(0, copied)));
    return title;
}

// The style bits as the window base gives them; the state bits (visible,
// disabled, minimised, maximised) stay as the window is now.
void CWinHostWindow::SetStyle(uint32_t style, uint32_t exStyle) {
    style_ = style;
    exStyle_ = exStyle;
    if (!hwnd_) return;
    constexpr DWORD kStateBits = WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE;
    const auto current = static_cast<DWORD>(GetWindowLongPtrW(hwnd_.Get(), GWL_STYLE));
    const DWORD native = (static_cast<DWORD>(style) & ~kStateBits) | (current & kStateBits);
    SetWindowLongPtrW(hwnd_.Get(), GWL_STYLE, static_cast<LONG_PTR>(native));
    SetWindowLongPtrW(hwnd_.Get(), GWL_EXSTYLE, static_cast<LONG_PTR>(NativeExStyle()));
    SetWindowPos(hwnd_.Get(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWinHostWindow::SetTransparent(bool transparent) {
    if (transparent == transparent_) return;
    transparent_ = transparent;
    if (!hwnd_) return;
    SetWindowLongPtrW(hwnd_.Get(), GWL_EXSTYLE, static_cast<LONG_PTR>(NativeExStyle()));
    InvalidateAll();
}

void CWinHostWindow::SetShadow(ShadowImageSource image, const Corners& margin) {
    shadow_ = PendingWindowShadow(std::move(image), margin);
    ApplySize();  // the client keeps its size; the surface grows by the margin
}

void CWinHostWindow::SetProgramIcon(int resourceId) {
    if (!hwnd_) return;
    // Each size drawn by the system from the icon resource (the task bar and
    // Alt+Tab the big one, the caption and the window list the small one),
    // not one bitmap scaled by the shell.
    const auto load = [resourceId](int widthMetric, int heightMetric) {
        return CIconHandle(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId),
                                                         IMAGE_ICON, GetSystemMetrics(widthMetric),
                                                         GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR)));
    };
    CIconHandle bigIcon = load(SM_CXICON, SM_CYICON);
    CIconHandle smallIcon = load(SM_CXSMICON, SM_CYSMICON);
    if (!bigIcon || !smallIcon) {
        CCTLog::Instance().Log(LogLevel::Error, "CWinHostWindow::SetProgramIcon", L"icon resource %d not loaded (%lu)", resourceId,
                               static_cast<unsigned long>(GetLastError()));
        return;
    }
    SendMessageW(hwnd_.Get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon.Get()));
    SendMessageW(hwnd_.Get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon.Get()));
    // The window no longer shows the previous ones.
    bigIcon_ = std::move(bigIcon);
    smallIcon_ = std::move(smallIcon);
}

void CWinHostWindow::Resize(Size size) {
    clientSize_ = {std::max(1, size.cx), std::max(1, size.cy)};
    ApplySize();
}

void CWinHostWindow::Center() {
    if (!hwnd_) return;
    RECT window{};
    if (!GetWindowRect(hwnd_.Get(), &window)) return;
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    const RECT work = WorkAreaOf(owner_ ? owner_->Handle() : hwnd_.Get());
    RECT area = work;
    if (owner_ && owner_->Handle() && IsWindowVisible(owner_->Handle()) && !IsIconic(owner_->Handle())) {
        GetWindowRect(owner_->Handle(), &area);
    }
    int left = area.left + (area.right - area.left - width) / 2;
    int top = area.top + (area.bottom - area.top - height) / 2;
    // Centred on an owner near a screen edge, the window still starts on
    // the screen, where its drag area can be reached.
    left = std::max<int>(work.left, std::min<int>(left, work.right - width));
    top = std::max<int>(work.top, std::min<int>(top, work.bottom - height));
    SetWindowPos(hwnd_.Get(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWinHostWindow::Minimize() {
    if (hwnd_) ShowWindow(hwnd_.Get(), SW_MINIMIZE);
}
void CWinHostWindow::Maximize() {
    if (hwnd_) ShowWindow(hwnd_.Get(), SW_MAXIMIZE);
}
void CWinHostWindow::Restore() {
    if (hwnd_) ShowWindow(hwnd_.Get(), SW_RESTORE);
}

// The system's own move loop, as when the caption is dragged; it returns
// when the button is released, so the toolkit sees no release.
void CWinHostWindow::StartMove() {
    if (!hwnd_) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    ReleaseCapture();
    SendMessageW(hwnd_.Get(), WM_NCLBUTTONDOWN, HTCAPTION,
                 MAKELPARAM(static_cast<WORD>(static_cast<short>(cursor.x)),
                            static_cast<WORD>(static_cast<short>(cursor.y))));
    trackingLeave_ = false;  // the move loop may have eaten the leave notice
}

void CWinHostWindow::SetInputEnabled(bool enabled) {
    inputEnabled_ = enabled;
    if (hwnd_) EnableWindow(hwnd_.Get(), enabled ? TRUE : FALSE);
}

void CWinHostWindow::Invalidate(const Rect& rect) {
    if (rect.IsEmpty() || !hwnd_) return;
    const Rect pixels = ToSurfacePixels(rect);
    if (transparent_) {
        layeredDirty_ = Union(layeredDirty_, pixels);
        ScheduleLayeredRepaint();
    } else {
        const RECT native = ToRECT(pixels);
        InvalidateRect(hwnd_.Get(), &native, FALSE);
    }
}

void CWinHostWindow::InvalidateAll() {
    if (!hwnd_) return;
    if (transparent_) {
        const Size size = surface_.PixelSize();
        layeredDirty_ = {0, 0, size.cx, size.cy};
        ScheduleLayeredRepaint();
    } else {
        InvalidateRect(hwnd_.Get(), nullptr, FALSE);
    }
}

void CWinHostWindow::SetCursor(CursorShape cursor) {
    cursor_ = cursor;
    if (!hwnd_) return;
    // Over the window now: the new shape at once, not at the next move.
    POINT at{};
    if (GetCursorPos(&at) && WindowFromPoint(at) == hwnd_.Get()) ::SetCursor(CursorHandle());
}

void CWinHostWindow::NotifyAccessible(AccessibleEvent event, Control& element) {
    if (accessible_) accessible_->Notify(event, element);
}

void CWinHostWindow::SetTimer(uint32_t timerId, uint32_t intervalMs) {
    // The same id on the same window replaces the running timer.
    if (hwnd_) ::SetTimer(hwnd_.Get(), timerId, std::max<UINT>(intervalMs, USER_TIMER_MINIMUM), nullptr);
}

void CWinHostWindow::KillTimer(uint32_t timerId) {
    if (hwnd_) ::KillTimer(hwnd_.Get(), timerId);
}

int CWinHostWindow::RunModal() {
    if (modalRunning_ || !hwnd_) return 0;  // already running: a second loop would never be ended
    CModalOwnerInput ownerInput(owner_);
    modalRunning_ = true;
    modalEnded_ = false;
    modalCode_ = 0;
    Show();
    while (!modalEnded_) {
        MSG message{};
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // The program is quitting: the outer loop must see it too.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got == -1) break;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    modalRunning_ = false;
    // Before the caller hides this window, so that the system activates the
    // owner again rather than some other program.
    ownerInput.Restore();
    return modalCode_;
}

void CWinHostWindow::EndModal(int code) {
    if (!modalRunning_) return;
    modalCode_ = code;
    modalEnded_ = true;
    // Wakes the loop should this come from outside a message it dispatched.
    PostMessageW(hwnd_.Get(), WM_NULL, 0, 0);
}

Size CWinHostWindow::PaintInto(std::vector<Argb>& pixels) {
    const Size size = SurfaceSize();
    if (size.cx <= 0 || size.cy <= 0) return {};
    pixels.assign(static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy), 0);
    Gdiplus::Bitmap view(size.cx, size.cy, size.cx * 4, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(pixels.data()));
    if (view.GetLastStatus() != Gdiplus::Ok) return {};
    {
        Gdiplus::Graphics graphics(&view);
        Paint(graphics, 1.0, {0, 0, size.cx, size.cy});
    }
    return size;
}

bool CWinHostWindow::SaveScreenshot(const std::wstring& path) {
    // Painting into a bitmap rather than grabbing the screen works for hidden
    // and covered windows too.
    const Size size = SurfacePixelSize();
    Gdiplus::Bitmap image(size.cx, size.cy, PixelFormat32bppPARGB);
    if (image.GetLastStatus() != Gdiplus::Ok) return false;
    {
        Gdiplus::Graphics graphics(&image);
        Paint(graphics, scale_, {0, 0, size.cx, size.cy});
    }
    const std::string png = EncodePng(image);
    if (png.empty()) return false;
    return ReplaceFileAtomically(path, png);
}

}  // namespace ui::win
