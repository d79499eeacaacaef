#include "ui/host/qt/host_qt_image.h"

#include <climits>

namespace ui::qt {

Size CQtImage::PixelSize() const {
    const QSizeF size = image_.deviceIndependentSize();
    return {qRound(size.width()), qRound(size.height())};
}

ImagePtr DecodePng(std::span<const std::byte> bytes, int scale) {
    if (scale < 1 || scale > 4 || bytes.empty() || bytes.size() > INT_MAX) return nullptr;
    QImage image;
    // Naming the format keeps Qt from guessing another decoder for the bytes.
    if (!image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()), "PNG"))
        return nullptr;
    // Premultiplied is what the raster painter blends fastest; opaque images
    // (the big backgrounds) draw as fast as they come and skip the copy.
    if (image.format() != QImage::Format_RGB32) image.convertTo(QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    return std::make_shared<CQtImage>(std::move(image));
}

}  // namespace ui::qt
