// Building trees from real archives: window attributes, fonts, document
// order, Include, textid, the factory, and bad input that must not crash.

#include "ui/toolkit/layout_builder.h"

#include <gtest/gtest.h>

#include "tests/support/log_capture.h"
#include "tests/ui/toolkit/skin_fixture.h"
#include "ui/toolkit/container.h"
#include "ui/toolkit/label.h"

namespace ui::test {
namespace {

const char* kFonts =
    "<Font id='0' name='F' size='12' default='true'/>"
    "<Font id='3' name='F' size='14'/>"
    "<Font id='9' name='F' size='14' underline='true'/>"
    "<Font id='2' name='F' size='50' bold='true'/>";

std::string Layout(const std::string& content, const std::string& window = "size='400,300'") {
    return "<?xml version='1.0' encoding='utf-8'?><Window " + window + ">" + kFonts + content + "</Window>";
}

TEST(LayoutBuilder, WindowAttributesAreReadAndOthersKept) {
    SkinFixture skin(OneLayout(Layout("<VerticalLayout/>",
                                      "size='1200,675' caption='0,0,0,116' bktrans='true' showshadow='true' "
                                      "shadowimage='image/bg_shadow.png' shadowcorner='30,30,30,30' "
                                      "maxinfo='1200,675' roundcorner='4,4'")));
    ASSERT_TRUE(skin.Load(L"w.xml"));
    const WindowAttributes& w = skin.window_attributes;
    EXPECT_EQ(w.size, (Size{1200, 675}));
    EXPECT_EQ(w.caption, (Rect{0, 0, 0, 116}));
    EXPECT_TRUE(w.transparent);
    EXPECT_TRUE(w.showShadow);
    EXPECT_EQ(w.shadowImage, L"image/bg_shadow.png");
    EXPECT_EQ(w.shadowCorner, (Corners{30, 30, 30, 30}));
    EXPECT_EQ(w.maxInfo, (Size{1200, 675}));
    ASSERT_EQ(w.others.size(), 1u);
    EXPECT_EQ(w.others[0].first, L"roundcorner");
}

struct FontCase {
    const char* name;
    const char* fontAttribute;
    int pixelSize;
    bool bold;
    bool underline;
};

const FontCase kFontCases[] = {
    {"no font: the default", "", 12, false, false},
    {"declared id", "font='3'", 14, false, false},
    {"bold", "font='2'", 50, true, false},
    {"underlined", "font='9'", 14, false, true},
    {"unknown id: the default", "font='77'", 12, false, false},
};

TEST(LayoutBuilder, FontIdsResolveToDeclaredFontsElseTheDefault) {
    for (const FontCase& c : kFontCases) {
        SCOPED_TRACE(c.name);
        SkinFixture skin(OneLayout(Layout(std::string("<VerticalLayout><Label name='l' ") + c.fontAttribute +
                                          "/></VerticalLayout>")));
        ASSERT_TRUE(skin.Load(L"w.xml"));
        const FontSpec font = skin.manager->FindControl(L"l")->GetFont();
        EXPECT_EQ(font.pixelSize, c.pixelSize);
        EXPECT_EQ(font.bold, c.bold);
        EXPECT_EQ(font.underline, c.underline);
    }
}

TEST(LayoutBuilder, UnknownFontIdIsLoggedOnceNamingTheFile) {
    LogCapture log;
    SkinFixture skin(OneLayout(Layout("<VerticalLayout><Label font='77'/><Label font='77'/></VerticalLayout>")));
    ASSERT_TRUE(skin.Load(L"w.xml"));
    ASSERT_EQ(log.Messages().size(), 1u);
    EXPECT_NE(log.Messages()[0].find("w.xml: unknown font id 77"), std::string::npos);
}

TEST(LayoutBuilder, AttributesApplyInDocumentOrderSoALaterDuplicateWins) {
    SkinFixture skin(OneLayout(Layout(
        "<VerticalLayout><Control name='c' width='10' height='5' width='30'/>"
        "<Label name='t' textid='K' text='later'/><Label name='u' text='earlier' textid='K'/></VerticalLayout>")),
                     {}, [](const std::wstring& key) { return L"looked up " + key; });
    ASSERT_TRUE(skin.Load(L"w.xml"));
    EXPECT_EQ(skin.manager->FindControl(L"c")->GetFixedWidth(), 30);
    EXPECT_EQ(skin.manager->FindControl(L"t")->GetText(), L"later");
    EXPECT_EQ(skin.manager->FindControl(L"u")->GetText(), L"looked up K");
    EXPECT_EQ(skin.manager->FindControl(L"u")->GetTextId(), L"K");
}

TEST(LayoutBuilder, IncludeInsertsTheOtherFileAtItsPlace) {
    SkinFixture skin({{"w.xml", Layout("<VerticalLayout name='root'><Control name='a'/>"
                                       "<Include source='layer.xml'/><Control name='c'/></VerticalLayout>")},
                      {"layer.xml", "<Window><HorizontalLayout name='b'><Label name='inner'/></HorizontalLayout></Window>"}});
    ASSERT_TRUE(skin.Load(L"w.xml"));
    auto* root = static_cast<Container*>(skin.manager->GetRoot());
    ASSERT_EQ(root->GetCount(), 3);
    EXPECT_EQ(root->GetItemAt(1)->GetName(), L"b");
    EXPECT_EQ(root->GetItemAt(2)->GetName(), L"c");
    EXPECT_NE(skin.manager->FindControl(L"inner"), nullptr);
}

class CCustomLabel : public Label {
public:
    std::wstring_view GetClass() const override { return L"CustomLabelUI"; }
};

TEST(LayoutBuilder, FactoryIsAskedFirstAndMayDecline) {
    std::vector<std::wstring> asked;
    SkinFixture skin(OneLayout(Layout("<VerticalLayout><Custom name='x'/><Label name='y'/></VerticalLayout>")),
                     [&asked](const std::wstring& kind) -> std::unique_ptr<Control> {
                         asked.push_back(kind);
                         if (kind == L"Custom") return std::make_unique<CCustomLabel>();
                         return nullptr;
                     });
    ASSERT_TRUE(skin.Load(L"w.xml"));
    EXPECT_EQ(asked, (std::vector<std::wstring>{L"VerticalLayout", L"Custom", L"Label"}));
    EXPECT_EQ(skin.manager->FindControl(L"x")->GetClass(), L"CustomLabelUI");
    EXPECT_EQ(skin.manager->FindControl(L"y")->GetClass(), L"LabelUI");
}

struct BadLayoutCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;
    const char* logged;  // part of the one log line
};

const BadLayoutCase kBadLayoutCases[] = {
    {"not well-formed", {{"w.xml", "<Window><VerticalLayout></Window>"}}, "w.xml is not well-formed XML"},
    {"empty file", {{"w.xml", ""}}, "w.xml is not well-formed XML"},
    {"missing include", {{"w.xml", Layout("<VerticalLayout><Include source='gone.xml'/></VerticalLayout>")}},
     "included file gone.xml is missing"},
    {"malformed include", {{"w.xml", Layout("<VerticalLayout><Include source='i.xml'/></VerticalLayout>")},
                           {"i.xml", "<Label"}}, "i.xml is not well-formed XML"},
    {"include of itself", {{"w.xml", Layout("<VerticalLayout><Include source='w.xml'/></VerticalLayout>")}},
     "includes nest too deep"},
    {"no content", {{"w.xml", Layout("")}}, "w.xml holds no element"},
    {"file not in the archive", {{"other.xml", Layout("<VerticalLayout/>")}}, "w.xml is not in the skin archive"},
};

TEST(LayoutBuilder, UnbuildableLayoutsGiveNoTreeAndOneLogLine) {
    for (const BadLayoutCase& c : kBadLayoutCases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        SkinFixture skin(c.files);
        EXPECT_FALSE(skin.Load(L"w.xml"));
        ASSERT_EQ(log.Messages().size(), 1u);
        EXPECT_NE(log.Messages()[0].find(c.logged), std::string::npos) << log.Messages()[0];
    }
}

}  // namespace
}  // namespace ui::test
