#pragma once
// The drop shadow around a skinned window, drawn by its host under the
// client from the layout's nine-slice shadow image.

#include "ui/toolkit/canvas.h"
#include "ui/toolkit/geometry.h"

namespace ui {

// The image's eight outer slices around a surface of `surface` pixels whose
// margin is the slices' size. The middle slice is left out: the window
// covers it, and blending it would cost a pass over the whole window at
// every frame.
void DrawWindowShadow(ICanvas& canvas, const IImage& shadow, Size surface, const Corners& margin);

}  // namespace ui
