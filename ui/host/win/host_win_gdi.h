#pragma once
// Windows, GDI and GDI+ for the Win32 host only: the headers in the order they
// need, owners for the handles the host keeps, the conversions between the
// toolkit's plain types and GDI+'s, and the 32-bit surface every window,
// screenshot and the measuring canvas draw on.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// The toolkit's ICanvas::DrawText is ours, not GDI's DrawTextW.
#undef DrawText
// The lean Windows header leaves out the COM declarations GDI+ uses (IStream,
// PROPID); GDI+ itself calls min and max unqualified.
#include <objidl.h>

#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <type_traits>

#include "shell/com_win.h"
#include "shell/scoped_handle_win.h"
#include "ui/toolkit/geometry.h"

namespace ui::win {

// --- Owners of the system's handles ---------------------------------------

using CBitmapHandle = ScopedHandle<NullableHandleTraits<HBITMAP, &DeleteObject>>;
using CFontHandle = ScopedHandle<NullableHandleTraits<HFONT, &DeleteObject>>;
using CMemoryDc = ScopedHandle<NullableHandleTraits<HDC, &DeleteDC>>;
using CIconHandle = ScopedHandle<NullableHandleTraits<HICON, &DestroyIcon>>;
using CWindowHandle = ScopedHandle<NullableHandleTraits<HWND, &DestroyWindow>>;
// A font registered with GDI for this process (AddFontMemResourceEx).
using CFontResource = ScopedHandle<NullableHandleTraits<HANDLE, &RemoveFontMemResourceEx>>;

// The screen's device context of GetDC(nullptr), given back when it goes.
struct ScreenDcTraits {
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle dc) { return dc != nullptr; }
    static void Close(Handle dc) { ReleaseDC(nullptr, dc); }
};
using CScreenDc = ScopedHandle<ScreenDcTraits>;

// GDI+ for the life of the process: started once by the host, which is
// never destroyed, so every GDI+ object it made is gone before a shutdown.
class CGdiplusSession {
public:
    CGdiplusSession();
    ~CGdiplusSession();
    CGdiplusSession(const CGdiplusSession&) = delete;
    CGdiplusSession& operator=(const CGdiplusSession&) = delete;
    bool IsStarted() const { return token_ != 0; }

private:
    ULONG_PTR token_ = 0;
};

// --- Conversions ------------------------------------------------------------

inline Gdiplus::Rect ToGdiRect(const Rect& r) { return Gdiplus::Rect(r.left, r.top, r.Width(), r.Height()); }
inline Gdiplus::RectF ToGdiRectF(const Rect& r) {
    return Gdiplus::RectF(static_cast<Gdiplus::REAL>(r.left), static_cast<Gdiplus::REAL>(r.top),
                          static_cast<Gdiplus::REAL>(r.Width()), static_cast<Gdiplus::REAL>(r.Height()));
}
inline RECT ToRECT(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
inline Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
// Argb and GDI+'s ARGB share the 0xAARRGGBB layout.
inline Gdiplus::Color ToGdiColor(Argb color) { return Gdiplus::Color(static_cast<Gdiplus::ARGB>(color)); }

// --- Surfaces ---------------------------------------------------------------

// A top-down 32-bit DIB section with premultiplied alpha, selected into a
// memory DC and seen by GDI+ as a 32bppPARGB bitmap over the same pixels:
// what GDI+ draws there is what UpdateLayeredWindow and BitBlt take.
class CDibSurface {
public:
    CDibSurface() = default;
    CDibSurface(const CDibSurface&) = delete;
    CDibSurface& operator=(const CDibSurface&) = delete;

    // Makes the surface `size` device pixels large (at least 1×1), cleared to
    // transparent; keeps it when it already is. False when the system refuses.
    bool Resize(Size size);
    bool IsReady() const { return view_ != nullptr; }
    Size PixelSize() const { return size_; }
    HDC Dc() const { return dc_.Get(); }
    Gdiplus::Bitmap& View() const { return *view_; }

private:
    // Declared in release order backwards: the GDI+ view goes first, then the
    // DC (which holds the bitmap selected), then the bitmap.
    CBitmapHandle bitmap_;
    CMemoryDc dc_;
    HGDIOBJ originalBitmap_ = nullptr;
    std::unique_ptr<Gdiplus::Bitmap> view_;
    Size size_;
};

// --- Helpers ----------------------------------------------------------------

// Device pixels per device-independent pixel for a window (GetDpiForWindow
// where the system has it, else the screen's logical DPI): 1 unless the
// program declares itself DPI-aware.
double WindowScale(HWND window);
// The same for the primary screen.
double PrimaryScreenScale();

// The whole bitmap as PNG bytes (GDI+'s PNG encoder); empty on failure.
std::string EncodePng(Gdiplus::Bitmap& bitmap);

// A stream over a copy of the bytes (SHCreateMemStream); null when the
// bytes are too many for it or memory is short.
ComPtr<IStream> MemoryStream(std::span<const std::byte> bytes);

}  // namespace ui::win
