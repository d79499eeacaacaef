#pragma once
// Decoded images of the Win32 host: a 32bppPARGB GDI+ bitmap and how many of
// its pixels make one device-independent pixel (2 for an "@2x" twin).

#include <cstddef>
#include <memory>
#include <span>

#include "ui/host/win/host_win_gdi.h"
#include "ui/toolkit/canvas.h"

namespace ui::win {

class CWinImage final : public IImage {
public:
    CWinImage(std::unique_ptr<Gdiplus::Bitmap> bitmap, int scale) : bitmap_(std::move(bitmap)), scale_(scale) {}
    Size PixelSize() const override;
    ImagePtr CopyPart(const Rect& area) const override;
    // GDI+ drawing calls take the bitmap as non-const; drawing changes nothing.
    Gdiplus::Bitmap& Bitmap() const { return *bitmap_; }
    int Scale() const { return scale_; }

private:
    std::unique_ptr<Gdiplus::Bitmap> bitmap_;
    int scale_;
};

// PNG bytes to a 32bppPARGB bitmap of their own (the bytes may go after);
// null when they are no PNG or GDI+ cannot decode them.
std::unique_ptr<Gdiplus::Bitmap> DecodePngBitmap(std::span<const std::byte> bytes);

// PNG bytes drawn for `scale` device pixels per device-independent pixel;
// null when the bytes are no PNG or the scale is not 1 to 4.
ImagePtr DecodePng(std::span<const std::byte> bytes, int scale);

}  // namespace ui::win
