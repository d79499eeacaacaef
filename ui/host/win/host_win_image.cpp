#include "ui/host/win/host_win_image.h"

#include <array>
#include <climits>
#include <cstring>

namespace ui::win {

Size CWinImage::PixelSize() const {
    const int width = static_cast<int>(bitmap_->GetWidth());
    const int height = static_cast<int>(bitmap_->GetHeight());
    return {(width + scale_ / 2) / scale_, (height + scale_ / 2) / scale_};
}

ImagePtr CWinImage::CopyPart(const Rect& area) const {
    const Gdiplus::Rect part(area.left * scale_, area.top * scale_, area.Width() * scale_, area.Height() * scale_);
    std::unique_ptr<Gdiplus::Bitmap> copy(bitmap_->Clone(part, PixelFormat32bppPARGB));
    if (!copy || copy->GetLastStatus() != Gdiplus::Ok) return nullptr;
    return std::make_shared<CWinImage>(std::move(copy), scale_);
}

namespace {

constexpr std::array<unsigned char, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// GDI+ decodes every format it knows from a stream; the toolkit's images are
// PNGs only, so other bytes are refused before GDI+ sees them.
bool HasPngSignature(std::span<const std::byte> bytes) {
    return bytes.size() >= kPngSignature.size() &&
           std::memcmp(bytes.data(), kPngSignature.data(), kPngSignature.size()) == 0;
}

}  // namespace

std::unique_ptr<Gdiplus::Bitmap> DecodePngBitmap(std::span<const std::byte> bytes) {
    if (!HasPngSignature(bytes) || bytes.size() > INT_MAX) return nullptr;
    const ComPtr<IStream> stream = MemoryStream(bytes);
    if (!stream) return nullptr;
    // A bitmap from a stream decodes lazily and keeps the stream; the copy
    // below reads it whole while both are alive.
    std::unique_ptr<Gdiplus::Bitmap> decoded(Gdiplus::Bitmap::FromStream(stream.Get()));
    if (!decoded || decoded->GetLastStatus() != Gdiplus::Ok) return nullptr;
    const UINT width = decoded->GetWidth();
    const UINT height = decoded->GetHeight();
    if (width == 0 || height == 0 || width > INT_MAX / 4 || height > INT_MAX) return nullptr;

    // Premultiplied pixels are what GDI+ blends fastest. Reading the decoded
    // image straight into the new bitmap's locked pixels converts the format
    // exactly, without the resampling a DrawImage copy could bring.
    auto pixels = std::make_unique<Gdiplus::Bitmap>(static_cast<INT>(width), static_cast<INT>(height),
                                                    PixelFormat32bppPARGB);
    if (pixels->GetLastStatus() != Gdiplus::Ok) return nullptr;
    const Gdiplus::Rect whole(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    Gdiplus::BitmapData target{};
    if (pixels->LockBits(&whole, Gdiplus::ImageLockModeWrite, PixelFormat32bppPARGB, &target) != Gdiplus::Ok)
        return nullptr;
    Gdiplus::BitmapData source = target;  // the same buffer, handed to the decoded image
    const Gdiplus::Status read = decoded->LockBits(
        &whole, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf, PixelFormat32bppPARGB, &source);
    if (read == Gdiplus::Ok) decoded->UnlockBits(&source);
    pixels->UnlockBits(&target);
    if (read != Gdiplus::Ok) return nullptr;
    return pixels;
}

ImagePtr DecodePng(std::span<const std::byte> bytes, int scale) {
    if (scale < 1 || scale > 4) return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> bitmap = DecodePngBitmap(bytes);
    if (!bitmap) return nullptr;
    return std::make_shared<CWinImage>(std::move(bitmap), scale);
}

}  // namespace ui::win
