#include "ui/host/qt/host_qt_image.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <climits>

namespace ui::qt {

Size CQtImage::PixelSize() const {
    const QSizeF size = image_.deviceIndependentSize();
    return {qRound(size.width()), qRound(size.height())};
}

ImagePtr CQtImage::CopyPart(const Rect& area) const {
    const qreal scale = image_.devicePixelRatio();
    QImage part = image_.copy(QRectF(area.left * scale, area.top * scale, area.Width() * scale,
                                     area.Height() * scale).toRect());
    if (part.isNull()) return nullptr;
    part.setDevicePixelRatio(scale);
    return std::make_shared<CQtImage>(std::move(part));
}

QImage ReadPng(std::span<const std::byte> bytes) {
    if (bytes.empty() || bytes.size() > INT_MAX) return {};
    QByteArray data =
        QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::ReadOnly)) return {};
    // The format named and nothing guessed: QImage::loadFromData, even with
    // a format, loads every image-format plugin (GIF, ICO, JPEG with libjpeg)
    // to ask each whether it reads PNG.
    QImageReader reader(&buffer, "png");
    reader.setAutoDetectImageFormat(false);
    QImage image;
    reader.read(&image);
    return image;
}

ImagePtr DecodePng(std::span<const std::byte> bytes, int scale) {
    if (scale < 1 || scale > 4) return nullptr;
    QImage image = ReadPng(bytes);
    if (image.isNull()) return nullptr;
    // Premultiplied is what the raster painter blends fastest; opaque images
    // (the big backgrounds) draw as fast as they come and skip the copy.
    if (image.format() != QImage::Format_RGB32) image.convertTo(QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    return std::make_shared<CQtImage>(std::move(image));
}

}  // namespace ui::qt
