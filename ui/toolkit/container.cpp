#include "ui/toolkit/container.h"

#include <algorithm>

namespace ui {

namespace {

// One child's share of the flow along the stacking direction.
struct FlowItem {
    Control* child;
    int along;  // 0: shares what is left
    Size want;
};

int ClampMin(int value, int minimum) { return std::max(value, minimum); }

}  // namespace

Control* Container::GetInterface(std::wstring_view name) {
    return name == L"Container" ? this : Control::GetInterface(name);
}

bool Container::Add(std::unique_ptr<Control> child) {
    if (!child) return false;
    child->SetManager(manager_, this);
    items_.push_back(std::move(child));
    NeedUpdate();
    return true;
}

Control* Container::GetItemAt(int index) const {
    return index >= 0 && index < GetCount() ? items_[static_cast<size_t>(index)].get() : nullptr;
}

bool Container::IsChildShown(int index) const {
    const Control* child = GetItemAt(index);
    return child != nullptr && child->IsVisible();
}

void Container::SetPos(const Rect& rect) {
    Control::SetPos(rect);
    LayoutFlow(rect.Deflated(inset_));
    for (int i = 0; i < GetCount(); ++i) {
        if (IsChildShown(i) && items_[static_cast<size_t>(i)]->IsFloat()) PlaceFloat(*items_[static_cast<size_t>(i)]);
    }
}

void Container::PlaceFloat(Control& child) {
    const Rect& pos = child.GetFloatPos();
    const int width = child.GetFixedWidth() > 0 ? child.GetFixedWidth() : std::max(pos.Width(), 0);
    const int height = child.GetFixedHeight() > 0 ? child.GetFixedHeight() : std::max(pos.Height(), 0);
    const int left = ClampExtent(static_cast<long long>(rect_.left) + pos.left);
    const int top = ClampExtent(static_cast<long long>(rect_.top) + pos.top);
    child.SetPos({left, top, ClampExtent(static_cast<long long>(left) + width),
                  ClampExtent(static_cast<long long>(top) + height)});
}

void Container::LayoutFlow(const Rect& box) {
    // Plain containers lay every child over the whole box.
    for (int i = 0; i < GetCount(); ++i) {
        Control& child = *items_[static_cast<size_t>(i)];
        if (!IsChildShown(i) || child.IsFloat()) continue;
        child.SetPos(box.Deflated(child.GetPadding()));
    }
}

void Container::Paint(ICanvas& canvas, const Rect& dirty) {
    if (!visible_ || rect_.IsEmpty() || rect_.Intersect(dirty).IsEmpty()) return;
    Control::Paint(canvas, dirty);
    canvas.PushClip(rect_);
    for (int i = 0; i < GetCount(); ++i) {
        if (IsChildShown(i)) items_[static_cast<size_t>(i)]->Paint(canvas, dirty);
    }
    canvas.PopClip();
}

Control* Container::FindControlAt(Point point) {
    if (Control::FindControlAt(point) == nullptr) return nullptr;
    // Later children are painted over earlier ones, so they are hit first.
    for (int i = GetCount() - 1; i >= 0; --i) {
        if (!IsChildShown(i)) continue;
        if (Control* hit = items_[static_cast<size_t>(i)]->FindControlAt(point)) return hit;
    }
    return this;
}

Control* Container::FindByName(std::wstring_view name) {
    if (Control* self = Control::FindByName(name)) return self;
    for (const auto& child : items_) {
        if (Control* found = child->FindByName(name)) return found;
    }
    return nullptr;
}

void Container::SetManager(CPaintManager* manager, Control* parent) {
    Control::SetManager(manager, parent);
    for (const auto& child : items_) child->SetManager(manager, this);
}

Control* VerticalLayout::GetInterface(std::wstring_view name) {
    return name == L"VerticalLayout" ? this : Container::GetInterface(name);
}

void VerticalLayout::LayoutFlow(const Rect& box) {
    std::vector<FlowItem> flow;
    long long fixedTotal = 0;
    int flexible = 0;
    for (int i = 0; i < GetCount(); ++i) {
        Control& child = *items_[static_cast<size_t>(i)];
        if (!IsChildShown(i) || child.IsFloat()) continue;
        const Rect& pad = child.GetPadding();
        const long long left = std::max<long long>(0, box.Height() - fixedTotal);
        const Size want = child.EstimateSize({box.Width(), ClampExtent(left)});
        int along = want.cy > 0 ? ClampMin(want.cy, child.GetMinHeight()) : 0;
        if (along == 0) ++flexible;
        fixedTotal += along + pad.top + pad.bottom;
        flow.push_back({&child, along, want});
    }
    const long long rest = std::max<long long>(0, box.Height() - fixedTotal);
    int y = box.top;
    int sharedLeft = flexible;
    long long restLeft = rest;
    for (FlowItem& item : flow) {
        Control& child = *item.child;
        const Rect& pad = child.GetPadding();
        int height = item.along;
        if (height == 0) {
            // The last flexible child takes the remainder of the division.
            const long long share = sharedLeft == 1 ? restLeft : rest / flexible;
            height = ClampMin(ClampExtent(share), child.GetMinHeight());
            restLeft -= share;
            --sharedLeft;
            item.want = child.EstimateSize({box.Width(), height});
        }
        const Size want = item.want;
        int width = want.cx > 0 ? want.cx : ClampExtent(static_cast<long long>(box.Width()) - pad.left - pad.right);
        width = ClampMin(width, child.GetMinWidth());
        const int top = ClampExtent(static_cast<long long>(y) + pad.top);
        const int left = ClampExtent(static_cast<long long>(box.left) + pad.left);
        child.SetPos({left, top, ClampExtent(static_cast<long long>(left) + width),
                      ClampExtent(static_cast<long long>(top) + height)});
        y = ClampExtent(static_cast<long long>(top) + height + pad.bottom);
    }
}

Control* HorizontalLayout::GetInterface(std::wstring_view name) {
    return name == L"HorizontalLayout" ? this : Container::GetInterface(name);
}

void HorizontalLayout::LayoutFlow(const Rect& box) {
    std::vector<FlowItem> flow;
    long long fixedTotal = 0;
    int flexible = 0;
    for (int i = 0; i < GetCount(); ++i) {
        Control& child = *items_[static_cast<size_t>(i)];
        if (!IsChildShown(i) || child.IsFloat()) continue;
        const Rect& pad = child.GetPadding();
        const long long left = std::max<long long>(0, box.Width() - fixedTotal);
        const Size want = child.EstimateSize({ClampExtent(left), box.Height()});
        int along = want.cx > 0 ? ClampMin(want.cx, child.GetMinWidth()) : 0;
        if (along == 0) ++flexible;
        fixedTotal += along + pad.left + pad.right;
        flow.push_back({&child, along, want});
    }
    const long long rest = std::max<long long>(0, box.Width() - fixedTotal);
    int x = box.left;
    int sharedLeft = flexible;
    long long restLeft = rest;
    for (FlowItem& item : flow) {
        Control& child = *item.child;
        const Rect& pad = child.GetPadding();
        int width = item.along;
        if (width == 0) {
            const long long share = sharedLeft == 1 ? restLeft : rest / flexible;
            width = ClampMin(ClampExtent(share), child.GetMinWidth());
            restLeft -= share;
            --sharedLeft;
            item.want = child.EstimateSize({width, box.Height()});
        }
        const Size want = item.want;
        int height = want.cy > 0 ? want.cy : ClampExtent(static_cast<long long>(box.Height()) - pad.top - pad.bottom);
        height = ClampMin(height, child.GetMinHeight());
        const int left = ClampExtent(static_cast<long long>(x) + pad.left);
        const int top = ClampExtent(static_cast<long long>(box.top) + pad.top);
        child.SetPos({left, top, ClampExtent(static_cast<long long>(left) + width),
                      ClampExtent(static_cast<long long>(top) + height)});
        x = ClampExtent(static_cast<long long>(left) + width + pad.right);
    }
}

Control* TabLayout::GetInterface(std::wstring_view name) {
    return name == L"TabLayout" ? this : Container::GetInterface(name);
}

void TabLayout::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"selectedid") selected_ = ParseInt(value);
    else Container::SetAttribute(name, value);
}

bool TabLayout::IsChildShown(int index) const { return index == selected_ && Container::IsChildShown(index); }

bool TabLayout::SelectItem(int index) {
    if (index < 0 || index >= GetCount()) return false;
    if (index == selected_) return true;
    selected_ = index;
    NeedUpdate();
    Invalidate();
    return true;
}

}  // namespace ui
