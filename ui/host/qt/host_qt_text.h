#pragma once
// Text broken into lines the way the canvas flags ask: at word breaks within
// a width (inside a word too when the word alone is wider), at line feeds
// unless single-line, and the last line that fits cut with an ellipsis.

#include <QFont>
#include <QPainter>
#include <QString>
#include <QTextLayout>
#include <memory>

#include "ui/toolkit/canvas.h"

namespace ui::qt {

class CTextLines {
public:
    // maxWidth <= 0: no width limit, so no wrapping.
    CTextLines(const QString& text, const QFont& font, int maxWidth, uint32_t flags);

    // The width of the longest line and the height of all lines.
    QSizeF NaturalSize() const;
    // Aligned inside the box; with kTextEndEllipsis only the lines that fit
    // its height (at least one), the last of them elided.
    void Draw(QPainter& painter, const Rect& box, uint32_t flags) const;

private:
    QString text_;
    QFont font_;
    std::unique_ptr<QTextLayout> layout_;
};

}  // namespace ui::qt
