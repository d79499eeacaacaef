// The layout arithmetic: fixed and shared sizes, padding and inset, minimum
// sizes, floating elements, text-width sizing, pages, and sizes that custom
// controls compute themselves.

#include <gtest/gtest.h>

#include "shell/text_convert.h"
#include "tests/ui/toolkit/skin_fixture.h"
#include "ui/toolkit/container.h"

namespace ui::test {
namespace {

struct Placed {
    const wchar_t* name;
    Rect rect;
};

struct LayoutCase {
    const char* name;
    const char* content;
    std::vector<Placed> expected;
};

const LayoutCase kLayoutCases[] = {
    {"fixed width stays, the rest is shared",
     "<HorizontalLayout><Control name='a' width='100'/><Control name='b'/><Control name='c'/></HorizontalLayout>",
     {{L"a", {0, 0, 100, 300}}, {L"b", {100, 0, 250, 300}}, {L"c", {250, 0, 400, 300}}}},
    {"the last shared element takes the remainder",
     "<HorizontalLayout><Control name='a' width='101'/><Control name='b'/><Control name='c'/></HorizontalLayout>",
     {{L"b", {101, 0, 250, 300}}, {L"c", {250, 0, 400, 300}}}},
    {"padding outside the element, inset inside the container",
     "<VerticalLayout inset='10,20,30,40'><Control name='a' height='50' padding='5,6,7,8'/><Control name='b'/>"
     "</VerticalLayout>",
     {{L"a", {15, 26, 363, 76}}, {L"b", {10, 84, 370, 260}}}},
    {"minimum width wins over a smaller fixed or shared width",
     "<HorizontalLayout><Control name='a' width='10' minwidth='50'/><Control name='b' minwidth='380'/>"
     "</HorizontalLayout>",
     {{L"a", {0, 0, 50, 300}}, {L"b", {50, 0, 430, 300}}}},
    {"minimum height", "<VerticalLayout><Control name='a' height='5' minheight='20'/></VerticalLayout>",
     {{L"a", {0, 0, 400, 20}}}},
    {"fixed cross size in a row", "<HorizontalLayout><Control name='a' width='20' height='30'/></HorizontalLayout>",
     {{L"a", {0, 0, 20, 30}}}},
    {"floating element placed by pos, outside the flow",
     "<VerticalLayout inset='10,10,10,10'><Control name='f' float='true' pos='5,6,55,26'/><Control name='b'/>"
     "</VerticalLayout>",
     {{L"f", {5, 6, 55, 26}}, {L"b", {10, 10, 390, 290}}}},
    {"pos is relative to the parent",
     "<VerticalLayout><Control height='100'/><HorizontalLayout name='p'>"
     "<Control name='f' float='true' pos='5,6,55,26'/></HorizontalLayout></VerticalLayout>",
     {{L"p", {0, 100, 400, 300}}, {L"f", {5, 106, 55, 126}}}},
    {"width follows the text with autocalcwidth",
     "<HorizontalLayout><Label name='l' text='abcd' autocalcwidth='true' textpadding='3,0,5,0'/>"
     "<Control name='r'/></HorizontalLayout>",
     {{L"l", {0, 0, 36, 300}}, {L"r", {36, 0, 400, 300}}}},
    {"hidden elements take no room",
     "<HorizontalLayout><Control name='a' width='100' visible='false'/><Control name='b'/></HorizontalLayout>",
     {{L"b", {0, 0, 400, 300}}}},
    {"the selected page fills the page container",
     "<TabLayout selectedid='1' inset='1,2,3,4'><Control name='p0'/><Control name='p1' padding='1,1,1,1'/>"
     "</TabLayout>",
     {{L"p1", {2, 3, 396, 295}}}},
    {"fixed sizes larger than the box overflow it",
     "<HorizontalLayout><Control name='a' width='300'/><Control name='b' width='300'/><Control name='c'/>"
     "</HorizontalLayout>",
     {{L"b", {300, 0, 600, 300}}, {L"c", {600, 0, 600, 300}}}},
};

TEST(ToolkitLayout, ElementsArePlacedByTheirSizesMarginsAndFlags) {
    for (const LayoutCase& c : kLayoutCases) {
        SCOPED_TRACE(c.name);
        SkinFixture skin(OneLayout(std::string("<Window size='400,300'>") + c.content + "</Window>"));
        ASSERT_TRUE(skin.Load(L"w.xml"));
        for (const Placed& p : c.expected) EXPECT_EQ(skin.PosOf(p.name), p.rect) << WideToUtf8(p.name);
    }
}

TEST(ToolkitLayout, SelectingAnotherPageLaysItOut) {
    SkinFixture skin(OneLayout("<Window size='400,300'><TabLayout name='t'><Control name='p0'/>"
                               "<Control name='p1'/></TabLayout></Window>"));
    ASSERT_TRUE(skin.Load(L"w.xml"));
    EXPECT_EQ(skin.manager->FindControlAt({5, 5})->GetName(), L"p0");
    ASSERT_TRUE(static_cast<TabLayout*>(skin.manager->FindControl(L"t"))->SelectItem(1));
    skin.manager->UpdateLayout();
    EXPECT_EQ(skin.PosOf(L"p1"), (Rect{0, 0, 400, 300}));
    EXPECT_EQ(skin.manager->FindControlAt({5, 5})->GetName(), L"p1");
}

// A control that sizes itself from what it is offered, as the custom
// auto-sizing controls do.
class CHalfOffered : public Control {
public:
    Size EstimateSize(Size available) override {
        offered.push_back(available);
        return {available.cx / 2, 40};
    }
    std::vector<Size> offered;
};

TEST(ToolkitLayout, SelfSizingControlsAreOfferedTheRestAndKeepTheirMinimum) {
    SkinFixture skin(OneLayout("<Window size='400,300'><HorizontalLayout><Control width='100'/>"
                               "<Half name='h'/><Half name='m' minwidth='200'/></HorizontalLayout></Window>"),
                     [](const std::wstring& kind) -> std::unique_ptr<Control> {
                         if (kind == L"Half") return std::make_unique<CHalfOffered>();
                         return nullptr;
                     });
    ASSERT_TRUE(skin.Load(L"w.xml"));
    auto* half = static_cast<CHalfOffered*>(skin.manager->FindControl(L"h"));
    ASSERT_FALSE(half->offered.empty());
    EXPECT_EQ(half->offered.front(), (Size{300, 300}));
    EXPECT_EQ(skin.PosOf(L"h"), (Rect{100, 0, 250, 40}));
    EXPECT_EQ(skin.PosOf(L"m"), (Rect{250, 0, 450, 40}));
}

}  // namespace
}  // namespace ui::test
