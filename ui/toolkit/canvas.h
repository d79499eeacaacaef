#pragma once
// What the toolkit draws with. Each host implements it over its graphics
// library (QPainter on Linux, GDI+ on Windows); the toolkit core never sees
// the library.

#include <cstdint>
#include <memory>
#include <string>

#include "ui/toolkit/geometry.h"

namespace ui {

// A decoded image, owned by the host (a QImage, a GDI+ bitmap). The toolkit
// only keeps it and hands it back to the canvas.
class IImage {
public:
    virtual ~IImage() = default;
    virtual Size PixelSize() const = 0;  // in device-independent pixels
    // A copy of the part `area` (device-independent pixels, inside the
    // image) at the image's own scale; null when none can be made.
    virtual std::shared_ptr<const IImage> CopyPart(const Rect& area) const = 0;
};
using ImagePtr = std::shared_ptr<const IImage>;

// A resolved font declaration of a layout.
struct FontSpec {
    std::wstring family;  // e.g. the layouts' "思源黑体 CN Regular"; the host maps it to the embedded face
    int pixelSize = 12;
    bool bold = false;
    bool underline = false;
    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// Text layout flags, combinable.
enum TextFlags : uint32_t {
    kTextLeft = 0,
    kTextCenter = 1u << 0,
    kTextRight = 1u << 1,
    kTextTop = 0,
    kTextVCenter = 1u << 2,
    kTextBottom = 1u << 3,
    kTextSingleLine = 1u << 4,
    kTextWordBreak = 1u << 5,   // wrap at word breaks onto further lines
    kTextEndEllipsis = 1u << 6, // cut a too long last line with "..."
};

// Nine-slice corners: the parts of the source that keep their size when the
// image is stretched. All zero: plain stretching.
struct Corners {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool IsEmpty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    friend bool operator==(const Corners&, const Corners&) = default;
};

class ICanvas {
public:
    virtual ~ICanvas() = default;

    virtual void FillRect(const Rect& rect, Argb color) = 0;
    // A frame `width` pixels wide along the inside of `rect`, its corners
    // rounded with `radius` (the keyboard focus ring), antialiased.
    virtual void DrawRoundedFrame(const Rect& rect, int radius, int width, Argb color) = 0;
    // Draws `source` of the image (empty: the whole image) into `dest`,
    // stretched; with corners the nine-slice way. alpha 255 is opaque.
    virtual void DrawImage(const IImage& image, const Rect& source, const Rect& dest, const Corners& corners,
                           uint8_t alpha = 255) = 0;
    // The size the text takes: within maxWidth when it wraps (kTextWordBreak),
    // on one line otherwise.
    virtual Size MeasureText(const std::wstring& text, const FontSpec& font, int maxWidth, uint32_t flags) = 0;
    virtual void DrawText(const std::wstring& text, const FontSpec& font, Argb color, const Rect& box,
                          uint32_t flags) = 0;

    // Clipping nests: everything drawn until the matching PopClip stays inside.
    virtual void PushClip(const Rect& rect) = 0;
    virtual void PopClip() = 0;
};

}  // namespace ui
