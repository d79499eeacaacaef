#pragma once
// Text laid out the way the canvas flags ask, with GDI+'s string layout:
// broken at word breaks within a width (inside a word too when the word alone
// is wider), at line feeds unless single-line, and the last line that fits
// cut with an ellipsis. Ellipsis and underline are our own, so that Windows
// and Wine draw them alike.

#include <cstdint>
#include <string>

#include "ui/host/win/host_win_gdi.h"
#include "ui/toolkit/canvas.h"

namespace ui::win {

// The width of the longest line and the height of all lines, unrounded.
// maxWidth <= 0: no width limit, so no wrapping.
Gdiplus::SizeF NaturalTextSize(Gdiplus::Graphics& graphics, const std::wstring& text, const Gdiplus::Font& font,
                               int maxWidth, uint32_t flags);

// Aligned inside the box; with kTextEndEllipsis only the lines that fit its
// height (at least one), the last of them elided; `underline` underlines
// every line. The caller clips to the box.
void DrawTextLines(Gdiplus::Graphics& graphics, const std::wstring& text, const Gdiplus::Font& font,
                   const Gdiplus::Brush& brush, const Rect& box, uint32_t flags, bool underline);

}  // namespace ui::win
