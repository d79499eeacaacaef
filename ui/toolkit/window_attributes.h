#pragma once
// What a layout says about its window and its fonts.

#include <string>
#include <utility>
#include <vector>

#include "ui/toolkit/canvas.h"
#include "ui/toolkit/geometry.h"

namespace ui {

struct WindowAttributes {
    Size size;
    Rect caption;  // drag area: left, top, distance from the right edge, bottom
    bool transparent = false;
    bool showShadow = false;
    std::wstring shadowImage;
    Corners shadowCorner;
    Size maxInfo;
    // Every other attribute of the Window element, in document order.
    std::vector<std::pair<std::wstring, std::wstring>> others;
};

struct FontTable {
    struct Entry {
        int id = 0;
        FontSpec font;
    };
    std::vector<Entry> fonts;
    FontSpec defaultFont;  // the one marked default, else the first, else 12 px

    // The font of that id; the default one for an unknown id. A later
    // declaration of an id replaces an earlier one.
    const FontSpec& Find(int id) const;
    bool Has(int id) const;
};

}  // namespace ui
