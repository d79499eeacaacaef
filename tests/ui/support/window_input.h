#pragma once
// Elements of a real toolkit window by name, and clicks delivered to it the
// way the host delivers them.

#include "ui/toolkit/window_impl.h"

namespace ui::test {

inline Control* Find(const CWindowImplBase& window, const wchar_t* name) {
    return window.GetPaintManager()->FindControl(name);
}

inline Rect PosOf(const CWindowImplBase& window, const wchar_t* name) {
    const Control* control = Find(window, name);
    return control != nullptr ? control->GetPos() : Rect{-1, -1, -1, -1};
}

// A move, press and release in the middle of the element, after the layout
// the first paint would make.
inline void Click(CWindowImplBase& window, const wchar_t* name) {
    window.GetPaintManager()->UpdateLayout();
    const Rect pos = PosOf(window, name);
    const Point at{(pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2};
    IHostWindowEvents& events = window;
    events.OnMouseMove(at);
    events.OnMouseDown(MouseButton::Left, at);
    events.OnMouseUp(MouseButton::Left, at);
}

}  // namespace ui::test
