#pragma once
// The toolkit's canvas over a GDI+ Graphics (a window's surface, a
// screenshot bitmap, the caller's pixels or the measuring surface).

#include <vector>

#include "ui/host/win/host_win_fonts.h"
#include "ui/host/win/host_win_gdi.h"
#include "ui/toolkit/canvas.h"

namespace ui::win {

// The drawing settings every Graphics of the host uses. Text is drawn with
// plain anti-aliasing: grid-fitted or ClearType text would measure
// differently at each scale (so a label measured at one scale could wrap at
// another), and ClearType's coloured fringes turn to noise on the
// per-pixel transparent windows.
void PrepareGraphics(Gdiplus::Graphics& graphics);

// Image source rectangles and nine-slice corners are in the image's
// device-independent pixels: image pixels for a 1x image, half of them for a
// 2x twin, so one layout's numbers fit both.
class CWinCanvas final : public ICanvas {
public:
    CWinCanvas(Gdiplus::Graphics& graphics, CWinFonts& fonts) : graphics_(graphics), fonts_(fonts) {}
    ~CWinCanvas() override;
    CWinCanvas(const CWinCanvas&) = delete;
    CWinCanvas& operator=(const CWinCanvas&) = delete;

    void FillRect(const Rect& rect, Argb color) override;
    void DrawRoundedFrame(const Rect& rect, int radius, int width, Argb color) override;
    void DrawImage(const IImage& image, const Rect& source, const Rect& dest, const Corners& corners,
                   uint8_t alpha) override;
    Size MeasureText(const std::wstring& text, const FontSpec& font, int maxWidth, uint32_t flags) override;
    void DrawText(const std::wstring& text, const FontSpec& font, Argb color, const Rect& box,
                  uint32_t flags) override;
    void PushClip(const Rect& rect) override;
    void PopClip() override;

private:
    Gdiplus::Graphics& graphics_;
    CWinFonts& fonts_;
    std::vector<Gdiplus::GraphicsState> clips_;
};

}  // namespace ui::win
