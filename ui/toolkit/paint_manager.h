#pragma once
// One window's element tree at work: layout on size changes, painting of
// dirty rectangles, hit testing, hot and pushed states, the cursor, events to
// the window's notifiers, per-element timers and the drag area. The window
// that owns the native host window forwards its IHostWindowEvents here.

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

    // Forwarded host window events.
    void OnPaint(ICanvas& canvas, const Rect& dirty);
    void OnMouseMove(Point at);
    void OnMouseDown(MouseButton button, Point at);
    void OnMouseUp(MouseButton button, Point at);
    void OnMouseLeave();
    void OnMouseWheel(int delta, Point at);
    void OnTimer(uint32_t hostTimerId);

    Control* GetHot() const { return hot_; }
    Control* GetPushed() const { return pushed_; }

private:
    struct Timer {
        Control* control;
        uint32_t id;
    };
    void SetHot(Control* control, Point at);

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
    Control* popup_ = nullptr;
};

}  // namespace ui
