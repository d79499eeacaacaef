#include "ui/host/qt/host_qt_text.h"

#include <QFontMetricsF>
#include <QTextOption>
#include <algorithm>

namespace ui::qt {
namespace {

constexpr qreal kUnlimited = 1e6;

QString PrepareText(QString text, uint32_t flags) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (flags & kTextSingleLine) {
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    } else {
        // QTextLayout breaks lines at the Unicode line separator, not at '\n'.
        text.replace(QLatin1Char('\n'), QChar::LineSeparator);
        text.replace(QLatin1Char('\r'), QChar::LineSeparator);
    }
    return text;
}

qreal AlignedOffset(qreal room, qreal used, bool centre, bool far) {
    if (centre) return (room - used) / 2;
    if (far) return room - used;
    return 0;
}

}  // namespace

CTextLines::CTextLines(const QString& text, const QFont& font, int maxWidth, uint32_t flags)
    : text_(PrepareText(text, flags)), font_(font), layout_(std::make_unique<QTextLayout>(text_, font_)) {
    const bool wraps = (flags & kTextWordBreak) && !(flags & kTextSingleLine) && maxWidth > 0;
    QTextOption option;
    option.setWrapMode(wraps ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    layout_->setTextOption(option);
    layout_->beginLayout();
    qreal y = 0;
    for (QTextLine line = layout_->createLine(); line.isValid(); line = layout_->createLine()) {
        line.setLineWidth(wraps ? maxWidth : kUnlimited);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout_->endLayout();
}

QSizeF CTextLines::NaturalSize() const {
    if (text_.isEmpty()) return {0, 0};
    qreal width = 0;
    qreal height = 0;
    for (int i = 0; i < layout_->lineCount(); ++i) {
        const QTextLine line = layout_->lineAt(i);
        width = std::max(width, line.naturalTextWidth());
        height += line.height();
    }
    return {width, height};
}

void CTextLines::Draw(QPainter& painter, const Rect& box, uint32_t flags) const {
    const int count = layout_->lineCount();
    if (count == 0) return;
    int shown = count;
    qreal height = 0;
    if (flags & kTextEndEllipsis) {
        shown = 0;
        for (; shown < count; ++shown) {
            const qreal next = layout_->lineAt(shown).height();
            if (shown > 0 && height + next > box.Height()) break;
            height += next;
        }
    } else {
        height = NaturalSize().height();
    }
    const QTextLine last = layout_->lineAt(shown - 1);
    const bool elideLast = (flags & kTextEndEllipsis) && (shown < count || last.naturalTextWidth() > box.Width());

    const qreal top = box.top + AlignedOffset(box.Height(), height, flags & kTextVCenter, flags & kTextBottom);
    const bool centre = flags & kTextCenter;
    const bool right = flags & kTextRight;
    for (int i = 0; i < shown; ++i) {
        const QTextLine line = layout_->lineAt(i);
        if (i == shown - 1 && elideLast) {
            QString rest = text_.mid(line.textStart());
            rest.replace(QChar::LineSeparator, QLatin1Char(' '));
            const QFontMetricsF metrics(font_);
            const QString cut = metrics.elidedText(rest, Qt::ElideRight, box.Width());
            const qreal x = box.left + AlignedOffset(box.Width(), metrics.horizontalAdvance(cut), centre, right);
            painter.setFont(font_);
            painter.drawText(QPointF(x, top + line.y() + line.ascent()), cut);
        } else {
            const qreal x = box.left + AlignedOffset(box.Width(), line.naturalTextWidth(), centre, right);
            line.draw(&painter, QPointF(x, top));
        }
    }
}

}  // namespace ui::qt
