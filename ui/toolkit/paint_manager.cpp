#include "ui/toolkit/paint_manager.h"

#include <algorithm>

#include "ui/toolkit/combo.h"
#include "ui/toolkit/container.h"

namespace ui {

namespace {

// Elements the user presses rather than drags the window by. Only the
// toolkit's own kinds: custom classes count as background.
bool BlocksDrag(std::wstring_view className) {
    return className == L"ButtonUI" || className == L"OptionUI" || className == L"TextUI" || className == L"EditUI";
}

constexpr int kFocusRingGap = 1;
constexpr int kFocusRingWidth = 2;
// The ring's colour where a layout names none: dark enough for the
// skins' light backgrounds.
constexpr Argb kDefaultFocusColor = 0xFF1F5FD1;

std::vector<std::wstring> SplitNames(std::wstring_view list) {
    std::vector<std::wstring> names;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = std::min(list.find(L',', start), list.size());
        if (comma > start) names.emplace_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    return names;
}

void CollectFocusable(Control& from, std::vector<Control*>& order) {
    from.ForEachShownChild([&order](Control& child) {
        if (!child.IsVisible() || !child.IsEnabled()) return;
        if (!child.IsFocusable()) {
            CollectFocusable(child, order);
        } else if (!child.GetPos().IsEmpty()) {
            order.push_back(&child);
        }
    });
}

}  // namespace

CPaintManager::CPaintManager(CSkinResources& skin, IHostWindow* window) : skin_(skin), window_(window) {}

CPaintManager::~CPaintManager() {
    popup_ = nullptr;
    // The tree goes without telling the native window, which may be gone
    // first; a host forgets its elements' accessibility with the window.
    window_ = nullptr;
    root_.reset();
}

void CPaintManager::AttachRoot(std::unique_ptr<Control> root, WindowAttributes window, FontTable fonts) {
    root_ = std::move(root);
    window_attributes_ = std::move(window);
    fonts_ = std::move(fonts);
    if (!root_) return;
    root_->SetManager(this, nullptr);
    if (client_.cx == 0 && client_.cy == 0) client_ = window_attributes_.size;
    focusColor_ = kDefaultFocusColor;
    for (const auto& [name, value] : window_attributes_.others) {
        if (name == L"focuscolor") focusColor_ = ParseColor(value).value_or(kDefaultFocusColor);
        else if (name == L"defaultbutton") defaultButtons_ = SplitNames(value);
        else if (name == L"cancelbutton") cancelButtons_ = SplitNames(value);
    }
    needLayout_ = true;
    // Every element, parents before children, in tree order.
    std::vector<Control*> pending{root_.get()};
    while (!pending.empty()) {
        Control* control = pending.back();
        pending.pop_back();
        control->Init();
        if (auto* container = static_cast<Container*>(control->GetInterface(L"Container"))) {
            for (int i = container->GetCount() - 1; i >= 0; --i) pending.push_back(container->GetItemAt(i));
        }
    }
}

FontSpec CPaintManager::GetFont(int id) const { return fonts_.Find(id); }

void CPaintManager::SetClientSize(Size size) {
    if (size == client_) return;
    client_ = size;
    NeedUpdate();
}

void CPaintManager::UpdateLayout() {
    if (!needLayout_ || !root_) return;
    needLayout_ = false;
    const Rect& pad = root_->GetPadding();
    root_->SetPos(Rect{0, 0, client_.cx, client_.cy}.Deflated(pad));
    // Laying out may ask for another round (an element that sized itself);
    // one more settles it.
    if (needLayout_) {
        needLayout_ = false;
        root_->SetPos(Rect{0, 0, client_.cx, client_.cy}.Deflated(pad));
        needLayout_ = false;
    }
}

void CPaintManager::NeedUpdate() {
    needLayout_ = true;
    if (window_ != nullptr) window_->InvalidateAll();
}

void CPaintManager::Invalidate(const Rect& rect) {
    if (window_ != nullptr && !rect.IsEmpty()) window_->Invalidate(rect);
}

Control* CPaintManager::FindControl(std::wstring_view name) const {
    return root_ ? root_->FindByName(name) : nullptr;
}

Control* CPaintManager::FindControlAt(Point point) {
    UpdateLayout();
    if (popup_ != nullptr && popup_->GetPos().Contains(point)) return popup_;
    return root_ ? root_->FindControlAt(point) : nullptr;
}

bool CPaintManager::IsInDragArea(Point point) {
    const Rect& caption = window_attributes_.caption;
    const bool inside = point.x >= caption.left && client_.cx - point.x > caption.right && point.y >= caption.top &&
                        point.y < caption.bottom;
    if (!inside) return false;
    const Control* hit = FindControlAt(point);
    return hit == nullptr || !BlocksDrag(hit->GetClass());
}

void CPaintManager::AddNotifier(INotifyUI* notifier) {
    if (notifier != nullptr && std::find(notifiers_.begin(), notifiers_.end(), notifier) == notifiers_.end()) {
        notifiers_.push_back(notifier);
    }
}

void CPaintManager::RemoveNotifier(INotifyUI* notifier) { std::erase(notifiers_, notifier); }

void CPaintManager::SendNotify(Control* sender, std::wstring type, uintptr_t wParam, intptr_t lParam) {
    const TNotifyUI message{std::move(type), sender, wParam, lParam};
    // A copy: a notifier may remove itself while handling.
    const std::vector<INotifyUI*> notifiers = notifiers_;
    for (INotifyUI* notifier : notifiers) notifier->Notify(message);
}

bool CPaintManager::SetTimer(Control* control, uint32_t id, uint32_t intervalMs) {
    if (control == nullptr || window_ == nullptr) return false;
    for (const auto& [hostId, timer] : timers_) {
        if (timer.control == control && timer.id == id) {
            window_->SetTimer(hostId, intervalMs);
            return true;
        }
    }
    const uint32_t hostId = nextTimerId_++;
    timers_.emplace(hostId, Timer{control, id});
    window_->SetTimer(hostId, intervalMs);
    return true;
}

void CPaintManager::KillTimer(Control* control, uint32_t id) {
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->second.control == control && it->second.id == id) {
            if (window_ != nullptr) window_->KillTimer(it->first);
            timers_.erase(it);
            return;
        }
    }
}

void CPaintManager::KillTimers(Control* control) {
    for (auto it = timers_.begin(); it != timers_.end();) {
        if (it->second.control != control) {
            ++it;
            continue;
        }
        if (window_ != nullptr) window_->KillTimer(it->first);
        it = timers_.erase(it);
    }
}

void CPaintManager::OnTimer(uint32_t hostTimerId) {
    const auto it = timers_.find(hostTimerId);
    if (it == timers_.end()) return;
    TEventUI event;
    event.type = EventType::Timer;
    event.wParam = it->second.id;
    it->second.control->DoEvent(event);
}

void CPaintManager::SetLangTextSource(std::function<std::wstring(const std::wstring&)> source) {
    langText_ = std::move(source);
}

std::wstring CPaintManager::GetLangResText(const std::wstring& key) const {
    return langText_ ? langText_(key) : std::wstring();
}

void CPaintManager::SetPopup(Control* popup) {
    if (popup_ == popup) return;
    if (popup_ != nullptr) Invalidate(popup_->GetPos());
    if (hot_ == popup_ && popup_ != nullptr) hot_ = nullptr;
    popup_ = popup;
    if (popup_ != nullptr) Invalidate(popup_->GetPos());
}

void CPaintManager::OnControlRemoved(Control* control) {
    if (window_ != nullptr) window_->NotifyAccessible(AccessibleEvent::Removed, *control);
    KillTimers(control);
    if (hot_ == control) hot_ = nullptr;
    if (pushed_ == control) pushed_ = nullptr;
    if (focused_ == control) focused_ = nullptr;
    if (popup_ == control) popup_ = nullptr;
}

void CPaintManager::OnPaint(ICanvas& canvas, const Rect& dirty) {
    UpdateLayout();
    if (root_) root_->Paint(canvas, dirty);
    PaintFocusRing(canvas);
    if (popup_ != nullptr) popup_->Paint(canvas, dirty);
}

Rect CPaintManager::FocusRingRect(const Control& control) {
    const int out = kFocusRingGap + kFocusRingWidth;
    const Rect& pos = control.GetPos();
    return {pos.left - out, pos.top - out, pos.right + out, pos.bottom + out};
}

void CPaintManager::PaintFocusRing(ICanvas& canvas) {
    if (!focusCues_ || focused_ == nullptr || !IsShownInTree(*focused_)) return;
    const Rect ring = FocusRingRect(*focused_);
    const int radius = focused_->GetFocusRadius() + kFocusRingGap + kFocusRingWidth;
    const Argb color = focused_->GetFocusColor() != 0 ? focused_->GetFocusColor() : focusColor_;
    canvas.DrawRoundedFrame(ring, std::min({radius, ring.Width() / 2, ring.Height() / 2}), kFocusRingWidth, color);
}

void CPaintManager::SetFocusCues(bool on) {
    if (on == focusCues_) return;
    focusCues_ = on;
    if (focused_ != nullptr) Invalidate(FocusRingRect(*focused_));
}

void CPaintManager::SetFocus(Control* control) {
    if (control == focused_) return;
    if (focused_ != nullptr) {
        focused_->SetStateFlag(kStateFocused, false);
        Invalidate(FocusRingRect(*focused_));
    }
    focused_ = control;
    if (focused_ == nullptr) return;
    focused_->SetStateFlag(kStateFocused, true);
    Invalidate(FocusRingRect(*focused_));
    NotifyAccessible(AccessibleEvent::Focus, *focused_);
}

std::vector<Control*> CPaintManager::FocusOrder() {
    UpdateLayout();
    std::vector<Control*> order;
    if (root_ && root_->IsVisible()) CollectFocusable(*root_, order);
    return order;
}

bool CPaintManager::MoveFocus(bool forward) {
    const std::vector<Control*> order = FocusOrder();
    if (order.empty()) return false;
    const auto at = std::find(order.begin(), order.end(), focused_);
    const auto count = static_cast<std::ptrdiff_t>(order.size());
    std::ptrdiff_t next = 0;
    if (at == order.end()) {
        next = forward ? 0 : count - 1;
    } else {
        next = ((at - order.begin()) + (forward ? 1 : count - 1)) % count;
    }
    SetFocus(order[static_cast<size_t>(next)]);
    return true;
}

Control* CPaintManager::GetAccessibleFocus() const {
    if (popup_ != nullptr && popup_->GetParent() != nullptr) {
        if (auto* combo = static_cast<Combo*>(popup_->GetParent()->GetInterface(L"Combo"))) {
            if (Control* item = combo->GetItemAt(combo->GetList().GetHotIndex())) return item;
        }
    }
    return focused_;
}

Control* CPaintManager::FirstShownOf(const std::vector<std::wstring>& names) const {
    for (const std::wstring& name : names) {
        Control* control = FindControl(name);
        if (control != nullptr && control->IsEnabled() && IsShownInTree(*control)) return control;
    }
    return nullptr;
}

Control* CPaintManager::GetDefaultButton() const { return FirstShownOf(defaultButtons_); }
Control* CPaintManager::GetCancelButton() const { return FirstShownOf(cancelButtons_); }

void CPaintManager::OnPageSelected(Control& pages) {
    if (!IsShownInTree(pages)) return;
    UpdateLayout();
    std::vector<Control*> inPage;
    CollectFocusable(pages, inPage);
    const int captionBottom = window_attributes_.caption.bottom;
    const auto below = std::find_if(inPage.begin(), inPage.end(),
                                    [captionBottom](const Control* c) { return c->GetPos().top >= captionBottom; });
    if (below != inPage.end()) {
        SetFocus(*below);
    } else if (focused_ != nullptr && !IsShownInTree(*focused_)) {
        SetFocus(nullptr);
    }
    NotifyAccessible(AccessibleEvent::ChildrenChanged, pages);
}

void CPaintManager::NotifyAccessible(AccessibleEvent event, Control& element) {
    if (window_ != nullptr) window_->NotifyAccessible(event, element);
}

bool CPaintManager::OnKeyDown(const KeyPress& key) {
    if (key.key == Key::Other || !root_) return false;
    UpdateLayout();
    SetFocusCues(true);
    // The open list takes the keys first; Tab closes it and goes on.
    if (popup_ != nullptr && popup_->OnKey(key)) return true;
    if (key.key == Key::Tab) return MoveFocus(!key.shift);
    Control* focus = focused_ != nullptr && focused_->IsEnabled() && IsShownInTree(*focused_) ? focused_ : nullptr;
    // Each action is the last use of the tree here: its handler may change it.
    if (focus != nullptr && focus->OnKey(key)) return true;
    if (key.key == Key::Enter) {
        if (Control* button = GetDefaultButton()) return button->DoDefaultAction();
    } else if (key.key == Key::Escape) {
        if (Control* button = GetCancelButton()) return button->DoDefaultAction();
    }
    return false;
}

void CPaintManager::SetHot(Control* control, Point at) {
    if (control == hot_) return;
    TEventUI event;
    event.ptMouse = at;
    if (hot_ != nullptr) {
        Control* previous = hot_;
        hot_ = nullptr;
        event.type = EventType::MouseLeave;
        previous->DoEvent(event);
    }
    hot_ = control;
    if (hot_ != nullptr) {
        event.type = EventType::MouseEnter;
        hot_->DoEvent(event);
    }
    if (window_ != nullptr) {
        window_->SetCursor(hot_ != nullptr ? hot_->GetCursor() : CursorShape::Arrow);
    }
}

void CPaintManager::OnMouseMove(Point at) {
    Control* hit = FindControlAt(at);
    // While a button is held, only the pressed element can be hot.
    if (pushed_ != nullptr && hit != pushed_) hit = nullptr;
    SetHot(hit, at);
    if (hot_ != nullptr) {
        TEventUI event;
        event.type = EventType::MouseMove;
        event.ptMouse = at;
        hot_->DoEvent(event);
    }
}

void CPaintManager::OnMouseDown(MouseButton button, Point at) {
    if (button != MouseButton::Left) return;
    SetFocusCues(false);
    if (popup_ != nullptr && !popup_->GetPos().Contains(at)) {
        // A press outside an open list only closes it.
        Control* popup = popup_;
        SetPopup(nullptr);
        if (popup->GetParent() != nullptr && popup->GetParent()->GetPos().Contains(at)) return;
    }
    if (popup_ == nullptr && IsInDragArea(at)) {
        if (window_ != nullptr) window_->StartMove();
        return;
    }
    Control* hit = FindControlAt(at);
    if (hit == nullptr) return;
    if (hit->IsFocusable()) SetFocus(hit);
    pushed_ = hit;
    TEventUI event;
    event.type = EventType::ButtonDown;
    event.ptMouse = at;
    hit->DoEvent(event);
}

void CPaintManager::OnMouseUp(MouseButton button, Point at) {
    if (button != MouseButton::Left) return;
    Control* target = pushed_ != nullptr ? pushed_ : (popup_ != nullptr && popup_->GetPos().Contains(at) ? popup_ : nullptr);
    pushed_ = nullptr;
    if (target == nullptr) return;
    TEventUI event;
    event.type = EventType::ButtonUp;
    event.ptMouse = at;
    // Last use of target: the handler may destroy it.
    target->DoEvent(event);
}

void CPaintManager::OnMouseLeave() { SetHot(nullptr, {}); }

void CPaintManager::OnMouseWheel(int delta, Point at) {
    Control* hit = FindControlAt(at);
    if (hit == nullptr) return;
    TEventUI event;
    event.type = EventType::MouseWheel;
    event.ptMouse = at;
    event.wheelDelta = delta;
    hit->DoEvent(event);
}

}  // namespace ui
