#include "ui/toolkit/label.h"

#include "ui/toolkit/paint_manager.h"

namespace ui {

namespace {
constexpr uint32_t kHorizontalFlags = kTextCenter | kTextRight;
constexpr uint32_t kVerticalFlags = kTextVCenter | kTextBottom;
}  // namespace

uint32_t ApplyAlign(uint32_t flags, std::wstring_view name, std::wstring_view value) {
    if (name == L"align") {
        flags &= ~kHorizontalFlags;
        if (value == L"center") flags |= kTextCenter;
        else if (value == L"right") flags |= kTextRight;
    } else if (name == L"valign") {
        flags &= ~kVerticalFlags;
        if (value == L"center" || value == L"vcenter") flags |= kTextVCenter;
        else if (value == L"bottom") flags |= kTextBottom;
    }
    return flags;
}

Control* Label::GetInterface(std::wstring_view name) {
    return name == L"Label" ? this : Control::GetInterface(name);
}

void Label::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"align" || name == L"valign") textStyle_ = ApplyAlign(textStyle_, name, value);
    else if (name == L"textcolor") textColor_ = ParseColor(value).value_or(textColor_);
    else if (name == L"disabledtextcolor") disabledTextColor_ = ParseColor(value).value_or(0);
    else if (name == L"endellipsis") {
        textStyle_ = ParseBool(value) ? (textStyle_ | kTextEndEllipsis) : (textStyle_ & ~kTextEndEllipsis);
    } else if (name == L"wordbreak") {
        textStyle_ = ParseBool(value) ? ((textStyle_ | kTextWordBreak) & ~kTextSingleLine)
                                      : ((textStyle_ & ~kTextWordBreak) | kTextSingleLine);
    } else Control::SetAttribute(name, value);
}

AccessibleRole Label::GetAccessibleRole() const {
    return accessibleRole_ != AccessibleRole::None ? accessibleRole_ : AccessibleRole::Label;
}

void Label::SetTextColor(Argb color) {
    textColor_ = color;
    Invalidate();
}

void Label::SetTextStyle(uint32_t flags) {
    textStyle_ = flags;
    Invalidate();
}

void Label::PaintText(ICanvas& canvas) {
    if (text_.empty()) return;
    const Rect box = rect_.Deflated(textPadding_);
    if (box.IsEmpty()) return;
    const Argb color = !enabled_ && disabledTextColor_ != 0 ? disabledTextColor_ : CurrentTextColor();
    canvas.DrawText(text_, GetFont(), color, box, textStyle_);
}

Text::Text() { textStyle_ = kTextLeft | kTextTop | kTextWordBreak; }

Control* Text::GetInterface(std::wstring_view name) {
    return name == L"Text" ? this : Label::GetInterface(name);
}

Size Text::EstimateSize(Size available) {
    if (!autoCalcWidth_) return Label::EstimateSize(available);
    const int paddingX = textPadding_.left + textPadding_.right;
    const int paddingY = textPadding_.top + textPadding_.bottom;
    int width = ClampExtent(static_cast<long long>(MeasureText(text_, 0, kTextSingleLine).cx) + paddingX);
    if (available.cx > 0 && width > available.cx) width = available.cx;
    if (fixed_.cy > 0 || text_.empty()) return {width, fixed_.cy};
    const int wrapped = MeasureText(text_, std::max(1, width - paddingX), kTextWordBreak).cy;
    return {width, ClampExtent(static_cast<long long>(wrapped) + paddingY)};
}

void Text::DoEvent(const TEventUI& event) {
    const bool wasPushed = (state_ & kStatePushed) != 0;
    Label::DoEvent(event);
    // Last: the window's handler may destroy this element.
    if (event.type == EventType::ButtonUp && wasPushed && rect_.Contains(event.ptMouse)) Clicked();
}

bool Text::DoDefaultAction() {
    if (!IsLink()) return false;
    Clicked();
    return true;
}

AccessibleRole Text::GetAccessibleRole() const {
    return IsLink() && accessibleRole_ == AccessibleRole::None ? AccessibleRole::Link : Label::GetAccessibleRole();
}

Button::Button() { textStyle_ = kTextCenter | kTextVCenter | kTextSingleLine; }

Control* Button::GetInterface(std::wstring_view name) {
    return name == L"Button" ? this : Label::GetInterface(name);
}

void Button::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"normalimage") normalImage_ = ParseImageSpec(value);
    else if (name == L"hotimage") hotImage_ = ParseImageSpec(value);
    else if (name == L"pushedimage") pushedImage_ = ParseImageSpec(value);
    else if (name == L"disabledimage") disabledImage_ = ParseImageSpec(value);
    else if (name == L"hottextcolor") hotTextColor_ = ParseColor(value).value_or(0);
    else if (name == L"pushedtextcolor") pushedTextColor_ = ParseColor(value).value_or(0);
    else if (name == L"focusedtextcolor") focusedTextColor_ = ParseColor(value).value_or(0);
    else Label::SetAttribute(name, value);
}

void Button::SetNormalImage(std::wstring_view imageSpec) {
    normalImage_ = ParseImageSpec(imageSpec);
    Invalidate();
}

void Button::DoEvent(const TEventUI& event) {
    const bool wasPushed = (state_ & kStatePushed) != 0;
    Label::DoEvent(event);
    if (event.type == EventType::ButtonUp && wasPushed && rect_.Contains(event.ptMouse)) Clicked();
}

bool Button::DoDefaultAction() {
    Clicked();
    return true;
}

AccessibleRole Button::GetAccessibleRole() const {
    return accessibleRole_ != AccessibleRole::None ? accessibleRole_ : AccessibleRole::PushButton;
}

uint32_t Button::GetAccessibleStates() const {
    uint32_t states = Label::GetAccessibleStates();
    if (manager_ != nullptr && manager_->GetDefaultButton() == this) states |= kAccessibleDefault;
    return states;
}

void Button::PaintStatusImage(ICanvas& canvas) {
    // The state's image, falling back to the normal one when it has none.
    if (!enabled_ && DrawImageSpec(canvas, disabledImage_, rect_)) return;
    if ((state_ & kStatePushed) != 0 && DrawImageSpec(canvas, pushedImage_, rect_)) return;
    if ((state_ & kStateHot) != 0 && DrawImageSpec(canvas, hotImage_, rect_)) return;
    DrawImageSpec(canvas, normalImage_, rect_);
}

Argb Button::CurrentTextColor() const {
    if ((state_ & kStatePushed) != 0 && pushedTextColor_ != 0) return pushedTextColor_;
    if ((state_ & kStateHot) != 0 && hotTextColor_ != 0) return hotTextColor_;
    if ((state_ & kStateFocused) != 0 && focusedTextColor_ != 0) return focusedTextColor_;
    return textColor_;
}

}  // namespace ui
