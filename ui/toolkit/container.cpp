#include "ui/toolkit/container.h"

#include <algorithm>

#include "ui/toolkit/paint_manager.h"

namespace ui {

namespace {

// One child's share of the flow along the stacking direction.
struct FlowItem {
    Control* child;
    int along;  // 0: shares what is left
    Size want;
};

int ClampMin(int value, int minimum) { return std::max(value, minimum); }

// The stacking direction's view of sizes and rectangles: "main" runs along
// it, "cross" across it, so that one flow serves rows and columns alike.
struct Axis {
    bool vertical;
    int Main(Size s) const { return vertical ? s.cy : s.cx; }
    int Cross(Size s) const { return vertical ? s.cx : s.cy; }
    Size Make(int main, int cross) const { return vertical ? Size{cross, main} : Size{main, cross}; }
    int MainExtent(const Rect& r) const { return vertical ? r.Height() : r.Width(); }
    int CrossExtent(const Rect& r) const { return vertical ? r.Width() : r.Height(); }
    int MainStart(const Rect& r) const { return vertical ? r.top : r.left; }
    int CrossStart(const Rect& r) const { return vertical ? r.left : r.top; }
    int MainEnd(const Rect& r) const { return vertical ? r.bottom : r.right; }
    int CrossEnd(const Rect& r) const { return vertical ? r.right : r.bottom; }
    int MinMain(const Control& c) const { return vertical ? c.GetMinHeight() : c.GetMinWidth(); }
    int MinCross(const Control& c) const { return vertical ? c.GetMinWidth() : c.GetMinHeight(); }
    Rect Place(int mainPos, int crossPos, int main, int cross) const {
        const int mainEnd = ClampExtent(static_cast<long long>(mainPos) + main);
        const int crossEnd = ClampExtent(static_cast<long long>(crossPos) + cross);
        return vertical ? Rect{crossPos, mainPos, crossEnd, mainEnd} : Rect{mainPos, crossPos, mainEnd, crossEnd};
    }
};

}  // namespace

void Container::LayoutAlong(const Rect& box, bool vertical) {
    const Axis axis{vertical};
    std::vector<FlowItem> flow;
    long long fixedTotal = 0;
    int flexible = 0;
    for (int i = 0; i < GetCount(); ++i) {
        Control& child = *items_[static_cast<size_t>(i)];
        if (!IsChildShown(i) || child.IsFloat()) continue;
        const Rect& pad = child.GetPadding();
        const long long left = std::max<long long>(0, axis.MainExtent(box) - fixedTotal);
        const Size want = child.EstimateSize(axis.Make(ClampExtent(left), axis.CrossExtent(box)));
        const int along = axis.Main(want) > 0 ? ClampMin(axis.Main(want), axis.MinMain(child)) : 0;
        if (along == 0) ++flexible;
        fixedTotal += along + axis.MainStart(pad) + axis.MainEnd(pad);
        flow.push_back({&child, along, want});
    }
    const long long rest = std::max<long long>(0, axis.MainExtent(box) - fixedTotal);
    int position = axis.MainStart(box);
    int sharedLeft = flexible;
    long long restLeft = rest;
    for (FlowItem& item : flow) {
        Control& child = *item.child;
        const Rect& pad = child.GetPadding();
        int main = item.along;
        if (main == 0) {
            // The last flexible child takes the remainder of the division.
            const long long share = sharedLeft == 1 ? restLeft : rest / flexible;
            main = ClampMin(ClampExtent(share), axis.MinMain(child));
            restLeft -= share;
            --sharedLeft;
            item.want = child.EstimateSize(axis.Make(main, axis.CrossExtent(box)));
        }
        int cross = axis.Cross(item.want) > 0
                        ? axis.Cross(item.want)
                        : ClampExtent(static_cast<long long>(axis.CrossExtent(box)) - axis.CrossStart(pad) -
                                      axis.CrossEnd(pad));
        cross = ClampMin(cross, axis.MinCross(child));
        const int mainPos = ClampExtent(static_cast<long long>(position) + axis.MainStart(pad));
        const int crossPos = ClampExtent(static_cast<long long>(axis.CrossStart(box)) + axis.CrossStart(pad));
        child.SetPos(axis.Place(mainPos, crossPos, main, cross));
        position = ClampExtent(static_cast<long long>(mainPos) + main + axis.MainEnd(pad));
    }
}

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

void Container::ForEachShownChild(const std::function<void(Control&)>& visit) {
    for (int i = 0; i < GetCount(); ++i) {
        if (IsChildShown(i)) visit(*items_[static_cast<size_t>(i)]);
    }
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

void VerticalLayout::LayoutFlow(const Rect& box) { LayoutAlong(box, kVertical); }

Control* HorizontalLayout::GetInterface(std::wstring_view name) {
    return name == L"HorizontalLayout" ? this : Container::GetInterface(name);
}

void HorizontalLayout::LayoutFlow(const Rect& box) { LayoutAlong(box, kHorizontal); }

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
    const Control* hidden = GetItemAt(selected_);
    selected_ = index;
    // One page shows at a time: the one hidden lets go of its background (on
    // the main window, a bitmap of the window's size), which decodes again
    // when the page comes back.
    if (manager_ != nullptr && hidden != nullptr && !hidden->GetBkImage().IsEmpty()) {
        manager_->Skin().ReleaseImage(hidden->GetBkImage().path);
    }
    NeedUpdate();
    Invalidate();
    if (manager_ != nullptr) manager_->OnPageSelected(*this);
    return true;
}

}  // namespace ui
