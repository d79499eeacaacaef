#pragma once
// The geometry of a nine-slice drawing, the same for every host: the corners
// keep their size, the edges stretch along one axis, the middle along both;
// when the span is too short for both corners they shrink in proportion.
// Each host draws the parts in its own number type (Qt's qreal, GDI+'s REAL),
// which is why this is a template.

#include <array>

#include "ui/toolkit/canvas.h"

namespace ui {

// Splits one axis: begin, the end of the head, the start of the tail, end.
template <typename Number>
std::array<Number, 4> NineSliceEdges(Number begin, Number end, Number head, Number tail) {
    const Number span = end - begin;
    if (head + tail > span && head + tail > 0) {
        const Number factor = span / (head + tail);
        head *= factor;
        tail *= factor;
    }
    return {begin, begin + head, end - tail, end};
}

// An axis-aligned area in a host's number type.
template <typename Number>
struct NineSliceBox {
    Number left;
    Number top;
    Number right;
    Number bottom;
    bool IsEmpty() const { return right <= left || bottom <= top; }
    friend bool operator==(const NineSliceBox&, const NineSliceBox&) = default;
};

// Calls draw(to, from) for each non-empty part of `source` drawn into `dest`.
// The corners are in the destination's units; in the source they count
// sourceScale times as many pixels (an image drawn from its @2x twin).
template <typename Number, typename Draw>
void ForEachNineSlicePart(const NineSliceBox<Number>& dest, const NineSliceBox<Number>& source, const Corners& corners,
                          Number sourceScale, Draw draw) {
    const auto dx = NineSliceEdges(dest.left, dest.right, static_cast<Number>(corners.left),
                                   static_cast<Number>(corners.right));
    const auto dy = NineSliceEdges(dest.top, dest.bottom, static_cast<Number>(corners.top),
                                   static_cast<Number>(corners.bottom));
    const auto sx = NineSliceEdges(source.left, source.right, corners.left * sourceScale, corners.right * sourceScale);
    const auto sy = NineSliceEdges(source.top, source.bottom, corners.top * sourceScale, corners.bottom * sourceScale);
    for (size_t row = 0; row < 3; ++row) {
        for (size_t column = 0; column < 3; ++column) {
            const NineSliceBox<Number> to{dx[column], dy[row], dx[column + 1], dy[row + 1]};
            const NineSliceBox<Number> from{sx[column], sy[row], sx[column + 1], sy[row + 1]};
            if (!to.IsEmpty() && !from.IsEmpty()) draw(to, from);
        }
    }
}

}  // namespace ui
