#include "ui/host/qt/host_qt_canvas.h"

#include <QImage>
#include <algorithm>
#include <cmath>

#include "ui/host/qt/host_qt_convert.h"
#include "ui/host/qt/host_qt_image.h"
#include "ui/host/qt/host_qt_text.h"

namespace ui::qt {
namespace {

// Splits one axis of a nine-slice: the two fixed ends shrink in proportion
// when the span is too short for both.
std::array<qreal, 4> SliceEdges(qreal begin, qreal end, qreal head, qreal tail) {
    const qreal span = end - begin;
    if (head + tail > span && head + tail > 0) {
        const qreal factor = span / (head + tail);
        head *= factor;
        tail *= factor;
    }
    return {begin, begin + head, end - tail, end};
}

}  // namespace

CQtCanvas::~CQtCanvas() {
    while (clipDepth_ > 0) PopClip();
}

void CQtCanvas::FillRect(const Rect& rect, Argb color) {
    if (!rect.IsEmpty()) painter_.fillRect(ToQRect(rect), ToQColor(color));
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
        const auto dx = SliceEdges(dest.left, dest.right, corners.left, corners.right);
        const auto dy = SliceEdges(dest.top, dest.bottom, corners.top, corners.bottom);
        const auto sx = SliceEdges(src.left(), src.right(), corners.left * ratio, corners.right * ratio);
        const auto sy = SliceEdges(src.top(), src.bottom(), corners.top * ratio, corners.bottom * ratio);
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                const QRectF to(QPointF(dx[column], dy[row]), QPointF(dx[column + 1], dy[row + 1]));
                const QRectF from(QPointF(sx[column], sy[row]), QPointF(sx[column + 1], sy[row + 1]));
                if (!to.isEmpty() && !from.isEmpty()) painter_.drawImage(to, pixels, from);
            }
        }
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
    painter_.save();
    painter_.setClipRect(ToQRect(box), Qt::IntersectClip);
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
