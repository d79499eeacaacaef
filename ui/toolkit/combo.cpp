#include "ui/toolkit/combo.h"

#include <algorithm>

#include "ui/toolkit/paint_manager.h"

namespace ui {

Control* ListLabelElement::GetInterface(std::wstring_view name) {
    return name == L"ListLabelElement" ? this : Label::GetInterface(name);
}

Combo* ListLabelElement::Owner() const {
    return parent_ != nullptr ? static_cast<Combo*>(parent_->GetInterface(L"Combo")) : nullptr;
}

bool ListLabelElement::DoDefaultAction() {
    Combo* owner = Owner();
    if (owner == nullptr) return false;
    owner->PickItem(owner->IndexOf(this));
    return true;
}

uint32_t ListLabelElement::GetAccessibleStates() const {
    uint32_t states = Label::GetAccessibleStates() | kAccessibleSelectable;
    if (const Combo* owner = Owner(); owner != nullptr && owner->GetCurSel() == owner->IndexOf(this)) {
        states |= kAccessibleSelected;
    }
    return states;
}

Control* ListLabelElement::GetAccessibleParent() {
    Combo* owner = Owner();
    return owner != nullptr ? &owner->GetList() : Label::GetAccessibleParent();
}

Combo::Combo() : list_(std::make_unique<ComboList>(*this)) {}

Combo::~Combo() { CloseList(); }

Control* Combo::GetInterface(std::wstring_view name) {
    return name == L"Combo" ? this : Control::GetInterface(name);
}

void Combo::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"defaulttext") defaultText_ = value;
    else if (name == L"dropboxsize") SetDropBoxSize(ParseSize(value));
    else if (name == L"itemheight") itemStyle_.height = std::clamp(ParseInt(value), 0, kMaxExtent);
    else if (name == L"itemfont") itemStyle_.fontId = ParseInt(value);
    else if (name == L"itemtextpadding") itemStyle_.textPadding = ParseRect(value);
    else if (name == L"itemtextcolor") itemStyle_.textColor = ParseColor(value).value_or(itemStyle_.textColor);
    else if (name == L"itemhottextcolor") itemStyle_.hotTextColor = ParseColor(value).value_or(0);
    else if (name == L"itemselectedtextcolor") itemStyle_.selectedTextColor = ParseColor(value).value_or(0);
    else if (name == L"itembkcolor") itemStyle_.bkColor = ParseColor(value).value_or(0);
    else if (name == L"itemhotbkcolor") itemStyle_.hotBkColor = ParseColor(value).value_or(0);
    else if (name == L"itemselectedbkcolor") itemStyle_.selectedBkColor = ParseColor(value).value_or(0);
    else if (name == L"itembordersize") itemStyle_.borderSize = std::clamp(ParseInt(value), 0, 1000);
    else if (name == L"itembordercolor") itemStyle_.borderColor = ParseColor(value).value_or(0);
    else if (name == L"scrollwheel") scrollWheel_ = ParseBool(value);
    else if (name == L"vscrollbar") vscrollbar_ = ParseBool(value);
    else if (name == L"vscrollbarstyle") {
        for (const auto& [key, styleValue] : ParseStyleAttributes(value)) {
            if (key == L"thumbnormalimage") thumbImage_ = ParseImageSpec(styleValue);
            else if (key == L"width") scrollBarWidth_ = std::clamp(ParseInt(styleValue), 0, 1000);
        }
    } else if (name == L"textcolor") textColor_ = ParseColor(value).value_or(textColor_);
    else if (name == L"align" || name == L"valign") textStyle_ = ApplyAlign(textStyle_, name, value);
    else if (name == L"normalimage") normalImage_ = ParseImageSpec(value);
    else if (name == L"hotimage") hotImage_ = ParseImageSpec(value);
    else if (name == L"pushedimage") pushedImage_ = ParseImageSpec(value);
    else Control::SetAttribute(name, value);
}

bool Combo::Add(std::unique_ptr<Control> child) {
    if (!child || child->GetInterface(L"ListLabelElement") == nullptr) return false;
    auto* item = static_cast<ListLabelElement*>(child.release());
    item->SetManager(manager_, this);
    items_.emplace_back(item);
    Invalidate();
    return true;
}

void Combo::SetManager(CPaintManager* manager, Control* parent) {
    Control::SetManager(manager, parent);
    list_->SetManager(manager, this);
    for (const auto& item : items_) item->SetManager(manager, this);
}

void Combo::ForEachShownChild(const std::function<void(Control&)>& visit) { visit(*list_); }

int Combo::IndexOf(const Control* item) const {
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].get() == item) return static_cast<int>(i);
    }
    return -1;
}

ListLabelElement* Combo::GetItemAt(int index) const {
    return index >= 0 && index < GetCount() ? items_[static_cast<size_t>(index)].get() : nullptr;
}

void Combo::RemoveAll() {
    CloseList();
    items_.clear();
    selected_ = -1;
    Invalidate();
}

bool Combo::SelectItem(int index, bool notify) {
    if (index < 0 || index >= GetCount()) {
        selected_ = -1;
        Invalidate();
        return false;
    }
    const int previous = selected_;
    selected_ = index;
    Invalidate();
    if (IsOpen()) list_->Invalidate();
    if (!notify || previous == index) return true;
    if (selectHandler_) {
        const std::function<void(int)> handler = selectHandler_;
        handler(index);
    } else if (manager_ != nullptr) {
        manager_->SendNotify(this, L"itemselect", static_cast<uintptr_t>(index), previous);
    }
    return true;
}

void Combo::SetDropBoxSize(Size size) {
    dropBox_ = {std::clamp(size.cx, 0, kMaxExtent), std::clamp(size.cy, 0, kMaxExtent)};
}

bool Combo::IsOpen() const { return manager_ != nullptr && manager_->GetPopup() == list_.get(); }

void Combo::OpenList() {
    if (manager_ == nullptr || items_.empty() || IsOpen()) return;
    list_->SetPos(ListRect());
    // Opens from the top, or scrolled just enough to show the chosen item:
    // a long list must not hide the current language.
    list_->ScrollBy(-list_->GetScroll());
    list_->ShowItem(selected_);
    manager_->SetPopup(list_.get());
    manager_->NotifyAccessible(AccessibleEvent::StateChanged, *this);
    if (ListLabelElement* item = GetItemAt(list_->GetHotIndex())) manager_->NotifyAccessible(AccessibleEvent::Focus, *item);
}

void Combo::CloseList() {
    if (!IsOpen()) return;
    manager_->SetPopup(nullptr);
    manager_->NotifyAccessible(AccessibleEvent::StateChanged, *this);
    if (manager_->GetFocus() == this) manager_->NotifyAccessible(AccessibleEvent::Focus, *this);
}

void Combo::PickItem(int index) {
    CloseList();
    // Last: the window's handler may rebuild the combo.
    if (index >= 0) SelectItem(index, true);
}

bool Combo::OnKey(const KeyPress& key) {
    if (IsOpen()) return list_->OnKey(key);
    switch (key.key) {
    case Key::Space:
    case Key::Enter:
    case Key::F4: OpenList(); return true;
    case Key::Down:
        if (key.alt) {
            OpenList();
            return true;
        }
        [[fallthrough]];
    case Key::Up: {
        if (GetCount() == 0) return true;
        const int step = key.key == Key::Down ? 1 : -1;
        const int next = std::clamp(selected_ < 0 ? 0 : selected_ + step, 0, GetCount() - 1);
        if (next != selected_) SelectItem(next, true);
        return true;
    }
    default: return false;
    }
}

bool Combo::DoDefaultAction() {
    if (IsOpen()) CloseList();
    else OpenList();
    return true;
}

std::wstring Combo::GetAccessibleName() const {
    const std::wstring name = Control::GetAccessibleName();
    return name.empty() ? defaultText_ : name;
}

std::wstring Combo::GetAccessibleValue() const {
    const ListLabelElement* item = GetItemAt(selected_);
    return item != nullptr ? item->GetText() : std::wstring();
}

uint32_t Combo::GetAccessibleStates() const {
    return Control::GetAccessibleStates() | kAccessibleExpandable | (IsOpen() ? kAccessibleExpanded : kAccessibleCollapsed);
}

int Combo::ItemsHeight() const {
    long long total = 0;
    for (const auto& item : items_) total += item->GetFixedHeight() > 0 ? item->GetFixedHeight() : itemStyle_.height;
    return ClampExtent(total);
}

Rect Combo::ListRect() const {
    const int width = dropBox_.cx > 0 ? dropBox_.cx : rect_.Width();
    const int height = dropBox_.cy > 0 ? dropBox_.cy : ItemsHeight();
    Rect below{rect_.left, rect_.bottom, rect_.left + width, rect_.bottom + height};
    // Above the box when the window ends before the list and there is room.
    if (manager_ != nullptr && below.bottom > manager_->GetClientSize().cy && rect_.top - height >= 0) {
        return {rect_.left, rect_.top - height, rect_.left + width, rect_.top};
    }
    return below;
}

void Combo::DoEvent(const TEventUI& event) {
    Control::DoEvent(event);
    if (event.type == EventType::ButtonDown) {
        if (IsOpen()) CloseList();
        else OpenList();
    } else if (event.type == EventType::MouseWheel && scrollWheel_ && !IsOpen() && GetCount() > 0) {
        // The wheel over the closed box steps through the items.
        const int next = std::clamp(selected_ - event.wheelDelta, 0, GetCount() - 1);
        if (next != selected_) SelectItem(next, true);
    }
}

void Combo::PaintStatusImage(ICanvas& canvas) {
    if ((state_ & kStatePushed) != 0 && DrawImageSpec(canvas, pushedImage_, rect_)) return;
    if ((state_ & kStateHot) != 0 && DrawImageSpec(canvas, hotImage_, rect_)) return;
    DrawImageSpec(canvas, normalImage_, rect_);
}

void Combo::PaintText(ICanvas& canvas) {
    const ListLabelElement* item = GetItemAt(selected_);
    const std::wstring& text = item != nullptr ? item->GetText() : defaultText_;
    if (text.empty()) return;
    canvas.DrawText(text, GetFont(), textColor_, rect_.Deflated(textPadding_), textStyle_);
}

int ComboList::ItemAt(Point point) const {
    if (!rect_.Contains(point)) return -1;
    long long top = static_cast<long long>(rect_.top) - scroll_;
    for (int i = 0; i < owner_.GetCount(); ++i) {
        const ListLabelElement* item = owner_.GetItemAt(i);
        const int height = item->GetFixedHeight() > 0 ? item->GetFixedHeight() : owner_.GetItemStyle().height;
        if (point.y >= top && point.y < top + height) return i;
        top += height;
    }
    return -1;
}

void ComboList::ForEachShownChild(const std::function<void(Control&)>& visit) {
    for (int i = 0; i < owner_.GetCount(); ++i) visit(*owner_.GetItemAt(i));
}

void ComboList::ShowItem(int index) {
    hot_ = index >= 0 && index < owner_.GetCount() ? index : -1;
    long long top = 0;
    long long height = 0;
    for (int i = 0; i <= hot_; ++i) {
        top += height;
        const ListLabelElement* item = owner_.GetItemAt(i);
        height = item->GetFixedHeight() > 0 ? item->GetFixedHeight() : owner_.GetItemStyle().height;
    }
    const int range = std::max(0, owner_.ItemsHeight() - rect_.Height());
    if (hot_ < 0) scroll_ = 0;
    else if (top < scroll_) scroll_ = ClampExtent(top);
    else if (top + height > scroll_ + rect_.Height()) scroll_ = ClampExtent(top + height - rect_.Height());
    scroll_ = std::clamp(scroll_, 0, range);
    Invalidate();
}

bool ComboList::OnKey(const KeyPress& key) {
    const int last = owner_.GetCount() - 1;
    int next = hot_;
    switch (key.key) {
    case Key::Escape:
    case Key::F4: owner_.CloseList(); return true;
    case Key::Tab: owner_.CloseList(); return false;
    case Key::Enter:
    case Key::Space: owner_.PickItem(hot_); return true;
    case Key::Up:
        if (key.alt) {
            owner_.CloseList();
            return true;
        }
        next = hot_ < 0 ? last : std::max(0, hot_ - 1);
        break;
    case Key::Down: next = hot_ < 0 ? 0 : std::min(last, hot_ + 1); break;
    case Key::Home: next = 0; break;
    case Key::End: next = last; break;
    default: return true;  // the open list keeps every other key from the window
    }
    if (next != hot_) {
        ShowItem(next);
        if (manager_ != nullptr) manager_->NotifyAccessible(AccessibleEvent::Focus, *owner_.GetItemAt(next));
    }
    return true;
}

void ComboList::ScrollBy(int pixels) {
    const int range = std::max(0, owner_.ItemsHeight() - rect_.Height());
    const int next = std::clamp(ClampExtent(static_cast<long long>(scroll_) + pixels), 0, range);
    if (next == scroll_) return;
    scroll_ = next;
    Invalidate();
}

void ComboList::DoEvent(const TEventUI& event) {
    switch (event.type) {
    case EventType::MouseMove:
    case EventType::MouseEnter: {
        const int hot = ItemAt(event.ptMouse);
        if (hot != hot_) {
            hot_ = hot;
            Invalidate();
        }
        break;
    }
    case EventType::MouseLeave:
        hot_ = -1;
        Invalidate();
        break;
    case EventType::MouseWheel: {
        const int step = owner_.GetItemStyle().height > 0 ? owner_.GetItemStyle().height : 20;
        if (owner_.IsScrollWheel()) ScrollBy(-event.wheelDelta * step);
        break;
    }
    case EventType::ButtonUp: {
        const int index = ItemAt(event.ptMouse);
        if (index < 0) break;
        Combo& owner = owner_;
        owner.CloseList();
        // Last: the window's handler may rebuild the combo.
        owner.SelectItem(index, true);
        break;
    }
    default: break;
    }
}

void ComboList::Paint(ICanvas& canvas, const Rect& dirty) {
    if (rect_.IsEmpty() || rect_.Intersect(dirty).IsEmpty()) return;
    const ComboItemStyle& style = owner_.GetItemStyle();
    canvas.PushClip(rect_);
    if (style.bkColor != 0) canvas.FillRect(rect_, style.bkColor);
    long long top = static_cast<long long>(rect_.top) - scroll_;
    for (int i = 0; i < owner_.GetCount() && top < rect_.bottom; ++i) {
        const ListLabelElement* item = owner_.GetItemAt(i);
        const int height = item->GetFixedHeight() > 0 ? item->GetFixedHeight() : style.height;
        const Rect box{rect_.left, ClampExtent(top), rect_.right, ClampExtent(top + height)};
        top += height;
        if (box.bottom <= rect_.top) continue;
        const bool selected = i == owner_.GetCurSel();
        const bool hot = i == hot_;
        const Argb bk = selected && style.selectedBkColor != 0 ? style.selectedBkColor
                        : hot && style.hotBkColor != 0      ? style.hotBkColor
                                                            : style.bkColor;
        if (bk != 0) canvas.FillRect(box, bk);
        if (style.borderSize > 0 && style.borderColor != 0) {
            canvas.FillRect({box.left, box.bottom - style.borderSize, box.right, box.bottom}, style.borderColor);
        }
        const Argb color = selected && style.selectedTextColor != 0 ? style.selectedTextColor
                           : hot && style.hotTextColor != 0        ? style.hotTextColor
                                                                   : style.textColor;
        const FontSpec font = manager_ != nullptr ? manager_->GetFont(style.fontId) : FontSpec{};
        canvas.DrawText(item->GetText(), font, color, box.Deflated(style.textPadding),
                        kTextLeft | kTextVCenter | kTextSingleLine | kTextEndEllipsis);
    }
    // The thumb: its share of the bar is the shown share of the items.
    const int total = owner_.ItemsHeight();
    const int barWidth = owner_.ScrollBarWidth();
    if (barWidth > 0 && total > rect_.Height() && rect_.Height() > 0) {
        const long long height = std::max<long long>(8, static_cast<long long>(rect_.Height()) * rect_.Height() / total);
        const long long offset = static_cast<long long>(scroll_) * rect_.Height() / total;
        const Rect thumb{rect_.right - barWidth, ClampExtent(rect_.top + offset), rect_.right,
                         ClampExtent(rect_.top + offset + height)};
        if (!DrawImageSpec(canvas, owner_.ThumbImage(), thumb)) canvas.FillRect(thumb, 0x80808080);
    }
    canvas.PopClip();
}

}  // namespace ui
