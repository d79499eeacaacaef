#include "ui/toolkit/paint_manager.h"

#include <algorithm>

#include "ui/toolkit/container.h"

namespace ui {

namespace {

// Elements the user presses rather than drags the window by. Only the
// toolkit's own kinds: custom classes count as background.
bool BlocksDrag(std::wstring_view className) {
    return className == L"ButtonUI" || className == L"OptionUI" || className == L"TextUI" || className == L"EditUI";
}

}  // namespace

CPaintManager::CPaintManager(CSkinResources& skin, IHostWindow* window) : skin_(skin), window_(window) {}

CPaintManager::~CPaintManager() {
    popup_ = nullptr;
    root_.reset();
}

void CPaintManager::AttachRoot(std::unique_ptr<Control> root, WindowAttributes window, FontTable fonts) {
    root_ = std::move(root);
    window_attributes_ = std::move(window);
    fonts_ = std::move(fonts);
    if (!root_) return;
    root_->SetManager(this, nullptr);
    if (client_.cx == 0 && client_.cy == 0) client_ = window_attributes_.size;
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
    KillTimers(control);
    if (hot_ == control) hot_ = nullptr;
    if (pushed_ == control) pushed_ = nullptr;
    if (focused_ == control) focused_ = nullptr;
    if (popup_ == control) popup_ = nullptr;
}

void CPaintManager::OnPaint(ICanvas& canvas, const Rect& dirty) {
    UpdateLayout();
    if (root_) root_->Paint(canvas, dirty);
    if (popup_ != nullptr) popup_->Paint(canvas, dirty);
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
    if (focused_ != hit) {
        if (focused_ != nullptr) focused_->SetStateFlag(kStateFocused, false);
        focused_ = hit;
        hit->SetStateFlag(kStateFocused, true);
    }
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
