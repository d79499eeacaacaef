#include "ui/toolkit/window_attributes.h"

namespace ui {

const FontSpec& FontTable::Find(int id) const {
    for (auto it = fonts.rbegin(); it != fonts.rend(); ++it) {
        if (it->id == id) return it->font;
    }
    return defaultFont;
}

bool FontTable::Has(int id) const {
    for (const Entry& entry : fonts) {
        if (entry.id == id) return true;
    }
    return false;
}

}  // namespace ui
