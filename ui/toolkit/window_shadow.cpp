#include "ui/toolkit/window_shadow.h"

#include "ui/toolkit/nine_slice.h"

namespace ui {

void DrawWindowShadow(ICanvas& canvas, const IImage& shadow, Size surface, const Corners& margin) {
    const Size image = shadow.PixelSize();
    const NineSliceBox<int> middle{margin.left, margin.top, surface.cx - margin.right, surface.cy - margin.bottom};
    ForEachNineSlicePart(NineSliceBox<int>{0, 0, surface.cx, surface.cy}, NineSliceBox<int>{0, 0, image.cx, image.cy},
                         margin, 1, [&](const NineSliceBox<int>& to, const NineSliceBox<int>& from) {
                             if (to == middle) return;
                             canvas.DrawImage(shadow, Rect{from.left, from.top, from.right, from.bottom},
                                              Rect{to.left, to.top, to.right, to.bottom}, Corners{}, 255);
                         });
}

}  // namespace ui
