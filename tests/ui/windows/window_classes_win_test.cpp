// Each program window registers a class of its own name and style, so that
// other programs find it with FindWindow as they find the product's windows.

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/ui/support/embedded_skin.h"
#include "tests/ui/support/host_fixture.h"
#include "ui/base/base_wnd.h"
#include "ui/toolkit/window_styles.h"

namespace ui::test {
namespace {

class CNamedWindow : public CBaseWnd {
public:
    CNamedWindow(std::wstring className, std::wstring layout)
        : className_(std::move(className)), layout_(std::move(layout)) {}

protected:
    std::wstring GetWindowClassName() const override { return className_; }
    std::wstring GetSkinFile() const override { return layout_; }

private:
    std::wstring className_;
    std::wstring layout_;
};

HWND NativeOf(CWindowImplBase& window) {
    return FindWindowW(nullptr, window.GetHostWindow()->Title().c_str());
}

TEST(WindowClasses, EachWindowIsFoundByItsOwnClassWithTheWindowBasesStyle) {
    RegisterEmbeddedFonts(TestHost());
    CNamedWindow first(L"KALO_TEST_FIRST_WND", L"msgwnd.xml");
    CNamedWindow second(L"KALO_TEST_SECOND_WND", L"display_interface_intro_wnd.xml");
    ASSERT_TRUE(first.Create(nullptr, L"first window", kStylePopupDialog, 0));
    ASSERT_TRUE(second.Create(nullptr, L"second window", kStylePopupDialog, 0));
    first.ShowWindow(true);
    second.ShowWindow(true);
    const HWND firstNative = NativeOf(first);
    ASSERT_NE(firstNative, nullptr);
    EXPECT_EQ(FindWindowW(L"KALO_TEST_FIRST_WND", nullptr), firstNative);
    EXPECT_EQ(FindWindowW(L"KALO_TEST_SECOND_WND", nullptr), NativeOf(second));
    // Redraw on resize, double-clicks and saved bits: 0x80B.
    EXPECT_EQ(GetClassLongW(firstNative, GCL_STYLE), 0x80B);
    wchar_t name[64] = {};
    GetClassNameW(firstNative, name, 64);
    EXPECT_STREQ(name, L"KALO_TEST_FIRST_WND");
}

}  // namespace
}  // namespace ui::test
