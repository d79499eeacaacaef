// The paint manager at work over real layouts: hit testing, states and
// events, the cursor, timers, names, the drag area, the combo's list, and
// painting with images that are there and images that are not.

#include "ui/toolkit/paint_manager.h"

#include <gtest/gtest.h>

#include "tests/support/log_capture.h"
#include "tests/ui/toolkit/skin_fixture.h"
#include "ui/toolkit/combo.h"
#include "ui/toolkit/container.h"

namespace ui::test {
namespace {

class CRecorder : public INotifyUI {
public:
    void Notify(const TNotifyUI& message) override { seen.push_back(message); }
    std::vector<TNotifyUI> seen;
};

// 400 x 300: a caption row of 40 with a button, a custom-class element and a
// spacer; below it a link text, a label, a disabled button, a combo.
const char* kPage =
    "<Window size='400,300' caption='0,0,0,40'><Font id='0' name='F' size='12'/>"
    "<VerticalLayout name='root'>"
    " <HorizontalLayout height='40'><Button name='btn' width='50' cursor='hand'/><Custom name='custom' width='50'/>"
    "  <Control name='spacer'/></HorizontalLayout>"
    " <Text name='link' height='20' text='more' cursor='hand'/>"
    " <Label name='label' height='20' text='plain'/>"
    " <Button name='off' height='20' enabled='false'/>"
    " <Combo name='cmb' height='30' width='200' itemheight='20' dropboxsize='0,40' scrollwheel='true'"
    "  vscrollbar='true'>"
    "  <ListLabelElement text='one'/><ListLabelElement text='two'/><ListLabelElement text='three'/></Combo>"
    " <Label name='label' height='20' text='second of the name'/>"
    "</VerticalLayout></Window>";

class PaintManagerTest : public ::testing::Test {
protected:
    PaintManagerTest()
        : skin(OneLayout(kPage), [](const std::wstring& kind) -> std::unique_ptr<Control> {
              if (kind == L"Custom") return std::make_unique<Control>();
              return nullptr;
          }) {
        EXPECT_TRUE(skin.Load(L"w.xml"));
        skin.manager->AddNotifier(&recorder);
    }
    void Click(Point at) {
        skin.manager->OnMouseMove(at);
        skin.manager->OnMouseDown(MouseButton::Left, at);
        skin.manager->OnMouseUp(MouseButton::Left, at);
    }

    SkinFixture skin;
    CRecorder recorder;
};

struct ClickCase {
    const char* name;
    Point at;
    const wchar_t* clicked;  // null: no event
    int moves;
};

const ClickCase kClickCases[] = {
    {"button in the caption row clicks", {10, 10}, L"btn", 0},
    {"custom element in the caption row drags", {60, 10}, nullptr, 1},
    {"spacer in the caption row drags", {200, 10}, nullptr, 1},
    {"text clicks", {10, 45}, L"link", 0},
    {"label does not click", {10, 65}, nullptr, 0},
    {"disabled button does not click", {10, 85}, nullptr, 0},
};

TEST_F(PaintManagerTest, PressAndReleaseClicksButtonsAndTextsAndDragsTheCaption) {
    for (const ClickCase& c : kClickCases) {
        SCOPED_TRACE(c.name);
        recorder.seen.clear();
        skin.window.moves = 0;
        Click(c.at);
        EXPECT_EQ(skin.window.moves, c.moves);
        if (c.clicked == nullptr) {
            EXPECT_TRUE(recorder.seen.empty());
            continue;
        }
        ASSERT_EQ(recorder.seen.size(), 1u);
        EXPECT_EQ(recorder.seen[0].type, L"click");
        EXPECT_EQ(recorder.seen[0].sender, skin.manager->FindControl(c.clicked));
    }
}

// A window's own handler takes the click, or the selection, in place of the
// string notification; elements without one still notify.
TEST_F(PaintManagerTest, HandlersTakeClicksAndSelectionsInPlaceOfTheNotification) {
    int buttonClicks = 0;
    std::vector<int> selections;
    skin.manager->FindControl(L"btn")->SetClickHandler([&] { ++buttonClicks; });
    auto* combo = static_cast<Combo*>(skin.manager->FindControl(L"cmb"));
    combo->SetSelectHandler([&](int index) { selections.push_back(index); });

    Click({10, 10});
    EXPECT_EQ(buttonClicks, 1);
    EXPECT_TRUE(recorder.seen.empty());
    Click({10, 45});  // the text has no handler
    ASSERT_EQ(recorder.seen.size(), 1u);
    EXPECT_EQ(recorder.seen[0].sender, skin.manager->FindControl(L"link"));

    combo->SelectItem(1);
    combo->SelectItem(1);  // unchanged: nothing
    combo->SelectItem(0, false);
    EXPECT_EQ(selections, std::vector<int>{1});
    EXPECT_EQ(recorder.seen.size(), 1u);
}

TEST_F(PaintManagerTest, ReleasingOutsideThePressedButtonDoesNotClick) {
    skin.manager->OnMouseDown(MouseButton::Left, {10, 10});
    skin.manager->OnMouseMove({200, 200});
    skin.manager->OnMouseUp(MouseButton::Left, {200, 200});
    EXPECT_TRUE(recorder.seen.empty());
    EXPECT_EQ(skin.manager->FindControl(L"btn")->GetState() & kStatePushed, 0u);
}

TEST_F(PaintManagerTest, HotFollowsTheMouseWithTheElementsCursor) {
    Control* button = skin.manager->FindControl(L"btn");
    skin.manager->OnMouseMove({10, 10});
    EXPECT_EQ(skin.manager->GetHot(), button);
    EXPECT_NE(button->GetState() & kStateHot, 0u);
    EXPECT_EQ(skin.window.cursor, CursorShape::Hand);
    skin.manager->OnMouseMove({10, 65});
    EXPECT_EQ(button->GetState() & kStateHot, 0u);
    EXPECT_EQ(skin.window.cursor, CursorShape::Arrow);
    skin.manager->OnMouseDown(MouseButton::Left, {10, 45});
    EXPECT_NE(skin.manager->FindControl(L"link")->GetState() & kStatePushed, 0u);
}

TEST_F(PaintManagerTest, FindControlGivesTheFirstInTreeOrder) {
    EXPECT_EQ(skin.manager->FindControl(L"label")->GetText(), L"plain");
    EXPECT_EQ(skin.manager->FindControl(L"nothing"), nullptr);
}

TEST_F(PaintManagerTest, TimersReachTheirElementUntilKilledOrDestroyed) {
    class CTicker : public Control {
    public:
        void DoEvent(const TEventUI& event) override {
            if (event.type == EventType::Timer) ticks.push_back(static_cast<uint32_t>(event.wParam));
        }
        std::vector<uint32_t> ticks;
    };
    auto owned = std::make_unique<CTicker>();
    CTicker* ticker = owned.get();
    auto* root = static_cast<Container*>(skin.manager->GetRoot());
    root->Add(std::move(owned));
    ASSERT_TRUE(skin.manager->SetTimer(ticker, 1, 60));
    ASSERT_TRUE(skin.manager->SetTimer(ticker, 2, 100));
    ASSERT_EQ(skin.window.timers.size(), 2u);
    for (const auto& [hostId, interval] : std::map<uint32_t, uint32_t>(skin.window.timers)) skin.manager->OnTimer(hostId);
    EXPECT_EQ(ticker->ticks, (std::vector<uint32_t>{1, 2}));
    skin.manager->KillTimer(ticker, 1);
    EXPECT_EQ(skin.window.timers.size(), 1u);
    const uint32_t left = skin.window.timers.begin()->first;
    skin.manager->OnTimer(left);
    EXPECT_EQ(ticker->ticks.back(), 2u);
    skin.manager->AttachRoot(nullptr, {}, {});  // destroys the tree
    EXPECT_TRUE(skin.window.timers.empty());
    skin.manager->OnTimer(left);  // no element left to reach
}

TEST_F(PaintManagerTest, ComboListSelectsScrollsAndNotifies) {
    auto* combo = static_cast<Combo*>(skin.manager->FindControl(L"cmb"));
    const Rect box = combo->GetPos();
    Click({box.left + 5, box.top + 5});
    ASSERT_TRUE(combo->IsOpen());
    const Rect list = combo->ListRect();
    EXPECT_EQ(list, (Rect{box.left, box.bottom, box.left + 200, box.bottom + 40}));
    skin.manager->OnMouseWheel(-1, {list.left + 5, list.top + 5});
    // Scrolled by one item: the first row now shows item 1.
    Click({list.left + 5, list.top + 5});
    EXPECT_FALSE(combo->IsOpen());
    ASSERT_EQ(recorder.seen.size(), 1u);
    EXPECT_EQ(recorder.seen[0].type, L"itemselect");
    EXPECT_EQ(recorder.seen[0].wParam, 1u);
    EXPECT_EQ(recorder.seen[0].lParam, -1);
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_TRUE(combo->SelectItem(2, false));
    EXPECT_EQ(recorder.seen.size(), 1u);
    EXPECT_FALSE(combo->SelectItem(7, false));
    EXPECT_EQ(combo->GetCurSel(), -1);
}

TEST_F(PaintManagerTest, PressOutsideAnOpenListOnlyClosesIt) {
    auto* combo = static_cast<Combo*>(skin.manager->FindControl(L"cmb"));
    Click({combo->GetPos().left + 5, combo->GetPos().top + 5});
    ASSERT_TRUE(combo->IsOpen());
    skin.manager->OnMouseDown(MouseButton::Left, {10, 10});
    EXPECT_FALSE(combo->IsOpen());
    combo->RemoveAll();
    EXPECT_EQ(combo->GetCount(), 0);
}

TEST(PaintManagerPaint, ImagesTextsAndColoursAreDrawnClippedToTheirElements) {
    LogCapture log;
    SkinFixture skin({{"w.xml",
                       "<Window size='200,100'><Font id='0' name='F' size='12'/><VerticalLayout bkcolor='#FFFFFFFF'>"
                       "<Button name='b' height='40' text='go' textcolor='#FF000001' hottextcolor='#FF000002'"
                       " normalimage=\"file='btn.png' corner='5,0,5,0'\" hotimage='missing.png'/>"
                       "<Label name='l' height='20' text='cut me' endellipsis='true' bkimage='bad.png'/>"
                       "</VerticalLayout></Window>"},
                      {"btn.png", FakePng(20, 10)},
                      {"bad.png", "not a png"}});
    ASSERT_TRUE(skin.Load(L"w.xml"));
    skin.manager->OnMouseMove({5, 5});  // the button is hot: its hot image is missing
    CTestCanvas canvas;
    skin.manager->OnPaint(canvas, {0, 0, 200, 100});
    skin.manager->OnPaint(canvas, {0, 0, 200, 100});
    EXPECT_EQ(canvas.clipDepth, 0);
    EXPECT_GE(canvas.maxClipDepth, 2);
    std::vector<DrawCall::Kind> kinds;
    for (const DrawCall& call : canvas.calls) kinds.push_back(call.kind);
    ASSERT_GE(canvas.calls.size(), 4u);
    EXPECT_EQ(canvas.calls[0].kind, DrawCall::Fill);
    EXPECT_EQ(canvas.calls[0].color, 0xFFFFFFFFu);
    EXPECT_EQ(canvas.calls[1].kind, DrawCall::Image);  // hot image missing: the normal one
    EXPECT_EQ(canvas.calls[1].corners, (Corners{5, 0, 5, 0}));
    EXPECT_EQ(canvas.calls[2].text, L"go");
    EXPECT_EQ(canvas.calls[2].color, 0xFF000002u);
    EXPECT_EQ(canvas.calls[3].text, L"cut me");
    EXPECT_NE(canvas.calls[3].flags & kTextEndEllipsis, 0u);
    EXPECT_EQ(skin.host.decoded, 1);
    // Each bad image is reported once, however often it is drawn.
    const std::vector<std::string> messages = log.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].find("missing.png is not in the skin archive"), std::string::npos);
    EXPECT_NE(messages[1].find("bad.png is not a PNG"), std::string::npos);
}

// Pages fill their tab and one shows at a time: the page hidden lets go of
// its background, which decodes again when the page comes back, and the
// other images stay decoded.
TEST(SkinImages, AHiddenTabPageLetsGoOfItsBackground) {
    SkinFixture skin({{"w.xml",
                       "<Window size='200,100'><TabLayout name='pages'>"
                       "<VerticalLayout bkimage='one.png'><Control bkimage='icon.png'/></VerticalLayout>"
                       "<VerticalLayout bkimage='two.png'><Control bkimage='icon.png'/></VerticalLayout>"
                       "</TabLayout></Window>"},
                      {"one.png", FakePng(200, 100)},
                      {"two.png", FakePng(200, 100)},
                      {"icon.png", FakePng(8, 8)}});
    ASSERT_TRUE(skin.Load(L"w.xml", {200, 100}));
    auto* pages = static_cast<TabLayout*>(skin.manager->FindControl(L"pages")->GetInterface(L"TabLayout"));
    CTestCanvas canvas;
    skin.manager->OnPaint(canvas, {0, 0, 200, 100});
    const std::weak_ptr<const IImage> first = skin.skin->GetImage(L"one.png");
    const std::weak_ptr<const IImage> icon = skin.skin->GetImage(L"icon.png");
    EXPECT_EQ(skin.host.decoded, 2);

    pages->SelectItem(1);
    EXPECT_TRUE(first.expired());
    skin.manager->OnPaint(canvas, {0, 0, 200, 100});
    EXPECT_FALSE(icon.expired());
    EXPECT_EQ(skin.host.decoded, 3) << "the second page's background";
    pages->SelectItem(1);  // already shown: nothing is let go
    skin.manager->OnPaint(canvas, {0, 0, 200, 100});
    EXPECT_EQ(skin.host.decoded, 3);

    pages->SelectItem(0);
    skin.manager->OnPaint(canvas, {0, 0, 200, 100});
    EXPECT_EQ(skin.host.decoded, 4) << "the first page's background, again";
    EXPECT_FALSE(icon.expired());
}

TEST(SkinImages, AScreenOfScaleTwoGetsTheTwinWhereThereIsOne) {
    struct Case {
        const char* name;
        double scale;
        bool twinInArchive;
        int decodedAtScale2;
        Size reported;  // the 1x size either way
    };
    const Case kCases[] = {
        {"scale 1 ignores the twin", 1.0, true, 0, {20, 10}},
        {"scale 2 takes the twin", 2.0, true, 1, {20, 10}},
        {"scale 2 without a twin: the 1x image", 2.0, false, 0, {20, 10}},
    };
    for (const Case& c : kCases) {
        std::vector<std::pair<std::string, std::string>> files{{"image/btn.png", FakePng(20, 10)}};
        if (c.twinInArchive) files.push_back({"image/btn@2x.png", FakePng(40, 20)});
        SkinFixture skin(files);
        skin.host.screenScale = c.scale;
        const ImagePtr image = skin.skin->GetImage(L"image/btn.png");
        ASSERT_NE(image, nullptr) << c.name;
        EXPECT_EQ(image->PixelSize(), c.reported) << c.name;
        EXPECT_EQ(skin.host.decodedAtScale2, c.decodedAtScale2) << c.name;
    }
    EXPECT_EQ(TwinPath(L"check_loading/loading_00007.png", 2), L"check_loading/loading_00007@2x.png");
    EXPECT_EQ(TwinPath(L"dir.v2/logo", 2), L"dir.v2/logo@2x");
}

TEST(PaintManagerPaint, HugeTextAndExtremeNumbersNeitherCrashNorOverflow) {
    const std::string huge(200000, 'x');
    SkinFixture skin(OneLayout("<Window size='99999999999,-5'><HorizontalLayout inset='-99999999,0,99999999,0'>"
                               "<Label autocalcwidth='true' text='" + huge + "'/><Control width='99999999999'/>"
                               "<Control minwidth='99999999999' padding='99999999,99999999,99999999,99999999'/>"
                               "</HorizontalLayout></Window>"));
    ASSERT_TRUE(skin.Load(L"w.xml", {1200, 675}));
    CTestCanvas canvas;
    skin.manager->OnPaint(canvas, {0, 0, 1200, 675});
    skin.manager->OnMouseMove({600, 300});
}

}  // namespace
}  // namespace ui::test
