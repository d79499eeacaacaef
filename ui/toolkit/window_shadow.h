#pragma once
// The drop shadow around a skinned window, drawn by its host under the
// client from the layout's nine-slice shadow image.

#include <functional>
#include <vector>

#include "ui/toolkit/canvas.h"
#include "ui/toolkit/geometry.h"

namespace ui {

// The shadow's image, asked for when the window first draws: until then it
// may still be decoding on another core while the window shows.
using ShadowImageSource = std::function<ImagePtr()>;

// The parts of a shadow image that its window draws, copied out of the
// decoded image so that the middle (as large as the window itself, and
// never drawn) is not kept: the rows above and below the window and the
// columns beside it. Unstretched, as around a window of the image's size, a
// part draws the pixels the whole image would.
struct WindowShadow {
    struct Part {
        ImagePtr image;
        Rect area;  // where the part lies in the whole image
    };
    std::vector<Part> parts;
    Size imageSize;
    Corners margin;  // the image's corners, and the margin they fill around the window
    ShadowImageSource pendingImage;  // the parts' image, until the first draw cuts them from it
    explicit operator bool() const { return !parts.empty(); }
};

// Empty when a part cannot be copied. An image too small for its corners is
// kept whole.
WindowShadow CutWindowShadow(const IImage& image, const Corners& margin);

// A shadow that fills its margin at once and asks for its image at its first
// draw; without a source, no shadow and no margin. When no image comes (or a
// part cannot be copied) nothing is drawn, and the margin stays: the window
// already lies inside it.
WindowShadow PendingWindowShadow(ShadowImageSource image, const Corners& margin);

// The image's eight outer slices around a surface of `surface` pixels, after
// the parts are cut from a pending image. The middle slice is left out: the
// window covers it, and blending it would cost a pass over the whole window
// at every frame.
void DrawWindowShadow(ICanvas& canvas, WindowShadow& shadow, Size surface);

}  // namespace ui
