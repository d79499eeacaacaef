#pragma once
// Readers of the layouts' attribute values: numbers, sizes, rectangles,
// colours, flags and image specs. Bad values read as zero or nothing; every
// number is held within kMaxExtent so later sums cannot overflow.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/toolkit/canvas.h"
#include "ui/toolkit/geometry.h"

namespace ui {

inline constexpr int kMaxExtent = 1 << 20;

int ClampExtent(long long value);
// The leading decimal number, held within +-kMaxExtent; 0 without digits.
int ParseInt(std::wstring_view text);
// "a,b": sizes.
Size ParseSize(std::wstring_view text);
// "l,t,r,b", missing trailing numbers read as 0.
Rect ParseRect(std::wstring_view text);
// "#AARRGGBB" (or "#RRGGBB", opaque); nothing when not a colour.
std::optional<Argb> ParseColor(std::wstring_view text);
// "true" in any letter case.
bool ParseBool(std::wstring_view text);

// An image attribute: a plain path, or file='..' with corner='l,t,r,b',
// dest='l,t,r,b' (relative to the element), source='l,t,r,b', fade='0..255'.
struct ImageSpec {
    std::wstring path;
    Corners corners;
    Rect source;
    Rect dest;
    bool hasDest = false;
    uint8_t alpha = 255;
    bool IsEmpty() const { return path.empty(); }
};
ImageSpec ParseImageSpec(std::wstring_view text);

// name="value" pairs of a style attribute (vscrollbarstyle), in order.
std::vector<std::pair<std::wstring, std::wstring>> ParseStyleAttributes(std::wstring_view text);

}  // namespace ui
