#pragma once
// Conversions between the toolkit's plain types and Qt's, for the Qt host only.

#include <QColor>
#include <QRect>
#include <QString>
#include <string>

#include "ui/toolkit/geometry.h"

namespace ui::qt {

inline QString ToQString(const std::wstring& text) { return QString::fromStdWString(text); }
inline std::wstring ToWide(const QString& text) { return text.toStdWString(); }
inline QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }
inline Rect ToRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
// Argb and QRgb share the 0xAARRGGBB layout.
inline QColor ToQColor(Argb color) { return QColor::fromRgba(color); }

}  // namespace ui::qt
