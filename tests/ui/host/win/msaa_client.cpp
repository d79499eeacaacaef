// Reads the windowed program as a screen reader does, from a process of its
// own over MSAA: the main window's tree, the "Check now" button pressed by
// its default action, the result page's tree once it shows, and "back"
// pressed to return to the welcome page. Focus events are resolved with
// AccessibleObjectFromEvent, by the child ids the program gives them.
//
// Prints each tree as "<depth> <role>: <name>[ = <value>][ [<states>]] @
// <left>,<top>,<width>,<height>" lines (the place in screen pixels) after a
// "== <page>" line, and each focus event as "event focus <role>: <name>";
// the end-to-end test judges what they say. Exits 1 with a line on stderr
// when it cannot do its part.

#include <windows.h>

#include <oleacc.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "shell/com_win.h"

namespace {

constexpr wchar_t kWindowClass[] = L"KALOFitProbeMainWnd";
constexpr wchar_t kStartButton[] = L"Check now";
constexpr wchar_t kBackButton[] = L"back";
constexpr DWORD kWindowLimitMs = 30000;
constexpr DWORD kPageLimitMs = 90000;

struct Node {
    int depth = 0;
    LONG role = 0;
    LONG state = 0;
    std::wstring name;
    std::wstring value;
    ComPtr<IAccessible> object;  // the element itself: its own object (child id CHILDID_SELF)
};

std::vector<std::string> g_events;

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

VARIANT Self() {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

std::wstring Text(IAccessible& object, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
    BSTR text = nullptr;
    if (FAILED((object.*get)(Self(), &text)) || text == nullptr) return {};
    std::wstring result(text, SysStringLen(text));
    SysFreeString(text);
    return result;
}

LONG Number(IAccessible& object, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*)) {
    VARIANT number;
    VariantInit(&number);
    return SUCCEEDED((object.*get)(Self(), &number)) && number.vt == VT_I4 ? number.lVal : 0;
}

std::wstring RoleText(LONG role) {
    wchar_t text[64] = {};
    GetRoleTextW(static_cast<DWORD>(role), text, 64);
    return text;
}

// The states a reader says aloud, in the system's words.
std::wstring StateText(LONG state) {
    static constexpr LONG kSpoken[] = {STATE_SYSTEM_FOCUSED,  STATE_SYSTEM_UNAVAILABLE, STATE_SYSTEM_SELECTED,
                                       STATE_SYSTEM_EXPANDED, STATE_SYSTEM_COLLAPSED,   STATE_SYSTEM_DEFAULT,
                                       STATE_SYSTEM_INVISIBLE};
    std::wstring text;
    for (const LONG bit : kSpoken) {
        if ((state & bit) == 0) continue;
        wchar_t word[64] = {};
        GetStateTextW(static_cast<DWORD>(bit), word, 64);
        text += (text.empty() ? L"" : L", ") + std::wstring(word);
    }
    return text;
}

// The object and everything below it, in reading order, through
// AccessibleChildren as screen readers walk.
void Walk(ComPtr<IAccessible> object, int depth, std::vector<Node>& nodes) {
    IAccessible& self = *object.Get();
    nodes.push_back({depth, Number(self, &IAccessible::get_accRole), Number(self, &IAccessible::get_accState),
                     Text(self, &IAccessible::get_accName), Text(self, &IAccessible::get_accValue), std::move(object)});
    LONG count = 0;
    self.get_accChildCount(&count);
    if (count <= 0) return;
    std::vector<VARIANT> children(static_cast<size_t>(count));
    LONG got = 0;
    if (FAILED(AccessibleChildren(&self, 0, count, children.data(), &got))) return;
    for (LONG i = 0; i < got; ++i) {
        VARIANT& child = children[static_cast<size_t>(i)];
        if (child.vt == VT_DISPATCH && child.pdispVal != nullptr) {
            ComPtr<IAccessible> element;
            if (SUCCEEDED(child.pdispVal->QueryInterface(__uuidof(IAccessible), element.PutVoid()))) {
                Walk(std::move(element), depth + 1, nodes);
            }
        }
        VariantClear(&child);
    }
}

std::vector<Node> Tree(HWND window) {
    std::vector<Node> nodes;
    ComPtr<IAccessible> client;
    if (SUCCEEDED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                             client.PutVoid()))) {
        Walk(std::move(client), 0, nodes);
    }
    return nodes;
}

void Print(const char* page, const std::vector<Node>& nodes) {
    std::printf("== %s\n", page);
    for (const Node& node : nodes) {
        std::printf("%d %s: %s", node.depth, Utf8(RoleText(node.role)).c_str(), Utf8(node.name).c_str());
        if (!node.value.empty()) std::printf(" = %s", Utf8(node.value).c_str());
        if (const std::wstring states = StateText(node.state); !states.empty()) {
            std::printf(" [%s]", Utf8(states).c_str());
        }
        LONG left = 0, top = 0, width = 0, height = 0;
        node.object->accLocation(&left, &top, &width, &height, Self());
        std::printf(" @ %ld,%ld,%ld,%ld\n", left, top, width, height);
    }
    for (const std::string& event : g_events) std::printf("%s\n", event.c_str());
    g_events.clear();
    std::fflush(stdout);
}

IAccessible* Button(const std::vector<Node>& nodes, const wchar_t* name) {
    for (const Node& node : nodes) {
        if (node.role == ROLE_SYSTEM_PUSHBUTTON && node.name == name) return node.object.Get();
    }
    return nullptr;
}

void CALLBACK OnFocusEvent(HWINEVENTHOOK, DWORD, HWND window, LONG objectId, LONG childId, DWORD, DWORD) {
    ComPtr<IAccessible> object;
    VARIANT child;
    VariantInit(&child);
    if (FAILED(AccessibleObjectFromEvent(window, static_cast<DWORD>(objectId), static_cast<DWORD>(childId),
                                         object.Put(), &child))) {
        g_events.push_back("event focus unresolved, child id " + std::to_string(childId));
        return;
    }
    BSTR name = nullptr;
    object->get_accName(child, &name);
    VARIANT role;
    VariantInit(&role);
    object->get_accRole(child, &role);
    g_events.push_back("event focus " + Utf8(RoleText(role.vt == VT_I4 ? role.lVal : 0)) + ": " +
                       Utf8(name != nullptr ? std::wstring(name, SysStringLen(name)) : std::wstring()));
    SysFreeString(name);
    VariantClear(&child);
}

// Handles this thread's messages (the hook's events) until `done` or the limit.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs) {
    const ULONGLONG end = GetTickCount64() + limitMs;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        if (done()) return true;
        if (GetTickCount64() >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT);
    }
}

int Fail(const char* what) {
    std::fprintf(stderr, "msaa_client: %s\n", what);
    return 1;
}

// Presses the button by its default action, then waits for a tree with the
// other one.
bool PressAndWait(HWND window, IAccessible& button, const wchar_t* awaited, std::vector<Node>& tree) {
    if (FAILED(button.accDoDefaultAction(Self()))) return false;
    return PumpUntil(
        [&] {
            tree = Tree(window);
            return Button(tree, awaited) != nullptr;
        },
        kPageLimitMs);
}

}  // namespace

int main() {
    const CComInitialization com(COINIT_APARTMENTTHREADED);
    if (FAILED(com.Result())) return Fail("COM cannot be initialised");
    HWND window = nullptr;
    PumpUntil([&] { return (window = FindWindowW(kWindowClass, nullptr)) != nullptr; }, kWindowLimitMs);
    if (window == nullptr) return Fail("the program's main window is not there");
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, &OnFocusEvent, process,
                                               0, WINEVENT_OUTOFCONTEXT);

    std::vector<Node> welcome = Tree(window);
    Print("welcome", welcome);
    IAccessible* start = Button(welcome, kStartButton);
    if (start == nullptr) return Fail("no push button \"Check now\"");
    std::vector<Node> result;
    if (!PressAndWait(window, *start, kBackButton, result)) {
        return Fail("\"Check now\" does not lead to the result page");
    }
    Print("result", result);
    std::vector<Node> again;
    if (!PressAndWait(window, *Button(result, kBackButton), kStartButton, again)) {
        return Fail("\"back\" does not lead to the welcome page");
    }
    Print("welcome again", again);
    if (hook != nullptr) UnhookWinEvent(hook);
    return 0;
}
