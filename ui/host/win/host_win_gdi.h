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

#include "ui/toolkit/geometry.h"

namespace ui::win {

// --- Owners of the system's handles ---------------------------------------

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using CUniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;
using CUniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;

struct MemoryDcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using CUniqueMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;

struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using CUniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

struct WindowDeleter {
    void operator()(HWND window) const { DestroyWindow(window); }
};
using CUniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDeleter>;

// A font registered with GDI for this process (AddFontMemResourceEx).
struct FontResourceDeleter {
    void operator()(HANDLE font) const { RemoveFontMemResourceEx(font); }
};
using CUniqueFontResource = std::unique_ptr<void, FontResourceDeleter>;

struct ComReleaser {
    void operator()(IUnknown* object) const { object->Release(); }
};
using CUniqueStream = std::unique_ptr<IStream, ComReleaser>;

// The screen's device context, given back when it goes.
class CScreenDc {
public:
    CScreenDc() : dc_(GetDC(nullptr)) {}
    ~CScreenDc() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    CScreenDc(const CScreenDc&) = delete;
    CScreenDc& operator=(const CScreenDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

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
    HDC Dc() const { return dc_.get(); }
    Gdiplus::Bitmap& View() const { return *view_; }

private:
    // Declared in release order backwards: the GDI+ view goes first, then the
    // DC (which holds the bitmap selected), then the bitmap.
    CUniqueBitmap bitmap_;
    CUniqueMemoryDc dc_;
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
CUniqueStream MemoryStream(std::span<const std::byte> bytes);

}  // namespace ui::win
