#pragma once
// The toolkit's window: one native host window, the paint manager with the
// element tree built from a layout file of the shared skin, and the window's
// own event sink. Program windows derive from it and supply their class
// name, layout file and reactions; everything runs on the window thread
// except what workers hand to its CCrossThreadSender.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "ui/toolkit/cross_thread_sender.h"
#include "ui/toolkit/host.h"
#include "ui/toolkit/paint_manager.h"
#include "ui/toolkit/skin_resources.h"
#include "ui/toolkit/window_styles.h"

namespace ui {

class CWindowImplBase : public IHostWindowEvents, public INotifyUI {
public:
    // The code a window closes with when the system asks it to close.
    static constexpr int kSystemCloseCode = 1;

    CWindowImplBase() = default;
    ~CWindowImplBase() override;
    CWindowImplBase(const CWindowImplBase&) = delete;
    CWindowImplBase& operator=(const CWindowImplBase&) = delete;

    // Makes the native window (hidden) and runs OnCreate. Position and size
    // come from the layout; a window is created once. False when there is no
    // host or OnCreate fails.
    bool Create(CWindowImplBase* owner, const std::wstring& title, uint32_t style, uint32_t exStyle);
    // Centres on the owner, or on the screen without one.
    void CenterWindow();
    void ShowWindow(bool show = true);
    // Shows the window and runs until Close; the owner takes no input
    // meanwhile. The window is hidden again when it returns the close code.
    int ShowModal();
    // Ends a modal run with the code; a window that runs no modal loop is
    // hidden and OnDestroy runs. Either way the window takes no more
    // messages from other threads.
    void Close(int code);
    // What worker threads keep to run a task on this window's thread while
    // they wait; null before Create. It stays valid after the window is gone,
    // and runs nothing then.
    std::shared_ptr<CCrossThreadSender> GetCrossThreadSender() const { return sender_; }

    IHostWindow* GetHostWindow() const { return host_.get(); }
    CPaintManager* GetPaintManager() const { return manager_.get(); }
    bool IsModalRunning() const { return modalRunning_; }

protected:
    // The native window's class: its name, and the class style.
    virtual std::wstring GetWindowClassName() const = 0;
    virtual uint32_t GetClassStyle() const { return kToolkitClassStyle; }
    // The skin the layout file is read from; null when there is none.
    virtual CSkinResources* GetSkin() const = 0;
    virtual std::wstring GetSkinFile() const = 0;

    // The toolkit's creation: opens the skin, builds the layout, attaches it
    // to the paint manager, registers the window as event sink and runs
    // InitWindow. False when the layout cannot be built.
    virtual bool OnCreate();
    virtual void InitWindow() {}
    // After the window is hidden by a Close outside a modal run.
    virtual void OnDestroy() {}
    // Elements of kinds the toolkit does not know; null lets it make its own.
    virtual std::unique_ptr<Control> CreateControl(const std::wstring& kind);

    void Notify(const TNotifyUI& message) override;
    // No task from another thread runs after this, and a waiting sender
    // returns. Close does it; a window that owns a worker
    // calls it first in its destructor, before it joins the worker.
    void StopCrossThreadMessages();

    // IHostWindowEvents, forwarded to the paint manager.
    void OnPaint(ICanvas& canvas, const Rect& dirty) override;
    void OnMouseMove(Point at) override;
    void OnMouseDown(MouseButton button, Point at) override;
    void OnMouseUp(MouseButton button, Point at) override;
    void OnMouseLeave() override;
    void OnMouseWheel(int delta, Point at) override;
    void OnTimer(uint32_t timerId) override;
    bool OnKeyDown(const KeyPress& key) override;
    void OnCloseRequested() override;
    CPaintManager* AccessibleContent() override { return manager_.get(); }

private:
    std::unique_ptr<IHostWindow> host_;
    std::unique_ptr<CPaintManager> manager_;
    std::shared_ptr<CCrossThreadSender> sender_;
    bool modalRunning_ = false;
    bool painted_ = false;
};

}  // namespace ui
