#include "ui/host/win/host_win_canvas.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "ui/host/win/host_win_image.h"
#include "ui/host/win/host_win_text.h"
#include "ui/toolkit/nine_slice.h"

namespace ui::win {
namespace {

using Gdiplus::REAL;

}  // namespace

void PrepareGraphics(Gdiplus::Graphics& graphics) {
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
    graphics.SetCompositingQuality(Gdiplus::CompositingQualityHighSpeed);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeNone);
    // Pixel centres at half coordinates: an integer rectangle covers exactly
    // its pixels, and stretched images meet their edges without a seam.
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBilinear);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    graphics.SetPageUnit(Gdiplus::UnitPixel);
}

CWinCanvas::~CWinCanvas() {
    while (!clips_.empty()) PopClip();
}

void CWinCanvas::FillRect(const Rect& rect, Argb color) {
    if (rect.IsEmpty()) return;
    const Gdiplus::SolidBrush brush(ToGdiColor(color));
    graphics_.FillRectangle(&brush, ToGdiRect(rect));
}

void CWinCanvas::DrawRoundedFrame(const Rect& rect, int radius, int width, Argb color) {
    if (rect.IsEmpty() || width <= 0) return;
    // The pen is centred on the path: half its width inside the rectangle.
    const REAL half = static_cast<REAL>(width) / 2;
    const REAL left = static_cast<REAL>(rect.left) + half;
    const REAL top = static_cast<REAL>(rect.top) + half;
    const REAL right = static_cast<REAL>(rect.right) - half;
    const REAL bottom = static_cast<REAL>(rect.bottom) - half;
    const REAL diameter = std::min({2 * std::max<REAL>(0, static_cast<REAL>(radius) - half), right - left, bottom - top});
    Gdiplus::GraphicsPath path;
    if (diameter > 0) {
        path.AddArc(left, top, diameter, diameter, 180, 90);
        path.AddArc(right - diameter, top, diameter, diameter, 270, 90);
        path.AddArc(right - diameter, bottom - diameter, diameter, diameter, 0, 90);
        path.AddArc(left, bottom - diameter, diameter, diameter, 90, 90);
        path.CloseFigure();
    } else {
        path.AddRectangle(Gdiplus::RectF(left, top, right - left, bottom - top));
    }
    const Gdiplus::Pen pen(ToGdiColor(color), static_cast<REAL>(width));
    const Gdiplus::SmoothingMode smoothing = graphics_.GetSmoothingMode();
    graphics_.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics_.DrawPath(&pen, &path);
    graphics_.SetSmoothingMode(smoothing);
}

void CWinCanvas::DrawImage(const IImage& image, const Rect& source, const Rect& dest, const Corners& corners,
                           uint8_t alpha) {
    const auto* winImage = dynamic_cast<const CWinImage*>(&image);
    if (!winImage || dest.IsEmpty() || alpha == 0) return;
    Gdiplus::Bitmap& bitmap = winImage->Bitmap();
    const auto ratio = static_cast<REAL>(winImage->Scale());
    REAL left = 0;
    REAL top = 0;
    auto right = static_cast<REAL>(bitmap.GetWidth());
    auto bottom = static_cast<REAL>(bitmap.GetHeight());
    if (!source.IsEmpty()) {
        left = std::max(left, source.left * ratio);
        top = std::max(top, source.top * ratio);
        right = std::min(right, source.right * ratio);
        bottom = std::min(bottom, source.bottom * ratio);
    }
    if (right <= left || bottom <= top) return;

    // Edge pixels repeat mirrored instead of fading into the transparent
    // outside when GDI+ samples past a part's border.
    Gdiplus::ImageAttributes attributes;
    attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    if (alpha < 255) {
        Gdiplus::ColorMatrix matrix{};
        for (int i = 0; i < 5; ++i) matrix.m[i][i] = 1.0f;
        matrix.m[3][3] = alpha / 255.0f;
        attributes.SetColorMatrix(&matrix, Gdiplus::ColorMatrixFlagsDefault, Gdiplus::ColorAdjustTypeBitmap);
    }
    const auto drawPart = [&](REAL toLeft, REAL toTop, REAL toRight, REAL toBottom, REAL fromLeft, REAL fromTop,
                              REAL fromRight, REAL fromBottom) {
        if (toRight <= toLeft || toBottom <= toTop || fromRight <= fromLeft || fromBottom <= fromTop) return;
        const Gdiplus::RectF to(toLeft, toTop, toRight - toLeft, toBottom - toTop);
        graphics_.DrawImage(&bitmap, to, fromLeft, fromTop, fromRight - fromLeft, fromBottom - fromTop,
                            Gdiplus::UnitPixel, &attributes);
    };

    const auto destLeft = static_cast<REAL>(dest.left);
    const auto destTop = static_cast<REAL>(dest.top);
    const auto destRight = static_cast<REAL>(dest.right);
    const auto destBottom = static_cast<REAL>(dest.bottom);
    if (corners.IsEmpty()) {
        drawPart(destLeft, destTop, destRight, destBottom, left, top, right, bottom);
        return;
    }
    ForEachNineSlicePart(NineSliceBox<REAL>{destLeft, destTop, destRight, destBottom},
                         NineSliceBox<REAL>{left, top, right, bottom}, corners, ratio,
                         [&](const NineSliceBox<REAL>& to, const NineSliceBox<REAL>& from) {
                             drawPart(to.left, to.top, to.right, to.bottom, from.left, from.top, from.right,
                                      from.bottom);
                         });
}

Size CWinCanvas::MeasureText(const std::wstring& text, const FontSpec& font, int maxWidth, uint32_t flags) {
    Gdiplus::SizeF size = NaturalTextSize(graphics_, text, fonts_.FontFor(font, text), maxWidth, flags);
    if ((flags & kTextEndEllipsis) && maxWidth > 0) size.Width = std::min(size.Width, static_cast<REAL>(maxWidth));
    return {static_cast<int>(std::ceil(size.Width)), static_cast<int>(std::ceil(size.Height))};
}

void CWinCanvas::DrawText(const std::wstring& text, const FontSpec& font, Argb color, const Rect& box,
                          uint32_t flags) {
    if (text.empty() || box.IsEmpty()) return;
    // Not clipped to the box: a glyph may reach past it (the descender of a
    // large heading); the caller's clips still hold.
    const Gdiplus::SolidBrush brush(ToGdiColor(color));
    DrawTextLines(graphics_, text, fonts_.FontFor(font, text), brush, box, flags, font.underline);
}

void CWinCanvas::PushClip(const Rect& rect) {
    clips_.push_back(graphics_.Save());
    graphics_.IntersectClip(ToGdiRect(rect));
}

void CWinCanvas::PopClip() {
    if (clips_.empty()) return;  // an unmatched pop must not undo the caller's own state
    graphics_.Restore(clips_.back());
    clips_.pop_back();
}

}  // namespace ui::win
