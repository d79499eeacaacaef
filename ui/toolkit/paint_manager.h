#pragma once
// One window's element tree at work: layout on size changes, painting of
// dirty rectangles, hit testing, hot and pushed states, the cursor, events to
// the window's notifiers, per-element timers and the drag area; the keyboard
// focus, its ring and the keys; what assistive technology is told. The
// window that owns the native host window forwards its IHostWindowEvents
// here.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/toolkit/control.h"
#include "ui/toolkit/host.h"
#include "ui/toolkit/skin_resources.h"
#include "ui/toolkit/window_attributes.h"

namespace ui {

struct TNotifyUI {
    std::wstring type;  // "click", "itemselect"
    Control* sender = nullptr;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(const TNotifyUI& message) = 0;
};

class CPaintManager {
public:
    // The skin outlives the manager; `window` may be null until the native
    // window exists (then nothing is invalidated and no timer runs).
    explicit CPaintManager(CSkinResources& skin, IHostWindow* window = nullptr);
    ~CPaintManager();
    CPaintManager(const CPaintManager&) = delete;
    CPaintManager& operator=(const CPaintManager&) = delete;

    void SetHostWindow(IHostWindow* window) { window_ = window; }
    IHostWindow* GetHostWindow() const { return window_; }
    CSkinResources& Skin() { return skin_; }

    // Takes the built tree and the layout's window attributes and fonts, then
    // initialises every element.
    void AttachRoot(std::unique_ptr<Control> root, WindowAttributes window, FontTable fonts);
    Control* GetRoot() const { return root_.get(); }
    const WindowAttributes& GetWindowAttributes() const { return window_attributes_; }
    FontSpec GetFont(int id) const;

    void SetClientSize(Size size);
    Size GetClientSize() const { return client_; }
    // Lays the tree out now if anything asked for it.
    void UpdateLayout();
    void NeedUpdate();
    void Invalidate(const Rect& rect);

    Control* FindControl(std::wstring_view name) const;
    Control* FindControlAt(Point point);
    // Inside the caption area and not over a button, option, text or edit.
    bool IsInDragArea(Point point);

    void AddNotifier(INotifyUI* notifier);
    void RemoveNotifier(INotifyUI* notifier);
    void SendNotify(Control* sender, std::wstring type, uintptr_t wParam = 0, intptr_t lParam = 0);

    // Per-element repeating timers; the same (control, id) restarts.
    bool SetTimer(Control* control, uint32_t id, uint32_t intervalMs);
    void KillTimer(Control* control, uint32_t id);
    void KillTimers(Control* control);

    // The language text source; empty when none is set.
    void SetLangTextSource(std::function<std::wstring(const std::wstring&)> source);
    std::wstring GetLangResText(const std::wstring& key) const;

    // A drop-down list shown above the tree (a combo's); null closes it.
    void SetPopup(Control* popup);
    Control* GetPopup() const { return popup_; }

    // The element tree forgets an element being destroyed.
    void OnControlRemoved(Control* control);

    // The keyboard focus, on an element that takes it or on none. Its ring
    // (in the layout's focuscolor=) shows once the keyboard is used and goes
    // with a mouse press.
    Control* GetFocus() const { return focused_; }
    void SetFocus(Control* control);
    // The Tab order: the shown, enabled elements that take the focus, in
    // reading order.
    std::vector<Control*> FocusOrder();
    // To the next (or previous) element of the Tab order, round at the ends;
    // false when no element takes the focus.
    bool MoveFocus(bool forward);
    bool ShowsFocusCues() const { return focusCues_; }
    // What assistive technology reads as focused: the open list's hot item,
    // else the focused element.
    Control* GetAccessibleFocus() const;
    // The first shown, enabled element the layout names in defaultbutton=
    // (pressed by Enter when the focus does not take it) or cancelbutton=
    // (pressed by Escape); names are separated by commas.
    Control* GetDefaultButton() const;
    Control* GetCancelButton() const;
    // A page container of the shown tree shows another page: the focus goes
    // to the page's first element below the caption, or leaves a hidden one.
    void OnPageSelected(Control& pages);
    void NotifyAccessible(AccessibleEvent event, Control& element);

    // Forwarded host window events.
    void OnPaint(ICanvas& canvas, const Rect& dirty);
    void OnMouseMove(Point at);
    void OnMouseDown(MouseButton button, Point at);
    void OnMouseUp(MouseButton button, Point at);
    void OnMouseLeave();
    void OnMouseWheel(int delta, Point at);
    void OnTimer(uint32_t hostTimerId);
    // Tab and Shift+Tab move the focus, the focused element takes its keys,
    // then Enter and Escape press the default and cancel buttons. False for
    // a key nothing used.
    bool OnKeyDown(const KeyPress& key);

    Control* GetHot() const { return hot_; }
    Control* GetPushed() const { return pushed_; }

private:
    struct Timer {
        Control* control;
        uint32_t id;
    };
    void SetHot(Control* control, Point at);
    void SetFocusCues(bool on);
    // Where the ring around the element is drawn.
    static Rect FocusRingRect(const Control& control);
    void PaintFocusRing(ICanvas& canvas);
    Control* FirstShownOf(const std::vector<std::wstring>& names) const;

    CSkinResources& skin_;
    IHostWindow* window_;
    std::unique_ptr<Control> root_;
    WindowAttributes window_attributes_;
    FontTable fonts_;
    Size client_;
    bool needLayout_ = true;
    std::vector<INotifyUI*> notifiers_;
    std::map<uint32_t, Timer> timers_;  // by host timer id
    uint32_t nextTimerId_ = 1;
    std::function<std::wstring(const std::wstring&)> langText_;
    Control* hot_ = nullptr;
    Control* pushed_ = nullptr;
    Control* focused_ = nullptr;
    bool focusCues_ = false;
    Argb focusColor_ = 0;
    std::vector<std::wstring> defaultButtons_;
    std::vector<std::wstring> cancelButtons_;
    Control* popup_ = nullptr;
};

}  // namespace ui
