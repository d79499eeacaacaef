#pragma once
// The base element of the tree: geometry, background, text attributes, state
// and event handling shared by every element kind. Containers, labels,
// buttons and combos derive from it; so do the program's custom controls,
// which answer their own class and interface names.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ui/toolkit/accessible.h"
#include "ui/toolkit/attributes.h"
#include "ui/toolkit/canvas.h"
#include "ui/toolkit/geometry.h"
#include "ui/toolkit/host.h"

namespace ui {

class CPaintManager;

enum class EventType { MouseEnter, MouseLeave, MouseMove, ButtonDown, ButtonUp, MouseWheel, Timer };

struct TEventUI {
    EventType type = EventType::MouseMove;
    Point ptMouse;
    uintptr_t wParam = 0;  // timer id for Timer
    int wheelDelta = 0;    // notches, positive away from the user
};

// State bits of an element, set by the paint manager.
enum ControlState : uint32_t { kStateHot = 1u << 0, kStatePushed = 1u << 1, kStateFocused = 1u << 2 };

class Control {
public:
    Control() = default;
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // "ControlUI" style class names; GetInterface answers the kind's own name
    // (and its bases') with this element, null otherwise.
    virtual std::wstring_view GetClass() const { return L"ControlUI"; }
    virtual Control* GetInterface(std::wstring_view name);

    // Applies one layout attribute; unknown names are ignored.
    virtual void SetAttribute(std::wstring_view name, std::wstring_view value);
    // Containers and combos take children; others refuse them.
    virtual bool Add(std::unique_ptr<Control> child);
    // Called once when the whole tree has been built and attached.
    virtual void Init() {}

    // The size this element wants within `available`: 0 in a dimension means
    // "share what is left". The default is the fixed size, or the text width
    // with autocalcwidth.
    virtual Size EstimateSize(Size available);
    // Places the element (its padding lies outside `rect`).
    virtual void SetPos(const Rect& rect);
    const Rect& GetPos() const { return rect_; }

    virtual void Paint(ICanvas& canvas, const Rect& dirty);
    virtual void DoEvent(const TEventUI& event);
    // The deepest shown, enabled element at the point, or null.
    virtual Control* FindControlAt(Point point);
    // The first element of that name, this one included, in tree order.
    virtual Control* FindByName(std::wstring_view name);
    // The elements this one shows now, in reading order: a container's
    // shown children (the selected page only), a combo's list, the list's
    // items.
    virtual void ForEachShownChild(const std::function<void(Control&)>& visit) { (void)visit; }
    // Attaches this element (and its children) to a manager.
    virtual void SetManager(CPaintManager* manager, Control* parent);
    CPaintManager* GetManager() const { return manager_; }
    Control* GetParent() const { return parent_; }

    const std::wstring& GetName() const { return name_; }
    void SetName(std::wstring name) { name_ = std::move(name); }
    const std::wstring& GetText() const { return text_; }
    virtual void SetText(std::wstring text);
    const std::wstring& GetTextId() const { return textId_; }

    int GetFixedWidth() const { return fixed_.cx; }
    int GetFixedHeight() const { return fixed_.cy; }
    void SetFixedWidth(int cx);
    void SetFixedHeight(int cy);
    int GetMinWidth() const { return min_.cx; }
    int GetMinHeight() const { return min_.cy; }
    void SetMinWidth(int cx);
    const Rect& GetPadding() const { return padding_; }
    const Rect& GetInset() const { return inset_; }
    const Rect& GetTextPadding() const { return textPadding_; }
    bool IsFloat() const { return float_; }
    const Rect& GetFloatPos() const { return floatPos_; }
    bool IsVisible() const { return visible_; }
    virtual void SetVisible(bool visible);
    bool IsEnabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool IsAutoCalcWidth() const { return autoCalcWidth_; }
    void SetAutoCalcWidth(bool on);
    CursorShape GetCursor() const { return cursor_; }

    const ImageSpec& GetBkImage() const { return bkImage_; }
    void SetBkImage(std::wstring_view imageSpec);
    Argb GetBkColor() const { return bkColor_; }
    void SetBkColor(Argb color);

    uint32_t GetState() const { return state_; }
    void SetStateFlag(uint32_t flag, bool on);

    // The element's font: its font id resolved by the manager (default font
    // for none or an unknown id).
    FontSpec GetFont() const;
    int GetFontId() const { return fontId_; }
    // Text measured with the manager's measuring canvas and this element's font.
    Size MeasureText(const std::wstring& text, int maxWidth, uint32_t flags) const;

    // Repaints this element; NeedUpdate also lays the tree out again.
    void Invalidate();
    void NeedUpdate();

    // What a click on a clickable element (a text, a button) runs. Without
    // one the element sends the "click" notification, by which the window
    // base handles the buttons every layout names (closebtn, minbtn, ...).
    void SetClickHandler(std::function<void()> handler) { clickHandler_ = std::move(handler); }

    // Whether Tab stops here (while the element is shown and enabled): the
    // kinds the user works, buttons, links and combos.
    virtual bool IsFocusable() const { return false; }
    // A key while the element has the focus; false leaves it to the window
    // (Tab, the default and cancel buttons). Enter and Space do the default
    // action here.
    virtual bool OnKey(const KeyPress& key);
    // What Enter, Space or an assistive technology's action does: a click
    // for buttons and links; false for elements without an action. Last in
    // an event: the window's handler may take the element away.
    virtual bool DoDefaultAction() { return false; }
    // The focus ring's corner radius: focusradius=, to follow the shape the
    // element's images draw.
    int GetFocusRadius() const { return focusRadius_; }
    // The ring's own colour (focuscolor=), where the window's would not
    // show against what lies under the element; 0 for the window's.
    Argb GetFocusColor() const { return focusColor_; }

    // For assistive technology: the role is the layout's accrole= where it
    // gives one (a group, an image), else the kind's own; the name is the
    // one set, else the text.
    virtual AccessibleRole GetAccessibleRole() const { return accessibleRole_; }
    virtual std::wstring GetAccessibleName() const;
    // What the element holds beyond its name (a combo's chosen item).
    virtual std::wstring GetAccessibleValue() const { return {}; }
    void SetAccessibleName(std::wstring name);
    virtual uint32_t GetAccessibleStates() const;
    // The exposed element that holds this one; null when the window does.
    virtual Control* GetAccessibleParent();

protected:
    // The element was clicked: its handler, else the notification. Last in
    // an event: the handler may take the element away.
    void Clicked();

    virtual void PaintBkColor(ICanvas& canvas);
    virtual void PaintBkImage(ICanvas& canvas);
    virtual void PaintStatusImage(ICanvas&) {}
    virtual void PaintText(ICanvas&) {}
    virtual void PaintBorder(ICanvas& canvas);
    // Draws an image description inside `box` (dest= is relative to it); false when
    // the image cannot be had.
    bool DrawImageSpec(ICanvas& canvas, const ImageSpec& imageSpec, const Rect& box);

    CPaintManager* manager_ = nullptr;
    Control* parent_ = nullptr;
    Rect rect_;
    std::wstring name_;
    std::wstring text_;
    std::wstring textId_;
    Size fixed_;
    Size min_;
    Rect padding_;
    Rect inset_;
    Rect textPadding_;
    Rect floatPos_;
    bool float_ = false;
    bool visible_ = true;
    bool enabled_ = true;
    bool autoCalcWidth_ = false;
    CursorShape cursor_ = CursorShape::Arrow;
    Argb bkColor_ = 0;
    ImageSpec bkImage_;
    int borderSize_ = 0;
    Argb borderColor_ = 0;
    int fontId_ = -1;
    uint32_t state_ = 0;
    std::function<void()> clickHandler_;
    AccessibleRole accessibleRole_ = AccessibleRole::None;
    std::wstring accessibleName_;
    int focusRadius_ = 4;
    Argb focusColor_ = 0;
};

}  // namespace ui
