#include "ui/base/custom_controls.h"

#include <algorithm>

#include "shell/log.h"
#include "shell/text_util.h"
#include "shell/wide_format.h"
#include "ui/toolkit/paint_manager.h"

namespace ui {

namespace {

// The frame format comes from a layout file and is handed to printf: it may
// hold "%%" and exactly one integer conversion ("%d", "%0.5d", "%05d"),
// nothing that would read another argument.
bool IsSingleIntegerFormat(std::wstring_view format) {
    int conversions = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != L'%') continue;
        if (++i < format.size() && format[i] == L'%') continue;
        while (i < format.size() && (IsAsciiDigit(format[i]) || format[i] == L'.')) ++i;
        if (i >= format.size() || format[i] != L'd') return false;
        ++conversions;
    }
    return conversions == 1;
}

uint32_t UnsignedValue(std::wstring_view text) {
    return static_cast<uint32_t>(std::max<int32_t>(0, LeadingInt32(text)));
}

// Children that take part in a flow: shown and not floating.
template <typename Visit>
void ForEachFlowChild(const Container& container, Visit visit) {
    for (int i = 0; i < container.GetCount(); ++i) {
        Control* child = container.GetItemAt(i);
        if (child != nullptr && container.IsChildShown(i) && !child->IsFloat()) visit(*child);
    }
}

}  // namespace

bool IsAutoCalcOn(std::wstring_view value) { return value == L"true"; }

Control* FrameAnimation::GetInterface(std::wstring_view name) {
    return name == L"FrameAnimation" ? this : Control::GetInterface(name);
}

void FrameAnimation::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"imageformat") {
        imageFormat_ = value;
    } else if (name == L"framebegin") {
        first_ = UnsignedValue(value);
    } else if (name == L"frameend") {
        last_ = UnsignedValue(value);
    } else if (name == L"interval") {
        intervalMs_ = UnsignedValue(value);
    } else {
        Control::SetAttribute(name, value);
    }
}

void FrameAnimation::Init() {
    current_ = first_;
    ShowCurrentFrame();
    if (last_ > 1 && manager_ != nullptr) manager_->SetTimer(this, kFrameTimerId, intervalMs_);
}

void FrameAnimation::DoEvent(const TEventUI& event) {
    if (event.type == EventType::Timer && event.wParam == kFrameTimerId) {
        ShowCurrentFrame();
        return;
    }
    Control::DoEvent(event);
}

void FrameAnimation::ShowCurrentFrame() {
    if (!imageFormat_.empty() && IsSingleIntegerFormat(imageFormat_)) {
        SetBkImage(FormatWide(imageFormat_.c_str(), current_));
        Invalidate();
    } else if (!imageFormat_.empty() && current_ == first_) {
        CCTLog::Instance().Log(LogLevel::Error, "FrameAnimation::ShowFrame", L"image format refused: %ls", imageFormat_.c_str());
    }
    ++current_;
    if (current_ > last_) current_ = first_;
}

Control* HorizontalLayoutEx::GetInterface(std::wstring_view name) {
    return name == L"HorizontalLayoutEx" ? this : HorizontalLayout::GetInterface(name);
}

void HorizontalLayoutEx::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"autocalc") {
        autoSize_ = IsAutoCalcOn(value);
    } else {
        HorizontalLayout::SetAttribute(name, value);
    }
}

Size HorizontalLayoutEx::EstimateSize(Size available) {
    if (!autoSize_) return HorizontalLayout::EstimateSize(available);
    Size size = fixed_;
    int width = 0;
    int height = 0;
    int widthLeft = available.cx;
    ForEachFlowChild(*this, [&](Control& child) {
        const Size want = child.EstimateSize({std::max(0, widthLeft), available.cy});
        const Rect& margin = child.GetPadding();
        if (fixed_.cx == 0) {
            width += want.cx + margin.left + margin.right;
            widthLeft -= want.cx + margin.left + margin.right;
        }
        if (fixed_.cy == 0) height = std::max(height, want.cy + margin.top + margin.bottom);
    });
    if (fixed_.cx == 0) size.cx = width + inset_.left + inset_.right;
    if (fixed_.cy == 0) size.cy = height + inset_.top + inset_.bottom;
    return size;
}

Control* VerticalLayoutEx::GetInterface(std::wstring_view name) {
    return name == L"VerticalLayoutEx" ? this : VerticalLayout::GetInterface(name);
}

void VerticalLayoutEx::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"autocalc") {
        autoSize_ = IsAutoCalcOn(value);
    } else {
        VerticalLayout::SetAttribute(name, value);
    }
}

Size VerticalLayoutEx::EstimateSize(Size available) {
    // With a fixed side it behaves as the plain column; no layout needs more.
    if (!autoSize_ || fixed_.cx != 0 || fixed_.cy != 0) return VerticalLayout::EstimateSize(available);
    int width = 0;
    int height = 0;
    int heightLeft = available.cy;
    ForEachFlowChild(*this, [&](Control& child) {
        const Size want = child.EstimateSize({available.cx, std::max(0, heightLeft)});
        const Rect& margin = child.GetPadding();
        width = std::max(width, want.cx + margin.left + margin.right);
        height += want.cy + margin.top + margin.bottom;
        heightLeft -= want.cy + margin.top + margin.bottom;
    });
    return {width + inset_.left + inset_.right, height + inset_.top + inset_.bottom};
}

ButtonEx::ButtonEx() { SetAutoCalcWidth(true); }

Control* ButtonEx::GetInterface(std::wstring_view name) {
    return name == L"ButtonEx" ? this : Button::GetInterface(name);
}

void ButtonEx::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"autocalc") {
        autoSize_ = IsAutoCalcOn(value);
        SetAutoCalcWidth(autoSize_);
    } else {
        Button::SetAttribute(name, value);
    }
}

Size ButtonEx::EstimateSize(Size available) {
    if (!autoSize_) return Button::EstimateSize(available);
    const Rect& margin = textPadding_;
    const int boxWidth = std::max(available.cx, fixed_.cx) - margin.left - margin.right;
    const Size text = MeasureText(text_, std::max(0, boxWidth), textStyle_ & ~kTextSingleLine);
    const int width = text.cx + margin.left + margin.right;
    int height = fixed_.cy;
    if (height == 0) height = available.cy > 0 ? available.cy : text.cy + margin.top + margin.bottom;
    // The computed size becomes the fixed size: the next estimate starts from
    // it, so a longer text (another language) makes the button grow.
    SetFixedWidth(width);
    SetFixedHeight(height);
    return {width, height};
}

void ButtonEx::PaintText(ICanvas& canvas) {
    if (!autoSize_) {
        Button::PaintText(canvas);
        return;
    }
    // Drawn with the rule it was measured with: more than one line allowed.
    const uint32_t style = textStyle_;
    textStyle_ = style & ~kTextSingleLine;
    Button::PaintText(canvas);
    textStyle_ = style;
}

std::unique_ptr<Control> CreateCustomControl(std::wstring_view kind) {
    if (kind == L"HorizontalLayoutEx") return std::make_unique<HorizontalLayoutEx>();
    if (kind == L"VerticalLayoutEx") return std::make_unique<VerticalLayoutEx>();
    if (kind == L"FrameAnimation") return std::make_unique<FrameAnimation>();
    if (kind == L"ButtonEx") return std::make_unique<ButtonEx>();
    return nullptr;
}

}  // namespace ui
