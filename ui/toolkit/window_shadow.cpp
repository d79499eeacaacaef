#include "ui/toolkit/window_shadow.h"

#include <algorithm>
#include <utility>

#include "ui/toolkit/nine_slice.h"

namespace ui {

namespace {

bool Encloses(const Rect& outer, const NineSliceBox<int>& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

}  // namespace

WindowShadow CutWindowShadow(const IImage& image, const Corners& margin) {
    const Size size = image.PixelSize();
    WindowShadow shadow{{}, size, margin, nullptr};
    std::vector<Rect> areas;
    if (margin.left + margin.right < size.cx && margin.top + margin.bottom < size.cy) {
        const int upper = margin.top;
        const int lower = size.cy - margin.bottom;
        areas = {{0, 0, size.cx, upper},
                 {0, lower, size.cx, size.cy},
                 {0, upper, margin.left, lower},
                 {size.cx - margin.right, upper, size.cx, lower}};
    } else {
        areas = {{0, 0, size.cx, size.cy}};
    }
    for (const Rect& area : areas) {
        if (area.IsEmpty()) continue;
        ImagePtr part = image.CopyPart(area);
        if (!part) return {};
        shadow.parts.push_back({std::move(part), area});
    }
    return shadow;
}

WindowShadow PendingWindowShadow(ShadowImageSource image, const Corners& margin) {
    WindowShadow shadow;
    if (!image) return shadow;
    shadow.margin = margin;
    shadow.pendingImage = std::move(image);
    return shadow;
}

void DrawWindowShadow(ICanvas& canvas, WindowShadow& shadow, Size surface) {
    const Corners margin = shadow.margin;
    if (shadow.pendingImage) {
        const ImagePtr image = std::exchange(shadow.pendingImage, nullptr)();
        if (image) shadow = CutWindowShadow(*image, margin);
        shadow.margin = margin;
    }
    if (!shadow) return;
    const NineSliceBox<int> middle{margin.left, margin.top, surface.cx - margin.right, surface.cy - margin.bottom};
    ForEachNineSlicePart(NineSliceBox<int>{0, 0, surface.cx, surface.cy},
                         NineSliceBox<int>{0, 0, shadow.imageSize.cx, shadow.imageSize.cy}, margin, 1,
                         [&](const NineSliceBox<int>& to, const NineSliceBox<int>& from) {
                             if (to == middle) return;
                             const auto part = std::find_if(shadow.parts.begin(), shadow.parts.end(),
                                                            [&from](const auto& p) { return Encloses(p.area, from); });
                             if (part == shadow.parts.end()) return;
                             const int x = part->area.left;
                             const int y = part->area.top;
                             canvas.DrawImage(*part->image,
                                              Rect{from.left - x, from.top - y, from.right - x, from.bottom - y},
                                              Rect{to.left, to.top, to.right, to.bottom}, Corners{}, 255);
                         });
}

}  // namespace ui
