#include "ui/host/qt/host_qt_canvas.h"

#include <QImage>
#include <QPen>
#include <algorithm>
#include <cmath>

#include "ui/host/qt/host_qt_convert.h"
#include "ui/host/qt/host_qt_image.h"
#include "ui/host/qt/host_qt_text.h"
#include "ui/toolkit/nine_slice.h"

namespace ui::qt {

CQtCanvas::~CQtCanvas() {
    while (clipDepth_ > 0) PopClip();
}

void CQtCanvas::FillRect(const Rect& rect, Argb color) {
    if (!rect.IsEmpty()) painter_.fillRect(ToQRect(rect), ToQColor(color));
}

void CQtCanvas::DrawRoundedFrame(const Rect& rect, int radius, int width, Argb color) {
    if (rect.IsEmpty() || width <= 0) return;
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing);
    QPen pen(ToQColor(color));
    pen.setWidthF(width);
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
    // The pen is centred on the path: half its width inside the rectangle.
    const qreal half = width / 2.0;
    const QRectF path(rect.left + half, rect.top + half, rect.Width() - width, rect.Height() - width);
    const qreal corner = std::max<qreal>(0, radius - half);
    painter_.drawRoundedRect(path, corner, corner);
    painter_.restore();
}

void CQtCanvas::DrawImage(const IImage& image, const Rect& source, const Rect& dest, const Corners& corners,
                          uint8_t alpha) {
    const auto* qtImage = dynamic_cast<const CQtImage*>(&image);
    if (!qtImage || dest.IsEmpty() || alpha == 0) return;
    const QImage& pixels = qtImage->Image();
    const qreal ratio = pixels.devicePixelRatio();
    QRectF src(0, 0, pixels.width(), pixels.height());
    if (!source.IsEmpty())
        src = src.intersected(QRectF(source.left * ratio, source.top * ratio, source.Width() * ratio,
                                     source.Height() * ratio));
    if (src.isEmpty()) return;

    painter_.save();
    painter_.setOpacity(alpha / 255.0);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform);
    if (corners.IsEmpty()) {
        painter_.drawImage(QRectF(ToQRect(dest)), pixels, src);
    } else {
        const NineSliceBox<qreal> to{qreal(dest.left), qreal(dest.top), qreal(dest.right), qreal(dest.bottom)};
        const NineSliceBox<qreal> from{src.left(), src.top(), src.right(), src.bottom()};
        ForEachNineSlicePart(to, from, corners, ratio, [&](const NineSliceBox<qreal>& part, const NineSliceBox<qreal>& in) {
            painter_.drawImage(QRectF(QPointF(part.left, part.top), QPointF(part.right, part.bottom)), pixels,
                               QRectF(QPointF(in.left, in.top), QPointF(in.right, in.bottom)));
        });
    }
    painter_.restore();
}

Size CQtCanvas::MeasureText(const std::wstring& text, const FontSpec& font, int maxWidth, uint32_t flags) {
    const CTextLines lines(ToQString(text), fonts_.ToQFont(font), maxWidth, flags);
    QSizeF size = lines.NaturalSize();
    if ((flags & kTextEndEllipsis) && maxWidth > 0) size.setWidth(std::min<qreal>(size.width(), maxWidth));
    return {static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height()))};
}

void CQtCanvas::DrawText(const std::wstring& text, const FontSpec& font, Argb color, const Rect& box,
                         uint32_t flags) {
    if (text.empty() || box.IsEmpty()) return;
    const CTextLines lines(ToQString(text), fonts_.ToQFont(font), box.Width(), flags);
    // Not clipped to the box: a glyph may reach past it (the descender of a
    // large heading); the caller's clips still hold.
    painter_.save();
    painter_.setPen(ToQColor(color));
    lines.Draw(painter_, box, flags);
    painter_.restore();
}

void CQtCanvas::PushClip(const Rect& rect) {
    painter_.save();
    painter_.setClipRect(ToQRect(rect), Qt::IntersectClip);
    ++clipDepth_;
}

void CQtCanvas::PopClip() {
    if (clipDepth_ == 0) return;  // an unmatched pop must not undo the painter's own state
    painter_.restore();
    --clipDepth_;
}

}  // namespace ui::qt
