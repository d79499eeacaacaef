#include "ui/host/win/host_win_text.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cwctype>
#include <vector>

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

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// The longest start of the text that, followed by an ellipsis, fits the box:
// on one line within its width, or wrapped within `height`. Done here rather
// than with GDI+'s trimming, which Wine's GDI+ does not do.
std::wstring Ellipsized(Gdiplus::Graphics& graphics, const std::wstring& text, const Gdiplus::Font& font,
                        const CTextFormat& format, bool wraps, Gdiplus::REAL width, Gdiplus::REAL height) {
    const auto withEllipsis = [&text](size_t length) {
        while (length > 0 && text[length - 1] == L' ') --length;
        if (length > 0 && IsHighSurrogate(text[length - 1])) --length;  // never half a character
        return text.substr(0, length) + L'\u2026';
    };
    const auto fits = [&](size_t length) {
        const Gdiplus::SizeF size =
            Measure(graphics, withEllipsis(length), font, format, wraps ? width : kUnlimited, kUnlimited);
        return size.Width <= width + kFitTolerance && (!wraps || size.Height <= height + kFitTolerance);
    };
    size_t shortest = 0;
    size_t longest = text.size();
    while (shortest < longest) {
        const size_t middle = (shortest + longest + 1) / 2;
        if (fits(middle)) {
            shortest = middle;
        } else {
            longest = middle - 1;
        }
    }
    return withEllipsis(shortest);
}

// Underlines every drawn line from its first to its last visible glyph.
// Done here for the same reason: Wine's GDI+ ignores the underline style.
void DrawUnderlines(Gdiplus::Graphics& graphics, const std::wstring& text, const Gdiplus::Font& font,
                    const Gdiplus::Brush& brush, const Gdiplus::RectF& layout, const CTextFormat& format) {
    struct Line {
        Gdiplus::REAL top, left, right;
    };
    std::vector<Line> lines;
    constexpr int kRangesPerCall = 32;  // GDI+'s limit
    const int length = LengthOf(text);
    for (int start = 0; start < length; start += kRangesPerCall) {
        const int count = std::min(kRangesPerCall, length - start);
        std::vector<Gdiplus::CharacterRange> ranges;
        for (int i = 0; i < count; ++i) ranges.emplace_back(start + i, 1);
        Gdiplus::StringFormat measuring(format.Get());
        measuring.SetMeasurableCharacterRanges(count, ranges.data());
        std::vector<Gdiplus::Region> regions(static_cast<size_t>(count));
        if (graphics.MeasureCharacterRanges(text.c_str(), length, &font, layout, &measuring, count,
                                            regions.data()) != Gdiplus::Ok) {
            return;
        }
        for (int i = 0; i < count; ++i) {
            if (iswspace(text[static_cast<size_t>(start + i)])) continue;
            Gdiplus::RectF glyph;
            regions[static_cast<size_t>(i)].GetBounds(&glyph, &graphics);
            if (glyph.Width <= 0) continue;
            auto line = std::find_if(lines.begin(), lines.end(),
                                     [&glyph](const Line& known) { return std::abs(known.top - glyph.Y) < 1; });
            if (line == lines.end()) {
                lines.push_back({glyph.Y, glyph.X, glyph.X + glyph.Width});
            } else {
                line->left = std::min(line->left, glyph.X);
                line->right = std::max(line->right, glyph.X + glyph.Width);
            }
        }
    }
    Gdiplus::FontFamily family;
    if (font.GetFamily(&family) != Gdiplus::Ok) return;
    const INT style = font.GetStyle();
    const Gdiplus::REAL size = font.GetSize();
    const Gdiplus::REAL ascent = size * family.GetCellAscent(style) / std::max<Gdiplus::REAL>(1, family.GetEmHeight(style));
    const Gdiplus::REAL thickness = std::max<Gdiplus::REAL>(1, std::round(size / 14));
    const Gdiplus::REAL below = std::max<Gdiplus::REAL>(1, std::round(size / 10));
    for (const Line& line : lines) {
        graphics.FillRectangle(&brush, line.left, std::round(line.top + ascent + below), line.right - line.left,
                               thickness);
    }
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
                   const Gdiplus::Brush& brush, const Rect& box, uint32_t flags, bool underline) {
    std::wstring prepared = PrepareText(text, flags);
    if (prepared.empty() || box.IsEmpty()) return;
    const bool wraps = Wraps(flags, box.Width());
    const auto boxWidth = static_cast<Gdiplus::REAL>(box.Width());
    const auto boxHeight = static_cast<Gdiplus::REAL>(box.Height());
    const CTextFormat format(wraps, flags);

    Gdiplus::SizeF used = Measure(graphics, prepared, font, format, wraps ? boxWidth : kUnlimited, kUnlimited);
    // At least one line shows, however low the box.
    const Gdiplus::REAL shownHeight = std::max(boxHeight, font.GetHeight(&graphics));
    const bool fits = used.Width <= boxWidth + kFitTolerance && used.Height <= shownHeight + kFitTolerance;
    if ((flags & kTextEndEllipsis) && !fits) {
        prepared = Ellipsized(graphics, prepared, font, format, wraps, boxWidth, shownHeight);
        used = Measure(graphics, prepared, font, format, wraps ? boxWidth : kUnlimited, kUnlimited);
    }
    const Gdiplus::REAL top =
        static_cast<Gdiplus::REAL>(box.top) +
        AlignedOffset(boxHeight, used.Height, (flags & kTextVCenter) != 0, (flags & kTextBottom) != 0);
    const Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(box.left), top, boxWidth, kUnlimited);
    graphics.DrawString(prepared.c_str(), LengthOf(prepared), &font, layout, format.Get(), &brush);
    if (underline) DrawUnderlines(graphics, prepared, font, brush, layout, format);
}

}  // namespace ui::win
