#pragma once
// What assistive technology reads of one native window over MSAA: an
// IAccessible object for the client area and one for each exposed element
// of the toolkit's tree, made when a client first asks for it. Each element
// has a child id of its own, negative so that it never meets the positions
// 1..n that clients pass to get_accChild; the window's events name elements
// by it. The window makes its bridge on the first WM_GETOBJECT and destroys
// it before itself; an object a client still holds after its element or
// window went answers CO_E_OBJNOTCONNECTED.

#include "ui/host/win/host_win_gdi.h"

#include <oleacc.h>

#include <unordered_map>

#include "shell/com_win.h"
#include "ui/toolkit/host.h"

namespace ui::win {

class CAccessibleObject;
class CWinHostWindow;

class CWinAccessible {
public:
    // Posted to the window with an element's child id: the default action
    // runs from the window's own loop, not inside the client's call (a click
    // may open a modal window, whose nested loop must not run in a call from
    // another process).
    static constexpr UINT kDefaultActionMessage = WM_APP + 2;

    CWinAccessible(CWinHostWindow& window, IHostWindowEvents& events);
    // Disconnects every object it made.
    ~CWinAccessible();
    CWinAccessible(const CWinAccessible&) = delete;
    CWinAccessible& operator=(const CWinAccessible&) = delete;

    // The answer to WM_GETOBJECT for OBJID_CLIENT.
    LRESULT ClientObjectResult(WPARAM wParam);
    // The toolkit's change as a WinEvent; Removed disconnects the element's
    // object (the element is being destroyed: it is not called).
    void Notify(AccessibleEvent event, Control& element);
    // The posted default action, if the element is still there to take it.
    void RunDefaultAction(LONG childId);

private:
    friend class CAccessibleObject;

    struct Entry {
        LONG childId = 0;
        ComPtr<CAccessibleObject> object;  // made when a client first asks
    };

    HWND Handle() const;
    CPaintManager* Content() const { return events_.AccessibleContent(); }
    // The element's object, made on first use; the client object for null.
    CAccessibleObject* ObjectOf(Control* element);
    LONG ChildIdOf(Control& element);
    Control* ElementOf(LONG childId) const;
    // Whether a click could reach the element now: shown and enabled, in a
    // shown window that is not disabled under a modal one.
    bool TakesAction(const Control& element) const;
    void Drop(Control* element);

    CWinHostWindow& window_;
    IHostWindowEvents& events_;
    ComPtr<CAccessibleObject> client_;
    std::unordered_map<Control*, Entry> entries_;
    std::unordered_map<LONG, Control*> byChildId_;
    LONG nextChildId_ = -1;
};

}  // namespace ui::win
