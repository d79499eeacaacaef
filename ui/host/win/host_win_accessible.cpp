#include "ui/host/win/host_win_accessible.h"

#include <algorithm>
#include <string>
#include <vector>

#include "ui/host/win/host_win_window.h"
#include "ui/toolkit/accessible.h"
#include "ui/toolkit/control.h"
#include "ui/toolkit/paint_manager.h"

namespace ui::win {
namespace {

// MinGW's oleacc import library has IID_IAccessible as a function thunk,
// not as the GUID; __uuidof takes the GUID from the header.
const IID& kIidAccessible = __uuidof(IAccessible);

LONG MsaaRole(AccessibleRole role) {
    switch (role) {
        case AccessibleRole::PushButton: return ROLE_SYSTEM_PUSHBUTTON;
        case AccessibleRole::Link: return ROLE_SYSTEM_LINK;
        case AccessibleRole::ComboBox: return ROLE_SYSTEM_COMBOBOX;
        case AccessibleRole::List: return ROLE_SYSTEM_LIST;
        case AccessibleRole::ListItem: return ROLE_SYSTEM_LISTITEM;
        case AccessibleRole::Label: return ROLE_SYSTEM_STATICTEXT;
        case AccessibleRole::Image: return ROLE_SYSTEM_GRAPHIC;
        case AccessibleRole::Group:
        case AccessibleRole::None: break;  // never exposed
    }
    return ROLE_SYSTEM_GROUPING;
}

LONG MsaaState(const Control& element) {
    struct Flag {
        uint32_t toolkit;
        LONG msaa;
    };
    // Expandable has no MSAA bit: collapsed or expanded says it.
    static constexpr Flag kFlags[] = {
        {kAccessibleFocusable, STATE_SYSTEM_FOCUSABLE},  {kAccessibleFocused, STATE_SYSTEM_FOCUSED},
        {kAccessibleDisabled, STATE_SYSTEM_UNAVAILABLE}, {kAccessibleSelectable, STATE_SYSTEM_SELECTABLE},
        {kAccessibleSelected, STATE_SYSTEM_SELECTED},    {kAccessibleExpanded, STATE_SYSTEM_EXPANDED},
        {kAccessibleCollapsed, STATE_SYSTEM_COLLAPSED},  {kAccessibleDefault, STATE_SYSTEM_DEFAULT},
    };
    const uint32_t states = element.GetAccessibleStates();
    LONG msaa = IsShownInTree(element) ? 0 : STATE_SYSTEM_INVISIBLE;
    for (const Flag& flag : kFlags) {
        if ((states & flag.toolkit) != 0) msaa |= flag.msaa;
    }
    return msaa;
}

// The verb of the element's default action; null for an element without one.
const wchar_t* DefaultActionOf(const Control& element) {
    switch (element.GetAccessibleRole()) {
        case AccessibleRole::PushButton:
        case AccessibleRole::Link: return L"Press";
        case AccessibleRole::ComboBox:
            return (element.GetAccessibleStates() & kAccessibleExpanded) != 0 ? L"Close" : L"Open";
        case AccessibleRole::ListItem: return L"Select";
        default: return nullptr;
    }
}

// Whether the element is one of the tree's (the arranging boxes and the texts
// without words are passed through).
bool IsExposed(const Control& element) {
    const AccessibleRole role = element.GetAccessibleRole();
    return role != AccessibleRole::None && (role != AccessibleRole::Label || !element.GetAccessibleName().empty());
}

// Whether `element` lies inside `holder` in the exposed tree; everything lies
// inside the window (a null holder).
bool IsInside(Control* element, const Control* holder) {
    if (holder == nullptr) return true;
    for (Control* at = element; at != nullptr; at = at->GetAccessibleParent()) {
        if (at == holder) return true;
    }
    return false;
}

HRESULT TextResult(const std::wstring& text, BSTR* out) {
    if (text.empty()) return S_FALSE;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

// The client area (no element) or one element. Every call first checks that
// the bridge and the element are still there; the bridge cuts both off when
// they go.
class CAccessibleObject final : public IAccessible, public IEnumVARIANT {
public:
    CAccessibleObject(CWinAccessible& bridge, Control* element) : bridge_(&bridge), element_(element) {}
    CAccessibleObject(const CAccessibleObject&) = delete;
    CAccessibleObject& operator=(const CAccessibleObject&) = delete;

    void Disconnect() {
        bridge_ = nullptr;
        element_ = nullptr;
        // The stubs held for other processes let go: their next call fails
        // at once instead of reaching this object.
        CoDisconnectObject(static_cast<IAccessible*>(this), 0);
    }
    // A new reference, for a client.
    IDispatch* Dispatch() {
        AddRef();
        return static_cast<IAccessible*>(this);
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == kIidAccessible) {
            *out = static_cast<IAccessible*>(this);
        } else if (iid == __uuidof(IEnumVARIANT)) {
            // AccessibleChildren enumerates the children through it.
            *out = static_cast<IEnumVARIANT*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch: clients of IAccessible call its methods directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (parent == nullptr) return E_POINTER;
        *parent = nullptr;
        if (!IsConnected()) return CO_E_OBJNOTCONNECTED;
        if (element_ == nullptr) {
            return CreateStdAccessibleObject(bridge_->Handle(), OBJID_WINDOW, __uuidof(IDispatch),
                                             reinterpret_cast<void**>(parent));
        }
        *parent = bridge_->ObjectOf(element_->GetAccessibleParent())->Dispatch();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        if (!IsConnected()) return CO_E_OBJNOTCONNECTED;
        *count = static_cast<LONG>(Children().size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        return WithTarget(child, [this, object](CAccessibleObject& target) {
            if (&target == this) return E_INVALIDARG;
            *object = target.Dispatch();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (name == nullptr) return E_POINTER;
        *name = nullptr;
        return WithTarget(child, [name](CAccessibleObject& target) { return TextResult(target.Name(), name); });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        if (value == nullptr) return E_POINTER;
        *value = nullptr;
        return WithTarget(child, [value](CAccessibleObject& target) {
            return target.element_ != nullptr ? TextResult(target.element_->GetAccessibleValue(), value) : S_FALSE;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override { return NoText(child, text); }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override { return NoText(child, text); }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
        return NoText(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        if (file == nullptr || topic == nullptr) return E_POINTER;
        *file = nullptr;
        *topic = 0;
        return WithTarget(child, [](CAccessibleObject&) { return S_FALSE; });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (role == nullptr) return E_POINTER;
        VariantInit(role);
        return WithTarget(child, [role](CAccessibleObject& target) {
            role->vt = VT_I4;
            role->lVal = target.Role();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (state == nullptr) return E_POINTER;
        VariantInit(state);
        return WithTarget(child, [state](CAccessibleObject& target) {
            state->vt = VT_I4;
            state->lVal = target.State();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (focus == nullptr) return E_POINTER;
        VariantInit(focus);
        if (!IsConnected()) return CO_E_OBJNOTCONNECTED;
        Control* focused = bridge_->Content()->GetAccessibleFocus();
        if (focused == nullptr || !IsShownInTree(*focused) || !IsInside(focused, element_)) {
            if (element_ != nullptr || GetFocus() != bridge_->Handle()) return S_FALSE;
            focused = nullptr;  // the window has the keyboard, no element of it
        }
        return Answer(focused, focus);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (selection == nullptr) return E_POINTER;
        VariantInit(selection);
        return IsConnected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (action == nullptr) return E_POINTER;
        *action = nullptr;
        return WithTarget(child, [action](CAccessibleObject& target) {
            const wchar_t* verb = target.element_ != nullptr ? DefaultActionOf(*target.element_) : nullptr;
            return verb != nullptr ? TextResult(verb, action) : S_FALSE;
        });
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return WithTarget(child, [flags](CAccessibleObject& target) {
            Control* element = target.element_;
            if (flags != SELFLAG_TAKEFOCUS || element == nullptr) return DISP_E_MEMBERNOTFOUND;
            if (!element->IsFocusable() || !element->IsEnabled() || !IsShownInTree(*element)) return E_INVALIDARG;
            target.bridge_->Content()->SetFocus(element);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) return E_POINTER;
        *left = *top = *width = *height = 0;
        return WithTarget(child, [left, top, width, height](CAccessibleObject& target) {
            const RECT screen = target.ScreenRect();
            *left = screen.left;
            *top = screen.top;
            *width = screen.right - screen.left;
            *height = screen.bottom - screen.top;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        if (end == nullptr) return E_POINTER;
        VariantInit(end);
        return WithTarget(start,
                          [direction, end](CAccessibleObject& target) { return target.Navigate(direction, end); });
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override {
        if (hit == nullptr) return E_POINTER;
        VariantInit(hit);
        if (!IsConnected()) return CO_E_OBJNOTCONNECTED;
        const RECT screen = ScreenRect();
        if (x < screen.left || x >= screen.right || y < screen.top || y >= screen.bottom) return S_FALSE;
        CPaintManager& manager = *bridge_->Content();
        manager.UpdateLayout();
        Control* found = manager.FindControlAt(bridge_->window_.ClientPointFromScreen({x, y}));
        while (found != nullptr && !IsExposed(*found)) found = found->GetAccessibleParent();
        return Answer(IsInside(found, element_) ? found : element_, hit);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return WithTarget(child, [](CAccessibleObject& target) {
            Control* element = target.element_;
            if (element == nullptr || DefaultActionOf(*element) == nullptr) return DISP_E_MEMBERNOTFOUND;
            if (!target.bridge_->TakesAction(*element)) return E_ACCESSDENIED;
            const auto childId = static_cast<LONG_PTR>(target.bridge_->ChildIdOf(*element));
            if (!PostMessageW(target.bridge_->Handle(), CWinAccessible::kDefaultActionMessage,
                              static_cast<WPARAM>(childId), 0)) {
                return HRESULT_FROM_WIN32(GetLastError());
            }
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override {
        return IsConnected() ? E_NOTIMPL : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override {
        return IsConnected() ? E_NOTIMPL : CO_E_OBJNOTCONNECTED;
    }

    // IEnumVARIANT: the children as objects, from a cursor that Reset puts back.
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override {
        if (fetched != nullptr) *fetched = 0;
        if (items == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
        if (!IsConnected()) return CO_E_OBJNOTCONNECTED;
        const std::vector<Control*> children = Children();
        ULONG taken = 0;
        for (; taken < count && cursor_ < children.size(); ++taken, ++cursor_) {
            VariantInit(&items[taken]);
            items[taken].vt = VT_DISPATCH;
            items[taken].pdispVal = bridge_->ObjectOf(children[cursor_])->Dispatch();
        }
        if (fetched != nullptr) *fetched = taken;
        return taken == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        if (!IsConnected()) return CO_E_OBJNOTCONNECTED;
        const size_t size = Children().size();
        const bool enough = count <= size - std::min(cursor_, size);
        cursor_ = enough ? cursor_ + count : size;
        return enough ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        cursor_ = 0;
        return IsConnected() ? S_OK : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override {
        if (copy != nullptr) *copy = nullptr;
        return E_NOTIMPL;
    }

private:
    ~CAccessibleObject() = default;  // by Release only

    bool IsConnected() const { return bridge_ != nullptr && bridge_->Content() != nullptr; }

    // Runs `answer` on the object the call's child names: this one for
    // CHILDID_SELF, a child of this one by its position (1..n), or an
    // element of the window by its own (negative) id, as the window's
    // events name it.
    template <typename Answer>
    HRESULT WithTarget(const VARIANT& child, Answer answer) {
        if (!IsConnected()) return CO_E_OBJNOTCONNECTED;
        LONG id = CHILDID_SELF;
        if (child.vt == VT_I4) {
            id = child.lVal;
        } else if (child.vt != VT_EMPTY) {
            return E_INVALIDARG;
        }
        if (id == CHILDID_SELF) return answer(*this);
        Control* element = nullptr;
        if (id > 0) {
            const std::vector<Control*> children = Children();
            if (static_cast<size_t>(id) <= children.size()) element = children[static_cast<size_t>(id) - 1];
        } else {
            element = bridge_->ElementOf(id);
        }
        if (element == nullptr) return E_INVALIDARG;
        return answer(*bridge_->ObjectOf(element));
    }
    HRESULT NoText(const VARIANT& child, BSTR* text) {
        if (text == nullptr) return E_POINTER;
        *text = nullptr;
        return WithTarget(child, [](CAccessibleObject&) { return S_FALSE; });
    }
    // This object's own element (CHILDID_SELF), or another's object.
    HRESULT Answer(Control* element, VARIANT* out) {
        if (element == element_) {
            out->vt = VT_I4;
            out->lVal = CHILDID_SELF;
        } else {
            out->vt = VT_DISPATCH;
            out->pdispVal = bridge_->ObjectOf(element)->Dispatch();
        }
        return S_OK;
    }

    std::vector<Control*> Children() const { return ui::AccessibleChildren(*bridge_->Content(), element_); }

    std::wstring Name() const { return element_ != nullptr ? element_->GetAccessibleName() : bridge_->window_.Title(); }

    // As the system's own dialogs: Narrator and NVDA read a dialog's texts
    // when it comes to the front, which is what the owned windows (messages,
    // the requirement pages) are for. The main window's client is a plain
    // client; its frame already says the title.
    LONG Role() const {
        if (element_ != nullptr) return MsaaRole(element_->GetAccessibleRole());
        return GetWindow(bridge_->Handle(), GW_OWNER) != nullptr ? ROLE_SYSTEM_DIALOG : ROLE_SYSTEM_CLIENT;
    }

    LONG State() const {
        if (element_ != nullptr) return MsaaState(*element_);
        const HWND window = bridge_->Handle();
        LONG state = STATE_SYSTEM_FOCUSABLE;
        if (!IsWindowVisible(window)) state |= STATE_SYSTEM_INVISIBLE;
        if (!IsWindowEnabled(window)) state |= STATE_SYSTEM_UNAVAILABLE;
        if (GetFocus() == window && bridge_->Content()->GetAccessibleFocus() == nullptr) state |= STATE_SYSTEM_FOCUSED;
        return state;
    }

    RECT ScreenRect() const {
        CWinHostWindow& window = bridge_->window_;
        if (element_ == nullptr) return window.ScreenRectOf({0, 0, window.ClientSize().cx, window.ClientSize().cy});
        bridge_->Content()->UpdateLayout();
        return window.ScreenRectOf(element_->GetPos());
    }

    // First and last child, next and previous sibling; the directions on the
    // screen are left to clients (accLocation gives what they need).
    HRESULT Navigate(LONG direction, VARIANT* end) {
        std::vector<Control*> row;
        size_t next = 0;
        if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
            row = Children();
            if (row.empty()) return S_FALSE;
            next = direction == NAVDIR_FIRSTCHILD ? 0 : row.size() - 1;
        } else if (direction == NAVDIR_NEXT || direction == NAVDIR_PREVIOUS) {
            if (element_ == nullptr) return S_FALSE;  // the window's siblings are the system's
            row = ui::AccessibleChildren(*bridge_->Content(), element_->GetAccessibleParent());
            const auto at = std::find(row.begin(), row.end(), element_);
            if (at == row.end()) return S_FALSE;
            const auto index = static_cast<size_t>(at - row.begin());
            if (direction == NAVDIR_NEXT ? index + 1 >= row.size() : index == 0) return S_FALSE;
            next = direction == NAVDIR_NEXT ? index + 1 : index - 1;
        } else {
            return DISP_E_MEMBERNOTFOUND;
        }
        end->vt = VT_DISPATCH;
        end->pdispVal = bridge_->ObjectOf(row[next])->Dispatch();
        return S_OK;
    }

    LONG references_ = 1;
    CWinAccessible* bridge_;
    Control* element_;  // null: the client area
    size_t cursor_ = 0;
};

CWinAccessible::CWinAccessible(CWinHostWindow& window, IHostWindowEvents& events)
    : window_(window), events_(events), client_(new CAccessibleObject(*this, nullptr)) {}

CWinAccessible::~CWinAccessible() {
    for (auto& [element, entry] : entries_) {
        if (entry.object) entry.object->Disconnect();
    }
    client_->Disconnect();
}

HWND CWinAccessible::Handle() const { return window_.Handle(); }

LRESULT CWinAccessible::ClientObjectResult(WPARAM wParam) {
    return LresultFromObject(kIidAccessible, wParam, static_cast<IAccessible*>(client_.Get()));
}

void CWinAccessible::Notify(AccessibleEvent event, Control& element) {
    if (event == AccessibleEvent::Removed) {
        Drop(&element);
        return;
    }
    // Focus and a new content are told of the exposed element that holds
    // them; names and states only of elements in the tree.
    Control* subject = &element;
    DWORD winEvent = 0;
    switch (event) {
        case AccessibleEvent::Focus: winEvent = EVENT_OBJECT_FOCUS; break;
        case AccessibleEvent::NameChanged: winEvent = EVENT_OBJECT_NAMECHANGE; break;
        case AccessibleEvent::StateChanged: winEvent = EVENT_OBJECT_STATECHANGE; break;
        case AccessibleEvent::ChildrenChanged: winEvent = EVENT_OBJECT_REORDER; break;
        case AccessibleEvent::Removed: return;
    }
    if (winEvent == EVENT_OBJECT_FOCUS || winEvent == EVENT_OBJECT_REORDER) {
        if (element.GetAccessibleRole() == AccessibleRole::None) subject = element.GetAccessibleParent();
    } else if (!IsExposed(element)) {
        return;
    }
    if (subject != nullptr && !IsShownInTree(*subject)) return;
    NotifyWinEvent(winEvent, Handle(), OBJID_CLIENT, subject != nullptr ? ChildIdOf(*subject) : CHILDID_SELF);
}

void CWinAccessible::RunDefaultAction(LONG childId) {
    Control* element = ElementOf(childId);
    // Last: the action may take the element, the window or this bridge away.
    if (element != nullptr && TakesAction(*element)) element->DoDefaultAction();
}

CAccessibleObject* CWinAccessible::ObjectOf(Control* element) {
    if (element == nullptr) return client_.Get();
    ChildIdOf(*element);
    Entry& entry = entries_[element];
    if (!entry.object) entry.object = ComPtr<CAccessibleObject>(new CAccessibleObject(*this, element));
    return entry.object.Get();
}

LONG CWinAccessible::ChildIdOf(Control& element) {
    const auto found = entries_.find(&element);
    if (found != entries_.end()) return found->second.childId;
    const LONG childId = nextChildId_--;
    entries_[&element].childId = childId;
    byChildId_[childId] = &element;
    return childId;
}

Control* CWinAccessible::ElementOf(LONG childId) const {
    const auto found = byChildId_.find(childId);
    return found != byChildId_.end() ? found->second : nullptr;
}

bool CWinAccessible::TakesAction(const Control& element) const {
    const HWND window = Handle();
    return IsWindowVisible(window) && IsWindowEnabled(window) && element.IsEnabled() && IsShownInTree(element);
}

void CWinAccessible::Drop(Control* element) {
    const auto found = entries_.find(element);
    if (found == entries_.end()) return;
    if (found->second.object) found->second.object->Disconnect();
    byChildId_.erase(found->second.childId);
    entries_.erase(found);
}

}  // namespace ui::win
