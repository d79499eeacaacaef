#include "ui/toolkit/control.h"

#include <algorithm>

#include "ui/toolkit/paint_manager.h"

namespace ui {

namespace {

AccessibleRole ParseAccessibleRole(std::wstring_view value) {
    if (value == L"group") return AccessibleRole::Group;
    if (value == L"image") return AccessibleRole::Image;
    if (value == L"label") return AccessibleRole::Label;
    return AccessibleRole::None;
}

}  // namespace

Control::~Control() {
    if (manager_ != nullptr) manager_->OnControlRemoved(this);
}

Control* Control::GetInterface(std::wstring_view name) { return name == L"Control" ? this : nullptr; }

void Control::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"name") name_ = value;
    else if (name == L"width") SetFixedWidth(ParseInt(value));
    else if (name == L"height") SetFixedHeight(ParseInt(value));
    else if (name == L"minwidth") SetMinWidth(ParseInt(value));
    else if (name == L"minheight") min_.cy = std::max(ParseInt(value), 0);
    else if (name == L"padding") padding_ = ParseRect(value);
    else if (name == L"inset") inset_ = ParseRect(value);
    else if (name == L"textpadding") textPadding_ = ParseRect(value);
    else if (name == L"float") float_ = ParseBool(value);
    else if (name == L"pos") {
        floatPos_ = ParseRect(value);
        // A pos with a size gives the element that size.
        if (floatPos_.right > floatPos_.left) fixed_.cx = floatPos_.Width();
        if (floatPos_.bottom > floatPos_.top) fixed_.cy = floatPos_.Height();
    } else if (name == L"visible") visible_ = ParseBool(value);
    else if (name == L"enabled") enabled_ = ParseBool(value);
    else if (name == L"bkcolor") bkColor_ = ParseColor(value).value_or(0);
    else if (name == L"bkimage") bkImage_ = ParseImageSpec(value);
    else if (name == L"bordersize") borderSize_ = std::clamp(ParseInt(value), 0, 1000);
    else if (name == L"bordercolor") borderColor_ = ParseColor(value).value_or(0);
    else if (name == L"text") text_ = value;
    else if (name == L"textid") textId_ = value;
    else if (name == L"font") fontId_ = ParseInt(value);
    else if (name == L"autocalcwidth") autoCalcWidth_ = ParseBool(value);
    else if (name == L"cursor") cursor_ = value == L"hand" ? CursorShape::Hand : CursorShape::Arrow;
    else if (name == L"focusradius") focusRadius_ = std::clamp(ParseInt(value), 0, 1000);
    else if (name == L"focuscolor") focusColor_ = ParseColor(value).value_or(0);
    else if (name == L"accrole") accessibleRole_ = ParseAccessibleRole(value);
}

bool Control::Add(std::unique_ptr<Control>) { return false; }

Size Control::EstimateSize(Size) {
    if (!autoCalcWidth_) return fixed_;
    const Size text = MeasureText(text_, 0, kTextSingleLine);
    return {ClampExtent(static_cast<long long>(text.cx) + textPadding_.left + textPadding_.right), fixed_.cy};
}

void Control::SetPos(const Rect& rect) {
    if (rect == rect_) return;
    Invalidate();
    rect_ = rect;
    Invalidate();
}

void Control::Paint(ICanvas& canvas, const Rect& dirty) {
    if (!visible_ || rect_.IsEmpty() || rect_.Intersect(dirty).IsEmpty()) return;
    canvas.PushClip(rect_);
    PaintBkColor(canvas);
    PaintBkImage(canvas);
    PaintStatusImage(canvas);
    canvas.PopClip();
    // Within the parent's clip only: a glyph that reaches past the element
    // (a large heading's descenders in a box the layout made tight) is drawn
    // whole; the layout still places and sizes the text.
    PaintText(canvas);
    canvas.PushClip(rect_);
    PaintBorder(canvas);
    canvas.PopClip();
}

void Control::PaintBkColor(ICanvas& canvas) {
    if (bkColor_ != 0) canvas.FillRect(rect_, bkColor_);
}

void Control::PaintBkImage(ICanvas& canvas) { DrawImageSpec(canvas, bkImage_, rect_); }

void Control::PaintBorder(ICanvas& canvas) {
    if (borderSize_ <= 0 || borderColor_ == 0) return;
    const Rect& r = rect_;
    const int b = borderSize_;
    canvas.FillRect({r.left, r.top, r.right, r.top + b}, borderColor_);
    canvas.FillRect({r.left, r.bottom - b, r.right, r.bottom}, borderColor_);
    canvas.FillRect({r.left, r.top + b, r.left + b, r.bottom - b}, borderColor_);
    canvas.FillRect({r.right - b, r.top + b, r.right, r.bottom - b}, borderColor_);
}

bool Control::DrawImageSpec(ICanvas& canvas, const ImageSpec& imageSpec, const Rect& box) {
    if (imageSpec.IsEmpty() || manager_ == nullptr) return false;
    const ImagePtr image = manager_->Skin().GetImage(imageSpec.path);
    if (!image) return false;
    const Rect dest = imageSpec.hasDest ? imageSpec.dest.Offset(box.left, box.top) : box;
    canvas.DrawImage(*image, imageSpec.source, dest, imageSpec.corners, imageSpec.alpha);
    return true;
}

void Control::DoEvent(const TEventUI& event) {
    switch (event.type) {
    case EventType::MouseEnter: SetStateFlag(kStateHot, true); break;
    case EventType::MouseLeave: SetStateFlag(kStateHot, false); break;
    case EventType::ButtonDown: SetStateFlag(kStatePushed, true); break;
    case EventType::ButtonUp: SetStateFlag(kStatePushed, false); break;
    default: break;
    }
}

Control* Control::FindControlAt(Point point) {
    if (!visible_ || !enabled_ || !rect_.Contains(point)) return nullptr;
    return this;
}

Control* Control::FindByName(std::wstring_view name) { return name_ == name ? this : nullptr; }

void Control::SetManager(CPaintManager* manager, Control* parent) {
    manager_ = manager;
    parent_ = parent;
}

void Control::SetText(std::wstring text) {
    if (text == text_) return;
    text_ = std::move(text);
    if (autoCalcWidth_) NeedUpdate();
    Invalidate();
    if (manager_ != nullptr && accessibleName_.empty()) manager_->NotifyAccessible(AccessibleEvent::NameChanged, *this);
}

bool Control::OnKey(const KeyPress& key) {
    if (key.key != Key::Enter && key.key != Key::Space) return false;
    return DoDefaultAction();
}

std::wstring Control::GetAccessibleName() const { return accessibleName_.empty() ? text_ : accessibleName_; }

void Control::SetAccessibleName(std::wstring name) {
    if (name == accessibleName_) return;
    accessibleName_ = std::move(name);
    if (manager_ != nullptr) manager_->NotifyAccessible(AccessibleEvent::NameChanged, *this);
}

uint32_t Control::GetAccessibleStates() const {
    uint32_t states = 0;
    if (IsFocusable()) states |= kAccessibleFocusable;
    if (!enabled_) states |= kAccessibleDisabled;
    if (manager_ != nullptr && manager_->GetAccessibleFocus() == this) states |= kAccessibleFocused;
    return states;
}

Control* Control::GetAccessibleParent() {
    for (Control* above = parent_; above != nullptr; above = above->GetParent()) {
        if (above->GetAccessibleRole() != AccessibleRole::None) return above;
    }
    return nullptr;
}

void Control::SetFixedWidth(int cx) {
    fixed_.cx = std::clamp(cx, 0, kMaxExtent);
    NeedUpdate();
}

void Control::SetFixedHeight(int cy) {
    fixed_.cy = std::clamp(cy, 0, kMaxExtent);
    NeedUpdate();
}

void Control::SetMinWidth(int cx) {
    min_.cx = std::clamp(cx, 0, kMaxExtent);
    NeedUpdate();
}

void Control::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    NeedUpdate();
    if (manager_ != nullptr && parent_ != nullptr) manager_->NotifyAccessible(AccessibleEvent::ChildrenChanged, *parent_);
}

void Control::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Invalidate();
    if (manager_ != nullptr) manager_->NotifyAccessible(AccessibleEvent::StateChanged, *this);
}

void Control::SetAutoCalcWidth(bool on) {
    autoCalcWidth_ = on;
    NeedUpdate();
}

void Control::SetBkImage(std::wstring_view imageSpec) {
    bkImage_ = ParseImageSpec(imageSpec);
    Invalidate();
}

void Control::SetBkColor(Argb color) {
    bkColor_ = color;
    Invalidate();
}

void Control::SetStateFlag(uint32_t flag, bool on) {
    const uint32_t next = on ? (state_ | flag) : (state_ & ~flag);
    if (next == state_) return;
    state_ = next;
    Invalidate();
}

FontSpec Control::GetFont() const { return manager_ != nullptr ? manager_->GetFont(fontId_) : FontSpec{}; }

Size Control::MeasureText(const std::wstring& text, int maxWidth, uint32_t flags) const {
    if (manager_ == nullptr || text.empty()) return {};
    const Size size = manager_->Skin().Host().MeasuringCanvas().MeasureText(text, GetFont(), maxWidth, flags);
    return {std::clamp(size.cx, 0, kMaxExtent), std::clamp(size.cy, 0, kMaxExtent)};
}

void Control::Invalidate() {
    if (manager_ != nullptr && !rect_.IsEmpty()) manager_->Invalidate(rect_);
}

void Control::NeedUpdate() {
    if (manager_ != nullptr) manager_->NeedUpdate();
}

void Control::Clicked() {
    if (clickHandler_) {
        // A copy: the handler may replace itself or take the element away.
        const std::function<void()> handler = clickHandler_;
        handler();
    } else if (manager_ != nullptr) {
        manager_->SendNotify(this, L"click");
    }
}

}  // namespace ui
