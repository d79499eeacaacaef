#include "ui/toolkit/host_win_text.h"

#include <climits>

namespace ui::win {
namespace {

constexpr Gdiplus::REAL kUnlimited = 1e6f;
// How far a line may exceed its box and still count as fitting: measuring
// and drawing round differently by a fraction of a pixel.
constexpr Gdiplus::REAL kFitTolerance = 0.5f;

std::wstring PrepareText(const std::wstring& text, uint32_t flags) {
    std::wstring prepared;
    prepared.reserve(text.size());
    const wchar_t lineBreak = (flags & kTextSingleLine) ? L' ' : L'\n';
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\r') {
            if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;  // one break for "\r\n"
            prepared.push_back(lineBreak);
        } else if (c == L'\n') {
            prepared.push_back(lineBreak);
        } else {
            prepared.push_back(c);
        }
    }
    return prepared;
}

bool Wraps(uint32_t flags, int width) {
    return (flags & kTextWordBreak) && !(flags & kTextSingleLine) && width > 0;
}

int LengthOf(const std::wstring& text) { return static_cast<int>(std::min<size_t>(text.size(), INT_MAX)); }

// The typographic format measures and draws without GDI+'s default padding
// of a sixth of the em on either side, so measured text fits its box.
class CTextFormat {
public:
    CTextFormat(bool wraps, uint32_t flags) : format_(Gdiplus::StringFormat::GenericTypographic()) {
        format_.SetFormatFlags(Gdiplus::StringFormatFlagsNoClip | (wraps ? 0 : Gdiplus::StringFormatFlagsNoWrap));
        format_.SetTrimming(Gdiplus::StringTrimmingNone);
        format_.SetLineAlignment(Gdiplus::StringAlignmentNear);
        if (flags & kTextCenter) {
            format_.SetAlignment(Gdiplus::StringAlignmentCenter);
        } else if (flags & kTextRight) {
            format_.SetAlignment(Gdiplus::StringAlignmentFar);
        } else {
            format_.SetAlignment(Gdiplus::StringAlignmentNear);
        }
    }
    // Only whole lines that fit, the last one cut with "...".
    void LimitToWholeLinesWithEllipsis() {
        format_.SetFormatFlags(format_.GetFormatFlags() | Gdiplus::StringFormatFlagsLineLimit);
        format_.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
    }
    const Gdiplus::StringFormat* Get() const { return &format_; }

private:
    Gdiplus::StringFormat format_;
};

Gdiplus::SizeF Measure(Gdiplus::Graphics& graphics, const std::wstring& text, const Gdiplus::Font& font,
                       const CTextFormat& format, Gdiplus::REAL width, Gdiplus::REAL height) {
    Gdiplus::RectF bound;
    const Gdiplus::RectF layout(0, 0, width, height);
    if (graphics.MeasureString(text.c_str(), LengthOf(text), &font, layout, format.Get(), &bound) != Gdiplus::Ok)
        return {0, 0};
    return {bound.Width, bound.Height};
}

Gdiplus::REAL AlignedOffset(Gdiplus::REAL room, Gdiplus::REAL used, bool centre, bool toEnd) {
    if (centre) return (room - used) / 2;
    if (toEnd) return room - used;
    return 0;
}

}  // namespace

Gdiplus::SizeF NaturalTextSize(Gdiplus::Graphics& graphics, const std::wstring& text, const Gdiplus::Font& font,
                               int maxWidth, uint32_t flags) {
    const std::wstring prepared = PrepareText(text, flags);
    if (prepared.empty()) return {0, 0};
    const bool wraps = Wraps(flags, maxWidth);
    const CTextFormat format(wraps, kTextLeft);
    return Measure(graphics, prepared, font, format, wraps ? static_cast<Gdiplus::REAL>(maxWidth) : kUnlimited,
                   kUnlimited);
}

void DrawTextLines(Gdiplus::Graphics& graphics, const std::wstring& text, const Gdiplus::Font& font,
                   const Gdiplus::Brush& brush, const Rect& box, uint32_t flags) {
    const std::wstring prepared = PrepareText(text, flags);
    if (prepared.empty() || box.IsEmpty()) return;
    const bool wraps = Wraps(flags, box.Width());
    const auto boxWidth = static_cast<Gdiplus::REAL>(box.Width());
    const auto boxHeight = static_cast<Gdiplus::REAL>(box.Height());
    CTextFormat format(wraps, flags);

    const Gdiplus::SizeF natural =
        Measure(graphics, prepared, font, format, wraps ? boxWidth : kUnlimited, kUnlimited);
    Gdiplus::REAL layoutHeight = kUnlimited;
    Gdiplus::REAL usedHeight = natural.Height;
    const bool fits = natural.Width <= boxWidth + kFitTolerance && natural.Height <= boxHeight + kFitTolerance;
    if ((flags & kTextEndEllipsis) && !fits) {
        // At least one line shows, however low the box.
        layoutHeight = std::max(boxHeight, font.GetHeight(&graphics));
        format.LimitToWholeLinesWithEllipsis();
        usedHeight = Measure(graphics, prepared, font, format, boxWidth, layoutHeight).Height;
    }
    const Gdiplus::REAL top =
        static_cast<Gdiplus::REAL>(box.top) +
        AlignedOffset(boxHeight, usedHeight, (flags & kTextVCenter) != 0, (flags & kTextBottom) != 0);
    const Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(box.left), top, boxWidth, layoutHeight);
    graphics.DrawString(prepared.c_str(), LengthOf(prepared), &font, layout, format.Get(), &brush);
}

}  // namespace ui::win
