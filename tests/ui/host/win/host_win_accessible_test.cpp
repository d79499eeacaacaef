// The Win32 host's MSAA objects read in this process, on the main window's
// layout: what the end-to-end run cannot see from outside. Objects kept after
// their element or window went, a default action that runs from the loop
// (or not at all), and hit tests that find what accLocation places.

#include <windows.h>

#include <oleacc.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "shell/com_win.h"
#include "tests/ui/support/embedded_skin.h"
#include "tests/ui/support/host_fixture.h"
#include "ui/base/base_wnd.h"
#include "ui/toolkit/window_styles.h"

namespace ui::test {
namespace {

constexpr wchar_t kClassName[] = L"KALO_TEST_MSAA_WND";

class CWelcomeWindow : public CBaseWnd {
protected:
    std::wstring GetWindowClassName() const override { return kClassName; }
    std::wstring GetSkinFile() const override { return L"main_window.xml"; }
};

VARIANT Self() {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

std::wstring NameOf(IAccessible& object) {
    BSTR name = nullptr;
    if (FAILED(object.get_accName(Self(), &name)) || name == nullptr) return {};
    std::wstring text(name, SysStringLen(name));
    SysFreeString(name);
    return text;
}

// The first element of that name below `parent`, walked as clients walk.
ComPtr<IAccessible> FindNamed(IAccessible& parent, const std::wstring& name) {
    VARIANT children[32];
    LONG got = 0;
    if (FAILED(AccessibleChildren(&parent, 0, 32, children, &got))) return {};
    ComPtr<IAccessible> found;
    for (LONG i = 0; i < got; ++i) {
        ComPtr<IAccessible> child;
        if (!found && children[i].vt == VT_DISPATCH &&
            SUCCEEDED(children[i].pdispVal->QueryInterface(__uuidof(IAccessible), child.PutVoid()))) {
            found = NameOf(*child.Get()) == name ? std::move(child) : FindNamed(*child.Get(), name);
        }
        VariantClear(&children[i]);
    }
    return found;
}

class WinAccessibleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(com_.IsUsable());
        RegisterEmbeddedFonts(TestHost());
        ASSERT_TRUE(window_->Create(nullptr, L"msaa test", kStylePopupDialog, 0));
        window_->ShowWindow(true);
        window_->SetAccessibleName(L"start_check", L"Start");
        window_->ComboClear(L"cmb_lang");
        window_->ComboAddItem(L"cmb_lang", L"en", L"English", 36);
        const HWND native = FindWindowW(kClassName, nullptr);
        ASSERT_TRUE(SUCCEEDED(AccessibleObjectFromWindow(native, static_cast<DWORD>(OBJID_CLIENT),
                                                         __uuidof(IAccessible), client_.PutVoid())));
        start_ = FindNamed(*client_.Get(), L"Start");
        item_ = FindNamed(*client_.Get(), L"English");
        ASSERT_TRUE(start_ && item_);
    }

    CComInitialization com_{COINIT_APARTMENTTHREADED};
    std::unique_ptr<CWelcomeWindow> window_ = std::make_unique<CWelcomeWindow>();
    ComPtr<IAccessible> client_, start_, item_;
};

TEST_F(WinAccessibleTest, ObjectsKeptAfterTheirElementOrWindowWentSayTheyAreDisconnected) {
    window_->ComboClear(L"cmb_lang");
    LONG count = 0;
    EXPECT_EQ(item_->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(item_->accDoDefaultAction(Self()), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(NameOf(*start_.Get()), L"Start");

    window_.reset();
    for (IAccessible* kept : {client_.Get(), start_.Get()}) {
        BSTR name = nullptr;
        EXPECT_EQ(kept->get_accName(Self(), &name), CO_E_OBJNOTCONNECTED);
        EXPECT_EQ(name, nullptr);
        EXPECT_EQ(kept->accDoDefaultAction(Self()), CO_E_OBJNOTCONNECTED);
    }
}

TEST_F(WinAccessibleTest, DefaultActionRunsFromTheLoopAfterTheCallAndOnlyWhileTheElementTakesIt) {
    int clicks = 0;
    int picks = 0;
    window_->BindClick(L"start_check", [&] { ++clicks; });
    window_->BindSelect(L"cmb_lang", [&](int) { ++picks; });

    EXPECT_EQ(start_->accDoDefaultAction(Self()), S_OK);
    EXPECT_EQ(clicks, 0);  // not inside the client's call
    ProcessPendingEvents();
    EXPECT_EQ(clicks, 1);

    // Under a modal window a click would not reach it either.
    window_->GetHostWindow()->SetInputEnabled(false);
    EXPECT_EQ(start_->accDoDefaultAction(Self()), E_ACCESSDENIED);
    window_->GetHostWindow()->SetInputEnabled(true);

    // The item goes before the loop runs its action: nothing is picked.
    EXPECT_EQ(item_->accDoDefaultAction(Self()), S_OK);
    window_->ComboClear(L"cmb_lang");
    ProcessPendingEvents();
    EXPECT_EQ(picks, 0);
    EXPECT_EQ(clicks, 1);
}

TEST_F(WinAccessibleTest, HitTestAtTheMiddleOfAnElementsPlaceFindsThatElement) {
    LONG left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(start_->accLocation(&left, &top, &width, &height, Self()), S_OK);
    ASSERT_GT(width, 0);
    VARIANT hit;
    VariantInit(&hit);
    ASSERT_EQ(client_->accHitTest(left + width / 2, top + height / 2, &hit), S_OK);
    ASSERT_EQ(hit.vt, VT_DISPATCH);
    ComPtr<IAccessible> found;
    ASSERT_TRUE(SUCCEEDED(hit.pdispVal->QueryInterface(__uuidof(IAccessible), found.PutVoid())));
    VariantClear(&hit);
    EXPECT_EQ(NameOf(*found.Get()), L"Start");
    // The point just outside the window's client area is the system's.
    LONG clientLeft = 0, clientTop = 0;
    ASSERT_EQ(client_->accLocation(&clientLeft, &clientTop, &width, &height, Self()), S_OK);
    EXPECT_EQ(client_->accHitTest(clientLeft - 1, clientTop, &hit), S_FALSE);
}

}  // namespace
}  // namespace ui::test
