#pragma once
// The toolkit's canvas over a QPainter (a window's backing store, a
// screenshot image or the measuring image).

#include <QPainter>

#include "ui/host/qt/host_qt_fonts.h"
#include "ui/toolkit/canvas.h"

namespace ui::qt {

// Image source rectangles and nine-slice corners are in the image's
// device-independent pixels: image pixels for a 1x image, half of them for a
// 2x twin, so one layout's numbers fit both.
class CQtCanvas final : public ICanvas {
public:
    CQtCanvas(QPainter& painter, CQtFonts& fonts) : painter_(painter), fonts_(fonts) {}
    ~CQtCanvas() override;
    CQtCanvas(const CQtCanvas&) = delete;
    CQtCanvas& operator=(const CQtCanvas&) = delete;

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
    QPainter& painter_;
    CQtFonts& fonts_;
    int clipDepth_ = 0;
};

}  // namespace ui::qt
