#pragma once
// The platform side of the toolkit: native windows, their input, painting,
// timers, modal runs and the one cross-thread message. One implementation per
// platform, each in files of its own (host_qt*.cpp on Linux, host_win*.cpp on
// Windows); the toolkit core and everything above it see only this header.
//
// Every call is made on the window thread except IHost::Post.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ui/toolkit/canvas.h"
#include "ui/toolkit/geometry.h"
#include "ui/toolkit/window_shadow.h"

namespace ui {

class Control;
class CPaintManager;

enum class MouseButton { Left, Right, Middle };
enum class CursorShape { Arrow, Hand };

// The keys the toolkit acts on; hosts report every other key as Other.
enum class Key { Tab, Enter, Space, Escape, Up, Down, Home, End, F4, Other };

struct KeyPress {
    Key key = Key::Other;
    bool shift = false;
    bool alt = false;
};

// What assistive technology hears of a window's elements.
enum class AccessibleEvent {
    Focus,             // the element took the keyboard focus
    NameChanged,       // its text, or the name it is read by
    StateChanged,      // pressed, selected, opened, enabled
    ChildrenChanged,   // a page change: what the element holds is new
    Removed,           // the element is being destroyed
};

// What a native window tells the toolkit window above it.
class IHostWindowEvents {
public:
    virtual ~IHostWindowEvents() = default;

    // Paint everything inside `dirty` (window coordinates).
    virtual void OnPaint(ICanvas& canvas, const Rect& dirty) = 0;
    virtual void OnMouseMove(Point at) = 0;
    virtual void OnMouseDown(MouseButton button, Point at) = 0;
    virtual void OnMouseUp(MouseButton button, Point at) = 0;
    virtual void OnMouseLeave() = 0;
    // delta in wheel notches: positive away from the user.
    virtual void OnMouseWheel(int delta, Point at) = 0;
    virtual void OnTimer(uint32_t timerId) = 0;
    // A key went down while the window had the keyboard; false when the
    // toolkit had no use for it (the host may then do its own).
    virtual bool OnKeyDown(const KeyPress& key) = 0;
    // The user asked to close the window (system menu, window manager).
    virtual void OnCloseRequested() = 0;
    // The element tree that assistive technology reads; null for none.
    virtual CPaintManager* AccessibleContent() { return nullptr; }
};

struct HostWindowOptions {
    std::wstring title;
    Size size;                     // client size in device-independent pixels
    bool transparent = false;      // per-pixel transparent background
    class IHostWindow* owner = nullptr;
    uint32_t style = 0;            // window_styles.h
    uint32_t exStyle = 0;
    // The window's class, by which other programs find it (Win32 registers
    // one class per name, with the class style); empty: the toolkit's own.
    std::wstring className{};
    uint32_t classStyle = 0;       // window_styles.h, kClassStyle...
};

class IHostWindow {
public:
    virtual ~IHostWindow() = default;

    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual bool IsVisible() const = 0;
    virtual void SetTitle(const std::wstring& title) = 0;
    virtual std::wstring Title() const = 0;
    // Style flags (window_styles.h); hosts map what their platform has.
    virtual void SetStyle(uint32_t style, uint32_t exStyle) = 0;
    virtual uint32_t Style() const = 0;
    virtual uint32_t ExStyle() const = 0;
    // Before the first Show: a per-pixel transparent background, and a drop
    // shadow drawn from a nine-slice image in a margin around the client area
    // (the margin is the image's corners). The margin applies at once; the
    // image is asked for at the first frame. Every other call of this
    // interface and of IHostWindowEvents stays in client coordinates.
    virtual void SetTransparent(bool transparent) = 0;
    virtual void SetShadow(ShadowImageSource image, const Corners& margin) = 0;
    // The window's icon (task bar, window switcher): the program's icon
    // resource of that id. Windows keeps it as a real icon resource in the
    // sizes the system asks for; elsewhere it is the embedded "ICON" PNG.
    virtual void SetProgramIcon(int resourceId) = 0;
    virtual void Resize(Size size) = 0;
    virtual Size ClientSize() const = 0;
    // Centres on the owner, or on the screen without one.
    virtual void Center() = 0;
    virtual void Minimize() = 0;
    virtual void Maximize() = 0;
    virtual void Restore() = 0;
    // Lets the window manager move the window with the pressed mouse button:
    // called from OnMouseDown inside the drag area.
    virtual void StartMove() = 0;
    // Input disabled (a modal child runs) or enabled again.
    virtual void SetInputEnabled(bool enabled) = 0;
    virtual bool IsInputEnabled() const = 0;

    virtual void Invalidate(const Rect& rect) = 0;
    virtual void InvalidateAll() = 0;
    virtual void SetCursor(CursorShape cursor) = 0;
    // Passes an element's change on to assistive technology; hosts do
    // nothing while none listens.
    virtual void NotifyAccessible(AccessibleEvent event, Control& element) {
        (void)event;
        (void)element;
    }

    // A repeating timer; the same id restarts it.
    virtual void SetTimer(uint32_t timerId, uint32_t intervalMs) = 0;
    virtual void KillTimer(uint32_t timerId) = 0;

    // Runs a nested loop until EndModal; the owner (if any) takes no input
    // meanwhile. Returns the code given to EndModal.
    virtual int RunModal() = 0;
    virtual void EndModal(int code) = 0;

    // The window's current content as an image file (PNG), for tests and
    // screenshots.
    virtual bool SaveScreenshot(const std::wstring& path) = 0;
    // The whole window drawn now into premultiplied 0xAARRGGBB pixels, row
    // by row at one pixel per device-independent pixel; returns the size
    // (shadow margin included).
    virtual Size PaintInto(std::vector<Argb>& pixels) = 0;
};

class IHost {
public:
    virtual ~IHost() = default;

    virtual std::unique_ptr<IHostWindow> CreateHostWindow(IHostWindowEvents& events,
                                                          const HostWindowOptions& options) = 0;
    // PNG bytes to an image; nothing when they are not a PNG.
    virtual ImagePtr DecodeImage(std::span<const std::byte> bytes) = 0;
    // PNG bytes drawn for `scale` device pixels per device-independent pixel
    // (2 for a "name@2x.png" twin, picked where ScreenScale() is 2): the image
    // reports its size divided by the scale and takes the place of the 1x
    // image with the same source rectangles and corners.
    virtual ImagePtr DecodeImageAtScale(std::span<const std::byte> bytes, int scale) {
        return scale == 1 ? DecodeImage(bytes) : nullptr;
    }
    // Whether the two calls above may run on any thread, beside the window
    // thread's own work.
    virtual bool DecodesOnAnyThread() const { return false; }
    // Registers font file bytes for this process only; the family name the
    // font declares (the first, when it declares several). Empty when the
    // bytes are no font. The first registered face also draws every family
    // the machine has no font for.
    virtual std::wstring RegisterPrivateFont(std::span<const std::byte> bytes) = 0;
    // Draws text declared in `layoutFamily` (the layouts' "思源黑体 CN Regular")
    // with `faceFamily`, a family RegisterPrivateFont returned. Hosts without
    // fonts of their own (test hosts) may ignore it.
    virtual void AliasFontFamily(const std::wstring& layoutFamily, const std::wstring& faceFamily) {
        (void)layoutFamily;
        (void)faceFamily;
    }
    // Text measurement without a window (layout before the first paint).
    virtual ICanvas& MeasuringCanvas() = 0;
    // Device pixels per device-independent pixel of the primary screen (1, 2).
    virtual double ScreenScale() const = 0;
    // A plain native message box (when no skinned window can be built).
    virtual void ShowNativeMessage(const std::wstring& text, const std::wstring& caption) = 0;

    // The window thread's platform set-up, before the first window: COM in a
    // single-threaded apartment on Windows; on Linux that the display offers
    // a screen to show windows on. False when it fails. EndWindowThread undoes
    // what a successful one did.
    virtual bool BeginWindowThread() { return true; }
    virtual void EndWindowThread() {}

    // The message loop of the program, until Quit.
    virtual int RunMessageLoop() = 0;
    virtual void Quit(int code) = 0;
    // Runs `task` on the window thread soon; callable from any thread.
    virtual void Post(std::function<void()> task) = 0;
};

// The host of this platform, made once per process (the Qt application on
// Linux). argc/argv may carry the platform's own options ("-platform
// offscreen").
IHost& CreatePlatformHost(int& argc, char** argv);
// The same, unless the platform cannot reach its display: then null, and
// `reason` says why in words.
IHost* TryCreatePlatformHost(int& argc, char** argv, std::string& reason);
// The host made by CreatePlatformHost; null before.
IHost* PlatformHost();

}  // namespace ui
