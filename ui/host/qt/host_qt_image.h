#pragma once
// Decoded images of the Qt host: a QImage whose device pixel ratio says how
// many image pixels make one device-independent pixel (2 for an "@2x" twin).

#include <QImage>
#include <cstddef>
#include <span>

#include "ui/toolkit/canvas.h"

namespace ui::qt {

class CQtImage final : public IImage {
public:
    explicit CQtImage(QImage image) : image_(std::move(image)) {}
    Size PixelSize() const override;
    ImagePtr CopyPart(const Rect& area) const override;
    const QImage& Image() const { return image_; }

private:
    QImage image_;
};

// PNG bytes as Qt's own PNG decoder reads them; a null image when they are
// none.
QImage ReadPng(std::span<const std::byte> bytes);

// PNG bytes drawn for `scale` device pixels per device-independent pixel;
// null when the bytes are no PNG or the scale is not 1 to 4.
ImagePtr DecodePng(std::span<const std::byte> bytes, int scale);

}  // namespace ui::qt
