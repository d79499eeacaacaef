#pragma once
// Elements that hold others: the vertical and horizontal boxes and the page
// container. Fixed sizes stay fixed, elements without a size share what is
// left, padding is the child's outer and inset the container's inner margin;
// floating children are placed by pos relative to the container.

#include <memory>
#include <vector>

#include "ui/toolkit/control.h"

namespace ui {

class Container : public Control {
public:
    std::wstring_view GetClass() const override { return L"ContainerUI"; }
    Control* GetInterface(std::wstring_view name) override;
    bool Add(std::unique_ptr<Control> child) override;
    void SetPos(const Rect& rect) override;
    void Paint(ICanvas& canvas, const Rect& dirty) override;
    Control* FindControlAt(Point point) override;
    Control* FindByName(std::wstring_view name) override;
    void SetManager(CPaintManager* manager, Control* parent) override;
    void ForEachShownChild(const std::function<void(Control&)>& visit) override;

    int GetCount() const { return static_cast<int>(items_.size()); }
    Control* GetItemAt(int index) const;
    // Whether the child takes part: visible (and the selected page of a tab).
    virtual bool IsChildShown(int index) const;

protected:
    // Places the children that flow, inside `box` (the rect less the inset).
    virtual void LayoutFlow(const Rect& box);
    // Stacks the flowing children top-down or left-right: fixed sizes stay,
    // the others share what is left.
    static constexpr bool kVertical = true;
    static constexpr bool kHorizontal = false;
    void LayoutAlong(const Rect& box, bool vertical);
    void PlaceFloat(Control& child);

    std::vector<std::unique_ptr<Control>> items_;
};

class VerticalLayout : public Container {
public:
    std::wstring_view GetClass() const override { return L"VerticalLayoutUI"; }
    Control* GetInterface(std::wstring_view name) override;

protected:
    void LayoutFlow(const Rect& box) override;
};

class HorizontalLayout : public Container {
public:
    std::wstring_view GetClass() const override { return L"HorizontalLayoutUI"; }
    Control* GetInterface(std::wstring_view name) override;

protected:
    void LayoutFlow(const Rect& box) override;
};

// Shows exactly one child, laid over the whole box.
class TabLayout : public Container {
public:
    std::wstring_view GetClass() const override { return L"TabLayoutUI"; }
    Control* GetInterface(std::wstring_view name) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    bool IsChildShown(int index) const override;
    int GetCurSel() const { return selected_; }
    // False for an index out of range (the selection stays). The keyboard
    // focus moves into the page shown.
    bool SelectItem(int index);

private:
    int selected_ = 0;
};

}  // namespace ui
