#pragma once
// The toolkit's element tree through Qt's accessibility interfaces, which
// Qt hands to AT-SPI (what Orca reads): one interface for the window, one
// per exposed element, made when a reader first asks. Nothing is made and
// no event is sent while no assistive technology listens.

#include <QAccessible>
#include <QWindow>
#include <unordered_map>

#include "ui/toolkit/host.h"

namespace ui::qt {

// Starts Qt's screen-reader bridge (AT-SPI over the session bus), from the
// event loop after the caller returns; until then no
// reader knows the program. Qt starts it itself in QGuiApplication::exec,
// which the start-up messages never reach (they run a modal loop of their
// own), so a window's first frame asks for it, and nothing before: the
// connection costs milliseconds that must not hold the first frame.
void StartScreenReaderBridgeSoon();

class CQtAccessibleBridge {
public:
    // `events` gives the element tree; a dialog is a window with an owner.
    CQtAccessibleBridge(QWindow& window, IHostWindowEvents& events, bool dialog);
    ~CQtAccessibleBridge();
    CQtAccessibleBridge(const CQtAccessibleBridge&) = delete;
    CQtAccessibleBridge& operator=(const CQtAccessibleBridge&) = delete;

    // The window's own interface, made on first use. Qt's cache owns every
    // interface; the bridge takes its own out of it when it goes.
    QAccessibleInterface* WindowInterface() const;
    // The element's interface, made on first use; the window's for null.
    QAccessibleInterface* InterfaceOf(Control* element);
    bool Knows(const Control* element) const { return ids_.count(const_cast<Control*>(element)) != 0; }
    CPaintManager* Content() const { return events_.AccessibleContent(); }
    QWindow& Window() const { return window_; }
    bool IsDialog() const { return dialog_; }
    // Client rectangle to screen rectangle.
    QRect ToScreen(const Rect& client) const;
    void SetClientOrigin(QPoint origin) { clientOrigin_ = origin; }

    void Notify(AccessibleEvent event, Control& element);

private:
    QWindow& window_;
    IHostWindowEvents& events_;
    bool dialog_;
    QPoint clientOrigin_;
    mutable QAccessible::Id windowId_ = 0;
    std::unordered_map<Control*, QAccessible::Id> ids_;
};

}  // namespace ui::qt
