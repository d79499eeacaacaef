#pragma once
// Text elements: Label (one line, vertically centred), Text (wraps at word
// breaks and sends "click"), Button (state images and text colours).

#include "ui/toolkit/control.h"

namespace ui {

class Label : public Control {
public:
    std::wstring_view GetClass() const override { return L"LabelUI"; }
    Control* GetInterface(std::wstring_view name) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;

    Argb GetTextColor() const { return textColor_; }
    void SetTextColor(Argb color);
    // Alignment, wrap and ellipsis flags the text is drawn with.
    uint32_t GetTextStyle() const { return textStyle_; }
    void SetTextStyle(uint32_t flags);
    AccessibleRole GetAccessibleRole() const override;

protected:
    void PaintText(ICanvas& canvas) override;
    // The colour of the text in the element's current state.
    virtual Argb CurrentTextColor() const { return textColor_; }

    Argb textColor_ = 0xFF000000;
    Argb disabledTextColor_ = 0;
    uint32_t textStyle_ = kTextLeft | kTextVCenter | kTextSingleLine;
};

class Text : public Label {
public:
    Text();
    std::wstring_view GetClass() const override { return L"TextUI"; }
    Control* GetInterface(std::wstring_view name) override;
    void DoEvent(const TEventUI& event) override;
    // With its width following the text: as wide as the text on one line,
    // at most the width offered, and (without a fixed height) as tall as
    // the text wrapped to that width, so that a long text grows downwards
    // instead of being cut.
    Size EstimateSize(Size available) override;
    // A text with a hand cursor or a click handler is a link: it takes the
    // focus and Enter follows it.
    bool IsLink() const { return cursor_ == CursorShape::Hand || static_cast<bool>(clickHandler_); }
    bool IsFocusable() const override { return IsLink(); }
    bool DoDefaultAction() override;
    AccessibleRole GetAccessibleRole() const override;
};

class Button : public Label {
public:
    Button();
    std::wstring_view GetClass() const override { return L"ButtonUI"; }
    Control* GetInterface(std::wstring_view name) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    void DoEvent(const TEventUI& event) override;
    bool IsFocusable() const override { return true; }
    bool DoDefaultAction() override;
    AccessibleRole GetAccessibleRole() const override;
    uint32_t GetAccessibleStates() const override;

    void SetNormalImage(std::wstring_view imageSpec);
    Argb GetHotTextColor() const { return hotTextColor_; }
    Argb GetPushedTextColor() const { return pushedTextColor_; }
    Argb GetFocusedTextColor() const { return focusedTextColor_; }

protected:
    void PaintStatusImage(ICanvas& canvas) override;
    // Pushed, else hot, else focused colour when in that state and set; else
    // the normal colour, or the disabled one when disabled.
    Argb CurrentTextColor() const override;

    ImageSpec normalImage_;
    ImageSpec hotImage_;
    ImageSpec pushedImage_;
    ImageSpec disabledImage_;
    Argb hotTextColor_ = 0;
    Argb pushedTextColor_ = 0;
    Argb focusedTextColor_ = 0;
};

// Reads align= and valign= into text flags.
uint32_t ApplyAlign(uint32_t flags, std::wstring_view name, std::wstring_view value);

}  // namespace ui
