#pragma once
// The four controls the program's layouts use beyond the toolkit's own
// elements, and the factory that makes them by their exact kind name.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ui/toolkit/container.h"
#include "ui/toolkit/control.h"
#include "ui/toolkit/label.h"

namespace ui {

// "autocalc" switches auto-sizing on only for exactly "true".
bool IsAutoCalcOn(std::wstring_view value);

// Cycles its background image through numbered frames, one per interval, for
// as long as it exists.
class FrameAnimation : public Control {
public:
    static constexpr uint32_t kFrameTimerId = 1;

    std::wstring_view GetClass() const override { return L"FrameAnimationUI"; }
    Control* GetInterface(std::wstring_view name) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    void Init() override;
    void DoEvent(const TEventUI& event) override;

    uint32_t CurrentFrame() const { return current_; }

private:
    void ShowCurrentFrame();

    std::wstring imageFormat_;
    uint32_t first_ = 0;
    uint32_t last_ = 0;
    uint32_t current_ = 0;
    uint32_t intervalMs_ = 60;
};

// A row that sizes itself to its children.
class HorizontalLayoutEx : public HorizontalLayout {
public:
    std::wstring_view GetClass() const override { return L"HorizontalLayoutExUI"; }
    Control* GetInterface(std::wstring_view name) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    Size EstimateSize(Size available) override;
    bool IsAutoSize() const { return autoSize_; }

private:
    bool autoSize_ = true;
};

// A column that sizes itself to its children.
class VerticalLayoutEx : public VerticalLayout {
public:
    std::wstring_view GetClass() const override { return L"VerticalLayoutExUI"; }
    Control* GetInterface(std::wstring_view name) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    Size EstimateSize(Size available) override;
    bool IsAutoSize() const { return autoSize_; }

private:
    bool autoSize_ = true;
};

// A button whose width follows its (possibly multi-line) text.
class ButtonEx : public Button {
public:
    ButtonEx();
    std::wstring_view GetClass() const override { return L"ButtonExUI"; }
    Control* GetInterface(std::wstring_view name) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    Size EstimateSize(Size available) override;
    bool IsAutoSize() const { return autoSize_; }

protected:
    void PaintText(ICanvas& canvas) override;

private:
    bool autoSize_ = true;
};

// The custom control of exactly that kind (case-sensitive), or null so that
// the toolkit makes its standard element.
std::unique_ptr<Control> CreateCustomControl(std::wstring_view kind);

}  // namespace ui
